#include "IdentityProbe.h"

#include "HostIdentity.h"
#include "IdentityRecord.h"

RecordSeen probeRecord(const std::string& library, ProbeReport& report)
{
    const size_t records = findIdentityRecords(library, identityMarker(), 2).size();
    report.check(records == 1, "the library holds " + std::to_string(records) + " identity records, expected 1");

    const IdentityFields fields = readIdentityFile(library, identityMarker());
    report.value("Record:", fields.recordFound ? pluginIdText(fields.pluginId) + " \"" + fields.productName + "\" \""
                                                     + fields.vendorName + "\""
                                               : "none");
    return {fields.recordFound, fields.pluginId, fields.productName, fields.vendorName};
}
