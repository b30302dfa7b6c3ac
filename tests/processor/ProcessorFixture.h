#pragma once
// A processor with plain (non-streaming) voices and helpers to give its
// instrument constant-valued zones, open an editor that records what the
// block callback mirrors to it, and run blocks.

#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "CNoteButtonMessage.h"
#include "CNoteMirror.h"
#include "CZSP.h"

// An editor that keeps every message posted to it instead of delivering it.
class RecordingEditor : public juce::AudioProcessorEditor, public CNoteMirror
{
public:
    explicit RecordingEditor(juce::AudioProcessor& processor) : juce::AudioProcessorEditor(processor) {}

    juce::MidiKeyboardState& getKeyboardState() override { return keyboard; }
    void postNoteMessage(CNoteButtonMessage* message) override { posted.emplace_back(message); }

    juce::MidiKeyboardState keyboard;
    std::vector<juce::ReferenceCountedObjectPtr<CNoteButtonMessage>> posted;
};

class TestProcessor : public CZSP
{
public:
    juce::AudioProcessorEditor* createEditor() override { return new RecordingEditor(*this); }
};

class ProcessorFixture : public ::testing::Test
{
protected:
    static constexpr int blockSize = 256;

    ProcessorFixture();
    ~ProcessorFixture() override;

    RecordingEditor& openEditor(bool visible = true);

    // A group on stereo output `output` (0..15), active for every event.
    ZGroup& addGroup(int output, float pan = 0.0f);
    // A zone over the whole keyboard whose mono sound holds `value` in every
    // frame: attack 0, velocity ignored, so a note plays `value` at once.
    ZZone& addConstantZone(ZGroup& group, float value, float release = 0.0f);

    // Runs one block with `channels` output channels; the MIDI buffer is the
    // caller's, so what the callback leaves in it can be checked.
    juce::AudioBuffer<float> run(juce::MidiBuffer& midi, int channels = 32, int samples = blockSize);
    juce::AudioBuffer<float> run(int channels = 32, int samples = blockSize);

    // The events one block's MIDI leaves in the engine's queue: the engine is
    // held in its loading state, in which a block renders silence and keeps
    // the queue as it is.
    std::vector<ZEvent> queuedEvents(juce::MidiBuffer& midi);

    int activeVoices() const;

    TestProcessor processor;
    std::unique_ptr<juce::AudioProcessorEditor> editor;
};

// The first sample of `channel` that is not silent, or -1.
int firstSound(const juce::AudioBuffer<float>& buffer, int channel);
