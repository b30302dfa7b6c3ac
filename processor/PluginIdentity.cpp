#include "PluginIdentity.h"

#include <dlfcn.h>

// Provisional: the identity record inside the library file arrives with the
// branding work; until then the built-in names are reported.

juce::File ownLibraryFile()
{
    Dl_info info {};
    if (dladdr(reinterpret_cast<const void*>(&ownLibraryFile), &info) == 0 || info.dli_fname == nullptr)
        return {};
    return juce::File(juce::String::fromUTF8(info.dli_fname));
}

PluginIdentity readPluginIdentity(const juce::File& libraryFile)
{
    PluginIdentity identity;
    if (!libraryFile.existsAsFile())
        return identity;
    identity.libraryFileRead = true;
    identity.pluginId = 0x5A535032; // "ZSP2"
    identity.productName = "Zarvo Sampler Player";
    identity.vendorName = "Zarvo";
    return identity;
}

const PluginIdentity& pluginIdentity()
{
    static const PluginIdentity identity = readPluginIdentity(ownLibraryFile());
    return identity;
}
