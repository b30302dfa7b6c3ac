// The controls of a layout, moved the way the user moves them, and what
// reaches the engine.

#include "EditorFixture.h"

namespace
{
using Bindings = EditorFixture;

ZEvent only(const std::vector<ZEvent>& events)
{
    EXPECT_EQ(events.size(), 1u);
    return events.empty() ? ZEvent {} : events.front();
}

TEST_F(Bindings, TheVolumeKnobAtHalfSetsMinus12DecibelsAtTheNextBlock)
{
    openLibrary(1, 1);
    openEditor();
    find(player().sliders, 2)->setValue(0.5, juce::sendNotificationSync);
    runBlock();
    EXPECT_FLOAT_EQ(processor->instrument.settings.volume, -12.0f);
    find(player().sliders, 2)->setValue(1.0, juce::sendNotificationSync);
    runBlock();
    EXPECT_FLOAT_EQ(processor->instrument.settings.volume, 6.0f);
}

TEST_F(Bindings, AnAttackKnobWithMask5ChangesGroups0And2)
{
    openLibrary(1, 3);
    openEditor();
    find(player().sliders, 101)->setValue(1.0, juce::sendNotificationSync);
    runBlock();
    const auto& groups = processor->instrument.groups;
    EXPECT_FLOAT_EQ(groups[0]->settings.attackScale, 2.0f);
    EXPECT_FLOAT_EQ(groups[1]->settings.attackScale, 1.0f);
    EXPECT_FLOAT_EQ(groups[2]->settings.attackScale, 2.0f);
}

TEST_F(Bindings, AControllerKnobPostsItsControllerRounded)
{
    openLibrary(1, 1);
    openEditor();
    takeEvents();
    find(player().sliders, 207)->setValue(0.5, juce::sendNotificationSync);
    const ZEvent event = only(takeEvents());
    EXPECT_EQ(event.status, 0xB0);  // channel 0
    EXPECT_EQ(event.data1, 7);
    EXPECT_EQ(event.data2, 64);
    EXPECT_EQ(event.position, -1);
}

TEST_F(Bindings, AKnobWithAnIdOf456OrMoreDoesNothing)
{
    openLibrary(1, 1);
    openEditor();
    takeEvents();
    find(player().sliders, 456)->setValue(0.7, juce::sendNotificationSync);
    runBlock();
    EXPECT_TRUE(takeEvents().empty());
}

TEST_F(Bindings, TheOutputComboOffersSixteenOutputsAndTheLastIsOutput15)
{
    openLibrary(1, 1);
    openEditor();
    juce::ComboBox* outputs = find(player().comboBoxes, 102);
    ASSERT_EQ(outputs->getNumItems(), 16);
    EXPECT_EQ(outputs->getItemText(15), "16");
    outputs->setSelectedId(16, juce::sendNotificationSync);
    runBlock();
    EXPECT_EQ(processor->instrument.groups[0]->settings.output, 15);
}

TEST_F(Bindings, TheLfoShapeComboPicksSquareAndAnId8ComboIsEmpty)
{
    openLibrary(1, 1);
    openEditor();
    juce::ComboBox* shapes = find(player().comboBoxes, 4);
    ASSERT_EQ(shapes->getNumItems(), 5);
    EXPECT_EQ(shapes->getItemText(3), "Square");
    shapes->setSelectedId(4, juce::sendNotificationSync);
    runBlock();
    EXPECT_EQ(processor->instrument.settings.lfoShape, 3);
    EXPECT_EQ(find(player().comboBoxes, 8)->getNumItems(), 0);
}

TEST_F(Bindings, AComboLeftWithoutSelectionStoresNothing)
{
    openLibrary(1, 1);
    openEditor();
    processor->instrument.settings.lfoShape = 2;
    find(player().comboBoxes, 4)->setSelectedId(0, juce::sendNotificationSync);
    runBlock();
    EXPECT_EQ(processor->instrument.settings.lfoShape, 2);
}

TEST_F(Bindings, AMomentaryNoteButtonSendsOnAtPressAndOffAtRelease)
{
    openLibrary(1, 1);
    openEditor();
    juce::Button* button = find(player().buttons, 10, 0);
    takeEvents();
    button->setState(juce::Button::buttonDown);
    ZEvent on = only(takeEvents());
    EXPECT_EQ(on.statusNibble(), 0x90);
    EXPECT_EQ(on.data1, 60);
    EXPECT_EQ(on.data2, 100);
    EXPECT_TRUE(player().keyboardState.isNoteOn(1, 60));  // shown, not sent twice

    // Dragged off: the button leaves its down state and the note ends.
    button->setState(juce::Button::buttonOver);
    const ZEvent off = only(takeEvents());
    EXPECT_EQ(off.statusNibble(), 0x80);
    EXPECT_EQ(off.data1, 60);
    EXPECT_FALSE(player().keyboardState.isNoteOn(1, 60));

    button->setState(juce::Button::buttonNormal);  // never pressed since: nothing
    EXPECT_TRUE(takeEvents().empty());
}

TEST_F(Bindings, AReflectingButtonSendsNothing)
{
    openLibrary(1, 1);
    openEditor();
    juce::Button* button = find(player().buttons, 10, 0);
    takeEvents();
    button->setName("reflecting");
    button->setState(juce::Button::buttonDown);
    button->setState(juce::Button::buttonNormal);
    EXPECT_TRUE(takeEvents().empty());
}

TEST_F(Bindings, AToggleNoteButtonLatches)
{
    openLibrary(1, 1);
    openEditor();
    juce::Button* button = find(player().buttons, 10, 1);
    ASSERT_TRUE(button->getClickingTogglesState());
    takeEvents();
    button->setToggleState(true, juce::sendNotification);
    const ZEvent on = only(takeEvents());
    EXPECT_EQ(on.statusNibble(), 0x90);
    EXPECT_EQ(on.data1, 62);
    EXPECT_EQ(on.data2, 100);
    button->setToggleState(false, juce::sendNotification);
    const ZEvent off = only(takeEvents());
    EXPECT_EQ(off.statusNibble(), 0x80);
    EXPECT_EQ(off.data1, 62);
}

TEST_F(Bindings, GroupButtonsDoNothingPastEitherEnd)
{
    openLibrary(1, 3);
    openEditor();
    juce::Button* previous = find(player().buttons, 6);
    juce::Button* next = find(player().buttons, 7);
    ZInstrument& engine = processor->instrument;

    auto click = [](juce::Button* button) {
        button->triggerClick();
        pumpMessages();
    };
    click(previous);  // on the first group
    runBlock();
    EXPECT_EQ(engine.currentGroup, engine.groups[0].get());

    for (int k = 0; k < 4; ++k)
    {
        click(next);
        runBlock();
        processor->requestEngineView();
        runBlock();
        tick(1);
    }
    EXPECT_EQ(engine.currentGroup, engine.groups[2].get());  // stayed on the last
    EXPECT_EQ(gui->currentGroupIndex(), 2);

    click(previous);
    runBlock();
    EXPECT_EQ(engine.currentGroup, engine.groups[1].get());
}

TEST_F(Bindings, TheGroupActiveButtonSwitchesItsGroupAndShowsIt)
{
    openLibrary(1, 2);
    openEditor();
    juce::Button* active = find(player().buttons, 102);
    EXPECT_TRUE(active->getToggleState());  // the current group is active
    active->setToggleState(false, juce::sendNotification);
    runBlock();
    EXPECT_TRUE(processor->instrument.activeGroups.empty());
    tick(2);
    EXPECT_FALSE(active->getToggleState());
}

TEST_F(Bindings, KeyboardClicksPostTheirNotesOnce)
{
    openLibrary(1, 1);
    openEditor();
    takeEvents();
    player().keyboardState.noteOn(3, 64, 0.5f);
    const ZEvent on = only(takeEvents());
    EXPECT_EQ(on.statusNibble(), 0x90);
    EXPECT_EQ(on.channel(), 2);
    EXPECT_EQ(on.data2, 63);
    player().keyboardState.noteOff(3, 64, 0.0f);
    const ZEvent off = only(takeEvents());
    EXPECT_EQ(off.statusNibble(), 0x80);
    EXPECT_EQ(off.data2, 0);
}

TEST_F(Bindings, HostNotesShowOnTheKeyboardsWithoutBeingSentBack)
{
    openLibrary(1, 1);
    openEditor();
    juce::MidiBuffer midi;
    midi.addEvent(juce::MidiMessage::noteOn(2, 50, juce::uint8 { 90 }), 0);
    runBlock(midi);
    EXPECT_FALSE(player().keyboardState.isNoteOn(2, 50));  // not from the audio thread
    takeEvents();
    tick();
    EXPECT_TRUE(player().keyboardState.isNoteOn(2, 50));
    EXPECT_TRUE(takeEvents().empty());

    juce::MidiBuffer allOff;
    allOff.addEvent(juce::MidiMessage::allNotesOff(2), 0);
    runBlock(allOff);
    takeEvents();
    tick();
    EXPECT_FALSE(player().keyboardState.isNoteOn(2, 50));
    EXPECT_TRUE(takeEvents().empty());
}
} // namespace
