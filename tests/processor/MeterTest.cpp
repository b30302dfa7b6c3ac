// The 34 meter peaks the block callback keeps for the editor.

#include "ProcessorFixture.h"

namespace
{
class Meters : public ProcessorFixture
{
protected:
    // Channel 0 peaks at 0.5 and channel 1 at 0.25 (pan -0.5 on output 0),
    // channel 2 at 0.75 and channel 3 at 0 (hard left on output 1).
    void playThreeLevels()
    {
        addConstantZone(*processor.instrument.groups.front(), 0.5f).settings.pan = -0.5f;
        addConstantZone(addGroup(1, -1.0f), 0.75f);
        processor.prepareToPlay(44100.0, blockSize);
        juce::MidiBuffer midi;
        midi.addEvent(juce::MidiMessage::noteOn(1, 60, juce::uint8 { 100 }), 0);
        played = run(midi, 32, 1024);
    }

    float meter(int index) const { return processor.meterPeaks[static_cast<size_t>(index)].load(); }

    juce::AudioBuffer<float> played;
};

// Meter entries that a processor with more channels than the bus set would
// write past the end of its array land here.
struct GuardedProcessor : CZSP
{
    // The loading thread (started by prepareToPlay) ends before this part of
    // the object goes.
    ~GuardedProcessor() override { stopLoadingThread(); }

    std::array<float, 16> guard;
};
} // namespace

TEST_F(Meters, ChannelPeaksAndEvenOddSums)
{
    playThreeLevels();
    ASSERT_NEAR(played.getMagnitude(0, 0, 1024), 0.5f, 1e-6f);
    ASSERT_NEAR(played.getMagnitude(1, 0, 1024), 0.25f, 1e-6f);
    ASSERT_NEAR(played.getMagnitude(2, 0, 1024), 0.75f, 1e-6f);

    EXPECT_NEAR(meter(0), 0.5f, 1e-6f);
    EXPECT_NEAR(meter(1), 0.25f, 1e-6f);
    EXPECT_NEAR(meter(2), 0.75f, 1e-6f);
    EXPECT_EQ(meter(3), 0.0f);
    for (int channel = 4; channel < 32; ++channel)
        EXPECT_EQ(meter(channel), 0.0f) << channel;
    EXPECT_NEAR(meter(CZSP::leftSumMeter), 0.75f, 1e-6f);
    EXPECT_NEAR(meter(CZSP::rightSumMeter), 0.25f, 1e-6f);
}

TEST_F(Meters, PeaksAreOnlyEverRaisedUntilTheReaderResetsThem)
{
    playThreeLevels();
    juce::MidiBuffer midi;
    midi.addEvent(juce::MidiMessage::allNotesOff(1), 0);
    run(midi);
    for (int block = 0; block < 20; ++block)
        run();
    ASSERT_EQ(run().getMagnitude(0, blockSize), 0.0f);
    EXPECT_NEAR(meter(0), 0.5f, 1e-6f);
    EXPECT_NEAR(meter(CZSP::leftSumMeter), 0.75f, 1e-6f);

    for (auto& peak : processor.meterPeaks)
        peak = 0.0f;
    run();
    EXPECT_EQ(meter(0), 0.0f);
    EXPECT_EQ(meter(CZSP::rightSumMeter), 0.0f);
}

TEST_F(Meters, OfflineBlocksLeaveThemUnchanged)
{
    processor.setNonRealtime(true);
    playThreeLevels();
    ASSERT_GT(played.getMagnitude(0, 0, 1024), 0.0f);
    for (const auto& peak : processor.meterPeaks)
        EXPECT_EQ(peak.load(), 0.0f);
}

TEST(MetersBeyondTheBusSet, ChannelsPast32AreNotMetered)
{
    GuardedProcessor processor;
    processor.guard.fill(-1.0f);
    processor.prepareToPlay(44100.0, 64);

    juce::AudioBuffer<float> buffer(40, 64);
    juce::MidiBuffer midi;
    processor.processBlock(buffer, midi);

    for (float value : processor.guard)
        EXPECT_EQ(value, -1.0f);
}
