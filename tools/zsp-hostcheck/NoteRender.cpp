#include "NoteRender.h"

#include <cmath>

std::vector<BusSound> renderNote(juce::AudioPluginInstance& plugin, int blockSize, const NoteRequest& request,
                                 std::vector<float>* samples)
{
    const int busCount = plugin.getBusCount(false);
    std::vector<BusSound> sounds(static_cast<size_t>(busCount));
    std::vector<double> sumOfSquares(sounds.size(), 0.0);
    for (int bus = 0; bus < busCount; ++bus)
    {
        sounds[static_cast<size_t>(bus)].name = plugin.getBus(false, bus)->getName();
        sounds[static_cast<size_t>(bus)].channels = plugin.getBus(false, bus)->getNumberOfChannels();
    }

    const int channels = juce::jmax(plugin.getTotalNumInputChannels(), plugin.getTotalNumOutputChannels());
    juce::AudioBuffer<float> buffer(channels, blockSize);
    juce::MidiBuffer midi;
    const int totalBlocks = request.heldBlocks + request.releaseBlocks;

    for (int block = 0; block < totalBlocks; ++block)
    {
        buffer.clear();
        midi.clear();
        if (block == 0)
            midi.addEvent(juce::MidiMessage::noteOn(request.channel, request.note, static_cast<juce::uint8>(request.velocity)), 0);
        if (block == request.heldBlocks)
            midi.addEvent(juce::MidiMessage::noteOff(request.channel, request.note), 0);

        plugin.processBlock(buffer, midi);
        if (samples != nullptr)
            for (int c = 0; c < channels; ++c)
                samples->insert(samples->end(), buffer.getReadPointer(c), buffer.getReadPointer(c) + blockSize);

        for (int bus = 0; bus < busCount; ++bus)
        {
            auto& sound = sounds[static_cast<size_t>(bus)];
            const int first = plugin.getChannelIndexInProcessBlockBuffer(false, bus, 0);
            for (int c = first; c < first + sound.channels && c < channels; ++c)
            {
                const float* samples = buffer.getReadPointer(c);
                for (int i = 0; i < blockSize; ++i)
                {
                    const float value = std::abs(samples[i]);
                    const auto position = static_cast<juce::int64>(block) * blockSize + i;
                    if (value > 0.0f && (sound.firstSound < 0 || position < sound.firstSound))
                        sound.firstSound = position;
                    sound.peak = juce::jmax(sound.peak, value);
                    sumOfSquares[static_cast<size_t>(bus)] += static_cast<double>(samples[i]) * samples[i];
                }
            }
        }
    }

    for (size_t bus = 0; bus < sounds.size(); ++bus)
    {
        const double count = static_cast<double>(juce::jmax(1, sounds[bus].channels)) * totalBlocks * blockSize;
        sounds[bus].rms = count > 0 ? std::sqrt(sumOfSquares[bus] / count) : 0.0;
    }
    return sounds;
}

void renderSilence(juce::AudioPluginInstance& plugin, int blockSize, int blocks)
{
    const int channels = juce::jmax(plugin.getTotalNumInputChannels(), plugin.getTotalNumOutputChannels());
    juce::AudioBuffer<float> buffer(channels, blockSize);
    juce::MidiBuffer midi;
    for (int block = 0; block < blocks; ++block)
    {
        buffer.clear();
        midi.clear();
        plugin.processBlock(buffer, midi);
    }
}
