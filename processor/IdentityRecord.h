#pragma once
// The identity record: one fixed block of bytes in the plugin library's
// read-only data that names the plugin to hosts. A publisher rewrites it in
// a copy of the library (tools/zsp-brand) to ship the same player under its
// own name. The record starts with a marker, so a reader finds it in the
// library file without knowing the file's layout; the fields lie at fixed
// offsets from the record's start:
//
//   offset  size  field
//        0    32  marker (never changed)
//       78     4  plugin id, most significant byte first (a four-character code)
//       82    16  product name, 8-bit text padded with spaces or ended by a zero byte
//       98     1  not read
//       99    16  vendor name, as the product name
//      124     4  record size, most significant byte first: 256 (the 128-byte
//                 records of earlier builds have 0 here and no long names)
//      128    64  long product name: UTF-8 ended by a zero byte, at most 63 bytes of text
//      192    64  long vendor name, as the long product name
//
// Long names. The 16-byte fields are too short for many names ("Zarvo
// Sampler Player" has 20 bytes), so a writer puts the first 16 bytes of a
// longer name in the short field and the whole name in the long field. A
// long field counts only when the record has long fields, its text is not
// empty, its zero byte lies inside the field and inside the data read, and
// its first 16 bytes are byte for byte the 16 bytes of its short field; the
// name is then the long field's text up to its zero byte, trailing white
// space removed. Otherwise the short field's own rule holds, so a tool that
// rewrites only a short field at its documented offset gets exactly what it
// wrote.
//
// Plain C++: the plugin, zsp-brand and the probes share it.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

constexpr size_t identityMarkerSize = 32;
constexpr size_t identityPluginIdOffset = 78;
constexpr size_t identityProductNameOffset = 82;
constexpr size_t identityVendorNameOffset = 99;
constexpr size_t identityTextFieldSize = 16;
constexpr size_t identityFieldsEnd = identityVendorNameOffset + identityTextFieldSize;
constexpr size_t identityRecordSizeOffset = 124;
constexpr size_t identityLongProductNameOffset = 128;
constexpr size_t identityLongVendorNameOffset = 192;
constexpr size_t identityLongTextFieldSize = 64;
constexpr size_t identityRecordSize = 256;
// The longest name a record holds: the long field less its zero byte.
constexpr size_t identityNameLimit = identityLongTextFieldSize - 1;

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

// The fields as a reader finds them.
struct IdentityFields
{
    bool recordFound = false;      // false: no record in the file, or no file
    bool pluginIdPresent = false;  // false when the data ends inside the plugin id
    bool hasLongFields = false;    // the record declares long names (records of earlier builds do not)
    uint32_t pluginId = fallbackPluginId;
    std::string productName;       // the name hosts see: the long field when it counts, else the short field
    std::string vendorName;
    std::string shortProductName;  // the short fields' own reading: up to a zero byte, trailing white space removed
    std::string shortVendorName;
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

// Problems with a name a publisher wants in a record, or an empty text when
// it fits: it must be valid UTF-8 of at most 63 bytes, without control
// characters and without white space at either end (a reader would drop
// trailing white space, so the host would see another name).
std::string identityTextProblem(const std::string& text);

// Problems with a plugin id given as text, or an empty text when it is four
// printable ASCII characters other than space.
std::string pluginIdTextProblem(const std::string& text);
uint32_t pluginIdFromText(const std::string& fourCharacters);

// The record size a record declares (0 in the records of earlier builds).
constexpr uint32_t declaredIdentityRecordSize(const IdentityRecordBytes& record)
{
    uint32_t size = 0;
    for (size_t i = 0; i < 4; ++i)
        size = (size << 8) | record[identityRecordSizeOffset + i];
    return size;
}

constexpr bool declaresLongNames(const IdentityRecordBytes& record)
{
    return declaredIdentityRecordSize(record) >= identityRecordSize;
}

// Writes the plugin id and the names into a record. Each short field gets the
// name's first 16 bytes, padded with spaces when it is shorter; when the
// record has long fields, each long field gets the whole name when it is
// longer than 16 bytes and is all zero otherwise. The short field holds
// exactly those 16 bytes even when they end inside a UTF-8 character: the
// long field counts only when its first 16 bytes match the short field, and
// hosts see the long field, which is whole. The names must have passed
// identityTextProblem; a record without long fields takes names of at most
// 16 bytes.
constexpr void encodeIdentityFields(IdentityRecordBytes& record, uint32_t pluginId, std::string_view productName,
                                    std::string_view vendorName)
{
    for (size_t i = 0; i < 4; ++i)
        record[identityPluginIdOffset + i] = static_cast<uint8_t>(pluginId >> (24 - 8 * i));
    const bool longFields = declaresLongNames(record);
    const auto write = [&record, longFields](size_t shortOffset, size_t longOffset, std::string_view name) {
        for (size_t i = 0; i < identityTextFieldSize; ++i)
            record[shortOffset + i] = i < name.size() ? static_cast<uint8_t>(name[i]) : uint8_t {' '};
        if (!longFields)
            return;
        const size_t longLength = name.size() > identityTextFieldSize ? name.size() : 0;
        for (size_t i = 0; i < identityLongTextFieldSize; ++i)
            record[longOffset + i] = i < longLength && i < identityNameLimit ? static_cast<uint8_t>(name[i]) : 0;
    };
    write(identityProductNameOffset, identityLongProductNameOffset, productName);
    write(identityVendorNameOffset, identityLongVendorNameOffset, vendorName);
}

// The record of a plugin build: marker, record size, fields, zero bytes
// elsewhere but a space in the byte between the short names.
constexpr IdentityRecordBytes makeIdentityRecord(uint32_t pluginId, std::string_view productName,
                                                 std::string_view vendorName)
{
    IdentityRecordBytes record {};
    const IdentityMarker marker = identityMarker();
    for (size_t i = 0; i < marker.size(); ++i)
        record[i] = marker[i];
    for (size_t i = 0; i < 4; ++i)
        record[identityRecordSizeOffset + i] = static_cast<uint8_t>(identityRecordSize >> (24 - 8 * i));
    record[identityProductNameOffset + identityTextFieldSize] = ' ';
    encodeIdentityFields(record, pluginId, productName, vendorName);
    return record;
}
