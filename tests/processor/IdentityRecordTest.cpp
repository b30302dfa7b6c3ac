// The identity record: reading its text fields, finding it in a file, and the
// checks and writing that zsp-brand relies on.

#include "IdentityRecord.h"

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
    const auto expected = handMadeRecord("AcGP", "Grand Piano     ", ' ', "Acme            ");
    ASSERT_GE(record.size(), expected.size());
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), record.begin()));
    EXPECT_TRUE(std::all_of(record.begin() + static_cast<long>(expected.size()), record.end(),
                            [](uint8_t b) { return b == 0; }));

    const IdentityFields fields = decodeIdentityRecord(record.data(), record.size());
    EXPECT_TRUE(fields.recordFound);
    EXPECT_TRUE(fields.pluginIdPresent);
    EXPECT_EQ(fields.pluginId, 0x41634750u);
    EXPECT_EQ(fields.productName, "Grand Piano");
    EXPECT_EQ(fields.vendorName, "Acme");
}

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

TEST(IdentityFields, EncodedFieldsPadWithSpacesAndKeepTheRest)
{
    IdentityRecordBytes record = makeIdentityRecord(fallbackPluginId, "Zarvo Sampler", "Zarvo");
    record[98] = 'Q';
    encodeIdentityFields(record.data(), 0x4D796964, "My Player", "Müller");
    const auto expected = handMadeRecord("Myid", "My Player       ", 'Q', "M\xC3\xBCller         ");
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), record.begin()));
    EXPECT_EQ(decodeIdentityRecord(record.data(), record.size()).vendorName, "M\xC3\xBCller");
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
                                           ProblemCase {"ABCDEFGHIJKLMNOPQ", false},
                                           ProblemCase {"Zarvo Sampler Player", false},
                                           ProblemCase {"M\xC3\xBCller Klavier", true},      // 15 bytes
                                           ProblemCase {"M\xC3\xBCller Klaviere", true},     // 16 bytes
                                           ProblemCase {"M\xC3\xBCller Klavierek", false},   // 17 bytes
                                           ProblemCase {"Bad \xC3", false},                  // cut sequence
                                           ProblemCase {"Bad \xC0\xAF", false},              // overlong
                                           ProblemCase {"Bad \xED\xA0\x80", false},          // surrogate
                                           ProblemCase {"Tab\tInside", false}, ProblemCase {"Del\x7F", false},
                                           ProblemCase {"Trailing ", false}, ProblemCase {" Leading", false}));

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
