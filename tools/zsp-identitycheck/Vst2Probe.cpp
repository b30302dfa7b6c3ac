// VST 2: the library's VSTPluginMain with a minimal host callback, then the
// identity opcodes and the output pins.

#include "IdentityProbe.h"

#include <cstring>
#include <dlfcn.h>

#include "HostIdentity.h"

#include <pluginterfaces/vst2.x/aeffectx.h>

namespace
{
// Published VST 2 values the free headers leave as 0.
constexpr int pinIsActive = 1 << 0;
constexpr int pinIsStereo = 1 << 1;
constexpr int pinUseSpeaker = 1 << 2;
constexpr int stereoArrangement = 1;

// The pin properties as a host allocates them, with the reserved tail.
struct HostPinProperties
{
    VstPinProperties fields;
    char reserved[48];
};

t_fstPtrInt hostCallback(AEffect*, int opcode, int, t_fstPtrInt, void*, float)
{
    return opcode == audioMasterVersion ? 2400 : 0;
}

// A name the plugin writes into the host's 64-byte buffer (char[64] in the
// published interface); the bytes after it must stay as the host left them.
std::string textOf(AEffect* effect, int opcode, ProbeReport& report)
{
    constexpr size_t bufferSize = 64;
    char text[256];
    std::memset(text, 0x55, sizeof text);
    effect->dispatcher(effect, opcode, 0, 0, text, 0.0f);
    const size_t length = strnlen(text, bufferSize);
    report.check(length < bufferSize, "opcode " + std::to_string(opcode) + " wrote a name without a zero byte in 64 bytes");
    report.check(static_cast<unsigned char>(text[bufferSize]) == 0x55,
                 "opcode " + std::to_string(opcode) + " wrote past the host's 64-byte buffer");
    return std::string(text, length);
}

void probePins(AEffect* effect, ProbeReport& report)
{
    report.check(effect->numInputs == 0 && effect->numOutputs == 32,
                 "inputs/outputs are " + std::to_string(effect->numInputs) + "/" + std::to_string(effect->numOutputs)
                     + ", expected 0/32");
    int stereoPairs = 0;
    for (int pin = 0; pin < effect->numOutputs; ++pin)
    {
        HostPinProperties props;
        std::memset(&props, 0x55, sizeof props);
        if (effect->dispatcher(effect, effGetOutputProperties, pin, 0, &props, 0.0f) == 0)
        {
            report.check(false, "no properties for output pin " + std::to_string(pin));
            continue;
        }
        const bool left = pin % 2 == 0;
        const std::string label(props.fields.label, strnlen(props.fields.label, sizeof props.fields.label));
        const std::string expectedLabel = "Output " + std::to_string(pin / 2 + 1) + (left ? " L" : " R");
        const int expectedFlags = pinIsActive | pinUseSpeaker | (left ? pinIsStereo : 0);
        report.check(label == expectedLabel, "pin " + std::to_string(pin) + " is labelled \"" + label + "\"");
        report.check(props.fields.flags == expectedFlags,
                     "pin " + std::to_string(pin) + " has flags " + std::to_string(props.fields.flags));
        report.check(props.fields.arrangementType == stereoArrangement,
                     "pin " + std::to_string(pin) + " has arrangement " + std::to_string(props.fields.arrangementType));
        report.check(strnlen(props.fields.shortLabel, sizeof props.fields.shortLabel) < sizeof props.fields.shortLabel,
                     "pin " + std::to_string(pin) + " has an unterminated short label");
        report.check(static_cast<unsigned char>(props.reserved[0]) == 0x55,
                     "pin " + std::to_string(pin) + " was written past its fields");
        stereoPairs += left && props.fields.flags == expectedFlags && label == expectedLabel ? 1 : 0;
    }
    HostPinProperties past {};
    report.check(effect->dispatcher(effect, effGetOutputProperties, effect->numOutputs, 0, &past, 0.0f) == 0,
                 "a pin past the last output has properties");
    report.value("Output pins:", std::to_string(stereoPairs) + " stereo pairs, \"Output 1 L\"/\"Output 1 R\" to \"Output "
                                     + std::to_string(effect->numOutputs / 2) + " R\"");
}
} // namespace

void probeVst2(void* library, const std::string& libraryPath, const ExpectedIdentity& expected, ProbeReport& report)
{
    const RecordSeen record = probeRecord(libraryPath, expected, report);
    using Entry = AEffect* (*)(audioMasterCallback);
    const auto entry = reinterpret_cast<Entry>(dlsym(library, "VSTPluginMain"));
    report.check(entry != nullptr, "no VSTPluginMain");
    report.check(dlsym(library, "main") == nullptr, "the library exports \"main\", which bypasses the identity");
    if (entry == nullptr)
        return;
    AEffect* effect = entry(hostCallback);
    report.check(effect != nullptr && effect->magic == 0x56737450, "VSTPluginMain gave no effect");
    if (effect == nullptr || effect->magic != 0x56737450)
        return;
    effect->dispatcher(effect, effOpen, 0, 0, nullptr, 0.0f);

    const auto uniqueId = static_cast<uint32_t>(effect->uniqueID);
    const std::string effectName = textOf(effect, effGetEffectName, report);
    const std::string product = textOf(effect, effGetProductString, report);
    const std::string vendor = textOf(effect, effGetVendorString, report);
    const auto vendorVersion = effect->dispatcher(effect, effGetVendorVersion, 0, 0, nullptr, 0.0f);
    report.value("Unique id:", pluginIdText(uniqueId));
    report.value("Effect name:", effectName);
    report.value("Product string:", product);
    report.value("Vendor string:", vendor);
    report.value("Versions:", "effect " + std::to_string(effect->version) + ", vendor " + std::to_string(vendorVersion));

    report.check(uniqueId == (record.readable ? record.pluginId : 0x5A535032u), "the unique id differs from the record");
    report.check(effectName == record.productName && product == record.productName,
                 "the effect name or product string differs from the record");
    report.check(vendor == record.vendorName, "the vendor string differs from the record");
    report.check(effect->version == 259 && vendorVersion == 259, "the versions are not 259");
    report.expect(expected.pluginId, pluginIdText(uniqueId), "unique id");
    report.expect(expected.productName, effectName, "effect name");
    report.expect(expected.vendorName, vendor, "vendor string");
    probePins(effect, report);

    effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
}
