// Keeping the player's widgets in step with the engine: the five refresh
// passes over the latest engine view, the meters, and the host's MIDI shown
// on note buttons and knobs.

#include "CZSPGUI.h"

#include "processor/CZSP.h"

juce::var CZSPGUI::controlIdOf(const juce::Component& component)
{
    return component.getProperties().getWithDefault("2", juce::var());
}

std::vector<int> CZSPGUI::targetGroupsOf(const juce::Component& component) const
{
    return groupsForMask(component.getProperties().getWithDefault("9", juce::String()).toString());
}

const GroupSettings* CZSPGUI::firstGroupOf(const juce::Component& component) const
{
    const int first = targetGroupsOf(component).front();
    if (first < 0 || static_cast<size_t>(first) >= view.groups.size())
        return nullptr;
    return &view.groups[static_cast<size_t>(first)];
}

double CZSPGUI::controlPosition(const juce::var& controlId, int group) const
{
    const GroupSettings* settings = group >= 0 && static_cast<size_t>(group) < view.groups.size()
                                        ? &view.groups[static_cast<size_t>(group)]
                                        : nullptr;
    return ControlBindings::knobPosition(ControlBindings::knobId(controlId), view.settings, settings,
                                         view.bendPosition);
}

void CZSPGUI::refreshControls()
{
    if (processor.isLoading() || player == nullptr)
        return;
    refreshKnobsAndFaders();
    refreshComboBoxes();
    refreshButtons();
    refreshLabels();
}

void CZSPGUI::refreshKnobsAndFaders()
{
    // A control that no table names is left where the user put it.
    for (auto* knob : player->sliders)
    {
        const juce::var id = controlIdOf(*knob);
        if (id == juce::var(1) || id == juce::var(10))
            knob->setSkewFactor(0.2, false);
        if (ControlBindings::knobId(id) != 0)
            knob->setValue(controlPosition(id, targetGroupsOf(*knob).front()), juce::dontSendNotification);
    }
    for (auto* fader : player->faders)
    {
        if (ControlBindings::knobId(controlIdOf(*fader)) == 0)
            continue;
        const double position = controlPosition(controlIdOf(*fader), targetGroupsOf(*fader).front());
        const float limited = static_cast<float>(juce::jlimit(0.0, 1.0, position));
        if (limited != fader->getValue())
        {
            fader->setValue(limited);
            fader->repaint();
        }
    }
}

void CZSPGUI::refreshComboBoxes()
{
    for (auto* box : player->comboBoxes)
    {
        const std::optional<int> value =
            ControlBindings::comboValue(ControlBindings::comboId(controlIdOf(*box)), view.settings, firstGroupOf(*box));
        if (!value.has_value())
            continue;
        // The v-th real item (headings and separators do not count), or no
        // selection when the box has no such item.
        const int itemId = *value >= 0 && *value < box->getNumItems() ? box->getItemId(*value) : 0;
        box->setSelectedId(itemId, juce::dontSendNotification);
    }
}

void CZSPGUI::refreshButtons()
{
    for (auto* button : player->buttons)
    {
        const auto toggle = ControlBindings::buttonToggle(ControlBindings::buttonAction(controlIdOf(*button)),
                                                          firstGroupOf(*button));
        if (toggle.has_value())
            button->setToggleState(*toggle, juce::dontSendNotification);
    }
}

void CZSPGUI::refreshLabels()
{
    // With no current group the first group is shown.
    int current = view.currentGroup;
    if (current < 0 && !groupNames.isEmpty())
        current = 0;

    juce::String activeNames;
    for (size_t index = 0; index < view.groups.size() && static_cast<int>(index) < groupNamesUtf8.size(); ++index)
        if (view.groups[index].active != 0)
            activeNames << groupNamesUtf8[static_cast<int>(index)] << " ";

    for (auto* label : player->labels)
    {
        const juce::var id = controlIdOf(*label);
        if (id == juce::var(1))
            label->setText(instrumentName, juce::dontSendNotification);
        else if (id == juce::var(2))
        {
            if (current >= 0 && current < groupNames.size())
                label->setText(groupNames[current], juce::dontSendNotification);
        }
        else if (id == juce::var(3))
            label->setText(activeNames, juce::dontSendNotification);
    }
}

void CZSPGUI::updateMeters()
{
    // Each peak is taken and zeroed in one step, so none that the audio thread
    // raises meanwhile is lost.
    std::array<float, CZSP::meterCount> peaks {};
    for (size_t entry = 0; entry < peaks.size(); ++entry)
        peaks[entry] = processor.meterPeaks[entry].exchange(0.0f);
    if (player == nullptr)
        return;
    for (auto* meter : player->meters)
    {
        const int entry = ControlBindings::meterEntry(static_cast<int>(controlIdOf(*meter)), CZSP::meterCount);
        const float level = entry >= 0 ? ControlBindings::meterLevel(peaks[static_cast<size_t>(entry)])
                                       : ControlBindings::meterFloorDb;
        if (level > meter->getLevel())
            meter->setLevel(level);
    }
}

void CZSPGUI::pollMirroredEvents()
{
    CMidiEventQueue::Event event;
    while (processor.takeMirroredEvent(event))
        mirrorEvent(event);
}

void CZSPGUI::mirrorEvent(const CMidiEventQueue::Event& event)
{
    if (player == nullptr || event.size == 0)
        return;
    const int status = event.bytes[0];
    const int data1 = event.bytes[1];
    const int data2 = event.bytes[2];

    if (status >= 0x80 && status <= 0x9F)
    {
        const bool down = status >= 0x90 && data2 != 0;
        for (auto* button : player->buttons)
        {
            if (!(controlIdOf(*button) == juce::var(10)))
                continue;
            if (static_cast<int>(button->getProperties().getWithDefault("10", juce::var())) != data1)
                continue;
            // The name tells the button's listener that this change is ours.
            button->setName(reflectingName);
            button->setState(down ? juce::Button::buttonDown : juce::Button::buttonNormal);
            button->setName({});
        }
    }

    // The host's notes (and its all-notes-off) show on the keyboards; they
    // already reach the engine, so the keyboards' listener must not post them.
    if (status >= 0x80 && status <= 0xBF)
    {
        const juce::ScopedValueSetter<bool> showOnly(showingNoteOnly, true);
        player->keyboardState.processNextMidiEvent(juce::MidiMessage(status, data1, data2));
    }

    for (auto* knob : player->sliders)
    {
        const int id = static_cast<int>(controlIdOf(*knob));
        if (id >= 200 && (status & 0xF0) == 0xB0 && id == data1 + 200)
            knob->setValue(data2 / 127.0, juce::dontSendNotification);
        else if ((status & 0xF0) == 0xE0 && id == 9)
            knob->setValue((data2 * 128 + data1) / 16383.0, juce::dontSendNotification);
    }
}
