#include "ProcessorFixture.h"

#include <algorithm>
#include <thread>

#include "support/MemorySound.h"

namespace juce
{
// JUCE's own step of its message loop (the tests have no running loop).
bool dispatchNextMessageOnSystemQueue(bool returnIfNoPendingMessages);
}

TestProcessor::TestProcessor(const juce::File& libraryFile) : CZSP(libraryFile)
{
}

TestProcessor::~TestProcessor()
{
    // The loading thread calls the overrides below: it ends before they go.
    stopLoadingThread();
}

std::vector<std::string> TestProcessor::namesSeenLoading()
{
    const std::lock_guard<std::mutex> hold(namesLock);
    return names;
}

bool TestProcessor::loadProgress(float progress, const std::string& groupName, const std::string& sampleName)
{
    {
        const std::lock_guard<std::mutex> hold(namesLock);
        if (names.empty() || names.back() != instrument.name)
            names.push_back(instrument.name);
    }
    if (onLoadProgress)
        onLoadProgress();
    return CZSP::loadProgress(progress, groupName, sampleName);
}

void TestProcessor::askForSampleFolder(const juce::String& sampleName, const juce::File& startFolder,
                                       std::function<void(const juce::File&)> chosen)
{
    ++folderQuestions;
    if (folderAnswer)
        folderAnswer(sampleName, startFolder, std::move(chosen));
}

void hostBlock(juce::AudioProcessor& processor, juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi)
{
    const juce::ScopedLock hold(processor.getCallbackLock());
    if (processor.isSuspended())
    {
        buffer.clear();
        midi.clear();
    }
    else
        processor.processBlock(buffer, midi);
}

void pumpMessages(int milliseconds)
{
    const auto end = juce::Time::getMillisecondCounter() + static_cast<juce::uint32>(milliseconds);
    do
    {
        while (juce::dispatchNextMessageOnSystemQueue(true))
        {
        }
        if (milliseconds > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    } while (juce::Time::getMillisecondCounter() < end);
}

bool waitUntil(const std::function<bool()>& done, int timeoutMilliseconds)
{
    const auto end = juce::Time::getMillisecondCounter() + static_cast<juce::uint32>(timeoutMilliseconds);
    while (!done())
    {
        if (juce::Time::getMillisecondCounter() > end)
            return done();
        pumpMessages(1);
    }
    return true;
}

ProcessorFixture::ProcessorFixture()
{
    processor.instrument.settings.diskStreaming = 0;
    processor.instrument.createVoices();
    processor.setRateAndBufferSizeDetails(44100.0, blockSize);
    processor.prepareToPlay(44100.0, blockSize);
}

ProcessorFixture::~ProcessorFixture()
{
    editor.reset();
}

FakeEditor& ProcessorFixture::openEditor(bool visible)
{
    editor.reset(processor.createEditorIfNeeded());
    editor->setVisible(visible);
    processor.setNoteMirroring(visible);
    return dynamic_cast<FakeEditor&>(*editor);
}

ZGroup& ProcessorFixture::addGroup(int output, float pan)
{
    ZGroup& group = *processor.instrument.addGroup("Output " + std::to_string(output));
    group.settings.output = output;
    group.settings.pan = pan;
    return group;
}

ZZone& ProcessorFixture::addConstantZone(ZGroup& group, float value, float release)
{
    auto sound = std::make_unique<MemorySound>(std::vector<float>(44100, value), 1);
    auto* zone = new ZZone(&processor.instrument, std::move(sound));
    zone->settings.lowKey = 0;
    zone->settings.highKey = 127;
    zone->settings.lowVelocity = 0;
    zone->settings.highVelocity = 127;
    zone->settings.rootKey = 60;
    zone->settings.release = release;
    zone->settings.ignoreVelocity = 1;
    group.addZone(zone);
    return *zone;
}

juce::AudioBuffer<float> ProcessorFixture::run(juce::MidiBuffer& midi, int channels, int samples)
{
    juce::AudioBuffer<float> buffer(channels, samples);
    for (int c = 0; c < channels; ++c)
        juce::FloatVectorOperations::fill(buffer.getWritePointer(c), 7.0f, samples);
    processor.processBlock(buffer, midi);
    return buffer;
}

juce::AudioBuffer<float> ProcessorFixture::run(int channels, int samples)
{
    juce::MidiBuffer none;
    return run(none, channels, samples);
}

std::vector<ZEvent> ProcessorFixture::queuedEvents(juce::MidiBuffer& midi)
{
    processor.instrument.loadingFlag = true;
    run(midi);
    processor.instrument.loadingFlag = false;
    return processor.instrument.takePendingEvents();
}

std::vector<CMidiEventQueue::Event> ProcessorFixture::mirroredEvents()
{
    std::vector<CMidiEventQueue::Event> events;
    CMidiEventQueue::Event event;
    while (processor.takeMirroredEvent(event))
        events.push_back(event);
    return events;
}

int ProcessorFixture::activeVoices() const
{
    return static_cast<int>(std::count_if(processor.instrument.voices.begin(), processor.instrument.voices.end(),
                                          [](const auto& voice) { return voice->isActive(); }));
}

int firstSound(const juce::AudioBuffer<float>& buffer, int channel)
{
    const float* samples = buffer.getReadPointer(channel);
    for (int i = 0; i < buffer.getNumSamples(); ++i)
        if (samples[i] != 0.0f)
            return i;
    return -1;
}
