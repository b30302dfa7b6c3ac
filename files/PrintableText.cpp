#include "files/PrintableText.h"

#include <cstdint>

namespace
{
// The length of the valid UTF-8 sequence at `at` that encodes a printable
// character, or 0.
size_t printableSequence(const std::string& text, size_t at)
{
    const auto byte = [&text](size_t k) { return static_cast<uint8_t>(text[k]); };
    const uint8_t lead = byte(at);
    if (lead >= 0x20 && lead < 0x7F)
        return 1;
    size_t length = 0;
    uint32_t code = 0;
    if (lead >= 0xC2 && lead <= 0xDF)
    {
        length = 2;
        code = lead & 0x1F;
    }
    else if (lead >= 0xE0 && lead <= 0xEF)
    {
        length = 3;
        code = lead & 0x0F;
    }
    else if (lead >= 0xF0 && lead <= 0xF4)
    {
        length = 4;
        code = lead & 0x07;
    }
    else
        return 0;
    if (at + length > text.size())
        return 0;
    for (size_t k = 1; k < length; ++k)
    {
        if ((byte(at + k) & 0xC0) != 0x80)
            return 0;
        code = (code << 6) | (byte(at + k) & 0x3F);
    }
    const uint32_t smallest[] = { 0, 0, 0x80, 0x800, 0x10000 };
    const bool valid = code >= smallest[length] && code <= 0x10FFFF && !(code >= 0xD800 && code <= 0xDFFF);
    // C1 controls and the line and paragraph separators act on a terminal too.
    const bool control = (code >= 0x80 && code <= 0x9F) || code == 0x2028 || code == 0x2029;
    return valid && !control ? length : 0;
}
} // namespace

std::string printableText(const std::string& bytes)
{
    static const char hex[] = "0123456789abcdef";
    std::string out;
    for (size_t at = 0; at < bytes.size();)
    {
        const char c = bytes[at];
        if (const size_t length = printableSequence(bytes, at))
        {
            out.append(bytes, at, length);
            at += length;
            continue;
        }
        if (c == '\n')
            out += "\\n";
        else if (c == '\t')
            out += "\\t";
        else if (c == '\r')
            out += "\\r";
        else
        {
            const auto value = static_cast<uint8_t>(c);
            out += "\\x";
            out += hex[value >> 4];
            out += hex[value & 15];
        }
        ++at;
    }
    return out;
}

std::string quotedText(const std::string& bytes)
{
    return "\"" + printableText(bytes) + "\"";
}
