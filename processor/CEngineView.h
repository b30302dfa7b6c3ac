#pragma once
#include <cstdint>
#include <vector>

#include "engine/Settings.h"

class ZInstrument;

// A copy of the engine values the player window shows: taken between two
// blocks by the audio thread (or by a thread that holds it out), read by the
// window on the message thread, so the window never reads settings that the
// audio thread may be writing.
struct CEngineView
{
    InstrumentSettings settings {};
    float bendPosition = 0.0f;
    int currentGroup = -1;               // index in the group list, -1 for none
    std::vector<GroupSettings> groups;   // one per group; `active` tells the active set
    uint64_t serial = 0;                 // counts the copies taken
    uint64_t instrumentGeneration = 0;   // counts the loads; edits carry it

    // Makes room for the groups of `instrument` (allocates: not on the audio thread).
    void fitGroups(const ZInstrument& instrument);
    // Copies the values; groups beyond the room made by fitGroups are left out.
    // Never allocates.
    void capture(const ZInstrument& instrument);
};
