#include "Utf8Text.h"

namespace
{
// The length of the well-formed sequence at `at`, or 0.
size_t sequenceLength(const unsigned char* at, size_t available)
{
    const unsigned char lead = at[0];
    size_t length = 0;
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF)
        length = 3;
    else if (lead >= 0xF0 && lead <= 0xF4)
        length = 4;
    else
        return 0;
    if (length > available)
        return 0;
    for (size_t k = 1; k < length; ++k)
        if ((at[k] & 0xC0) != 0x80)
            return 0;
    return length;
}
} // namespace

bool isWellFormedUtf8(const char* bytes, size_t size)
{
    const auto* at = reinterpret_cast<const unsigned char*>(bytes);
    for (size_t k = 0; k < size;)
    {
        const size_t length = sequenceLength(at + k, size - k);
        if (length == 0)
            return false;
        k += length;
    }
    return true;
}

juce::String textOfUtf8(const std::string& bytes)
{
    std::string wellFormed;
    wellFormed.reserve(bytes.size());
    const auto* at = reinterpret_cast<const unsigned char*>(bytes.data());
    for (size_t k = 0; k < bytes.size();)
    {
        const size_t length = sequenceLength(at + k, bytes.size() - k);
        if (length == 0)
        {
            wellFormed += "\xEF\xBF\xBD";
            ++k;
            continue;
        }
        wellFormed.append(bytes, k, length);
        k += length;
    }
    return juce::String::fromUTF8(wellFormed.data(), static_cast<int>(wellFormed.size()));
}
