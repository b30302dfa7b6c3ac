// What the block callback does with the host's MIDI: which events reach the
// engine, with which bytes and positions, and which are mirrored to the editor.

#include "ProcessorFixture.h"

namespace
{
using MidiForwarding = ProcessorFixture;

juce::MidiBuffer notesAroundSysex()
{
    juce::MidiBuffer midi;
    midi.addEvent(juce::MidiMessage::noteOn(1, 60, juce::uint8 { 100 }), 10);
    const juce::uint8 sysex[] = { 0xF0, 0x7E, 0x7F, 0x09, 0xF7 };
    midi.addEvent(sysex, 5, 20);
    midi.addEvent(juce::MidiMessage::noteOn(2, 64, juce::uint8 { 90 }), 150);
    return midi;
}

void expectEvent(const ZEvent& event, int status, int data1, int data2, int position)
{
    EXPECT_EQ(event.status, status);
    EXPECT_EQ(event.data1, data1);
    EXPECT_EQ(event.data2, data2);
    EXPECT_EQ(event.position, position);
}
} // namespace

TEST_F(MidiForwarding, SysexBetweenTwoNotesReachesNeitherEngineNorEditor)
{
    openEditor();
    auto midi = notesAroundSysex();
    const auto events = queuedEvents(midi);

    ASSERT_EQ(events.size(), 2u);
    expectEvent(events[0], 0x90, 60, 100, 10);
    expectEvent(events[1], 0x91, 64, 90, 150);

    const auto mirrored = mirroredEvents();
    ASSERT_EQ(mirrored.size(), 2u);
    EXPECT_EQ(mirrored[0].bytes[0], 0x90);
    EXPECT_EQ(mirrored[0].samplePosition, 10);
    EXPECT_EQ(mirrored[1].bytes[1], 64);
    EXPECT_EQ(mirrored[1].samplePosition, 150);
}

TEST_F(MidiForwarding, BothNotesAroundSysexSoundFromTheirPositions)
{
    addConstantZone(*processor.instrument.groups.front(), 0.25f);
    auto midi = notesAroundSysex();
    const auto out = run(midi);

    EXPECT_EQ(firstSound(out, 0), 10);
    const float firstVoiceAlone = out.getSample(0, 149);
    EXPECT_GT(firstVoiceAlone, 0.0f);
    EXPECT_GT(out.getSample(0, 151), firstVoiceAlone);
    // Once both have settled the second voice adds as much as the first.
    EXPECT_NEAR(out.getSample(0, blockSize - 1), 2.0f * firstVoiceAlone, 1e-5f);
}

TEST_F(MidiForwarding, HostBufferIsEmptyAfterTheBlock)
{
    auto midi = notesAroundSysex();
    run(midi);
    EXPECT_TRUE(midi.isEmpty());
}

TEST_F(MidiForwarding, ProgramChangeReachesEngineButIsNotMirrored)
{
    openEditor();
    juce::MidiBuffer midi;
    midi.addEvent(juce::MidiMessage::programChange(4, 17), 5);
    const auto events = queuedEvents(midi);

    ASSERT_EQ(events.size(), 1u);
    expectEvent(events[0], 0xC3, 17, 0, 5);
    EXPECT_TRUE(mirroredEvents().empty());
}

TEST_F(MidiForwarding, MissingDataBytesArePassedAsZeroAndSystemMessagesKeepTheirLowNibble)
{
    juce::MidiBuffer midi;
    midi.addEvent(juce::MidiMessage::channelPressureChange(1, 99), 0);
    midi.addEvent(juce::MidiMessage::midiClock(), 1);
    midi.addEvent(juce::MidiMessage::songPositionPointer(0x1234 & 0x3FFF), 2);
    const auto events = queuedEvents(midi);

    ASSERT_EQ(events.size(), 3u);
    expectEvent(events[0], 0xD0, 99, 0, 0);
    expectEvent(events[1], 0xF8, 0, 0, 1);
    expectEvent(events[2], 0xF2, 0x34, 0x24, 2);
}

TEST_F(MidiForwarding, NotesControllersAndBendAreMirroredInOrder)
{
    openEditor();
    juce::MidiBuffer midi;
    midi.addEvent(juce::MidiMessage::noteOn(1, 60, juce::uint8 { 100 }), 0);
    midi.addEvent(juce::MidiMessage::controllerEvent(1, 64, 127), 3);
    midi.addEvent(juce::MidiMessage::pitchWheel(1, 10000), 6);
    midi.addEvent(juce::MidiMessage::aftertouchChange(1, 60, 50), 8);
    midi.addEvent(juce::MidiMessage::noteOff(1, 62), 9);
    queuedEvents(midi);

    const auto mirrored = mirroredEvents();
    ASSERT_EQ(mirrored.size(), 4u);
    EXPECT_EQ(mirrored[0].bytes[0], 0x90);
    EXPECT_EQ(mirrored[1].bytes[0], 0xB0);
    EXPECT_EQ(mirrored[1].bytes[1], 64);
    EXPECT_EQ(mirrored[1].bytes[2], 127);
    // Pitch bend 10000: LSB 10000 & 127 = 16, MSB 10000 >> 7 = 78.
    EXPECT_EQ(mirrored[2].bytes[0], 0xE0);
    EXPECT_EQ(mirrored[2].bytes[1], 16);
    EXPECT_EQ(mirrored[2].bytes[2], 78);
    EXPECT_EQ(mirrored[3].bytes[0], 0x80);
    EXPECT_EQ(mirrored[3].size, 3);
    EXPECT_EQ(mirrored[3].samplePosition, 9);
    // The keyboards' state is the editor's to change, on the message thread.
    EXPECT_FALSE(processor.keyboardState.isNoteOn(1, 60));
}

TEST_F(MidiForwarding, HiddenEditorReceivesNothingWhileNotesStillPlay)
{
    addConstantZone(*processor.instrument.groups.front(), 0.5f);
    openEditor(false);
    juce::MidiBuffer midi;
    midi.addEvent(juce::MidiMessage::noteOn(1, 60, juce::uint8 { 100 }), 4);
    const auto out = run(midi);

    EXPECT_TRUE(mirroredEvents().empty());
    EXPECT_FALSE(processor.keyboardState.isNoteOn(1, 60));
    EXPECT_EQ(firstSound(out, 0), 4);
}

TEST_F(MidiForwarding, EditorThatDoesNotAskForMirroringGetsNothing)
{
    // An editor of JUCE's own, which knows nothing of mirroring.
    CZSP plain;
    auto generic = std::make_unique<juce::GenericAudioProcessorEditor>(plain);
    generic->setVisible(true);
    juce::MidiBuffer midi;
    midi.addEvent(juce::MidiMessage::noteOn(1, 60, juce::uint8 { 100 }), 0);
    juce::AudioBuffer<float> buffer(2, blockSize);
    plain.processBlock(buffer, midi);
    EXPECT_TRUE(midi.isEmpty());
    CMidiEventQueue::Event event;
    EXPECT_FALSE(plain.takeMirroredEvent(event));
    EXPECT_FALSE(plain.keyboardState.isNoteOn(1, 60));
}

TEST_F(MidiForwarding, AFullQueueDropsNewEventsAndKeepsTheFirstOnes)
{
    openEditor();
    const int blocks = static_cast<int>(CMidiEventQueue::capacity) / 100 + 2;
    for (int block = 0; block < blocks; ++block)
    {
        juce::MidiBuffer midi;
        for (int k = 0; k < 100; ++k)
            midi.addEvent(juce::MidiMessage::controllerEvent(1, 1, (block * 100 + k) % 128), k);
        run(midi);
    }
    const auto mirrored = mirroredEvents();
    ASSERT_EQ(mirrored.size(), CMidiEventQueue::capacity);
    for (size_t k = 0; k < mirrored.size(); ++k)
        ASSERT_EQ(mirrored[k].bytes[2], k % 128) << k;

    // Drained, it takes events again.
    juce::MidiBuffer midi;
    midi.addEvent(juce::MidiMessage::noteOn(1, 61, juce::uint8 { 1 }), 0);
    run(midi);
    const auto next = mirroredEvents();
    ASSERT_EQ(next.size(), 1u);
    EXPECT_EQ(next[0].bytes[1], 61);
}

TEST_F(MidiForwarding, OfflineNotesPlayButAreNotMirrored)
{
    addConstantZone(*processor.instrument.groups.front(), 0.5f);
    openEditor();
    processor.setNonRealtime(true);
    juce::MidiBuffer midi;
    midi.addEvent(juce::MidiMessage::noteOn(1, 60, juce::uint8 { 100 }), 12);
    const auto out = run(midi);

    EXPECT_EQ(firstSound(out, 0), 12);
    EXPECT_TRUE(mirroredEvents().empty());
    EXPECT_FALSE(processor.keyboardState.isNoteOn(1, 60));
}
