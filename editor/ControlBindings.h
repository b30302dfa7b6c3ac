#pragma once
#include <optional>
#include <vector>

#include <juce_core/juce_core.h>

#include "engine/Settings.h"
#include "processor/CEngineEdit.h"

// What each control id of the player layout means: the engine value a knob,
// fader, combo box or button changes, the choices a combo box offers, and the
// position a control takes from the engine. Plain functions over the tables,
// so each can be checked without a window; CZSPGUI wires them to the widgets.
namespace ControlBindings
{
// Knobs and faders (a value x from 0 to 1).

// The knob binding a control id names: 1 to 10 (instrument), 100 to 106
// (groups), 200 to 455 (MIDI controllers 0 to 255 taken as a byte, of which
// 200 to 327 reach controllers 0 to 127), or 0 for none. Ids 1 to 10 match
// by value ("2" as text too); the others are read as an integer. Ids of 456
// and more would wrap round to controller numbers they do not name, so they
// bind to nothing.
int knobId(const juce::var& controlId);
bool isGroupKnob(int id);
bool isControllerKnob(int id);

// The edit a knob with binding `id` at x makes; for a group id, to group
// `group`. Kind none for controller ids and ids without a binding.
CEngineEdit knobEdit(int id, double x, int group = -1);

// A controller knob's event: the controller number and round(x * 127).
struct ControllerChange
{
    int number = 0;
    int value = 0;
};
ControllerChange knobController(int id, double x);

// The position the refresh gives a knob; group ids without a group, the
// controller ids and ids without a binding give 0.
double knobPosition(int id, const InstrumentSettings& settings, const GroupSettings* group, float bendPosition);

// Combo boxes (the 0-based index of the chosen item).

// The combo binding of a control id (1 to 7, 100 to 102), 0 for none.
int comboId(const juce::var& controlId);
bool isGroupCombo(int id);
// (The items each box offers are filled in by CPlayerGUI::fillChoices.)
// The edit picking item `index` makes. A change that leaves no item selected
// (index -1) stores nothing: kind none.
CEngineEdit comboEdit(int id, int index, int group = -1);
// The engine choice a combo box shows; nothing for a group id without a group
// and ids without a table (the box is left as it is).
std::optional<int> comboValue(int id, const InstrumentSettings& settings, const GroupSettings* group);

// Buttons.
enum class ButtonAction
{
    none,
    instrumentMenu,  // 1
    groupMenu,       // 2
    loadFile,        // 3
    previousInstrument,
    nextInstrument,
    previousGroup,
    nextGroup,
    information,     // 8
    killVoices,      // 9
    note,            // 10
    releaseTrigger,  // 100
    bypass,          // 101
    groupActive,     // 102
    link             // text that is not a number
};
ButtonAction buttonAction(const juce::var& controlId);
// The toggle state the refresh gives a button; nothing when the button keeps
// its state (other actions, or a group action without a group).
std::optional<bool> buttonToggle(ButtonAction action, const GroupSettings* group);
// The edit a group button (releaseTrigger, bypass, groupActive) makes on
// group `group` for the new toggle state; kind none for other actions.
CEngineEdit buttonGroupEdit(ButtonAction action, bool toggleOn, int group);

// Note buttons.
struct NoteStep
{
    enum class Send
    {
        nothing,
        noteOn,   // status 0x90, channel 0, velocity 100
        noteOff   // status 0x80, channel 0, velocity 0
    };
    Send send = Send::nothing;
    bool showOnKeyboard = false;  // pass the same note to the keyboard state, to be shown only
    bool wasDown = false;         // the button's "wasDown" afterwards
};
constexpr int noteButtonVelocity = 100;
// A toggle note button was clicked into `toggleOn`.
NoteStep toggleNoteClicked(bool toggleOn);
// A momentary note button changed state; `reflecting` while the editor
// itself mirrors incoming MIDI on it.
NoteStep momentaryNoteChanged(int note, bool isDown, bool wasDown, bool reflecting);

// Keyboard notes: the velocity byte for a keyboard velocity from 0 to 1, and
// the channel byte for a MIDI channel from 1 to 16.
int keyboardVelocity(float velocity);
int keyboardChannel(int midiChannel);

// Groups: the indices a group mask addresses (the mask read as a decimal
// number whose bit i names group i), or else the current group alone, -1
// when there is none.
std::vector<int> groupsForMask(const juce::String& mask, int groupCount, int currentGroup);
// The edit selecting group `index`; kind none when the list has no such group.
CEngineEdit selectGroupEdit(int index, int groupCount);

// Meters: the level in dB a peak shows (20 log10, never below -100; -100 for
// a peak at or below 0), and the peak entry a meter with control id n shows
// (n - 1 for 1 to 34, -1 for none).
constexpr float meterFloorDb = -100.0f;
float meterLevel(float peak);
int meterEntry(int controlId, int entryCount);
} // namespace ControlBindings
