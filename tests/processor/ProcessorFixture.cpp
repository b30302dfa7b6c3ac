#include "ProcessorFixture.h"

#include <algorithm>

#include "support/MemorySound.h"

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

RecordingEditor& ProcessorFixture::openEditor(bool visible)
{
    editor.reset(processor.createEditorIfNeeded());
    editor->setVisible(visible);
    return dynamic_cast<RecordingEditor&>(*editor);
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
