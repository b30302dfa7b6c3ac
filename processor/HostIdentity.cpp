#include "HostIdentity.h"

#include <cstdio>

#ifndef ZSP_PLAYER_LV2_URI
#error "ZSP_PLAYER_LV2_URI names the player's LV2 URI (set by processor/CMakeLists.txt)"
#endif

namespace
{
int hexDigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

std::string slug(const std::string& name)
{
    std::string out;
    bool pendingDash = false;
    for (char c : name)
    {
        const bool keep = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        if (!keep)
        {
            pendingDash = !out.empty();
            continue;
        }
        if (pendingDash)
            out += '-';
        pendingDash = false;
        out += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    }
    return out.empty() ? "unnamed" : out;
}
} // namespace

std::string classIdText(Vst3Class kind, uint32_t pluginId, const std::string& productName)
{
    char text[33];
    std::snprintf(text, sizeof text, "%06X%08X", kind == Vst3Class::component ? 0x565354u : 0x565345u,
                  static_cast<unsigned>(pluginId));
    std::string out = text;
    for (size_t i = 0; i < 9; ++i)
    {
        unsigned byte = i < productName.size() ? static_cast<uint8_t>(productName[i]) : 0u;
        if (byte >= 'A' && byte <= 'Z')
            byte += 'a' - 'A';
        std::snprintf(text, sizeof text, "%02X", byte);
        out += text;
    }
    return out;
}

ClassId classIdFromText(const std::string& text)
{
    ClassId id {};
    if (text.size() != 32)
        return id;
    uint8_t digits[16];
    for (size_t i = 0; i < 16; ++i)
    {
        const int high = hexDigitValue(text[2 * i]);
        const int low = hexDigitValue(text[2 * i + 1]);
        if (high < 0 || low < 0)
            return id;
        digits[i] = static_cast<uint8_t>(high * 16 + low);
    }
    // The text's byte order in the COM layout: a 32-bit and two 16-bit values
    // least significant byte first, then eight bytes as they stand.
    constexpr size_t order[16] = {3, 2, 1, 0, 5, 4, 7, 6, 8, 9, 10, 11, 12, 13, 14, 15};
    for (size_t i = 0; i < 16; ++i)
        id[i] = digits[order[i]];
    return id;
}

ClassId classId(Vst3Class kind, uint32_t pluginId, const std::string& productName)
{
    return classIdFromText(classIdText(kind, pluginId, productName));
}

std::string classIdBytesText(const ClassId& id)
{
    std::string out;
    char digits[3];
    for (uint8_t byte : id)
    {
        std::snprintf(digits, sizeof digits, "%02X", byte);
        out += digits;
    }
    return out;
}

std::string pluginIdText(uint32_t pluginId)
{
    std::string characters;
    for (int shift = 24; shift >= 0; shift -= 8)
    {
        const char c = static_cast<char>(pluginId >> shift);
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')))
        {
            char hex[9];
            std::snprintf(hex, sizeof hex, "%08X", static_cast<unsigned>(pluginId));
            return hex;
        }
        characters += c;
    }
    return characters;
}

std::string playerLv2Uri()
{
    return ZSP_PLAYER_LV2_URI;
}

std::string lv2PluginUri(uint32_t pluginId, const std::string& vendorName, const std::string& productName)
{
    return playerLv2Uri() + "/" + slug(vendorName) + "/" + slug(productName) + "/" + pluginIdText(pluginId);
}
