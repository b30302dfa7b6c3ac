// When an event sounds: ticks through the tempo map to a sample, and the
// block it falls into.

#include <gtest/gtest.h>

#include "MidiTiming.h"

namespace
{
MidiFileContents metrical(int ticksPerQuarter, std::vector<MidiTempoChange> tempos = {})
{
    MidiFileContents contents;
    contents.ticksPerQuarter = ticksPerQuarter;
    contents.tempoChanges = std::move(tempos);
    return contents;
}
} // namespace

TEST(MidiTiming, WithoutTempoEventsAQuarterNoteLastsHalfASecond)
{
    const MidiTiming timing(metrical(480));
    EXPECT_EQ(timing.sampleAt(0, 44100), 0);
    EXPECT_EQ(timing.sampleAt(480, 44100), 22050);
    EXPECT_EQ(timing.sampleAt(480 * 7, 48000), 168000);
    EXPECT_DOUBLE_EQ(timing.secondsAt(960), 1.0);
}

TEST(MidiTiming, SamplesRoundToTheNearestHalfUp)
{
    // 1 tick at 96 ticks per quarter and 120 bpm: 1/192 s = 229.6875 samples.
    const MidiTiming timing(metrical(96));
    EXPECT_EQ(timing.sampleAt(1, 44100), 230);
    // 1/192 s at 96000 Hz is exactly 500; at 8000 Hz 41.666 gives 42.
    EXPECT_EQ(timing.sampleAt(1, 96000), 500);
    EXPECT_EQ(timing.sampleAt(1, 8000), 42);
    // 3 ticks at 1000 ticks per quarter: 1.5 ms, 66.15 samples at 44100.
    EXPECT_EQ(MidiTiming(metrical(1000)).sampleAt(3, 44100), 66);
    // Exactly half a sample rounds up: 1/2000 s at 1000 Hz.
    EXPECT_EQ(MidiTiming(metrical(1000)).sampleAt(1, 1000), 1);
}

TEST(MidiTiming, TempoChangesApplyFromTheirTickOn)
{
    // 100 bpm from tick 0, 60 bpm from tick 96, 96 ticks per quarter.
    const MidiTiming timing(metrical(96, { { 0, 600000 }, { 96, 1000000 } }));
    EXPECT_EQ(timing.sampleAt(1, 44100), 276);       // 6.25 ms = 275.625
    EXPECT_EQ(timing.sampleAt(96, 44100), 26460);    // 0.6 s
    EXPECT_EQ(timing.sampleAt(144, 44100), 48510);   // 0.6 s + 0.5 s
    EXPECT_DOUBLE_EQ(timing.secondsAt(192), 1.6);
}

TEST(MidiTiming, ALaterTempoAtTheSameTickWins)
{
    const MidiTiming timing(metrical(100, { { 0, 1000000 }, { 0, 250000 } }));
    EXPECT_EQ(timing.sampleAt(100, 1000), 250);
}

TEST(MidiTiming, SmpteTicksCountRealTime)
{
    MidiFileContents contents;
    contents.framesPerSecond = 25;
    contents.ticksPerFrame = 40;  // 1000 ticks a second
    EXPECT_EQ(MidiTiming(contents).sampleAt(1500, 44100), 66150);
    contents.framesPerSecond = 29;  // 29.97 frames a second
    contents.ticksPerFrame = 1;
    EXPECT_EQ(MidiTiming(contents).sampleAt(30, 48000), 48048);  // 30 * 1001 / 30000 s
}

TEST(MidiTiming, LongFilesDoNotDrift)
{
    // An hour of ticks at 960 per quarter and 120 bpm: exactly 3600 s.
    const MidiTiming timing(metrical(960, { { 0, 500000 } }));
    EXPECT_EQ(timing.sampleAt(960 * 2 * 3600, 44100), int64_t { 44100 } * 3600);
}

TEST(MidiTiming, EventsFallIntoTheirBlocks)
{
    EXPECT_EQ(blockPositionOf(276, 64).block, 4);
    EXPECT_EQ(blockPositionOf(276, 64).position, 20);
    EXPECT_EQ(blockPositionOf(512, 512).block, 1);
    EXPECT_EQ(blockPositionOf(512, 512).position, 0);
}
