// Loads, restores and state snapshots on the message and loading threads
// while a host's audio thread renders and another host thread sets
// parameters. Meant to run under ThreadSanitizer as well (a build with
// -DZSP_SANITIZER=thread): it must pass without a report.

#include <random>
#include <thread>

#include "ProcessorFixture.h"
#include "TestLibrary.h"

JUCE_BEGIN_IGNORE_WARNINGS_GCC_LIKE("-Wdeprecated-declarations")

namespace
{
constexpr int block = 128;
}

TEST(ConcurrencyStress, LoadsWhileTheAudioThreadRendersAndTheHostSetsParameters)
{
    TestLibrary library;
    const char* names[] = { "Memory", "Streaming", "Layered" };
    for (int k = 0; k < 3; ++k)
    {
        InstrumentRecipe recipe;
        recipe.name = names[k];
        recipe.groups = k + 1;
        recipe.zonesPerGroup = 12;
        recipe.framesPerZone = 3000;
        recipe.streaming = k == 1;
        library.add(juce::String(k) + ".zse", recipe);
    }
    TestProcessor processor(library.pluginFile());
    processor.setRateAndBufferSizeDetails(44100.0, block);
    processor.prepareToPlay(44100.0, block);

    std::vector<std::vector<uint8_t>> states;
    for (int k = 0; k < 3; ++k)
    {
        processor.loadInstrument(k, {}, false, true);
        processor.instrument.settings.volume = -1.0f - static_cast<float>(k);
        juce::MemoryBlock saved;
        processor.getStateInformation(saved);
        states.emplace_back(static_cast<const uint8_t*>(saved.getData()),
                            static_cast<const uint8_t*>(saved.getData()) + saved.getSize());
    }

    std::atomic<bool> stop { false };
    std::atomic<bool> nonFinite { false };
    std::atomic<int> blocks { 0 };
    std::thread audio([&] {
        juce::AudioBuffer<float> buffer(32, block);
        juce::MidiBuffer midi;
        for (int k = 0; !stop; ++k)
        {
            midi.clear();
            const int note = 36 + (k / 4) % 48;
            if (k % 4 == 0)
                midi.addEvent(juce::MidiMessage::noteOn(1, note, juce::uint8 { 100 }), k % block);
            else if (k % 4 == 2)
                midi.addEvent(juce::MidiMessage::noteOff(1, note - 1), 0);
            hostBlock(processor, buffer, midi);
            for (int c = 0; c < buffer.getNumChannels(); ++c)
                for (int i = 0; i < block; ++i)
                    if (!std::isfinite(buffer.getSample(c, i)))
                        nonFinite = true;
            ++blocks;
        }
    });
    std::thread automation([&] {
        std::mt19937 random(7);
        std::uniform_real_distribution<float> unit(0.0f, 1.0f);
        while (!stop)
        {
            const int index = static_cast<int>(random() % 6);
            processor.setParameter(index, unit(random));
            if (processor.getParameter(index) < 0.0f || processor.getParameterText(index).length() > 16)
                nonFinite = true;
        }
    });

    std::mt19937 random(11);
    int lastProgram = 0;
    for (int step = 0; step < 150; ++step)
    {
        const int choice = static_cast<int>(random() % 10);
        if (choice < 5)
            processor.setCurrentProgram(lastProgram = static_cast<int>(random() % 3));
        else if (choice < 7)
        {
            lastProgram = static_cast<int>(random() % 3);
            const auto& state = states[static_cast<size_t>(lastProgram)];
            processor.setStateInformation(state.data(), static_cast<int>(state.size()));
        }
        else if (choice < 9)
        {
            juce::MemoryBlock saved;
            processor.getStateInformation(saved);
        }
        else
            processor.loadInstrument(lastProgram = static_cast<int>(random() % 3), {}, false, true);
        pumpMessages(static_cast<int>(random() % 3));
    }
    ASSERT_TRUE(waitUntil([&processor] { return !processor.isLoading(); }));
    const int before = blocks.load();
    ASSERT_TRUE(waitUntil([&] { return blocks.load() > before + 10; }));
    stop = true;
    audio.join();
    automation.join();

    EXPECT_FALSE(nonFinite);
    EXPECT_EQ(processor.getCurrentProgram(), lastProgram);
    EXPECT_EQ(processor.instrument.name, names[lastProgram]);
    EXPECT_EQ(processor.instrument.groups.size(), static_cast<size_t>(lastProgram + 1));
}

JUCE_END_IGNORE_WARNINGS_GCC_LIKE
