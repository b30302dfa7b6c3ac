#include "CZSP.h"

#include "CNoteButtonMessage.h"
#include "CNoteMirror.h"
#include "OpenFileLimit.h"

namespace
{
// Lock-free "only ever raise": a concurrent reset by the editor wins or
// loses as a whole, never tears the value.
void raisePeak(std::atomic<float>& peak, float value)
{
    float current = peak.load(std::memory_order_relaxed);
    while (value > current && !peak.compare_exchange_weak(current, value, std::memory_order_relaxed))
    {
    }
}

bool isMirroredStatus(int statusNibble)
{
    return statusNibble == 0x90 || statusNibble == 0x80 || statusNibble == 0xE0 || statusNibble == 0xB0;
}
} // namespace

juce::AudioProcessor::BusesProperties CZSP::outputBusLayout()
{
    BusesProperties buses;
    for (int bus = 1; bus <= outputBusCount; ++bus)
        buses = buses.withOutput("Output " + juce::String(bus), juce::AudioChannelSet::stereo(), true);
    return buses;
}

CZSP::CZSP() : juce::AudioProcessor(outputBusLayout())
{
    // Denormal samples are flushed on the thread that builds the processor
    // too, not only inside the block callback.
    juce::FloatVectorOperations::disableDenormalisedNumberSupport();
}

CZSP::~CZSP() = default;

const juce::String CZSP::getName() const
{
    return JucePlugin_Name;
}

void CZSP::prepareToPlay(double sampleRate, int)
{
    instrument.sampleRate = static_cast<float>(sampleRate);
    instrument.lfo.sampleRate = sampleRate > 0.0 ? static_cast<float>(sampleRate) : 44100.0f;
    for (auto& group : instrument.groups)
        for (auto& zone : group->zones)
            zone->updateDerived();
}

void CZSP::releaseResources()
{
}

void CZSP::processBlock(juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midiMessages)
{
    juce::ScopedNoDenormals noDenormals;

    auto* const editor = getActiveEditor();
    auto* const mirror = dynamic_cast<CNoteMirror*>(editor);
    const bool offline = isNonRealtime();

    for (const auto event : midiMessages)
    {
        if (event.numBytes < 1 || event.numBytes > 3)
            continue;

        const int status = event.data[0];
        if (!offline && mirror != nullptr && editor->isVisible() && isMirroredStatus(status & 0xF0))
        {
            const auto message = event.getMessage();
            mirror->getKeyboardState().processNextMidiEvent(message);
            mirror->postNoteMessage(new CNoteButtonMessage(message));
        }

        const int data1 = event.numBytes > 1 ? event.data[1] : 0;
        const int data2 = event.numBytes > 2 ? event.data[2] : 0;
        instrument.postEvent(status & 0xF0, status & 0x0F, data1, data2, event.samplePosition);
    }
    midiMessages.clear();

    instrument.setCompleteRefillsBeforeBlock(offline);
    instrument.process(buffer.getArrayOfWritePointers(), buffer.getNumChannels(), buffer.getNumSamples());

    if (!offline)
        updateMeters(buffer);
}

void CZSP::updateMeters(const juce::AudioBuffer<float>& buffer)
{
    // Channels past the 32 of the bus set have no meter.
    const int channels = juce::jmin(buffer.getNumChannels(), meteredChannelCount);
    float evenPeak = 0.0f;
    float oddPeak = 0.0f;
    for (int channel = 0; channel < channels; ++channel)
    {
        const float magnitude = buffer.getMagnitude(channel, 0, buffer.getNumSamples());
        raisePeak(meterPeaks[static_cast<size_t>(channel)], magnitude);
        float& sum = (channel % 2 == 0) ? evenPeak : oddPeak;
        sum = juce::jmax(sum, magnitude);
    }
    raisePeak(meterPeaks[leftSumMeter], evenPeak);
    raisePeak(meterPeaks[rightSumMeter], oddPeak);
}

void CZSP::reset()
{
    for (auto& voice : instrument.voices)
        if (voice->isActive())
            voice->release();
}

bool CZSP::isBusesLayoutSupported(const BusesLayout& layouts) const
{
    return layouts.getMainOutputChannelSet() == juce::AudioChannelSet::stereo();
}

double CZSP::getTailLengthSeconds() const
{
    return 0.0;
}

bool CZSP::acceptsMidi() const
{
    return true;
}

bool CZSP::producesMidi() const
{
    return false;
}

juce::AudioProcessorEditor* CZSP::createEditor()
{
    return new juce::GenericAudioProcessorEditor(*this);
}

bool CZSP::hasEditor() const
{
    return true;
}

// Until the instrument library is read, the loaded instrument is the one
// program there is.
int CZSP::getNumPrograms()
{
    return 1;
}

int CZSP::getCurrentProgram()
{
    return 0;
}

void CZSP::setCurrentProgram(int)
{
}

const juce::String CZSP::getProgramName(int index)
{
    return index == 0 ? juce::String::fromUTF8(instrument.name.c_str()) : juce::String();
}

void CZSP::changeProgramName(int, const juce::String&)
{
}

// The processor keeps no state of its own yet: hosts store an empty block.
void CZSP::getStateInformation(juce::MemoryBlock& destData)
{
    destData.reset();
}

void CZSP::setStateInformation(const void*, int)
{
}

juce::AudioProcessor* JUCE_CALLTYPE createPluginFilter()
{
    raiseOpenFileLimit(2048);
    return new CZSP();
}
