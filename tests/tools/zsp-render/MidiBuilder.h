#pragma once
// Builds Standard MIDI File bytes for the renderer's tests.

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

class MidiTrackBuilder
{
public:
    // An event `delta` ticks after the previous one, with its bytes exactly
    // as they appear in the file (status byte optional under running status).
    MidiTrackBuilder& event(uint32_t delta, std::initializer_list<uint8_t> bytes);
    MidiTrackBuilder& tempo(uint32_t delta, uint32_t microsecondsPerQuarter);
    MidiTrackBuilder& end(uint32_t delta = 0);
    // Bytes appended as they are, with no delta time before them.
    MidiTrackBuilder& raw(std::initializer_list<uint8_t> bytes);
    // The raw bytes of the track body.
    const std::vector<uint8_t>& body() const { return bytes; }

private:
    std::vector<uint8_t> bytes;
};

void appendVariable(std::vector<uint8_t>& out, uint32_t value);

// A whole file: header plus tracks. `division` is the header's raw field.
std::vector<uint8_t> midiFile(uint16_t format, uint16_t division, const std::vector<MidiTrackBuilder>& tracks);
