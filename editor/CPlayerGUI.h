#pragma once
#include <juce_audio_utils/juce_audio_utils.h>

#include <functional>

#include "widgets/CPlayerKeyboard.h"
#include "widgets/RFader.h"
#include "widgets/RFaderDelegate.h"
#include "widgets/RLevelMeter.h"

class ZInstrument;

// The player surface: paints the instrument's colour and background image and
// builds the player's controls from the instrument's layout text. Every
// control is owned here, kept in a list by kind, wired to the editor's
// listeners and tagged with component properties named after the layout's
// attributes ("1" image number, "2" control id, ... "10" note number, colour
// id + 100); the editor finds a control's meaning only through them.
//
// The keyboard state belongs to the processor, which feeds it the host's
// notes; every keyboard of the layout shows it, and the editor's keyboard
// listener is registered with it for the surface's lifetime.
class CPlayerGUI : public juce::Component
{
public:
    // Who hears the controls: normally the editor for all of them. Any entry
    // may be null, and then that kind of control is wired to nobody.
    struct EditorLinks
    {
        juce::MouseListener* labelMouse = nullptr;         // clicks on labels
        juce::Slider::Listener* knobs = nullptr;
        juce::ComboBox::Listener* comboBoxes = nullptr;
        juce::Button::Listener* buttons = nullptr;
        RFaderDelegate* faders = nullptr;
        juce::MidiKeyboardStateListener* keyboard = nullptr;  // of keyboardState

        // Every link to one object that is all of these listeners (the editor).
        template <typename Editor>
        static EditorLinks to(Editor& editor)
        {
            return { &editor, &editor, &editor, &editor, &editor, &editor };
        }
        bool isEmpty() const noexcept
        {
            return labelMouse == nullptr && knobs == nullptr && comboBoxes == nullptr && buttons == nullptr
                   && faders == nullptr && keyboard == nullptr;
        }
    };

    // Empty and 0 x 0 until loadLayout runs. instrument is the one whose
    // layout is shown; sharedKeyboardState must outlive the surface.
    CPlayerGUI(ZInstrument* instrument, juce::MidiKeyboardState& sharedKeyboardState, EditorLinks links);
    ~CPlayerGUI() override;

    // Deletes everything built before and builds the surface from the
    // instrument's current layout text, background image and colour. A layout
    // that does not parse, or whose root is not a player, shows a message box
    // (without waiting for it) and leaves the surface without widgets.
    void loadLayout();

    // Builds the widget of one layout element, or returns null for an element
    // that makes none. The widget is added to its typed list but not yet to
    // widgets nor to the surface; loadLayout runs the attribute passes on it.
    juce::Component* createWidget(const juce::XmlElement& element);

    // The first layout image whose name reads as the number; null when none.
    juce::Image findImage(int number) const;

    // Deletes every widget (each typed list from its last entry to its first)
    // and forgets the layout's images.
    void clearWidgets();

    // The instrument's background colour as the last loadLayout read it (light
    // grey before that or without an instrument). Kept, not read live, because
    // paint runs while a load may rewrite the instrument's settings.
    juce::Colour playerColour() const { return colourOfLayout; }

    // Adds the choices of the combo box's control id (property "2") to it,
    // with item ids 1, 2, 3 ...; a box of any other id gets none.
    static void fillChoices(juce::ComboBox& comboBox);

    void paint(juce::Graphics& g) override;

    // The fifteen JUCE colour ids a layout may set, in the order they are
    // applied; each is set by the attribute named id + 100.
    static const std::array<int, 15> layoutColourIds;

    // The surface is never wider or higher than this, whatever the layout
    // asks for, so the window and its pictures stay of a size one can draw.
    static constexpr int maximumSide = 8192;

    // Fed from the audio thread by the processor; shared by every keyboard.
    juce::MidiKeyboardState& keyboardState;
    juce::OwnedArray<CPlayerKeyboard> keyboards;
    juce::OwnedArray<juce::Label> labels;
    juce::OwnedArray<juce::Slider> sliders;          // CKnob or plain juce::Slider
    juce::OwnedArray<juce::ComboBox> comboBoxes;
    juce::OwnedArray<juce::Button> buttons;          // juce::ImageButton or juce::TextButton
    juce::OwnedArray<RFader> faders;
    juce::OwnedArray<RLevelMeter> meters;
    juce::Array<juce::Image> images;                 // the layout's images, in document order
    juce::Array<juce::Component*> widgets;           // every widget, in creation order; not owning
    juce::Image backgroundImage;                     // may be null
    ZInstrument* instrument = nullptr;
    juce::TooltipWindow tooltipWindow;
    EditorLinks editor;

    // How a layout error reaches the user: an asynchronous message box by
    // default. Tests and tools replace it.
    std::function<void(const juce::String& title, const juce::String& message)> showMessage;

private:
    juce::Colour colourOfLayout { 0xffd3d3d3 };

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(CPlayerGUI)
};
