#include "SettingsFields.h"

#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

#include "JsonReader.h"
#include "engine/Settings.h"
#include "engine/ZInstrument.h"

namespace
{
constexpr int64_t int32Min = std::numeric_limits<int32_t>::min();
constexpr int64_t int32Max = std::numeric_limits<int32_t>::max();
constexpr int64_t uint32Max = std::numeric_limits<uint32_t>::max();

constexpr SettingsField intField(const char* name, size_t offset, int64_t minimum = int32Min,
                                 int64_t maximum = int32Max)
{
    return { name, offset, FieldType::int32, minimum, maximum };
}
constexpr SettingsField flagField(const char* name, size_t offset) { return intField(name, offset, 0, 1); }
constexpr SettingsField midiField(const char* name, size_t offset) { return intField(name, offset, 0, 127); }
constexpr SettingsField floatField(const char* name, size_t offset) { return { name, offset, FieldType::float32, 0, 0 }; }
constexpr SettingsField frameField(const char* name, size_t offset) { return { name, offset, FieldType::uint64, 0, 0 }; }

#define AT(Block, field) #field, offsetof(Block, field)

// Stream buffers and voice pools beyond these the player does not build.
constexpr int64_t minStreamFrames = 64;
constexpr int64_t maxStreamFrames = ZInstrument::maxStreamFrames;
constexpr int64_t maxVoices = ZInstrument::maxVoices;

const SettingsField instrumentFields[] = {
    intField(AT(InstrumentSettings, streamBufferFrames), minStreamFrames, maxStreamFrames),
    intField(AT(InstrumentSettings, streamBufferFramesStored), minStreamFrames, maxStreamFrames),
    flagField(AT(InstrumentSettings, sixteenBit)),
    flagField(AT(InstrumentSettings, sixteenBitStored)),
    flagField(AT(InstrumentSettings, diskStreaming)),
    flagField(AT(InstrumentSettings, diskStreamingStored)),
    intField(AT(InstrumentSettings, voiceCount), 1, maxVoices),
    intField(AT(InstrumentSettings, voiceCountStored), 1, maxVoices),
    intField(AT(InstrumentSettings, interpolation), 0, 2),
    intField(AT(InstrumentSettings, velocityCurve), 0, 2),
    intField(AT(InstrumentSettings, voiceMode), 0, 2),
    floatField(AT(InstrumentSettings, glideTime)),
    floatField(AT(InstrumentSettings, volume)),
    floatField(AT(InstrumentSettings, pan)),
    intField(AT(InstrumentSettings, lfoShape), 0, 4),
    intField(AT(InstrumentSettings, lfoDestination), 0, 3),
    intField(AT(InstrumentSettings, lfoDepthSource), 0, 3),
    floatField(AT(InstrumentSettings, lfoRate)),
    floatField(AT(InstrumentSettings, lfoDepth)),
    floatField(AT(InstrumentSettings, reverbSend)),
    intField(AT(InstrumentSettings, velocityFloor)),
    intField(AT(InstrumentSettings, velocityTop)),
    intField(AT(InstrumentSettings, unused88)),
    intField(AT(InstrumentSettings, filterType), 0, 9),
    floatField(AT(InstrumentSettings, filterCutoff)),
    { AT(InstrumentSettings, playerColour), FieldType::uint32, 0, uint32Max },
    flagField(AT(InstrumentSettings, clipOutput)),
};

const SettingsField groupFields[] = {
    intField(AT(GroupSettings, activation), 0, 5),
    intField(AT(GroupSettings, activationChannel), 0, 15),
    midiField(AT(GroupSettings, activationNote)),
    midiField(AT(GroupSettings, activationController)),
    midiField(AT(GroupSettings, activationLow)),
    midiField(AT(GroupSettings, activationHigh)),
    midiField(AT(GroupSettings, activationProgram)),
    intField(AT(GroupSettings, zoneSelection), 0, 3),
    floatField(AT(GroupSettings, attackScale)),
    floatField(AT(GroupSettings, decayScale)),
    floatField(AT(GroupSettings, sustainScale)),
    floatField(AT(GroupSettings, releaseScale)),
    midiField(AT(GroupSettings, lowKey)),
    midiField(AT(GroupSettings, highKey)),
    midiField(AT(GroupSettings, highVelocity)),
    midiField(AT(GroupSettings, lowVelocity)),
    flagField(AT(GroupSettings, releaseTrigger)),
    floatField(AT(GroupSettings, releaseTriggerDecay)),
    floatField(AT(GroupSettings, volume)),
    flagField(AT(GroupSettings, bypass)),
    intField(AT(GroupSettings, output), 0, 15),
    floatField(AT(GroupSettings, pan)),
    flagField(AT(GroupSettings, active)),
};

const SettingsField zoneFields[] = {
    midiField(AT(ZoneSettings, rootKey)),
    midiField(AT(ZoneSettings, lowKey)),
    midiField(AT(ZoneSettings, highKey)),
    midiField(AT(ZoneSettings, highVelocity)),
    midiField(AT(ZoneSettings, lowVelocity)),
    intField(AT(ZoneSettings, playMode), 0, 2),
    frameField(AT(ZoneSettings, startFrame)),
    frameField(AT(ZoneSettings, endFrame)),
    frameField(AT(ZoneSettings, loopStart)),
    frameField(AT(ZoneSettings, loopEnd)),
    floatField(AT(ZoneSettings, volume)),
    floatField(AT(ZoneSettings, pan)),
    floatField(AT(ZoneSettings, attack)),
    floatField(AT(ZoneSettings, decay)),
    floatField(AT(ZoneSettings, sustain)),
    floatField(AT(ZoneSettings, release)),
    floatField(AT(ZoneSettings, tune)),
    flagField(AT(ZoneSettings, fixedPitch)),
    flagField(AT(ZoneSettings, ignoreVelocity)),
    intField(AT(ZoneSettings, exclusiveGroup)),
};

#undef AT

std::string rangeText(const SettingsField& field)
{
    return "a whole number from " + std::to_string(field.minimum) + " to " + std::to_string(field.maximum);
}

// "0xAARRGGBB" or "#AARRGGBB": the hexadecimal digits of a colour.
bool parseHexText(const std::string& text, uint64_t& value)
{
    size_t start = 0;
    if (text.rfind("0x", 0) == 0 || text.rfind("0X", 0) == 0)
        start = 2;
    else if (text.rfind('#', 0) == 0)
        start = 1;
    else
        return false;
    const char* first = text.data() + start;
    const char* last = text.data() + text.size();
    if (first == last)
        return false;
    const auto [stop, error] = std::from_chars(first, last, value, 16);
    return error == std::errc() && stop == last;
}

bool integerValue(const SettingsField& field, const JsonValue& value, int64_t& result, std::string& error)
{
    const bool isFlag = field.minimum == 0 && field.maximum == 1;
    if (value.isBoolean() && isFlag)
    {
        result = value.booleanValue ? 1 : 0;
        return true;
    }
    if (value.isString() && field.type == FieldType::uint32)
    {
        uint64_t hex = 0;
        if (parseHexText(value.stringValue, hex) && hex <= static_cast<uint64_t>(field.maximum))
        {
            result = static_cast<int64_t>(hex);
            return true;
        }
        error = "expected a colour such as \"0xff203040\" or a whole number from 0 to 4294967295";
        return false;
    }
    const auto whole = value.asInt64();
    if (whole && *whole >= field.minimum && *whole <= field.maximum)
    {
        result = *whole;
        return true;
    }
    error = "expected " + rangeText(field) + (isFlag ? " (or true/false)" : "");
    if (!value.isNumber())
        error += ", not " + std::string(JsonValue::describe(value.kind));
    else
        error += ", not " + value.numberText;
    return false;
}
} // namespace

std::span<const SettingsField> instrumentSettingsFields() { return instrumentFields; }
std::span<const SettingsField> groupSettingsFields() { return groupFields; }
std::span<const SettingsField> zoneSettingsFields() { return zoneFields; }

const SettingsField* findSettingsField(std::span<const SettingsField> fields, const std::string& name)
{
    for (const SettingsField& field : fields)
        if (name == field.name)
            return &field;
    return nullptr;
}

bool setSettingsField(void* block, const SettingsField& field, const JsonValue& value, std::string& error)
{
    auto* at = static_cast<uint8_t*>(block) + field.offset;
    switch (field.type)
    {
    case FieldType::float32:
    {
        const auto number = value.asDouble();
        if (!number || std::fabs(*number) > FLT_MAX)
        {
            error = "expected a number";
            if (!value.isNumber())
                error += ", not " + std::string(JsonValue::describe(value.kind));
            return false;
        }
        const auto stored = static_cast<float>(*number);
        std::memcpy(at, &stored, sizeof stored);
        return true;
    }
    case FieldType::uint64:
    {
        const auto frame = value.asUInt64();
        if (!frame)
        {
            error = "expected a frame number from 0 to 18446744073709551615";
            if (!value.isNumber())
                error += ", not " + std::string(JsonValue::describe(value.kind));
            return false;
        }
        std::memcpy(at, &*frame, sizeof(uint64_t));
        return true;
    }
    case FieldType::int32:
    case FieldType::uint32:
    {
        int64_t whole = 0;
        if (!integerValue(field, value, whole, error))
            return false;
        const auto bits = static_cast<uint32_t>(whole);
        std::memcpy(at, &bits, sizeof bits);
        return true;
    }
    }
    return false;
}
