#include "IdentityReport.h"

#include <cstdio>
#include <cstring>

#include "HostIdentity.h"

namespace Vst2
{
#include <pluginterfaces/vst2.x/aeffectx.h>
}

#define JUCE_VST3HEADERS_INCLUDE_HEADERS_ONLY 1
#include <juce_audio_processors/format_types/juce_VST3Headers.h>

namespace
{
struct NativeIdentity : juce::ExtensionsVisitor
{
    void visitVSTClient(const VSTClient& client) override
    {
        auto* effect = reinterpret_cast<Vst2::AEffect*>(client.getAEffectPtr());
        const auto vendorVersion = effect->dispatcher(effect, Vst2::effGetVendorVersion, 0, 0, nullptr, 0.0f);
        std::printf("Unique id:    %s (effect version %d, vendor version %ld)\n",
                    pluginIdText(static_cast<uint32_t>(effect->uniqueID)).c_str(), effect->version,
                    static_cast<long>(vendorVersion));
    }

    void visitVST3Client(const VST3Client& client) override
    {
        Steinberg::TUID controller {};
        client.getIComponentPtr()->getControllerClassId(controller);
        ClassId bytes;
        std::memcpy(bytes.data(), controller, bytes.size());
        std::printf("Controller:   class id %s\n", classIdBytesText(bytes).c_str());
    }
};
} // namespace

void printFormatIdentity(const juce::PluginDescription& description, juce::AudioPluginInstance& plugin)
{
    NativeIdentity visitor;
    plugin.getExtensions(visitor);
    if (description.pluginFormatName == "LV2")
        std::printf("Plugin URI:   %s\n", description.fileOrIdentifier.toRawUTF8());
}
