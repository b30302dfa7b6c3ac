#include "StateBlock.h"

#include "Utf8Text.h"

#include <cmath>
#include <cstring>

#include "engine/ZInstrument.h"
#include "files/LittleEndian.h"

namespace StateBlock
{
namespace
{
// The instrument settings a state restores, by offset in the settings block;
// the pool, storage and streaming pairs, the player colour and the clip
// setting stay as the instrument file has them.
constexpr size_t restoredSettingOffsets[] = { 32, 36, 40, 44, 48, 52, 56, 60, 64, 68, 72, 76, 80, 84, 92, 96 };
// Those of them that are floats: glide, volume, pan, LFO rate and depth,
// reverb send, cutoff.
constexpr bool isFloatSetting(size_t offset)
{
    return offset == 44 || offset == 48 || offset == 52 || offset == 68 || offset == 72 || offset == 76 || offset == 96;
}

void appendInt32(juce::MemoryBlock& destination, int32_t value)
{
    uint8_t bytes[4];
    writeLittleEndian(bytes, static_cast<uint32_t>(value), 4);
    destination.append(bytes, sizeof bytes);
}

int32_t readInt32(const uint8_t* bytes) { return static_cast<int32_t>(readLittleEndian32(bytes)); }

} // namespace

void takeSnapshot(const ZInstrument& instrument, Snapshot& snapshot)
{
    snapshot.settings = instrument.settings;
    snapshot.groups.clear();
    snapshot.currentGroup = -1;
    for (size_t g = 0; g < instrument.groups.size(); ++g)
    {
        snapshot.groups.push_back(instrument.groups[g]->settings);
        if (instrument.groups[g].get() == instrument.currentGroup && snapshot.currentGroup < 0)
            snapshot.currentGroup = static_cast<int32_t>(g);
    }
}

std::string storedName(const juce::String& name)
{
    std::string bytes = name.toStdString();
    if (bytes.size() <= maxNameBytes)
        return bytes;
    size_t end = maxNameBytes;
    // Step back over continuation bytes to the start of the character cut.
    while (end > 0 && (static_cast<uint8_t>(bytes[end]) & 0xC0) == 0x80)
        --end;
    bytes.resize(end);
    return bytes;
}

void append(juce::MemoryBlock& destination, const juce::String& name, const Snapshot& snapshot)
{
    const std::string nameBytes = storedName(name);
    destination.append(nameBytes.data(), nameBytes.size());
    const uint8_t zero = 0;
    destination.append(&zero, 1);
    destination.append(&snapshot.settings, sizeof snapshot.settings);
    appendInt32(destination, static_cast<int32_t>(snapshot.groups.size()));
    appendInt32(destination, snapshot.currentGroup);
    for (const GroupSettings& group : snapshot.groups)
        destination.append(&group, sizeof group);
}

bool split(const void* data, size_t size, juce::String& name, juce::MemoryBlock& rest)
{
    if (data == nullptr || size == 0)
        return false;
    const auto* bytes = static_cast<const uint8_t*>(data);
    const auto* zero = static_cast<const uint8_t*>(std::memchr(bytes, 0, size));
    if (zero == nullptr)
        return false;
    const auto nameLength = static_cast<size_t>(zero - bytes);
    // Every name this player stores is UTF-8; one that is not names no file
    // it could have saved.
    if (!isWellFormedUtf8(reinterpret_cast<const char*>(bytes), nameLength))
        return false;
    name = juce::String::fromUTF8(reinterpret_cast<const char*>(bytes), static_cast<int>(nameLength));
    rest.replaceAll(zero + 1, size - nameLength - 1);
    return true;
}

void applyTo(ZInstrument& instrument, const juce::MemoryBlock& rest)
{
    const auto* p = static_cast<const uint8_t*>(rest.getData());
    const size_t size = rest.getSize();

    auto* settings = reinterpret_cast<uint8_t*>(&instrument.settings);
    for (const size_t offset : restoredSettingOffsets)
    {
        if (offset + 4 > size)
            continue;
        float value;
        std::memcpy(&value, p + offset, 4);
        // A float that is not a finite number (a damaged block) would make the
        // output not a number: the instrument keeps its own value.
        if (isFloatSetting(offset) && !std::isfinite(value))
            continue;
        std::memcpy(settings + offset, p + offset, 4);
    }
    instrument.applySettings();

    if (size < groupsOffset)
        return;
    const int32_t storedGroups = readInt32(p + groupCountOffset);
    const int32_t current = readInt32(p + currentGroupOffset);
    if (storedGroups < 0 || static_cast<size_t>(storedGroups) != instrument.groups.size())
        return;
    const auto count = static_cast<size_t>(storedGroups);
    if ((size - groupsOffset) / sizeof(GroupSettings) < count)
        return;

    for (ZGroup* active : instrument.activeGroups)
        active->settings.active = 0;
    instrument.activeGroups.clear();
    for (size_t g = 0; g < count; ++g)
    {
        ZGroup& group = *instrument.groups[g];
        std::memcpy(&group.settings, p + groupsOffset + g * sizeof(GroupSettings), sizeof(GroupSettings));
        for (const auto& zone : group.zones)
            zone->updateDerived();
        if (group.settings.active != 0)
            instrument.activateGroup(&group);
    }
    instrument.currentGroup = current >= 0 && current < storedGroups ? instrument.groups[static_cast<size_t>(current)].get() : nullptr;
}
} // namespace StateBlock
