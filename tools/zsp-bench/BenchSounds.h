#pragma once
// The sounds and files the benchmarks play and load, written fresh for every
// run: 16-bit PCM WAVE tones and small Standard MIDI Files.

#include <cstdint>
#include <string>
#include <vector>

// A 16-bit PCM WAVE of `frames` frames (1 or 2 channels) at 44.1 kHz: a sine
// of `hz` with a little of its octave, so interpolation has work to do.
bool writeToneWave(const std::string& path, int64_t frames, int channels, double hz);

// A format-0 MIDI file at 960 ticks per second: program `program` on every
// channel, then the given notes (channel, key) on at time 0 and off
// after `seconds`.
struct HeldNote
{
    int channel;
    int key;
};
bool writeHeldNotesMidi(const std::string& path, int program, const std::vector<HeldNote>& notes, double seconds);

// The keys of N held notes: N neighbouring keys around middle C for N up to
// 64, else keys 36..99 (where every General MIDI preset sounds) once per
// channel, channel after channel (at most 16 channels).
std::vector<HeldNote> heldNotes(int count);

// A folder of its own under /tmp for one run's files, removed by the caller.
std::string makeScratchFolder();
void removeScratchFolder(const std::string& folder);
