// The identity record: reading its text fields, finding it in a file, and the
// checks and writing that zsp-brand relies on.

#include "IdentityRecord.h"
#include "support/HandWrittenRecord.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>

namespace
{
std::string bytes(std::initializer_list<int> values)
{
    std::string out;
    for (int v : values)
        out += static_cast<char>(v);
    return out;
}

std::vector<uint8_t> asBytes(const std::string& text)
{
    return std::vector<uint8_t>(text.begin(), text.end());
}

std::string scratchFile(const std::string& name, const std::vector<uint8_t>& content)
{
    const auto folder = std::filesystem::temp_directory_path() / "zsp-identity-record-test";
    std::filesystem::create_directories(folder);
    const std::string path = (folder / name).string();
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(content.data()),
                                                static_cast<std::streamsize>(content.size()));
    return path;
}

// A record written out by hand: marker, zero bytes to offset 78, then the
// fields exactly as given.
std::vector<uint8_t> handMadeRecord(const std::string& id, const std::string& product16, char gap,
                                    const std::string& vendor16)
{
    const IdentityMarker marker = identityMarker();
    std::vector<uint8_t> record(marker.begin(), marker.end());
    record.resize(78, 0);
    for (const std::string* part : {&id, &product16})
        record.insert(record.end(), part->begin(), part->end());
    record.push_back(static_cast<uint8_t>(gap));
    record.insert(record.end(), vendor16.begin(), vendor16.end());
    return record;
}

struct TextCase
{
    const char* what;
    std::string field;
    size_t available;
    std::string expected;
};

void PrintTo(const TextCase& c, std::ostream* out)
{
    *out << c.what;
}

class IdentityText : public ::testing::TestWithParam<TextCase>
{
};

TEST_P(IdentityText, ReadsTheFieldAsHostsSeeIt)
{
    const TextCase& c = GetParam();
    const auto field = asBytes(c.field);
    EXPECT_EQ(readIdentityText(field.data(), c.available), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Fields, IdentityText,
    ::testing::Values(TextCase {"space padded", "Zarvo Sampler   ", 16, "Zarvo Sampler"},
                      TextCase {"ended by a zero byte", bytes({'A', 'c', 'm', 'e', 0, 'x', 'y', ' ', ' ', ' ', ' ', ' ',
                                                               ' ', ' ', ' ', ' '}),
                                16, "Acme"},
                      TextCase {"all spaces", "                ", 16, ""},
                      TextCase {"all zero", std::string(16, '\0'), 16, ""},
                      TextCase {"trailing tab to carriage return", "Name\t\n\v\f\r     ", 16, "Name"},
                      TextCase {"leading and inner spaces stay", "  A  B          ", 16, "  A  B"},
                      TextCase {"all sixteen bytes, no terminator", "ABCDEFGHIJKLMNOP", 16, "ABCDEFGHIJKLMNOP"},
                      TextCase {"never more than sixteen bytes", "ABCDEFGHIJKLMNOPQRS", 19, "ABCDEFGHIJKLMNOP"},
                      TextCase {"file ends inside the field", "Zarvo Sampler   ", 5, "Zarvo"},
                      TextCase {"file ends at the field", "Zarvo Sampler   ", 0, ""},
                      TextCase {"other bytes are not white space", bytes({'A', 0x85, 0xA0, ' '}), 4,
                                bytes({'A', 0x85, 0xA0})}),
    [](const auto& info) {
        std::string name = info.param.what;
        for (char& c : name)
            if (!std::isalnum(static_cast<unsigned char>(c)))
                c = '_';
        return name;
    });

TEST(IdentityRecord, BuiltRecordHoldsTheFieldsAtTheirOffsets)
{
    const IdentityRecordBytes record = makeIdentityRecord(0x41634750, "Grand Piano", "Acme");
    // Names that fit the short fields leave the long fields empty.
    const std::string expected = handWrittenRecord(
        {{78, "AcGP"}, {82, "Grand Piano     "}, {98, " "}, {99, "Acme            "}, {124, longRecordSize}});
    EXPECT_EQ(std::string(record.begin(), record.end()), expected);

    const IdentityFields fields = decodeIdentityRecord(record.data(), record.size());
    EXPECT_TRUE(fields.recordFound);
    EXPECT_TRUE(fields.pluginIdPresent);
    EXPECT_TRUE(fields.hasLongFields);
    EXPECT_EQ(fields.pluginId, 0x41634750u);
    EXPECT_EQ(fields.productName, "Grand Piano");
    EXPECT_EQ(fields.vendorName, "Acme");
}

TEST(IdentityRecord, BuiltRecordOfTheBuildHoldsItsLongName)
{
    const IdentityRecordBytes record = makeIdentityRecord(fallbackPluginId, "Zarvo Sampler Player", "Zarvo");
    const std::string expected = handWrittenRecord({{78, "ZSP2"},
                                                    {82, "Zarvo Sampler Pl"},
                                                    {98, " "},
                                                    {99, "Zarvo           "},
                                                    {124, longRecordSize},
                                                    {128, "Zarvo Sampler Player"}});
    EXPECT_EQ(std::string(record.begin(), record.end()), expected);

    const IdentityFields fields = decodeIdentityRecord(record.data(), record.size());
    EXPECT_EQ(fields.productName, "Zarvo Sampler Player");
    EXPECT_EQ(fields.shortProductName, "Zarvo Sampler Pl");
    EXPECT_EQ(fields.vendorName, "Zarvo");
    EXPECT_EQ(fields.shortVendorName, "Zarvo");
}

// The long-name rule on hand-written records: each case gives a short field,
// a long field and how many bytes of the long field exist, and is read once
// as the product and once as the vendor.
struct LongNameCase
{
    const char* what;
    std::string shortField;  // 16 bytes
    std::string longField;   // up to 64 bytes, zero bytes after it
    size_t longBytesThatExist;
    std::string expected;
    bool recordHasLongFields = true;
};

void PrintTo(const LongNameCase& c, std::ostream* out)
{
    *out << c.what;
}

class LongName : public ::testing::TestWithParam<LongNameCase>
{
};

TEST_P(LongName, CountsOnlyWhenItsStartIsTheShortField)
{
    const LongNameCase& c = GetParam();
    ASSERT_EQ(c.shortField.size(), 16u);
    const std::string size = c.recordHasLongFields ? longRecordSize : std::string(4, '\0');
    const std::string asProduct = handWrittenRecord(
        {{78, "ZSP2"}, {82, c.shortField}, {99, "Other           "}, {124, size}, {128, c.longField}});
    const IdentityFields product =
        decodeIdentityRecord(reinterpret_cast<const uint8_t*>(asProduct.data()), 128 + c.longBytesThatExist);
    EXPECT_EQ(product.productName, c.expected);
    EXPECT_EQ(product.vendorName, "Other");

    const std::string asVendor = handWrittenRecord(
        {{78, "ZSP2"}, {82, "Other           "}, {99, c.shortField}, {124, size}, {192, c.longField}});
    const IdentityFields vendor =
        decodeIdentityRecord(reinterpret_cast<const uint8_t*>(asVendor.data()), 192 + c.longBytesThatExist);
    EXPECT_EQ(vendor.vendorName, c.expected);
    EXPECT_EQ(vendor.productName, "Other");
}

const std::string sixtyThree = "Zarvo Sampler Player with a name of sixty-three bytes, no more.";
const std::string sixtyFour = sixtyThree + "!";

INSTANTIATE_TEST_SUITE_P(
    Cases, LongName,
    ::testing::Values(
        LongNameCase {"long field used", "Zarvo Sampler Pl", "Zarvo Sampler Player", 64, "Zarvo Sampler Player"},
        LongNameCase {"short field rewritten alone", "ACME Piano      ", "Zarvo Sampler Player", 64, "ACME Piano"},
        LongNameCase {"short field rewritten to all spaces", "                ", "Zarvo Sampler Player", 64, ""},
        LongNameCase {"short field differs in its last byte", "Zarvo Sampler Pi", "Zarvo Sampler Player", 64,
                      "Zarvo Sampler Pi"},
        LongNameCase {"long field empty", "Zarvo Sampler Pl", "", 64, "Zarvo Sampler Pl"},
        LongNameCase {"short name beside a zero-padded long copy", "Zarvo           ", "Zarvo", 64, "Zarvo"},
        LongNameCase {"sixty-three bytes and the zero", sixtyThree.substr(0, 16), sixtyThree, 64, sixtyThree},
        LongNameCase {"long field without a zero byte", sixtyFour.substr(0, 16), sixtyFour, 64,
                      sixtyFour.substr(0, 16)},
        LongNameCase {"data ends inside the long field before its zero", "Zarvo Sampler Pl", "Zarvo Sampler Player",
                      20, "Zarvo Sampler Pl"},
        LongNameCase {"data ends right after the long field's zero", "Zarvo Sampler Pl", "Zarvo Sampler Player", 21,
                      "Zarvo Sampler Player"},
        LongNameCase {"data ends inside the long field's first sixteen bytes", "Zarvo Sampler Pl",
                      "Zarvo Sampler Player", 9, "Zarvo Sampler Pl"},
        LongNameCase {"no long field in the data", "Zarvo Sampler Pl", "Zarvo Sampler Player", 0, "Zarvo Sampler Pl"},
        LongNameCase {"trailing white space removed", "Zarvo Sampler Pl", "Zarvo Sampler Player \t\r\n  ", 64,
                      "Zarvo Sampler Player"},
        LongNameCase {"bytes that are not UTF-8 as they are", "Caf\xE9 Concert Gra", "Caf\xE9 Concert Grand \xFF",
                      64, "Caf\xE9 Concert Grand \xFF"},
        LongNameCase {"short field ending inside a character", "Acme Konzertsfl\xC3",
                      "Acme Konzertsfl\xC3\xBCgel", 64, "Acme Konzertsfl\xC3\xBCgel"},
        LongNameCase {"record of an earlier build", "Zarvo Sampler Pl", "Zarvo Sampler Player", 64,
                      "Zarvo Sampler Pl", false}),
    [](const auto& info) {
        std::string name = info.param.what;
        for (char& c : name)
            if (!std::isalnum(static_cast<unsigned char>(c)))
                c = '_';
        return name;
    });

TEST(IdentityRecord, ByteBetweenTheNamesIsNotRead)
{
    const auto record = handMadeRecord("ZSP2", "Product         ", 'X', "Vendor          ");
    const IdentityFields fields = decodeIdentityRecord(record.data(), record.size());
    EXPECT_EQ(fields.productName, "Product");
    EXPECT_EQ(fields.vendorName, "Vendor");
}

TEST(IdentityRecord, ShortDataGivesTheBytesThatExist)
{
    const auto record = handMadeRecord("Wxyz", "Grand Piano     ", ' ', "Acme            ");

    const IdentityFields insideProduct = decodeIdentityRecord(record.data(), 82 + 5);
    EXPECT_TRUE(insideProduct.pluginIdPresent);
    EXPECT_EQ(insideProduct.pluginId, 0x5778797Au);
    EXPECT_EQ(insideProduct.productName, "Grand");
    EXPECT_EQ(insideProduct.vendorName, "");

    const IdentityFields insideVendor = decodeIdentityRecord(record.data(), 99 + 2);
    EXPECT_EQ(insideVendor.productName, "Grand Piano");
    EXPECT_EQ(insideVendor.vendorName, "Ac");

    const IdentityFields insideId = decodeIdentityRecord(record.data(), 80);
    EXPECT_FALSE(insideId.pluginIdPresent);
    EXPECT_EQ(insideId.pluginId, fallbackPluginId);
    EXPECT_EQ(insideId.productName, "");
}

TEST(IdentityFile, FoundByItsMarkerAnywhereInTheFile)
{
    std::vector<uint8_t> content(5000, 0x5A);
    const auto record = handMadeRecord("AcGP", "Grand Piano     ", ' ', "Acme            ");
    content.insert(content.begin() + 1234, record.begin(), record.end());
    const std::string path = scratchFile("middle.bin", content);

    const IdentityFields fields = readIdentityFile(path, identityMarker());
    EXPECT_TRUE(fields.recordFound);
    EXPECT_EQ(fields.pluginId, 0x41634750u);
    EXPECT_EQ(fields.productName, "Grand Piano");
    EXPECT_EQ(fields.vendorName, "Acme");
    EXPECT_EQ(findIdentityRecords(path, identityMarker(), 10), std::vector<uint64_t> {1234});

    // A hint that misses the marker falls back to the search; a right one is used.
    EXPECT_EQ(readIdentityFile(path, identityMarker(), 99).productName, "Grand Piano");
    EXPECT_EQ(readIdentityFile(path, identityMarker(), 1234).productName, "Grand Piano");
    EXPECT_EQ(readIdentityFile(path, identityMarker(), 1u << 30).productName, "Grand Piano");
}

TEST(IdentityFile, MarkerAcrossTheReadingChunksIsFound)
{
    // The search reads the file a mebibyte at a time.
    const size_t at = (size_t {1} << 20) - 7;
    std::vector<uint8_t> content(at, 1);
    const auto record = handMadeRecord("ZSP2", "Across          ", ' ', "Chunks          ");
    content.insert(content.end(), record.begin(), record.end());
    content.resize(content.size() + 100, 2);
    const std::string path = scratchFile("across.bin", content);

    EXPECT_EQ(findIdentityRecords(path, identityMarker(), 10), std::vector<uint64_t> {at});
    EXPECT_EQ(readIdentityFile(path, identityMarker()).vendorName, "Chunks");
}

TEST(IdentityFile, EveryMarkerIsCounted)
{
    const auto record = handMadeRecord("ZSP2", "One             ", ' ', "Two             ");
    std::vector<uint8_t> content = record;
    content.insert(content.end(), 17, 0);
    content.insert(content.end(), record.begin(), record.end());
    const std::string path = scratchFile("twice.bin", content);
    EXPECT_EQ(findIdentityRecords(path, identityMarker(), 10), (std::vector<uint64_t> {0, record.size() + 17}));
    EXPECT_EQ(findIdentityRecords(path, identityMarker(), 1).size(), 1u);
}

TEST(IdentityFile, FileEndingInsideTheRecordGivesWhatExists)
{
    auto record = handMadeRecord("AcGP", "Grand Piano     ", ' ', "Acme            ");
    record.resize(82 + 7);
    const IdentityFields fields = readIdentityFile(scratchFile("short.bin", record), identityMarker());
    EXPECT_TRUE(fields.recordFound);
    EXPECT_EQ(fields.pluginId, 0x41634750u);
    EXPECT_EQ(fields.productName, "Grand P");
    EXPECT_EQ(fields.vendorName, "");
}

TEST(IdentityFile, NoFileOrNoMarkerReadsAsNothing)
{
    for (const std::string& path : {scratchFile("no-marker.bin", std::vector<uint8_t>(300, 'Z')),
                                    std::string("/nonexistent/zsp/library.so")})
    {
        const IdentityFields fields = readIdentityFile(path, identityMarker(), 0);
        EXPECT_FALSE(fields.recordFound) << path;
        EXPECT_EQ(fields.pluginId, fallbackPluginId);
        EXPECT_EQ(fields.productName, "");
        EXPECT_EQ(fields.vendorName, "");
    }
}

TEST(IdentityFile, FileEndingInsideTheLongFieldGivesTheShortName)
{
    const std::string whole = handWrittenRecord({{78, "AcGP"},
                                                 {82, "Acme Grand Conce"},
                                                 {99, "Acme Audio Instr"},
                                                 {124, longRecordSize},
                                                 {128, "Acme Grand Concert Piano"},
                                                 {192, "Acme Audio Instruments GmbH"}});
    const std::string path = scratchFile("long.bin", asBytes(whole));
    EXPECT_EQ(readIdentityFile(path, identityMarker()).productName, "Acme Grand Concert Piano");
    EXPECT_EQ(readIdentityFile(path, identityMarker()).vendorName, "Acme Audio Instruments GmbH");

    // The file ends after "Acme Grand Concert Pi": the long product name has
    // no end, and the long vendor name is not there at all.
    const IdentityFields cut =
        readIdentityFile(scratchFile("long-cut.bin", asBytes(whole.substr(0, 128 + 21))), identityMarker());
    EXPECT_TRUE(cut.hasLongFields);
    EXPECT_EQ(cut.productName, "Acme Grand Conce");
    EXPECT_EQ(cut.vendorName, "Acme Audio Instr");

    // It ends right after the long product name's zero byte.
    const IdentityFields justWhole =
        readIdentityFile(scratchFile("long-just.bin", asBytes(whole.substr(0, 128 + 25))), identityMarker());
    EXPECT_EQ(justWhole.productName, "Acme Grand Concert Piano");
    EXPECT_EQ(justWhole.vendorName, "Acme Audio Instr");
}

TEST(IdentityFields, EncodedFieldsPadWithSpacesAndKeepTheRest)
{
    IdentityRecordBytes record = makeIdentityRecord(fallbackPluginId, "Zarvo Sampler Player", "Zarvo");
    record[98] = 'Q';
    record[120] = 0x77;
    encodeIdentityFields(record, 0x4D796964, "My Player", "M\xC3\xBCller");
    // The long product name of the build is gone: a name that fits the short
    // field leaves the long field empty.
    const std::string expected = handWrittenRecord({{78, "Myid"},
                                                    {82, "My Player       "},
                                                    {98, "Q"},
                                                    {99, "M\xC3\xBCller         "},
                                                    {120, "\x77"},
                                                    {124, longRecordSize}});
    EXPECT_EQ(std::string(record.begin(), record.end()), expected);
    EXPECT_EQ(decodeIdentityRecord(record.data(), record.size()).vendorName, "M\xC3\xBCller");
}

TEST(IdentityFields, LongNamesGoToBothFields)
{
    IdentityRecordBytes record = makeIdentityRecord(fallbackPluginId, "Zarvo Sampler Player", "Zarvo");
    // 40 bytes, the 16th byte inside the "\xC3\xBC" of the u with diaeresis:
    // the short field holds exactly the first 16 bytes, so that the long
    // field counts; hosts see the long field, which is whole.
    const std::string product = "Acme Konzertsfl\xC3\xBCgel \"Grand\" Edition No1";
    ASSERT_EQ(product.size(), 40u);
    encodeIdentityFields(record, 0x41634750, product, "Acme Audio Instruments GmbH");
    const std::string expected = handWrittenRecord({{78, "AcGP"},
                                                    {82, "Acme Konzertsfl\xC3"},
                                                    {98, " "},
                                                    {99, "Acme Audio Instr"},
                                                    {124, longRecordSize},
                                                    {128, "Acme Konzertsfl\xC3\xBCgel \"Grand\" Edition No1"},
                                                    {192, "Acme Audio Instruments GmbH"}});
    EXPECT_EQ(std::string(record.begin(), record.end()), expected);

    const IdentityFields fields = decodeIdentityRecord(record.data(), record.size());
    EXPECT_EQ(fields.productName, product);
    EXPECT_EQ(fields.vendorName, "Acme Audio Instruments GmbH");
    EXPECT_EQ(fields.shortProductName, "Acme Konzertsfl\xC3");
}

TEST(IdentityFields, RecordOfAnEarlierBuildGetsOnlyItsShortFields)
{
    // 128 bytes of record without a size, then the library's own data.
    const std::string earlier = handWrittenRecord({{78, "ZSP2"}, {82, "Zarvo Sampler   "}, {99, "Zarvo           "},
                                                   {128, std::string(128, '\xC3')}});
    IdentityRecordBytes record {};
    std::copy(earlier.begin(), earlier.end(), record.begin());
    encodeIdentityFields(record, 0x41634750, "Grand Piano", "Acme");
    const std::string expected = handWrittenRecord({{78, "AcGP"}, {82, "Grand Piano     "}, {99, "Acme            "},
                                                    {128, std::string(128, '\xC3')}});
    EXPECT_EQ(std::string(record.begin(), record.end()), expected);
    EXPECT_FALSE(decodeIdentityRecord(record.data(), record.size()).hasLongFields);
}

struct ProblemCase
{
    std::string text;
    bool fits;
};

void PrintTo(const ProblemCase& c, std::ostream* out)
{
    *out << '"' << c.text << '"';
}

class IdentityTextCheck : public ::testing::TestWithParam<ProblemCase>
{
};

TEST_P(IdentityTextCheck, RefusesWhatAHostWouldNotSeeAsWritten)
{
    EXPECT_EQ(identityTextProblem(GetParam().text).empty(), GetParam().fits) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(Texts, IdentityTextCheck,
                         ::testing::Values(ProblemCase {"Grand Piano", true}, ProblemCase {"", true},
                                           ProblemCase {"ABCDEFGHIJKLMNOP", true},
                                           ProblemCase {"ABCDEFGHIJKLMNOPQ", true},
                                           ProblemCase {"Zarvo Sampler Player", true},
                                           ProblemCase {sixtyThree, true},
                                           ProblemCase {sixtyFour, false},
                                           ProblemCase {std::string(61, 'a') + "\xC3\xBC", true},   // 63 bytes
                                           ProblemCase {std::string(62, 'a') + "\xC3\xBC", false},  // 64 bytes
                                           ProblemCase {"M\xC3\xBCller Klavier", true},      // 15 bytes
                                           ProblemCase {"M\xC3\xBCller Klaviere", true},     // 16 bytes
                                           ProblemCase {"M\xC3\xBCller Klavierek", true},    // 17 bytes
                                           ProblemCase {"Bad \xC3", false},                  // cut sequence
                                           ProblemCase {"Bad \xC0\xAF", false},              // overlong
                                           ProblemCase {"Bad \xED\xA0\x80", false},          // surrogate
                                           ProblemCase {"Tab\tInside", false}, ProblemCase {"Del\x7F", false},
                                           ProblemCase {"Trailing ", false}, ProblemCase {" Leading", false}));

TEST(IdentityTextCheck, LongerThanSixtyThreeBytesSaysSo)
{
    EXPECT_EQ(identityTextProblem(sixtyFour), "is 64 bytes long; a name holds at most 63 bytes");
}

TEST(PluginIdText, FourPrintableCharactersOnly)
{
    EXPECT_EQ(pluginIdTextProblem("AcGP"), "");
    EXPECT_EQ(pluginIdTextProblem("a#1~"), "");
    for (const char* bad : {"", "ABC", "ABCDE", "AB D", "AB\tD", "AB\x7F" "D", "\xC3\xBC" "AB"})
        EXPECT_NE(pluginIdTextProblem(bad), "") << bad;
    EXPECT_EQ(pluginIdFromText("ZSP2"), 0x5A535032u);
    EXPECT_EQ(pluginIdFromText("AcGP"), 0x41634750u);
}
} // namespace
