#include "MidiTiming.h"

namespace
{
constexpr uint32_t defaultTempo = 500000;  // 120 quarter notes per minute
constexpr unsigned __int128 microsPerSecond = 1000000;
} // namespace

MidiTiming::MidiTiming(const MidiFileContents& contents)
    : ticksPerQuarter(contents.ticksPerQuarter), framesPerSecond(contents.framesPerSecond),
      ticksPerFrame(contents.ticksPerFrame)
{
    segments.push_back({ 0, 0, defaultTempo });
    for (const MidiTempoChange& change : contents.tempoChanges)
    {
        const Segment& last = segments.back();
        const unsigned __int128 scaled = last.startScaledMicros
                                       + static_cast<unsigned __int128>(change.tick - last.startTick)
                                             * last.microsecondsPerQuarter;
        if (change.tick == last.startTick)
            segments.back().microsecondsPerQuarter = change.microsecondsPerQuarter;  // the later one wins
        else
            segments.push_back({ change.tick, scaled, change.microsecondsPerQuarter });
    }
}

void MidiTiming::elapsed(int64_t tick, unsigned __int128& numerator, unsigned __int128& denominator) const
{
    if (tick < 0)
        tick = 0;
    if (ticksPerQuarter <= 0)
    {
        // SMPTE: ticksPerFrame ticks per frame; "29" is 30000/1001 frames a second.
        const bool dropFrame = framesPerSecond == 29;
        numerator = static_cast<unsigned __int128>(tick) * (dropFrame ? 1001 : 1);
        denominator = static_cast<unsigned __int128>(ticksPerFrame) * (dropFrame ? 30000 : framesPerSecond);
        return;
    }
    size_t k = segments.size() - 1;
    while (k > 0 && segments[k].startTick > tick)
        --k;
    const Segment& segment = segments[k];
    numerator = segment.startScaledMicros
              + static_cast<unsigned __int128>(tick - segment.startTick) * segment.microsecondsPerQuarter;
    denominator = static_cast<unsigned __int128>(ticksPerQuarter) * microsPerSecond;
}

int64_t MidiTiming::sampleAt(int64_t tick, int64_t sampleRate) const
{
    unsigned __int128 numerator = 0;
    unsigned __int128 denominator = 1;
    elapsed(tick, numerator, denominator);
    // floor(n / d * rate + 1/2) = floor((2 n rate + d) / (2 d))
    const unsigned __int128 rate = static_cast<unsigned __int128>(sampleRate);
    return static_cast<int64_t>((2 * numerator * rate + denominator) / (2 * denominator));
}

double MidiTiming::secondsAt(int64_t tick) const
{
    unsigned __int128 numerator = 0;
    unsigned __int128 denominator = 1;
    elapsed(tick, numerator, denominator);
    return static_cast<double>(numerator) / static_cast<double>(denominator);
}
