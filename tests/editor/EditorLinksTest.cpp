#include "PlayerSurfaceFixture.h"

namespace
{
// Stands in for the editor: counts what reaches it.
struct RecordingEditor : juce::MouseListener,
                         juce::Slider::Listener,
                         juce::ComboBox::Listener,
                         juce::Button::Listener,
                         RFaderDelegate,
                         juce::MidiKeyboardStateListener
{
    void sliderValueChanged(juce::Slider*) override { ++sliderChanges; }
    void comboBoxChanged(juce::ComboBox*) override { ++comboChanges; }
    void buttonClicked(juce::Button*) override { ++buttonClicks; }
    void faderValueChanged(RFader*, bool) override { ++faderChanges; }
    void handleNoteOn(juce::MidiKeyboardState*, int, int note, float) override { notesOn.push_back(note); }
    void handleNoteOff(juce::MidiKeyboardState*, int, int, float) override {}

    int sliderChanges = 0;
    int comboChanges = 0;
    int buttonClicks = 0;
    int faderChanges = 0;
    std::vector<int> notesOn;
};
} // namespace

TEST(EditorLinksTest, TheEditorHearsEveryKindOfControlAndTheKeyboardState)
{
    ZInstrument instrument;
    instrument.layoutXml = "<Player><knob/><Combo 2=\"1\"/><Button/><keyboard/></Player>";
    juce::MidiKeyboardState state;
    RecordingEditor editor;
    {
        CPlayerGUI surface(&instrument, state, CPlayerGUI::EditorLinks::to(editor));
        surface.loadLayout();
        surface.sliders[0]->setValue(0.5, juce::sendNotificationSync);
        surface.comboBoxes[0]->setSelectedItemIndex(2, juce::sendNotificationSync);
        surface.buttons[0]->setToggleState(true, juce::sendNotificationSync);
        state.noteOn(1, 64, 1.0f);
        EXPECT_EQ(editor.sliderChanges, 1);
        EXPECT_EQ(editor.comboChanges, 1);
        EXPECT_EQ(editor.buttonClicks, 1);
        EXPECT_EQ(editor.notesOn, std::vector<int> { 64 });
        surface.loadLayout();  // a rebuild registers nobody twice
        state.noteOn(1, 65, 1.0f);
        EXPECT_EQ(editor.notesOn, (std::vector<int> { 64, 65 }));
    }
    state.noteOn(1, 66, 1.0f);  // the surface is gone, and its registration with it
    EXPECT_EQ(editor.notesOn, (std::vector<int> { 64, 65 }));
}

TEST(EditorLinksTest, WithoutAnEditorNothingIsWired)
{
    ZInstrument instrument;
    juce::MidiKeyboardState state;
    CPlayerGUI surface(&instrument, state, {});
    surface.loadLayout();  // the default layout
    EXPECT_EQ(surface.widgets.size(), 12);
    surface.sliders[0]->setValue(0.25, juce::sendNotificationSync);
    state.noteOn(1, 60, 1.0f);
}
