#pragma once
// A processor with plain (non-streaming) voices and helpers to give its
// instrument constant-valued zones, open an editor that records what the
// processor tells it, run blocks the way the plugin wrappers do, and wait
// for the message thread's work.

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "CEditorLink.h"
#include "CZSP.h"

// An editor that records the calls the processor makes on it.
class FakeEditor : public juce::AudioProcessorEditor, public CEditorLink
{
public:
    explicit FakeEditor(juce::AudioProcessor& processor) : juce::AudioProcessorEditor(processor) { setSize(100, 100); }

    void loadStarting(juce::Colour playerColour) override { started.push_back(playerColour); }
    void loadEnded(bool succeeded) override { ended.push_back(succeeded); }

    std::vector<juce::Colour> started;
    std::vector<bool> ended;
};

// A processor whose library is that of `libraryFile` (none by default), with
// its user-facing steps scripted: the folder chooser answers through
// `folderAnswer`, failures are counted, and `onLoadProgress` runs at every
// progress report of a load.
class TestProcessor : public CZSP
{
public:
    explicit TestProcessor(const juce::File& libraryFile = juce::File());
    ~TestProcessor() override;

    juce::AudioProcessorEditor* createEditor() override { return new FakeEditor(*this); }

    // The instrument names seen at progress reports, in order.
    std::vector<std::string> namesSeenLoading();

    std::function<void()> onLoadProgress;
    // Called on the message thread instead of the folder chooser; calls
    // `chosen` (now or later) with the folder the "user" picks.
    std::function<void(const juce::String& sampleName, const juce::File& start,
                       std::function<void(const juce::File&)> chosen)> folderAnswer;
    int failureReports = 0;
    // What reportLoadProblems was given, one entry per message box.
    std::vector<juce::String> problemReports;
    int folderQuestions = 0;

protected:
    bool loadProgress(float progress, const std::string& groupName, const std::string& sampleName) override;
    void askForSampleFolder(const juce::String& sampleName, const juce::File& startFolder,
                            std::function<void(const juce::File&)> chosen) override;
    void reportLoadFailure() override { ++failureReports; }
    void reportLoadProblems(const juce::String& report) override { problemReports.push_back(report); }

private:
    std::mutex namesLock;
    std::vector<std::string> names;
};

// What JUCE's plugin wrappers do around the block callback: the callback lock,
// and silence while processing is suspended.
void hostBlock(juce::AudioProcessor& processor, juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi);

// Delivers the message thread's pending work for `milliseconds` (this thread
// is the message thread of the tests).
void pumpMessages(int milliseconds = 0);
// Pumps messages until `done` holds or the time runs out; the final value.
bool waitUntil(const std::function<bool()>& done, int timeoutMilliseconds = 10000);

class ProcessorFixture : public ::testing::Test
{
protected:
    static constexpr int blockSize = 256;

    ProcessorFixture();
    ~ProcessorFixture() override;

    FakeEditor& openEditor(bool visible = true);

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

    // The events the block callback mirrored for the editor, in order.
    std::vector<CMidiEventQueue::Event> mirroredEvents();

    int activeVoices() const;

    TestProcessor processor;
    std::unique_ptr<juce::AudioProcessorEditor> editor;
};

// The first sample of `channel` that is not silent, or -1.
int firstSound(const juce::AudioBuffer<float>& buffer, int channel);
