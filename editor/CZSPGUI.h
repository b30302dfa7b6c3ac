#pragma once
#include <memory>
#include <vector>

#include <juce_audio_processors/juce_audio_processors.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include "ControlBindings.h"
#include "editor/CPlayerGUI.h"
#include "processor/CEditorLink.h"
#include "processor/CEngineView.h"
#include "processor/CMidiEventQueue.h"
#include "widgets/CLoadingComponent.h"
#include "widgets/RFaderDelegate.h"

class CZSP;

// The plugin's window. It shows the player surface built from the
// instrument's layout (or, with an empty library, a single message), owns the
// loading overlay, offers the instrument and group menus and the file
// choosers, hands every control the user moves to the engine, and keeps the
// controls, labels and meters in step with the engine.
//
// Everything here runs on the message thread. The window reads the engine
// only through the copies the processor takes between two blocks
// (CEngineView) and changes it only through edits the processor applies
// between two blocks (CEngineEdit); notes and controllers go into the
// engine's event queue. What the records of the instrument hold that only a
// load changes (names, layout) it reads when a load has ended.
class CZSPGUI : public juce::AudioProcessorEditor,
                public CEditorLink,
                public juce::MidiKeyboardStateListener,
                public juce::Slider::Listener,
                public juce::Button::Listener,
                public juce::ComboBox::Listener,
                public RFaderDelegate,
                public juce::MultiTimer
{
public:
    static constexpr int meterTimer = 1;    // 50 ms, repeating: MIDI mirroring, refresh, meters
    static constexpr int overlayTimer = 2;  // 1000 ms, once: shows the overlay of a long load
    static constexpr int meterPeriodMs = 50;
    static constexpr int overlayDelayMs = 1000;
    static constexpr int initialWidth = 600;
    static constexpr int initialHeight = 250;
    static const juce::Colour backgroundColour;
    static const char* const emptyLibraryText;
    static const char* const settingsKeyLoadInstrument;
    static const char* const reflectingName;

    explicit CZSPGUI(CZSP& owner);
    ~CZSPGUI() override;

    // CEditorLink.
    void loadStarting(juce::Colour playerColour) override;
    void loadEnded(bool succeeded) override;

    // Rebuilds the surface from the loaded instrument and sizes the window to
    // it; the processor calls it (through loadEnded) after a successful load.
    void rebuildPlayer();
    // Sets every control and label from the latest engine view.
    void refreshControls();
    // Raises the meters from the processor's peaks and zeroes the peaks.
    void updateMeters();
    // The work of timer 1 (also what tests call instead of waiting for it).
    void tick();

    void showInstrumentMenu();
    void showGroupMenu();
    // "Open Instrument": starts in the folder saved under "load instrument".
    void chooseInstrumentFile();
    // "Load Instrument" (button 3): starts beside the plugin, remembers nothing.
    void chooseFileToLoad();

    // Makes group `index` the only active group and the current group; an
    // index outside the group list does nothing.
    void selectGroup(int index);
    // The groups a control with group mask `mask` addresses, as indices of
    // the group list; -1 stands for a current group that does not exist.
    std::vector<int> groupsForMask(const juce::String& mask) const;
    // A knob or fader of control id `controlId` moved to x.
    void applyControlValue(const std::vector<int>& groups, const juce::var& controlId, double x);
    // The position the refresh gives a knob or fader of `controlId` for group `group`.
    double controlPosition(const juce::var& controlId, int group) const;
    // Shows one event of the host's MIDI on the note buttons and knobs.
    void mirrorEvent(const CMidiEventQueue::Event& event);

    CPlayerGUI* getPlayer() const noexcept { return player.get(); }
    CLoadingComponent& getLoadingOverlay() noexcept { return *loadingOverlay; }
    juce::Label* getEmptyLibraryLabel() const noexcept { return emptyLibraryLabel.get(); }
    const CEngineView& getEngineView() const noexcept { return view; }
    const juce::StringArray& getGroupNames() const noexcept { return groupNames; }
    int currentGroupIndex() const noexcept { return view.currentGroup; }

    // juce::Component.
    void paint(juce::Graphics& g) override;
    void mouseDown(const juce::MouseEvent& e) override;
    void mouseDoubleClick(const juce::MouseEvent& e) override;
    void visibilityChanged() override;

    // Listeners of the controls (the bindings).
    void handleNoteOn(juce::MidiKeyboardState* source, int midiChannel, int midiNoteNumber, float velocity) override;
    void handleNoteOff(juce::MidiKeyboardState* source, int midiChannel, int midiNoteNumber, float velocity) override;
    void sliderValueChanged(juce::Slider* slider) override;
    void buttonClicked(juce::Button* button) override;
    void buttonStateChanged(juce::Button* button) override;
    void comboBoxChanged(juce::ComboBox* comboBox) override;
    void faderValueChanged(RFader* fader, bool isFinal) override;

    void timerCallback(int timerID) override;

private:
    // What a control addresses, from its properties "2" and "9".
    static juce::var controlIdOf(const juce::Component& component);
    std::vector<int> targetGroupsOf(const juce::Component& component) const;
    const GroupSettings* firstGroupOf(const juce::Component& component) const;
    void postEdit(const CEngineEdit& edit);
    void postNote(bool on, int channel, int note, int velocity);
    void pollMirroredEvents();
    void fetchEngineView(bool always);
    void readInstrumentRecords();
    void buildPlayer();
    void showOverlay();
    void refreshKnobsAndFaders();
    void refreshComboBoxes();
    void refreshButtons();
    void refreshLabels();
    void runMomentaryNote(juce::Button& button);
    void launchChooser(const juce::String& title, const juce::File& start, bool rememberFolder);

    CZSP& processor;
    std::unique_ptr<juce::Label> emptyLibraryLabel;
    std::unique_ptr<CPlayerGUI> player;
    std::unique_ptr<CLoadingComponent> loadingOverlay;
    std::unique_ptr<juce::FileChooser> fileChooser;

    CEngineView view;               // the engine as last copied
    juce::String instrumentName;    // read when a load has ended
    juce::StringArray groupNames;   // likewise, in group-list order, a byte a character
    juce::StringArray groupNamesUtf8;  // the same names read as UTF-8
    bool showingNoteOnly = false;   // a note button passes a note to the keyboards only

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(CZSPGUI)
};
