#pragma once
#include <array>
#include <atomic>

#include <juce_audio_processors/juce_audio_processors.h>

#include "engine/ZInstrument.h"

// The plugin's audio processor: the object hosts talk to through JUCE's
// plugin wrappers. It owns the sampler engine and feeds it the host's MIDI.
class CZSP : public juce::AudioProcessor
{
public:
    static constexpr int outputBusCount = 16;
    // Entries 0..31 hold the peaks of channels 0..31; entry 32 the largest
    // peak of the even channels, entry 33 that of the odd ones.
    static constexpr int meteredChannelCount = 2 * outputBusCount;
    static constexpr int leftSumMeter = meteredChannelCount;
    static constexpr int rightSumMeter = meteredChannelCount + 1;
    static constexpr int meterCount = meteredChannelCount + 2;

    CZSP();
    ~CZSP() override;

    const juce::String getName() const override;

    void prepareToPlay(double sampleRate, int maximumExpectedSamplesPerBlock) override;
    void releaseResources() override;
    void processBlock(juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midiMessages) override;
    using juce::AudioProcessor::processBlock;
    void reset() override;

    bool isBusesLayoutSupported(const BusesLayout& layouts) const override;

    double getTailLengthSeconds() const override;
    bool acceptsMidi() const override;
    bool producesMidi() const override;

    juce::AudioProcessorEditor* createEditor() override;
    bool hasEditor() const override;

    int getNumPrograms() override;
    int getCurrentProgram() override;
    void setCurrentProgram(int index) override;
    const juce::String getProgramName(int index) override;
    void changeProgramName(int index, const juce::String& newName) override;

    void getStateInformation(juce::MemoryBlock& destData) override;
    void setStateInformation(const void* data, int sizeInBytes) override;

    ZInstrument instrument;

    // Raised by the audio thread, read and set back to 0 by the editor.
    std::array<std::atomic<float>, meterCount> meterPeaks {};

private:
    static BusesProperties outputBusLayout();
    void updateMeters(const juce::AudioBuffer<float>& buffer);

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(CZSP)
};
