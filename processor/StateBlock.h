#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include <juce_core/juce_core.h>

#include "engine/Settings.h"

class ZInstrument;

// The plugin state block hosts keep in their projects, little-endian:
//
//   name        UTF-8, at most 1023 bytes, then one zero byte
//   592 bytes   the instrument's settings block
//   int32 G     the number of groups
//   int32 c     the index of the current group, -1 for none
//   580 x G     the settings block of each group, first group first
//
// The name is a path relative to the library folder (a bare file name for an
// instrument at its top level, with "/" before the file name for one in a
// subfolder) or, for an instrument opened from elsewhere, its full path.
namespace StateBlock
{
constexpr size_t maxNameBytes = 1023;
constexpr size_t groupCountOffset = sizeof(InstrumentSettings);
constexpr size_t currentGroupOffset = groupCountOffset + 4;
constexpr size_t groupsOffset = currentGroupOffset + 4;

// What a state block holds after its name.
struct Snapshot
{
    InstrumentSettings settings {};
    std::vector<GroupSettings> groups;
    int32_t currentGroup = -1;
};

// Fills `snapshot` with the engine's settings, group blocks and current group
// as they are; with room for the groups reserved, it allocates nothing. The
// caller keeps the audio thread and loads out of the engine meanwhile.
void takeSnapshot(const ZInstrument& instrument, Snapshot& snapshot);

// The UTF-8 bytes of `name`, cut after the last whole character that fits in
// maxNameBytes.
std::string storedName(const juce::String& name);

// Appends a whole block.
void append(juce::MemoryBlock& destination, const juce::String& name, const Snapshot& snapshot);

// The name and the bytes after its zero byte. False when the block holds no
// zero byte (a name that never ends leaves nothing whole to restore) or when
// the name is not well-formed UTF-8.
bool split(const void* data, size_t size, juce::String& name, juce::MemoryBlock& rest);

// Copies the restored settings of `rest` (the bytes after the name) into the
// engine, each part only as far as it is whole: every instrument setting
// whose four bytes are there (a float only when it is a finite number); the
// groups only when the count, the current
// group and every stored group are there and the count matches the loaded
// instrument's, which then keeps its own groups otherwise.
void applyTo(ZInstrument& instrument, const juce::MemoryBlock& rest);
} // namespace StateBlock
