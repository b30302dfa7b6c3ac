#include "IdentityRecord.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

namespace
{
struct FileCloser
{
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

bool isTrailingWhiteSpace(uint8_t byte)
{
    return byte == ' ' || (byte >= '\t' && byte <= '\r');
}

// Length of the UTF-8 sequence that starts at text[at], 0 when it is not valid
// (overlong forms, surrogates and code points past U+10FFFF included).
size_t utf8SequenceLength(const std::string& text, size_t at)
{
    const auto byte = [&text](size_t i) { return static_cast<uint8_t>(text[i]); };
    const uint8_t lead = byte(at);
    size_t length = 0;
    uint32_t codePoint = 0;
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2, codePoint = lead & 0x1F;
    else if (lead >= 0xE0 && lead <= 0xEF)
        length = 3, codePoint = lead & 0x0F;
    else if (lead >= 0xF0 && lead <= 0xF4)
        length = 4, codePoint = lead & 0x07;
    else
        return 0;
    if (at + length > text.size())
        return 0;
    for (size_t i = 1; i < length; ++i)
    {
        if ((byte(at + i) & 0xC0) != 0x80)
            return 0;
        codePoint = (codePoint << 6) | (byte(at + i) & 0x3F);
    }
    const uint32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (codePoint < smallest[length] || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF))
        return 0;
    return length;
}

uint32_t bigEndian32(const uint8_t* bytes)
{
    return (uint32_t {bytes[0]} << 24) | (uint32_t {bytes[1]} << 16) | (uint32_t {bytes[2]} << 8) | bytes[3];
}

// A long field's text when it counts (see IdentityRecord.h): its zero byte
// within the field and the `available` bytes, a text that is not empty, and
// its first 16 bytes those of the short field. Trailing white space removed.
std::optional<std::string> longIdentityText(const uint8_t* shortField, const uint8_t* longField, size_t available)
{
    const size_t limit = std::min(available, identityLongTextFieldSize);
    const uint8_t* end = std::find(longField, longField + limit, uint8_t {0});
    if (end == longField + limit || end == longField || limit < identityTextFieldSize
        || !std::equal(shortField, shortField + identityTextFieldSize, longField))
        return std::nullopt;
    while (end > longField && isTrailingWhiteSpace(end[-1]))
        --end;
    return std::string(reinterpret_cast<const char*>(longField), static_cast<size_t>(end - longField));
}
} // namespace

std::string readIdentityText(const uint8_t* field, size_t available)
{
    size_t length = 0;
    const size_t limit = std::min(available, identityTextFieldSize);
    while (length < limit && field[length] != 0)
        ++length;
    while (length > 0 && isTrailingWhiteSpace(field[length - 1]))
        --length;
    return std::string(reinterpret_cast<const char*>(field), length);
}

IdentityFields decodeIdentityRecord(const uint8_t* record, size_t available)
{
    IdentityFields fields;
    fields.recordFound = true;
    if (available >= identityPluginIdOffset + 4)
    {
        fields.pluginIdPresent = true;
        fields.pluginId = bigEndian32(record + identityPluginIdOffset);
    }
    fields.hasLongFields =
        available >= identityRecordSizeOffset + 4 && bigEndian32(record + identityRecordSizeOffset) >= identityRecordSize;
    const auto text = [&](size_t offset) {
        return available > offset ? readIdentityText(record + offset, available - offset) : std::string();
    };
    const auto name = [&](size_t shortOffset, size_t longOffset, const std::string& shortText) {
        if (!fields.hasLongFields || available <= longOffset)
            return shortText;
        return longIdentityText(record + shortOffset, record + longOffset, available - longOffset).value_or(shortText);
    };
    fields.shortProductName = text(identityProductNameOffset);
    fields.shortVendorName = text(identityVendorNameOffset);
    fields.productName = name(identityProductNameOffset, identityLongProductNameOffset, fields.shortProductName);
    fields.vendorName = name(identityVendorNameOffset, identityLongVendorNameOffset, fields.shortVendorName);
    return fields;
}

std::vector<uint64_t> findIdentityRecords(const std::string& path, const IdentityMarker& marker, size_t limit)
{
    std::vector<uint64_t> found;
    FileHandle file(std::fopen(path.c_str(), "rb"));
    if (file == nullptr || limit == 0)
        return found;

    // Chunks overlap by one marker less a byte, so a marker across a chunk
    // boundary is still seen whole.
    constexpr size_t chunkSize = size_t {1} << 20;
    std::vector<uint8_t> buffer(chunkSize + marker.size());
    size_t kept = 0;
    uint64_t bufferStart = 0;
    for (;;)
    {
        const size_t got = std::fread(buffer.data() + kept, 1, chunkSize, file.get());
        const size_t filled = kept + got;
        auto from = buffer.begin();
        const auto end = buffer.begin() + static_cast<std::ptrdiff_t>(filled);
        for (;;)
        {
            from = std::search(from, end, marker.begin(), marker.end());
            if (from == end)
                break;
            found.push_back(bufferStart + static_cast<uint64_t>(from - buffer.begin()));
            if (found.size() == limit)
                return found;
            ++from;
        }
        if (got == 0)
            return found;
        kept = std::min(filled, marker.size() - 1);
        std::memmove(buffer.data(), buffer.data() + filled - kept, kept);
        bufferStart += filled - kept;
    }
}

IdentityFields readIdentityFile(const std::string& path, const IdentityMarker& marker,
                                std::optional<uint64_t> hintOffset)
{
    const auto readAt = [&path](uint64_t offset, uint8_t* into, size_t size) -> size_t {
        FileHandle file(std::fopen(path.c_str(), "rb"));
        if (file == nullptr || fseeko(file.get(), static_cast<off_t>(offset), SEEK_SET) != 0)
            return 0;
        return std::fread(into, 1, size, file.get());
    };

    IdentityRecordBytes record {};
    if (hintOffset.has_value())
    {
        const size_t got = readAt(*hintOffset, record.data(), record.size());
        if (got >= marker.size() && std::equal(marker.begin(), marker.end(), record.begin()))
            return decodeIdentityRecord(record.data(), got);
    }
    const std::vector<uint64_t> offsets = findIdentityRecords(path, marker, 1);
    if (offsets.empty())
        return {};
    return decodeIdentityRecord(record.data(), readAt(offsets.front(), record.data(), record.size()));
}

std::string identityTextProblem(const std::string& text)
{
    if (text.size() > identityNameLimit)
        return "is " + std::to_string(text.size()) + " bytes long; a name holds at most " +
               std::to_string(identityNameLimit) + " bytes";
    for (size_t at = 0; at < text.size();)
    {
        const size_t length = utf8SequenceLength(text, at);
        if (length == 0)
            return "is not valid UTF-8";
        const auto byte = static_cast<uint8_t>(text[at]);
        if (length == 1 && (byte < 0x20 || byte == 0x7F))
            return "contains a control character";
        at += length;
    }
    if (!text.empty() && (isTrailingWhiteSpace(static_cast<uint8_t>(text.front()))
                          || isTrailingWhiteSpace(static_cast<uint8_t>(text.back()))))
        return "starts or ends with white space";
    return {};
}

std::string pluginIdTextProblem(const std::string& text)
{
    if (text.size() != 4)
        return "must be four characters";
    for (char c : text)
        if (c <= ' ' || c > '~')
            return "must be printable ASCII characters other than space";
    return {};
}

uint32_t pluginIdFromText(const std::string& fourCharacters)
{
    uint32_t id = 0;
    for (size_t i = 0; i < 4 && i < fourCharacters.size(); ++i)
        id = (id << 8) | static_cast<uint8_t>(fourCharacters[i]);
    return id;
}
