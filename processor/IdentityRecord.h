#pragma once
// The identity record: one fixed block of bytes in the plugin library's
// read-only data that names the plugin to hosts. A publisher rewrites it in
// a copy of the library (tools/zsp-brand) to ship the same player under its
// own name. The record starts with a marker, so a reader finds it in the
// library file without knowing the file's layout; the three fields lie at
// fixed offsets from the record's start:
//
//   offset  size  field
//        0    32  marker (never changed)
//       78     4  plugin id, most significant byte first (a four-character code)
//       82    16  product name, 8-bit text padded with spaces or ended by a zero byte
//       98     1  not read
//       99    16  vendor name, as the product name
//
// Plain C++: the plugin, zsp-brand and the probes share it.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

constexpr size_t identityMarkerSize = 32;
constexpr size_t identityPluginIdOffset = 78;
constexpr size_t identityProductNameOffset = 82;
constexpr size_t identityVendorNameOffset = 99;
constexpr size_t identityTextFieldSize = 16;
constexpr size_t identityFieldsEnd = identityVendorNameOffset + identityTextFieldSize;
constexpr size_t identityRecordSize = 128;

// The plugin id hosts see when the library file cannot be read: "ZSP2".
constexpr uint32_t fallbackPluginId = 0x5A535032;

using IdentityMarker = std::array<uint8_t, identityMarkerSize>;
using IdentityRecordBytes = std::array<uint8_t, identityRecordSize>;

// The marker, made by a function rather than kept as a named constant, so that
// a plugin which builds its record from it holds the bytes exactly once.
constexpr IdentityMarker identityMarker()
{
    constexpr char text[] = "ZSP-IDENTITY-RECORD";
    constexpr uint8_t tail[] = {0x00, 0xA7, 0x3C, 0x91, 0x5E, 0xD2, 0x08, 0x6B, 0xF4, 0x1D, 0xC9, 0x72, 0xE0};
    IdentityMarker marker {};
    size_t at = 0;
    for (size_t i = 0; i + 1 < sizeof text; ++i)
        marker[at++] = static_cast<uint8_t>(text[i]);
    for (uint8_t byte : tail)
        marker[at++] = byte;
    return marker;
}

// The three fields as a reader finds them.
struct IdentityFields
{
    bool recordFound = false;      // false: no record in the file, or no file
    bool pluginIdPresent = false;  // false when the data ends inside the plugin id
    uint32_t pluginId = fallbackPluginId;
    std::string productName;       // the field's bytes up to a zero byte, trailing white space removed
    std::string vendorName;
};

// A text field: up to 16 bytes from `field` (only `available` of them exist),
// cut at the first zero byte, trailing space and tab to carriage return removed.
std::string readIdentityText(const uint8_t* field, size_t available);

// The fields of a record of which `available` bytes exist from its start.
IdentityFields decodeIdentityRecord(const uint8_t* record, size_t available);

// Byte offsets in a file where `marker` begins (at most `limit` of them).
std::vector<uint64_t> findIdentityRecords(const std::string& path, const IdentityMarker& marker, size_t limit);

// Reads the record of a library file: at `hintOffset` when the marker lies
// there, else at the first marker in the file. No file or no marker: a
// result with recordFound false and empty names.
IdentityFields readIdentityFile(const std::string& path, const IdentityMarker& marker,
                                std::optional<uint64_t> hintOffset = std::nullopt);

// Problems with a text a publisher wants in a field, or an empty text when it
// fits: it must be valid UTF-8 of at most 16 bytes, without control
// characters and without white space at either end (a reader would drop
// trailing white space, so the host would see another name).
std::string identityTextProblem(const std::string& text);

// Problems with a plugin id given as text, or an empty text when it is four
// printable ASCII characters other than space.
std::string pluginIdTextProblem(const std::string& text);
uint32_t pluginIdFromText(const std::string& fourCharacters);

// Writes the three fields into a record (text fields padded with spaces). The
// texts must have passed identityTextProblem.
void encodeIdentityFields(uint8_t* record, uint32_t pluginId, const std::string& productName,
                          const std::string& vendorName);

// The record of a plugin build: marker, fields, zero bytes elsewhere.
constexpr IdentityRecordBytes makeIdentityRecord(uint32_t pluginId, const char* productName, const char* vendorName)
{
    IdentityRecordBytes record {};
    const IdentityMarker marker = identityMarker();
    for (size_t i = 0; i < marker.size(); ++i)
        record[i] = marker[i];
    for (size_t i = 0; i < 4; ++i)
        record[identityPluginIdOffset + i] = static_cast<uint8_t>(pluginId >> (24 - 8 * i));
    const auto padded = [&record](size_t offset, const char* text) {
        size_t i = 0;
        for (; text[i] != 0 && i < identityTextFieldSize; ++i)
            record[offset + i] = static_cast<uint8_t>(text[i]);
        for (; i < identityTextFieldSize; ++i)
            record[offset + i] = ' ';
    };
    padded(identityProductNameOffset, productName);
    record[identityProductNameOffset + identityTextFieldSize] = ' ';
    padded(identityVendorNameOffset, vendorName);
    return record;
}
