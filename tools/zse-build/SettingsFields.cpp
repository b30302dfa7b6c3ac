#include "SettingsFields.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
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

// Sane bounds of the float settings: levels in dB, times in milliseconds.
constexpr double lowestDb = -144.0;  // below the quietest 24-bit sample
constexpr double highestGainDb = 24.0;
constexpr double longestMs = 600000.0;  // ten minutes
constexpr double largestScale = 10.0;
constexpr double widestTuneCents = 4800.0;
constexpr double fastestLfoHz = 100.0;

constexpr const char* interpolationNames[] = { "Low", "Mid", "High" };
constexpr const char* velocityCurveNames[] = { "Normal", "Weak", "Strong" };
constexpr const char* voiceModeNames[] = { "Poly", "Mono", "Legato" };
constexpr const char* lfoShapeNames[] = { "Triangle", "Sin", "Saw", "Square", "Exponent" };
constexpr const char* lfoDestinationNames[] = { "None", "Pitch", "Expression", "Pan" };
constexpr const char* lfoDepthSourceNames[] = { "None", "Mod Wheel", "After Touch", "Velocity" };
constexpr const char* filterTypeNames[] = { "None",      "Low Pass", "High Pass", "Band Pass Skirt", "Band Pass Peak",
                                            "Notch",     "All Pass", "Peaking",   "Low Shelf",       "High Shelf" };
constexpr const char* activationNames[] = { "Always", "Channel", "Note", "Controller", "Program", "Manual" };
constexpr const char* zoneSelectionNames[] = { "Stack", "Round Robin", "Random Robin", "Total Random" };
constexpr const char* playModeNames[] = { "Play To End", "One Shot", "Loop" };

constexpr SettingsField intField(const char* name, size_t offset, int64_t minimum = int32Min,
                                 int64_t maximum = int32Max)
{
    return { name, offset, FieldType::int32, minimum, maximum, 0.0, 0.0, {} };
}
template <size_t count>
constexpr SettingsField choiceField(const char* name, size_t offset, const char* const (&names)[count])
{
    return { name, offset, FieldType::int32, 0, static_cast<int64_t>(count) - 1, 0.0, 0.0, names };
}
constexpr SettingsField flagField(const char* name, size_t offset) { return intField(name, offset, 0, 1); }
constexpr SettingsField midiField(const char* name, size_t offset) { return intField(name, offset, 0, 127); }
constexpr SettingsField floatField(const char* name, size_t offset, double lowest, double highest)
{
    return { name, offset, FieldType::float32, 0, 0, lowest, highest, {} };
}
constexpr SettingsField frameField(const char* name, size_t offset)
{
    return { name, offset, FieldType::uint64, 0, 0, 0.0, 0.0, {} };
}
constexpr SettingsField levelField(const char* name, size_t offset)
{
    return floatField(name, offset, lowestDb, highestGainDb);
}
constexpr SettingsField timeField(const char* name, size_t offset) { return floatField(name, offset, 0.0, longestMs); }
constexpr SettingsField scaleField(const char* name, size_t offset) { return floatField(name, offset, 0.0, largestScale); }
constexpr SettingsField panField(const char* name, size_t offset) { return floatField(name, offset, -1.0, 1.0); }
constexpr SettingsField unitField(const char* name, size_t offset) { return floatField(name, offset, 0.0, 1.0); }

#define AT(Block, field) #field, offsetof(Block, field)

// Stream buffers and voice pools beyond these the player does not build.
constexpr int64_t minStreamFrames = ZInstrument::minStreamFrames;
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
    choiceField(AT(InstrumentSettings, interpolation), interpolationNames),
    choiceField(AT(InstrumentSettings, velocityCurve), velocityCurveNames),
    choiceField(AT(InstrumentSettings, voiceMode), voiceModeNames),
    timeField(AT(InstrumentSettings, glideTime)),
    levelField(AT(InstrumentSettings, volume)),
    panField(AT(InstrumentSettings, pan)),
    choiceField(AT(InstrumentSettings, lfoShape), lfoShapeNames),
    choiceField(AT(InstrumentSettings, lfoDestination), lfoDestinationNames),
    choiceField(AT(InstrumentSettings, lfoDepthSource), lfoDepthSourceNames),
    floatField(AT(InstrumentSettings, lfoRate), 0.0, fastestLfoHz),
    unitField(AT(InstrumentSettings, lfoDepth)),
    unitField(AT(InstrumentSettings, reverbSend)),
    intField(AT(InstrumentSettings, velocityFloor), static_cast<int64_t>(lowestDb), static_cast<int64_t>(highestGainDb)),
    intField(AT(InstrumentSettings, velocityTop), static_cast<int64_t>(lowestDb), static_cast<int64_t>(highestGainDb)),
    intField(AT(InstrumentSettings, unused88)),
    choiceField(AT(InstrumentSettings, filterType), filterTypeNames),
    unitField(AT(InstrumentSettings, filterCutoff)),
    { AT(InstrumentSettings, playerColour), FieldType::uint32, 0, uint32Max, 0.0, 0.0, {} },
    flagField(AT(InstrumentSettings, clipOutput)),
};

const SettingsField groupFields[] = {
    choiceField(AT(GroupSettings, activation), activationNames),
    intField(AT(GroupSettings, activationChannel), 0, 15),
    midiField(AT(GroupSettings, activationNote)),
    midiField(AT(GroupSettings, activationController)),
    midiField(AT(GroupSettings, activationLow)),
    midiField(AT(GroupSettings, activationHigh)),
    midiField(AT(GroupSettings, activationProgram)),
    choiceField(AT(GroupSettings, zoneSelection), zoneSelectionNames),
    scaleField(AT(GroupSettings, attackScale)),
    scaleField(AT(GroupSettings, decayScale)),
    scaleField(AT(GroupSettings, sustainScale)),
    scaleField(AT(GroupSettings, releaseScale)),
    midiField(AT(GroupSettings, lowKey)),
    midiField(AT(GroupSettings, highKey)),
    midiField(AT(GroupSettings, highVelocity)),
    midiField(AT(GroupSettings, lowVelocity)),
    flagField(AT(GroupSettings, releaseTrigger)),
    timeField(AT(GroupSettings, releaseTriggerDecay)),
    levelField(AT(GroupSettings, volume)),
    flagField(AT(GroupSettings, bypass)),
    intField(AT(GroupSettings, output), 0, 15),
    panField(AT(GroupSettings, pan)),
    flagField(AT(GroupSettings, active)),
};

const SettingsField zoneFields[] = {
    midiField(AT(ZoneSettings, rootKey)),
    midiField(AT(ZoneSettings, lowKey)),
    midiField(AT(ZoneSettings, highKey)),
    midiField(AT(ZoneSettings, highVelocity)),
    midiField(AT(ZoneSettings, lowVelocity)),
    choiceField(AT(ZoneSettings, playMode), playModeNames),
    frameField(AT(ZoneSettings, startFrame)),
    frameField(AT(ZoneSettings, endFrame)),
    frameField(AT(ZoneSettings, loopStart)),
    frameField(AT(ZoneSettings, loopEnd)),
    levelField(AT(ZoneSettings, volume)),
    panField(AT(ZoneSettings, pan)),
    timeField(AT(ZoneSettings, attack)),
    timeField(AT(ZoneSettings, decay)),
    floatField(AT(ZoneSettings, sustain), lowestDb, 0.0),
    timeField(AT(ZoneSettings, release)),
    floatField(AT(ZoneSettings, tune), -widestTuneCents, widestTuneCents),
    flagField(AT(ZoneSettings, fixedPitch)),
    flagField(AT(ZoneSettings, ignoreVelocity)),
    intField(AT(ZoneSettings, exclusiveGroup)),
};

#undef AT

size_t byteWidth(FieldType type) { return type == FieldType::uint64 ? 8 : 4; }

// "Round-Robin", "round robin" and "roundRobin" are all "roundrobin".
std::string choiceKey(const std::string& text)
{
    std::string key;
    for (char c : text)
        if (c != ' ' && c != '-' && c != '_')
            key += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return key;
}

std::string numberText(double value)
{
    char text[32];
    const auto [end, error] = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed);
    return error == std::errc() ? std::string(text, end) : std::to_string(value);
}

std::string choiceList(const SettingsField& field)
{
    std::string list;
    for (size_t k = 0; k < field.choices.size(); ++k)
        list += std::string(k == 0 ? "" : ", ") + "\"" + field.choices[k] + "\"";
    return list;
}

std::string expectedText(const SettingsField& field)
{
    const bool isFlag = field.minimum == 0 && field.maximum == 1 && field.choices.empty();
    if (!field.choices.empty())
        return "one of " + choiceList(field) + " (or a number from 0 to " + std::to_string(field.maximum) + ")";
    return "a whole number from " + std::to_string(field.minimum) + " to " + std::to_string(field.maximum)
         + (isFlag ? " (or true/false)" : "");
}

std::string notText(const JsonValue& value)
{
    return value.isNumber() ? value.numberText : JsonValue::describe(value.kind);
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
    const bool isFlag = field.minimum == 0 && field.maximum == 1 && field.choices.empty();
    if (value.isBoolean() && isFlag)
    {
        result = value.booleanValue ? 1 : 0;
        return true;
    }
    if (value.isString() && !field.choices.empty())
    {
        const std::string key = choiceKey(value.stringValue);
        for (size_t k = 0; k < field.choices.size(); ++k)
            if (!key.empty() && key == choiceKey(field.choices[k]))
            {
                result = static_cast<int64_t>(k);
                return true;
            }
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
    const bool unknownName = value.isString() && !field.choices.empty();
    error = "expected " + expectedText(field) + ", not " + (unknownName ? "\"" + value.stringValue + "\"" : notText(value));
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
        if (!number)
        {
            error = "expected a number, not " + notText(value);
            return false;
        }
        if (*number < field.lowest || *number > field.highest)
        {
            error = "expected a number from " + numberText(field.lowest) + " to " + numberText(field.highest)
                  + ", not " + value.numberText;
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
            error = "expected a frame number from 0 on, not " + notText(value);
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

std::string settingsFieldText(const void* block, const SettingsField& field)
{
    const auto* at = static_cast<const uint8_t*>(block) + field.offset;
    switch (field.type)
    {
    case FieldType::float32:
    {
        float value = 0.0f;
        std::memcpy(&value, at, sizeof value);
        char text[32];
        const auto [end, error] = std::to_chars(text, text + sizeof text, value);
        return error == std::errc() ? std::string(text, end) : "?";
    }
    case FieldType::uint64:
    {
        uint64_t value = 0;
        std::memcpy(&value, at, sizeof value);
        return std::to_string(value);
    }
    case FieldType::uint32:
    {
        uint32_t value = 0;
        std::memcpy(&value, at, sizeof value);
        char text[16];
        std::snprintf(text, sizeof text, "0x%08x", value);
        return text;
    }
    case FieldType::int32:
    {
        int32_t value = 0;
        std::memcpy(&value, at, sizeof value);
        if (value >= 0 && static_cast<size_t>(value) < field.choices.size())
            return "\"" + std::string(field.choices[static_cast<size_t>(value)]) + "\"";
        return std::to_string(value);
    }
    }
    return "?";
}

bool settingsFieldEqual(const void* a, const void* b, const SettingsField& field)
{
    return std::memcmp(static_cast<const uint8_t*>(a) + field.offset, static_cast<const uint8_t*>(b) + field.offset,
                       byteWidth(field.type))
        == 0;
}
