// What the player's controls do when the user moves them: the listeners of
// knobs, faders, combo boxes, buttons and keyboards, turned into engine edits,
// notes and controllers by the tables of ControlBindings.

#include "CZSPGUI.h"

#include "processor/CZSP.h"

using ControlBindings::ButtonAction;

void CZSPGUI::postEdit(const CEngineEdit& edit)
{
    if (edit.kind == CEngineEdit::Kind::none)
        return;
    CEngineEdit stamped = edit;
    stamped.generation = view.instrumentGeneration;
    // Refused while a load runs: the edit addressed the instrument going away.
    processor.postEngineEdit(stamped);
}

void CZSPGUI::postNote(bool on, int channel, int note, int velocity)
{
    processor.instrument.postEvent(on ? 0x90 : 0x80, channel, note, on ? velocity : 0, -1);
}

void CZSPGUI::applyControlValue(const std::vector<int>& groups, const juce::var& controlId, double x)
{
    const int id = ControlBindings::knobId(controlId);
    if (id == 0)
        return;
    if (ControlBindings::isControllerKnob(id))
    {
        const auto change = ControlBindings::knobController(id, x);
        processor.instrument.postEvent(0xB0, 0, change.number, change.value, -1);
        return;
    }
    if (!ControlBindings::isGroupKnob(id))
    {
        postEdit(ControlBindings::knobEdit(id, x));
        return;
    }
    for (const int group : groups)
        if (group >= 0)
            postEdit(ControlBindings::knobEdit(id, x, group));
}

void CZSPGUI::sliderValueChanged(juce::Slider* slider)
{
    applyControlValue(targetGroupsOf(*slider), controlIdOf(*slider), slider->getValue());
}

void CZSPGUI::faderValueChanged(RFader* fader, bool)
{
    applyControlValue(targetGroupsOf(*fader), controlIdOf(*fader), static_cast<double>(fader->getValue()));
}

void CZSPGUI::comboBoxChanged(juce::ComboBox* comboBox)
{
    const int id = ControlBindings::comboId(controlIdOf(*comboBox));
    const int index = comboBox->getSelectedItemIndex();
    if (!ControlBindings::isGroupCombo(id))
    {
        postEdit(ControlBindings::comboEdit(id, index));
        return;
    }
    for (const int group : targetGroupsOf(*comboBox))
        if (group >= 0)
            postEdit(ControlBindings::comboEdit(id, index, group));
}

void CZSPGUI::buttonClicked(juce::Button* button)
{
    const juce::var controlId = controlIdOf(*button);
    switch (const ButtonAction action = ControlBindings::buttonAction(controlId))
    {
    case ButtonAction::information: processor.showInformation(); break;
    case ButtonAction::killVoices: processor.killAllVoices(); break;
    case ButtonAction::nextInstrument:
        processor.loadInstrument(processor.getCurrentInstrumentIndex() + 1, {}, false, false);
        break;
    case ButtonAction::previousInstrument:
        processor.loadInstrument(processor.getCurrentInstrumentIndex() - 1, {}, false, false);
        break;
    case ButtonAction::nextGroup: selectGroup(view.currentGroup + 1); break;
    case ButtonAction::previousGroup: selectGroup(view.currentGroup - 1); break;
    case ButtonAction::instrumentMenu: showInstrumentMenu(); break;
    case ButtonAction::groupMenu: showGroupMenu(); break;
    case ButtonAction::loadFile: chooseFileToLoad(); break;
    case ButtonAction::note:
        if (button->getClickingTogglesState())
        {
            const int note = static_cast<int>(button->getProperties().getWithDefault("10", juce::var()));
            const auto step = ControlBindings::toggleNoteClicked(button->getToggleState());
            postNote(step.send == ControlBindings::NoteStep::Send::noteOn, 0, note & 0x7F,
                     ControlBindings::noteButtonVelocity);
        }
        break;
    case ButtonAction::releaseTrigger:
    case ButtonAction::bypass:
    case ButtonAction::groupActive:
        for (const int group : targetGroupsOf(*button))
            if (group >= 0)
                postEdit(ControlBindings::buttonGroupEdit(action, button->getToggleState(), group));
        break;
    case ButtonAction::link: juce::URL(controlId.toString()).launchInDefaultBrowser(); break;
    case ButtonAction::none: break;
    }
}

void CZSPGUI::buttonStateChanged(juce::Button* button)
{
    if (ControlBindings::buttonAction(controlIdOf(*button)) == ButtonAction::note && !button->getClickingTogglesState())
        runMomentaryNote(*button);
}

void CZSPGUI::runMomentaryNote(juce::Button& button)
{
    const int note = static_cast<int>(button.getProperties().getWithDefault("10", juce::var()));
    const bool wasDown = static_cast<bool>(button.getProperties().getWithDefault("wasDown", false));
    const auto step = ControlBindings::momentaryNoteChanged(note, button.getState() == juce::Button::buttonDown, wasDown,
                                                            button.getName() == reflectingName);
    if (step.send == ControlBindings::NoteStep::Send::nothing)
        return;
    const bool on = step.send == ControlBindings::NoteStep::Send::noteOn;
    postNote(on, 0, note, ControlBindings::noteButtonVelocity);
    if (step.showOnKeyboard && player != nullptr)
    {
        // Shown on the keyboards only: the keyboard listener must not post it again.
        const juce::ScopedValueSetter<bool> showOnly(showingNoteOnly, true);
        const auto message = on ? juce::MidiMessage::noteOn(1, note, static_cast<juce::uint8>(ControlBindings::noteButtonVelocity))
                                : juce::MidiMessage::noteOff(1, note);
        player->keyboardState.processNextMidiEvent(message);
    }
    button.getProperties().set("wasDown", step.wasDown);
}

void CZSPGUI::handleNoteOn(juce::MidiKeyboardState*, int midiChannel, int midiNoteNumber, float velocity)
{
    if (showingNoteOnly)
        return;
    postNote(true, ControlBindings::keyboardChannel(midiChannel), midiNoteNumber,
             ControlBindings::keyboardVelocity(velocity));
}

void CZSPGUI::handleNoteOff(juce::MidiKeyboardState*, int midiChannel, int midiNoteNumber, float)
{
    if (showingNoteOnly)
        return;
    postNote(false, ControlBindings::keyboardChannel(midiChannel), midiNoteNumber, 0);
}
