#pragma once
// A Standard MIDI File reader for the offline renderer: formats 0 and 1, all
// tracks merged into one list in time order, with the tempo map.
//
// What a host would hand a plugin is kept: channel messages (running status
// resolved) and system-exclusive messages, each as its complete bytes
// (F0 ... F7; a message divided into F7 continuation packets is joined and
// placed at the time of its first packet). Meta events are not MIDI messages
// and are dropped, except that tempo events build the tempo map. F7 "escape"
// packets outside a divided message carry raw bytes with no defined timing
// meaning and are dropped too.

#include <cstdint>
#include <string>
#include <vector>

struct MidiFileEvent
{
    int64_t tick = 0;
    std::vector<uint8_t> bytes;
};

struct MidiTempoChange
{
    int64_t tick = 0;
    uint32_t microsecondsPerQuarter = 500000;
};

struct MidiFileContents
{
    int format = 0;
    int trackCount = 0;
    // Metrical time: ticks per quarter note (> 0). Otherwise SMPTE time:
    // framesPerSecond is 24, 25, 29 (29.97 drop-frame) or 30.
    int ticksPerQuarter = 0;
    int framesPerSecond = 0;
    int ticksPerFrame = 0;
    // Ordered by tick; events of one tick keep track order, then file order.
    std::vector<MidiFileEvent> events;
    // Ordered by tick, as the file gives them.
    std::vector<MidiTempoChange> tempoChanges;
};

// Parses a whole file. False with a message describing the first problem
// (not a MIDI file, a cut-off track, a bad event, format 2 ...).
bool readMidiFile(const std::vector<uint8_t>& bytes, MidiFileContents& contents, std::string& error);
