#include "IdentityProbe.h"

#include "HostIdentity.h"
#include "IdentityRecord.h"

RecordSeen probeRecord(const std::string& library, const ExpectedIdentity& expected, ProbeReport& report)
{
    const size_t records = findIdentityRecords(library, identityMarker(), 2).size();
    report.check(records == 1, "the library holds " + std::to_string(records) + " identity records, expected 1");

    const IdentityFields fields = readIdentityFile(library, identityMarker());
    report.value("Record:", fields.recordFound ? pluginIdText(fields.pluginId) + " \"" + fields.productName + "\" \""
                                                     + fields.vendorName + "\""
                                               : "none");
    if (fields.recordFound)
        report.value("Short fields:", "\"" + fields.shortProductName + "\" \"" + fields.shortVendorName + "\""
                                          + (fields.hasLongFields ? ", long fields present" : ", no long fields"));
    report.expect(expected.shortProductName, fields.shortProductName, "short product field");
    report.expect(expected.shortVendorName, fields.shortVendorName, "short vendor field");
    return {fields.recordFound, fields.pluginId, fields.productName, fields.vendorName};
}
