// The window's states, its refresh from the engine, its labels and meters and
// the host's MIDI shown on its controls.

#include "EditorFixture.h"
#include "widgets/RLevelMeterDriver.h"

namespace
{
using Shell = EditorFixture;

TEST_F(Shell, AnEmptyLibraryShowsItsMessageAlone)
{
    openLibrary(0, 1);
    openEditor();
    EXPECT_EQ(gui->getPlayer(), nullptr);
    ASSERT_NE(gui->getEmptyLibraryLabel(), nullptr);
    EXPECT_EQ(gui->getEmptyLibraryLabel()->getText(), "Cannot find any instruments.");
    EXPECT_EQ(gui->getEmptyLibraryLabel()->getBounds(), juce::Rectangle<int>(0, 0, 600, 250));
    EXPECT_EQ(gui->getWidth(), 600);
    EXPECT_EQ(gui->getHeight(), 250);
    EXPECT_FALSE(gui->isTimerRunning(CZSPGUI::meterTimer));
    EXPECT_FALSE(gui->isTimerRunning(CZSPGUI::overlayTimer));
}

TEST_F(Shell, AReadyWindowTakesTheLayoutsSizeAndRunsItsMeterTimer)
{
    openLibrary(1, 2);
    openEditor();
    ASSERT_NE(gui->getPlayer(), nullptr);
    EXPECT_EQ(gui->getWidth(), 400);
    EXPECT_EQ(gui->getHeight(), 300);
    EXPECT_TRUE(gui->isTimerRunning(CZSPGUI::meterTimer));
    EXPECT_FALSE(gui->getLoadingOverlay().isVisible());
}

TEST_F(Shell, TheDefaultLayoutGivesItsOwnSize)
{
    openLibrary(1, 1, "");
    openEditor();
    EXPECT_EQ(gui->getWidth(), 593);
    EXPECT_EQ(gui->getHeight(), 242);
}

TEST_F(Shell, NameLabelsShowTheInstrumentAndTheCurrentGroup)
{
    openLibrary(1, 3);
    openEditor();
    EXPECT_EQ(find(player().labels, 1)->getText(), "Instrument 1");
    EXPECT_EQ(find(player().labels, 2)->getText(), "Group 1");
    EXPECT_EQ(find(player().labels, 3)->getText(), "Group 1 ");
}

TEST_F(Shell, TheActiveGroupsLabelListsThemInListOrderEachFollowedByASpace)
{
    openLibrary(1, 3);
    openEditor();
    // Group 3 first, then group 1 again: the label still lists group 1 first.
    processor->postEngineEdit([&] {
        CEngineEdit edit = CEngineEdit::groups(CEngineEdit::Kind::activateGroup, 2);
        edit.generation = gui->getEngineView().instrumentGeneration;
        return edit;
    }());
    runBlock();
    tick();
    runBlock();
    tick();
    EXPECT_EQ(find(player().labels, 3)->getText(), "Group 1 Group 3 ");
}

TEST_F(Shell, SelectingAGroupLeavesItAloneActiveAndTheLabelsFollow)
{
    openLibrary(1, 3);
    openEditor();
    gui->selectGroup(1);
    runBlock();
    tick();
    runBlock();
    tick();
    EXPECT_EQ(gui->currentGroupIndex(), 1);
    EXPECT_EQ(find(player().labels, 2)->getText(), "Group 2");
    EXPECT_EQ(find(player().labels, 3)->getText(), "Group 2 ");
    ASSERT_EQ(processor->instrument.activeGroups.size(), 1u);
    EXPECT_EQ(processor->instrument.activeGroups.front(), processor->instrument.groups[1].get());
}

TEST_F(Shell, WithoutBlocksTheWindowsTimerAppliesItsChangesItself)
{
    openLibrary(1, 3);
    openEditor();
    gui->selectGroup(2);
    tick(3);  // no audio thread: the first tick finds it idle, the next apply
    EXPECT_EQ(processor->instrument.currentGroup, processor->instrument.groups[2].get());
    EXPECT_EQ(find(player().labels, 2)->getText(), "Group 3");
}

TEST_F(Shell, TheRefreshPutsKnobsWhereTheEngineIs)
{
    openLibrary(1, 3);
    openEditor();
    // 0 dB is 5/6 of the volume knob's travel; a glide of 500 ms half of the glide knob's.
    processor->postEngineEdit([&] {
        CEngineEdit edit = ControlBindings::knobEdit(2, 5.0 / 6.0);
        edit.generation = gui->getEngineView().instrumentGeneration;
        return edit;
    }());
    runBlock();
    processor->requestEngineView();
    runBlock();
    tick();
    EXPECT_NEAR(processor->instrument.settings.volume, 0.0f, 1e-5);
    EXPECT_NEAR(find(player().sliders, 2)->getValue(), 5.0 / 6.0, 1e-6);
    EXPECT_DOUBLE_EQ(find(player().sliders, 1)->getSkewFactor(), 0.2);
}

TEST_F(Shell, MetersRiseToThePeaksInDecibelsAndThePeaksAreZeroed)
{
    openLibrary(1, 1);
    openEditor();
    RLevelMeter* third = find(player().meters, 3);
    RLevelMeter* outside = find(player().meters, 35);
    ASSERT_NE(third, nullptr);
    ASSERT_NE(outside, nullptr);
    // Let the meters fall to rest first (they start full, at 0 dB).
    for (int k = 0; k < 40; ++k)
        RLevelMeterDriver::getInstance()->timerCallback();
    ASSERT_LT(third->getLevel(), -29.0f);
    processor->meterPeaks[2] = 0.5f;
    processor->meterPeaks[33] = 1.0f;
    const float before = outside->getLevel();
    gui->updateMeters();
    EXPECT_NEAR(third->getLevel(), -6.0206f, 1e-3);
    EXPECT_FLOAT_EQ(outside->getLevel(), before);  // id 35 shows no peak
    for (auto& peak : processor->meterPeaks)
        EXPECT_EQ(peak.load(), 0.0f);
}

TEST_F(Shell, HostNotesPressNoteButtonsWithoutSendingNotes)
{
    openLibrary(1, 1);
    openEditor();
    juce::Button* button = find(player().buttons, 10);
    ASSERT_NE(button, nullptr);
    juce::MidiBuffer midi;
    midi.addEvent(juce::MidiMessage::noteOn(1, 60, juce::uint8 { 90 }), 3);
    runBlock(midi);
    takeEvents();
    tick(1);
    EXPECT_EQ(button->getState(), juce::Button::buttonDown);
    EXPECT_TRUE(takeEvents().empty());
    EXPECT_EQ(button->getName(), "");

    midi.clear();
    midi.addEvent(juce::MidiMessage::noteOn(1, 60, juce::uint8 { 0 }), 0);  // velocity 0 releases
    runBlock(midi);
    takeEvents();
    tick(1);
    EXPECT_EQ(button->getState(), juce::Button::buttonNormal);
    EXPECT_TRUE(takeEvents().empty());
}

TEST_F(Shell, HostControllersAndBendMoveTheirKnobsWithoutFeedback)
{
    openLibrary(1, 1);
    openEditor();
    juce::MidiBuffer midi;
    midi.addEvent(juce::MidiMessage::controllerEvent(3, 7, 100), 0);
    midi.addEvent(juce::MidiMessage::pitchWheel(1, 16383), 1);
    runBlock(midi);
    takeEvents();
    tick(1);
    EXPECT_NEAR(find(player().sliders, 207)->getValue(), 100.0 / 127.0, 1e-9);
    EXPECT_NEAR(find(player().sliders, 9)->getValue(), 1.0, 1e-9);
    EXPECT_TRUE(takeEvents().empty());  // the knobs' listeners stayed quiet
}

TEST_F(Shell, ALongLoadShowsTheOverlayAndItsEndRebuildsThePlayer)
{
    openLibrary(2, 1);
    openEditor();
    gui->loadStarting(juce::Colours::red);
    EXPECT_TRUE(gui->isTimerRunning(CZSPGUI::overlayTimer));
    processor->loadInstrument(1, {}, false, false);
    ASSERT_TRUE(waitUntil([&] { return !processor->isLoading(); }));
    ASSERT_TRUE(waitUntil([&] { return find(player().labels, 1)->getText() == "Instrument 2"; }));
    EXPECT_FALSE(gui->getLoadingOverlay().isVisible());
    EXPECT_FALSE(gui->isTimerRunning(CZSPGUI::overlayTimer));
}

TEST_F(Shell, EditsAreRefusedWhileALoadRuns)
{
    openLibrary(2, 1);
    openEditor();
    CEngineEdit edit = ControlBindings::knobEdit(2, 0.5);
    edit.generation = gui->getEngineView().instrumentGeneration;
    processor->loadInstrument(1, {}, false, false);
    if (processor->isLoading())
        EXPECT_FALSE(processor->postEngineEdit(edit));
    ASSERT_TRUE(waitUntil([&] { return !processor->isLoading(); }));
    // Made for the instrument the load replaced: dropped.
    EXPECT_FALSE(processor->postEngineEdit(edit));
}
} // namespace

namespace
{
TEST_F(Shell, TheRefreshLeavesKnobsWithoutABindingWhereTheyAre)
{
    openLibrary(1, 1);
    openEditor();
    juce::Slider* unbound = find(player().sliders, 456);
    ASSERT_NE(unbound, nullptr);
    unbound->setValue(0.7, juce::dontSendNotification);
    gui->refreshControls();
    EXPECT_DOUBLE_EQ(unbound->getValue(), 0.7);
}
} // namespace
