#pragma once
// When the events of a MIDI file sound: ticks through the tempo map (120 bpm
// until the first tempo event; SMPTE files count ticks in real time) give
// seconds t, and the event falls on sample floor(t * rate + 0.5). The
// arithmetic is exact integer arithmetic, so long files do not drift.

#include <cstdint>
#include <vector>

#include "MidiFile.h"

class MidiTiming
{
public:
    explicit MidiTiming(const MidiFileContents& contents);

    // The absolute sample of an event at `tick` for a sample rate in Hz.
    int64_t sampleAt(int64_t tick, int64_t sampleRate) const;
    double secondsAt(int64_t tick) const;

private:
    struct Segment
    {
        int64_t startTick;
        // Elapsed time at startTick in microseconds times ticksPerQuarter.
        unsigned __int128 startScaledMicros;
        uint32_t microsecondsPerQuarter;
    };

    // Elapsed time at `tick` as numerator / denominator seconds.
    void elapsed(int64_t tick, unsigned __int128& numerator, unsigned __int128& denominator) const;

    std::vector<Segment> segments;
    int ticksPerQuarter;
    int framesPerSecond;
    int ticksPerFrame;
};

// Where rendered events fall: block b holds samples b * blockSize up to
// (b + 1) * blockSize, and an event's position is its sample within its block.
struct BlockPosition
{
    int64_t block;
    int position;
};

inline BlockPosition blockPositionOf(int64_t sample, int blockSize)
{
    const int64_t block = sample / blockSize;
    return { block, static_cast<int>(sample - block * blockSize) };
}
