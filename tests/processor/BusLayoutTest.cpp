// The output bus set the processor offers hosts, the layouts it accepts and
// where a group's output lands in the host's buffer.

#include "ProcessorFixture.h"

namespace
{
using Buses = ProcessorFixture;

juce::AudioProcessor::BusesLayout layoutWithMain(const juce::AudioChannelSet& main, const juce::AudioChannelSet& rest)
{
    juce::AudioProcessor::BusesLayout layout;
    layout.outputBuses.add(main);
    for (int bus = 1; bus < CZSP::outputBusCount; ++bus)
        layout.outputBuses.add(rest);
    return layout;
}
} // namespace

TEST_F(Buses, SixteenEnabledStereoOutputsAndNoInputs)
{
    EXPECT_EQ(processor.getBusCount(true), 0);
    ASSERT_EQ(processor.getBusCount(false), 16);
    for (int bus = 0; bus < 16; ++bus)
    {
        const auto* output = processor.getBus(false, bus);
        EXPECT_EQ(output->getName(), "Output " + juce::String(bus + 1));
        EXPECT_EQ(output->getCurrentLayout(), juce::AudioChannelSet::stereo());
        EXPECT_TRUE(output->isEnabledByDefault());
    }
    EXPECT_EQ(processor.getTotalNumOutputChannels(), 32);
}

TEST_F(Buses, OnlyAStereoMainOutputIsAccepted)
{
    const auto stereo = juce::AudioChannelSet::stereo();
    const auto mono = juce::AudioChannelSet::mono();
    const auto disabled = juce::AudioChannelSet::disabled();

    EXPECT_TRUE(processor.checkBusesLayoutSupported(layoutWithMain(stereo, stereo)));
    EXPECT_TRUE(processor.checkBusesLayoutSupported(layoutWithMain(stereo, disabled)));
    EXPECT_FALSE(processor.checkBusesLayoutSupported(layoutWithMain(mono, stereo)));
    EXPECT_FALSE(processor.checkBusesLayoutSupported(layoutWithMain(disabled, stereo)));
    EXPECT_FALSE(processor.checkBusesLayoutSupported(layoutWithMain(juce::AudioChannelSet::create5point1(), stereo)));
}

// The host's buffer holds the enabled buses' channels one after another and
// group output n plays on channels 2n, 2n + 1: a bus of another width would
// move every later output.
TEST_F(Buses, LaterBusesAreStereoPairsOrOff)
{
    const auto stereo = juce::AudioChannelSet::stereo();
    const auto disabled = juce::AudioChannelSet::disabled();
    struct Case
    {
        int bus;
        juce::AudioChannelSet set;
        bool accepted;
    };
    const Case cases[] = {
        { 1, juce::AudioChannelSet::mono(), false },
        { 1, juce::AudioChannelSet::create5point1(), false },
        { 15, juce::AudioChannelSet::mono(), false },
        { 7, juce::AudioChannelSet::quadraphonic(), false },
        { 1, disabled, true },
        { 15, disabled, true },
    };
    for (const Case& c : cases)
    {
        auto layout = layoutWithMain(stereo, stereo);
        layout.outputBuses.getReference(c.bus) = c.set;
        EXPECT_EQ(processor.checkBusesLayoutSupported(layout), c.accepted) << "bus " << c.bus + 1 << " " << c.set.getDescription();
    }
}

TEST_F(Buses, HostCanRunWithOnlyTheFirstOutput)
{
    ASSERT_TRUE(processor.setBusesLayout(layoutWithMain(juce::AudioChannelSet::stereo(),
                                                        juce::AudioChannelSet::disabled())));
    EXPECT_EQ(processor.getTotalNumOutputChannels(), 2);
    EXPECT_FALSE(processor.setBusesLayout(layoutWithMain(juce::AudioChannelSet::mono(),
                                                         juce::AudioChannelSet::stereo())));
}

TEST_F(Buses, GroupOutputFivePlaysOnItsOwnPairWhenTheHostHasAllChannels)
{
    addConstantZone(addGroup(5), 0.5f);
    juce::MidiBuffer midi;
    midi.addEvent(juce::MidiMessage::noteOn(1, 60, juce::uint8 { 100 }), 0);
    const auto out = run(midi, 32);

    for (int channel = 0; channel < 32; ++channel)
    {
        const bool ownPair = channel == 10 || channel == 11;
        EXPECT_EQ(out.getMagnitude(channel, 0, blockSize) > 0.0f, ownPair) << "channel " << channel;
    }
}

TEST_F(Buses, GroupOutputFiveFallsBackToTheFirstPairOnAStereoHost)
{
    addConstantZone(addGroup(5), 0.5f);
    juce::MidiBuffer midi;
    midi.addEvent(juce::MidiMessage::noteOn(1, 60, juce::uint8 { 100 }), 0);
    const auto out = run(midi, 2);

    EXPECT_GT(out.getMagnitude(0, 0, blockSize), 0.0f);
    EXPECT_GT(out.getMagnitude(1, 0, blockSize), 0.0f);
}
