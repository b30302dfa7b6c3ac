#pragma once
#include <cstdint>

#include <juce_core/juce_core.h>

#include "HostIdentity.h"

// The identity a host sees: the plugin id, product name and vendor name read
// at run time from the identity record in the plugin's own library file
// (IdentityRecord.h), so that one compiled player can be shipped under other
// names, and what the plugin formats derive from them.
struct PluginIdentity
{
    uint32_t pluginId = 0x5A535032;  // four-character code, most significant byte first; "ZSP2" when not read
    bool libraryFileRead = false;    // false when the library file or its record could not be read
    juce::String productName;
    juce::String vendorName;
    ClassId vst3ComponentClassId {};
    ClassId vst3ControllerClassId {};
    juce::String lv2Uri;
};

// The library file (shared object or executable) that holds the plugin's code;
// a file that does not exist when it cannot be found.
juce::File ownLibraryFile();

// The identity fields of a library file; empty names when it cannot be read.
PluginIdentity readPluginIdentity(const juce::File& libraryFile);

// The identity of ownLibraryFile(), read once per process.
const PluginIdentity& pluginIdentity();
