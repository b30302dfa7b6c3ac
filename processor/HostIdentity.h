#pragma once
// What hosts see of a plugin identity: the VST 3 class ids and the LV2 URI,
// derived from the plugin id and the names of the identity record. Plain C++:
// the plugin wrappers, zsp-brand and the probes share it.

#include <array>
#include <cstdint>
#include <string>

using ClassId = std::array<uint8_t, 16>;

enum class Vst3Class
{
    component,   // the processor component, "Audio Module Class"
    controller,  // the edit controller, "Component Controller Class"
};

// The class id text: "%06X" of 0x565354 (component) or 0x565345 (controller),
// "%08X" of the plugin id, then "%02X" of each of the first nine bytes of the
// product name with A-Z lower-cased, 00 past the end of the name. Bytes count
// as unsigned, so every name gives 32 digits.
std::string classIdText(Vst3Class kind, uint32_t pluginId, const std::string& productName);

// The 16 bytes of a class id text in the COM-compatible layout: the first 8
// digits a 32-bit value, the next two groups of 4 digits 16-bit values (each
// stored least significant byte first), the last 16 digits 8 single bytes.
// A text that is not exactly 32 hexadecimal digits gives an id of zeros.
ClassId classIdFromText(const std::string& text);

ClassId classId(Vst3Class kind, uint32_t pluginId, const std::string& productName);

// The id as 32 hexadecimal digits in byte order, as a VST 3 host on this
// platform writes it.
std::string classIdBytesText(const ClassId& id);

// The plugin id as its four characters when they are ASCII letters or digits,
// else as 8 hexadecimal digits.
std::string pluginIdText(uint32_t pluginId);

// The LV2 plugin URI of an identity: the player's URI, then
// "/<vendor>/<product>/<plugin id>", the names as lower-case ASCII letters and
// digits with every other run of bytes turned into one "-" ("unnamed" when
// nothing is left), the id as pluginIdText. The player's own URI
// (playerLv2Uri) names what every brand shares: parameters, port groups and
// state keys.
std::string lv2PluginUri(uint32_t pluginId, const std::string& vendorName, const std::string& productName);
std::string playerLv2Uri();
