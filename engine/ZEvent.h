#pragma once
#include <cstdint>

#include "engine/MidiNumbers.h"

// One queued MIDI message: 8 bytes, as the engine's queue holds it.
struct ZEvent
{
    uint8_t status;   // status nibble | channel
    uint8_t data1;
    uint8_t data2;
    uint8_t zero;     // always 0: the queued event keeps its 8-byte layout
    int32_t position; // sample within the block; -1 means "as soon as possible"

    int statusNibble() const { return status & 0xF0; }
    int channel() const { return status & 0x0F; }
    bool isNoteOff() const
    {
        return statusNibble() == MidiStatus::noteOff || (statusNibble() == MidiStatus::noteOn && data2 == 0);
    }
    bool isNoteOn() const { return statusNibble() == MidiStatus::noteOn && data2 > 0; }
};
static_assert(sizeof(ZEvent) == 8);
