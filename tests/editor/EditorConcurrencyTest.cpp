// The open window under load from every side at once: the host's audio
// thread plays notes, controllers and bend, the window refreshes and paints,
// the user turns knobs, picks choices, switches groups and instruments, and
// the loading thread replaces the instrument meanwhile. Meant to run under
// ThreadSanitizer too (a build with -DZSP_SANITIZER=thread): it must pass
// without a report.

#include <atomic>
#include <cmath>
#include <random>
#include <thread>

#include "EditorFixture.h"

namespace
{
class EditorConcurrency : public EditorFixture
{
};

TEST_F(EditorConcurrency, TheWindowWorksWhileTheAudioAndLoadingThreadsRun)
{
    library = std::make_unique<TestLibrary>();
    for (int k = 0; k < 3; ++k)
    {
        InstrumentRecipe recipe;
        recipe.name = "Stress " + std::to_string(k);
        recipe.groups = k + 2;
        recipe.zonesPerGroup = 6;
        recipe.framesPerZone = 2000;
        recipe.streaming = k == 1;
        recipe.layoutXml = bindingsLayout;
        library->add(juce::String(k) + ".zse", recipe);
    }
    processor = std::make_unique<EditorProcessor>(library->pluginFile());
    processor->setRateAndBufferSizeDetails(44100.0, blockSize);
    processor->prepareToPlay(44100.0, blockSize);
    openEditor();

    std::atomic<bool> stop { false };
    std::atomic<bool> nonFinite { false };
    std::atomic<int> blocks { 0 };
    std::thread audio([&] {
        juce::AudioBuffer<float> buffer(32, blockSize);
        juce::MidiBuffer midi;
        for (int k = 0; !stop; ++k)
        {
            midi.clear();
            const int note = 48 + (k / 3) % 24;
            if (k % 3 == 0)
                midi.addEvent(juce::MidiMessage::noteOn(1, note, juce::uint8 { 100 }), k % blockSize);
            else if (k % 3 == 2)
                midi.addEvent(juce::MidiMessage::noteOff(1, 48 + ((k - 2) / 3) % 24), 0);
            if (k % 7 == 0)
                midi.addEvent(juce::MidiMessage::controllerEvent(1, 7, k % 128), 1);
            if (k % 11 == 0)
                midi.addEvent(juce::MidiMessage::pitchWheel(1, (k * 97) % 16384), 2);
            hostBlock(*processor, buffer, midi);
            for (int c = 0; c < buffer.getNumChannels(); ++c)
                for (int s = 0; s < buffer.getNumSamples(); ++s)
                    if (!std::isfinite(buffer.getSample(c, s)))
                        nonFinite = true;
            ++blocks;
            std::this_thread::sleep_for(std::chrono::microseconds(500));
        }
    });

    std::mt19937 random(7);
    std::uniform_real_distribution<double> position(0.0, 1.0);
    int loadsRequested = 0;
    const auto end = juce::Time::getMillisecondCounter() + 4000;
    for (int round = 0; juce::Time::getMillisecondCounter() < end; ++round)
    {
        CPlayerGUI& surface = *gui->getPlayer();
        for (auto* knob : surface.sliders)
            knob->setValue(position(random), juce::sendNotificationSync);
        for (auto* box : surface.comboBoxes)
            if (box->getNumItems() > 0)
                box->setSelectedItemIndex(static_cast<int>(random() % static_cast<unsigned>(box->getNumItems())),
                                          juce::sendNotificationSync);
        if (auto* groupButton = find(surface.buttons, 102))
            groupButton->setToggleState(!groupButton->getToggleState(), juce::sendNotification);
        gui->selectGroup(static_cast<int>(random() % 4));
        surface.keyboardState.noteOn(1, 40 + round % 20, 0.8f);
        surface.keyboardState.noteOff(1, 40 + round % 20, 0.0f);
        if (round % 8 == 3)
        {
            processor->loadInstrument(loadsRequested % 3, {}, false, false);
            ++loadsRequested;
        }
        tick(1);
        juce::Image picture = gui->createComponentSnapshot(gui->getLocalBounds());
        EXPECT_EQ(picture.getWidth(), gui->getWidth());
        pumpMessages(2);
    }

    stop = true;
    audio.join();
    ASSERT_TRUE(waitUntil([&] { return !processor->isLoading(); }, 20000));
    pumpMessages(50);

    EXPECT_FALSE(nonFinite.load());
    EXPECT_GT(blocks.load(), 100);
    EXPECT_GT(loadsRequested, 0);
    ASSERT_NE(gui->getPlayer(), nullptr);
    EXPECT_EQ(gui->getWidth(), 400);
    EXPECT_EQ(find(gui->getPlayer()->labels, 1)->getText(), juce::String(processor->instrument.name));
}
} // namespace
