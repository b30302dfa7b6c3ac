// The VST 2 entry point. JUCE's wrapper is built with the names it was
// compiled with and shows every output as an unpaired mono pin (the free
// interface headers define the pin flags as 0); this entry wraps JUCE's,
// which the build renames to juceVSTPluginMain, and answers from the identity
// record: unique id, effect and vendor names, versions and the output pins as
// sixteen stereo pairs.

#undef VSTPluginMain

#include <atomic>
#include <cstdint>
#include <cstring>

#include <pluginterfaces/vst2.x/aeffectx.h>

#include "PluginIdentity.h"

extern "C" AEffect* juceVSTPluginMain(audioMasterCallback audioMaster);

namespace
{
// The player's version as VST 2 hosts see it: effect version and vendor version.
constexpr int32_t vst2Version = 259;

// The size of the host's buffer for the effect name, product and vendor strings.
constexpr size_t vst2NameBufferSize = 64;

// Pin property flags of the VST 2 binary interface (the flags of
// effGetOutputProperties), which the free interface headers leave as 0.
constexpr int32_t pinIsActive = 1 << 0;
constexpr int32_t pinIsStereo = 1 << 1;
constexpr int32_t pinUseSpeaker = 1 << 2;

// The pin properties as hosts allocate them: the free headers' fields and
// the 48 reserved bytes that follow them in the published layout.
struct FullPinProperties
{
    VstPinProperties fields;
    char reserved[48];
};
static_assert(sizeof(VstPinProperties) == 80, "pin properties: label, flags, arrangement, short label");

std::atomic<AEffectDispatcherProc> juceDispatcher {nullptr};

void copyName(const juce::String& name, void* into)
{
    // The host's buffer holds 64 bytes: at most 63 bytes of the name and its
    // terminating zero, the name never cut inside a character. (JUCE's own
    // wrapper writes up to 65 bytes, one past the buffer for a long name.)
    if (into != nullptr)
        name.copyToUTF8(static_cast<char*>(into), vst2NameBufferSize);
}

// JUCE labels each pin after its bus ("Output 3 L"); it fills a scratch copy,
// since it writes one byte past the free headers' short label. Every output
// bus is stereo in VST 2, so pins 2n and 2n + 1 are the pair of output n + 1.
t_fstPtrInt outputPinProperties(AEffect* effect, int index, void* into)
{
    if (into == nullptr)
        return 0;
    FullPinProperties scratch {};
    if (juceDispatcher.load()(effect, effGetOutputProperties, index, 0, &scratch, 0.0f) == 0)
        return 0;

    auto& pin = *static_cast<VstPinProperties*>(into);
    std::memset(&pin, 0, sizeof pin);
    std::memcpy(pin.label, scratch.fields.label, sizeof pin.label - 1);
    pin.arrangementType = scratch.fields.arrangementType;
    pin.flags = pinIsActive | pinUseSpeaker | (index % 2 == 0 ? pinIsStereo : 0);
    const auto shortLabel = "Out" + juce::String(index / 2 + 1) + (index % 2 == 0 ? " L" : " R");
    shortLabel.copyToUTF8(pin.shortLabel, sizeof pin.shortLabel);
    return 1;
}

t_fstPtrInt dispatch(AEffect* effect, int opcode, int index, t_fstPtrInt value, void* const ptr, float opt)
{
    const PluginIdentity& identity = pluginIdentity();
    switch (opcode)
    {
    case effGetEffectName:
    case effGetProductString:
        copyName(identity.productName, ptr);
        return 1;
    case effGetVendorString:
        copyName(identity.vendorName, ptr);
        return 1;
    case effGetVendorVersion:
        return vst2Version;
    case effGetOutputProperties:
        return outputPinProperties(effect, index, ptr);
    default:
        return juceDispatcher.load()(effect, opcode, index, value, ptr, opt);
    }
}
} // namespace

extern "C" __attribute__((visibility("default"))) AEffect* VSTPluginMain(audioMasterCallback audioMaster)
{
    AEffect* effect = juceVSTPluginMain(audioMaster);
    if (effect == nullptr)
        return nullptr;
    juceDispatcher.store(effect->dispatcher);
    effect->dispatcher = dispatch;
    effect->uniqueID = static_cast<t_fstInt32>(pluginIdentity().pluginId);
    effect->version = vst2Version;
    return effect;
}
