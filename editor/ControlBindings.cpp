#include "ControlBindings.h"

#include <cmath>
#include <cstddef>

namespace ControlBindings
{
namespace
{
using Kind = CEngineEdit::Kind;
using Then = CEngineEdit::Then;

constexpr int firstControllerId = 200;
constexpr int endOfControllerIds = 456;  // 200 + 256: a byte's worth of controller numbers

bool matches(const juce::var& controlId, int value)
{
    return controlId == juce::var(value);
}

CEngineEdit instrumentFloat(size_t offset, double value, Then then)
{
    return CEngineEdit::floatField(Kind::instrumentField, offset, static_cast<float>(value), then);
}

CEngineEdit groupFloat(size_t offset, double value, int group)
{
    return CEngineEdit::floatField(Kind::groupField, offset, static_cast<float>(value), Then::updateZones, group);
}

// Text that reads as a number ("-5", "12"), as opposed to a link.
bool isNumberText(const juce::String& text)
{
    const juce::String trimmed = text.trim();
    return trimmed.isNotEmpty() && trimmed.containsOnly("+-0123456789.");
}
} // namespace

int knobId(const juce::var& controlId)
{
    for (int id : { 2, 7, 8, 9, 10, 3, 4, 5, 1, 6 })
        if (matches(controlId, id))
            return id;
    const int n = static_cast<int>(controlId);
    if (n >= 100 && n <= 106)
        return n;
    if (n >= firstControllerId && n < endOfControllerIds)
        return n;
    return 0;
}

bool isGroupKnob(int id)
{
    return id >= 100 && id <= 106;
}

bool isControllerKnob(int id)
{
    return id >= firstControllerId && id < endOfControllerIds;
}

CEngineEdit knobEdit(int id, double x, int group)
{
    const float xs = static_cast<float>(x);
    switch (id)
    {
    case 1: return instrumentFloat(offsetof(InstrumentSettings, glideTime), std::abs(x * 1000.0), Then::nothing);
    case 2:
        return CEngineEdit::floatField(Kind::instrumentField, offsetof(InstrumentSettings, volume),
                                       (xs - 1.0f) * 36.0f + 6.0f, Then::applySettings);
    case 3: return instrumentFloat(offsetof(InstrumentSettings, pan), (x - 0.5) * 2.0, Then::applySettings);
    case 4: return instrumentFloat(offsetof(InstrumentSettings, lfoRate), std::abs(x + 0.001) * 20.0, Then::applySettings);
    case 5: return instrumentFloat(offsetof(InstrumentSettings, lfoDepth), std::abs(x), Then::nothing);
    case 6: return instrumentFloat(offsetof(InstrumentSettings, reverbSend), std::abs(x), Then::nothing);
    case 7:
        return CEngineEdit::intField(Kind::instrumentField, offsetof(InstrumentSettings, velocityFloor),
                                     static_cast<int32_t>((xs - 1.0f) * 60.0f), Then::applySettings);
    case 8:
        return CEngineEdit::intField(Kind::instrumentField, offsetof(InstrumentSettings, velocityTop),
                                     static_cast<int32_t>((xs - 1.0f) * 30.0f), Then::applySettings);
    case 9: return CEngineEdit::bendTo(static_cast<float>((x - 0.5) * 2.0));
    case 10: return instrumentFloat(offsetof(InstrumentSettings, filterCutoff), x, Then::applySettings);
    case 100: return groupFloat(offsetof(GroupSettings, volume), (x - 1.0) * 36.0 + 6.0, group);
    case 101: return groupFloat(offsetof(GroupSettings, attackScale), 2.0 * x, group);
    case 102: return groupFloat(offsetof(GroupSettings, decayScale), 2.0 * x, group);
    case 103: return groupFloat(offsetof(GroupSettings, sustainScale), 2.0 * x, group);
    case 104: return groupFloat(offsetof(GroupSettings, releaseScale), 2.0 * x, group);
    case 105: return groupFloat(offsetof(GroupSettings, releaseTriggerDecay), x * 1000.0, group);
    case 106: return groupFloat(offsetof(GroupSettings, pan), (x - 0.5) * 2.0, group);
    default: return {};
    }
}

ControllerChange knobController(int id, double x)
{
    ControllerChange change;
    change.number = (id - firstControllerId) & 0xFF;
    change.value = static_cast<int>(std::round(x * 127.0));  // halves away from zero
    return change;
}

double knobPosition(int id, const InstrumentSettings& settings, const GroupSettings* group, float bendPosition)
{
    switch (id)
    {
    case 1: return settings.glideTime / 1000.0;
    case 2: return (settings.volume - 6.0) / 36.0 + 1.0;
    case 3: return (settings.pan + 1.0) * 0.5;
    case 4: return settings.lfoRate / 20.0;
    case 5: return settings.lfoDepth;
    case 6: return settings.reverbSend;
    case 7: return settings.velocityFloor / 60.0 + 1.0;
    case 8: return settings.velocityTop / 30.0 + 1.0;
    case 9: return bendPosition * 0.5 + 0.5;
    case 10: return settings.filterCutoff;
    default: break;
    }
    if (group == nullptr)
        return 0.0;
    switch (id)
    {
    case 100: return (group->volume - 6.0) / 36.0 + 1.0;
    case 101: return group->attackScale * 0.5;
    case 102: return group->decayScale * 0.5;
    case 103: return group->sustainScale * 0.5;
    case 104: return group->releaseScale * 0.5;
    case 105: return group->releaseTriggerDecay / 1000.0;
    case 106: return (group->pan + 1.0) * 0.5;
    default: return 0.0;
    }
}

int comboId(const juce::var& controlId)
{
    for (int id : { 2, 3, 1, 4, 5, 6, 7, 100, 101, 102 })
        if (matches(controlId, id))
            return id;
    return 0;
}

bool isGroupCombo(int id)
{
    return id >= 100 && id <= 102;
}

CEngineEdit comboEdit(int id, int index, int group)
{
    if (index < 0)
        return {};
    auto instrumentInt = [index](size_t offset, Then then) {
        return CEngineEdit::intField(Kind::instrumentField, offset, index, then);
    };
    auto groupInt = [group](size_t offset, int32_t value) {
        return CEngineEdit::intField(Kind::groupField, offset, value, Then::nothing, group);
    };
    switch (id)
    {
    case 1: return instrumentInt(offsetof(InstrumentSettings, interpolation), Then::nothing);
    case 2: return instrumentInt(offsetof(InstrumentSettings, velocityCurve), Then::nothing);
    case 3: return instrumentInt(offsetof(InstrumentSettings, voiceMode), Then::nothing);
    case 4: return instrumentInt(offsetof(InstrumentSettings, lfoShape), Then::applySettings);
    case 5: return instrumentInt(offsetof(InstrumentSettings, lfoDestination), Then::nothing);
    case 6: return instrumentInt(offsetof(InstrumentSettings, lfoDepthSource), Then::nothing);
    case 7: return instrumentInt(offsetof(InstrumentSettings, filterType), Then::applySettings);
    case 100: return groupInt(offsetof(GroupSettings, activation), index);
    case 101: return groupInt(offsetof(GroupSettings, zoneSelection), index);
    case 102: return groupInt(offsetof(GroupSettings, output), index < 16 ? index : 15);
    default: return {};
    }
}

std::optional<int> comboValue(int id, const InstrumentSettings& settings, const GroupSettings* group)
{
    switch (id)
    {
    case 1: return settings.interpolation;
    case 2: return settings.velocityCurve;
    case 3: return settings.voiceMode;
    case 4: return settings.lfoShape;
    case 5: return settings.lfoDestination;
    case 6: return settings.lfoDepthSource;
    case 7: return settings.filterType;
    default: break;
    }
    if (group == nullptr)
        return std::nullopt;
    switch (id)
    {
    case 100: return group->activation;
    case 101: return group->zoneSelection;
    case 102: return group->output;
    default: return std::nullopt;
    }
}

ButtonAction buttonAction(const juce::var& controlId)
{
    if (controlId.isString() && !isNumberText(controlId.toString()))
        return ButtonAction::link;
    if (!controlId.isInt() && !controlId.isInt64() && !controlId.isDouble() && !controlId.isString())
        return ButtonAction::none;
    static constexpr std::pair<int, ButtonAction> table[] = {
        { 8, ButtonAction::information },       { 9, ButtonAction::killVoices },
        { 5, ButtonAction::nextInstrument },    { 4, ButtonAction::previousInstrument },
        { 7, ButtonAction::nextGroup },         { 6, ButtonAction::previousGroup },
        { 1, ButtonAction::instrumentMenu },    { 2, ButtonAction::groupMenu },
        { 10, ButtonAction::note },             { 3, ButtonAction::loadFile },
        { 100, ButtonAction::releaseTrigger },  { 101, ButtonAction::bypass },
        { 102, ButtonAction::groupActive },
    };
    for (const auto& [id, action] : table)
        if (matches(controlId, id))
            return action;
    return ButtonAction::none;
}

std::optional<bool> buttonToggle(ButtonAction action, const GroupSettings* group)
{
    if (group == nullptr)
        return std::nullopt;
    switch (action)
    {
    case ButtonAction::releaseTrigger: return group->releaseTrigger != 0;
    case ButtonAction::bypass: return group->bypass != 0;
    case ButtonAction::groupActive: return group->active != 0;
    default: return std::nullopt;
    }
}

CEngineEdit buttonGroupEdit(ButtonAction action, bool toggleOn, int group)
{
    switch (action)
    {
    case ButtonAction::releaseTrigger:
        return CEngineEdit::intField(Kind::groupField, offsetof(GroupSettings, releaseTrigger), toggleOn ? 1 : 0,
                                     Then::nothing, group);
    case ButtonAction::bypass:
        return CEngineEdit::intField(Kind::groupField, offsetof(GroupSettings, bypass), toggleOn ? 1 : 0,
                                     Then::nothing, group);
    case ButtonAction::groupActive:
        return CEngineEdit::groups(toggleOn ? Kind::activateGroup : Kind::deactivateGroup, group);
    default: return {};
    }
}

NoteStep toggleNoteClicked(bool toggleOn)
{
    NoteStep step;
    step.send = toggleOn ? NoteStep::Send::noteOn : NoteStep::Send::noteOff;
    return step;
}

NoteStep momentaryNoteChanged(int note, bool isDown, bool wasDown, bool reflecting)
{
    NoteStep step;
    step.wasDown = wasDown;
    if (note < 1 || note > 127 || reflecting)
        return step;
    if (isDown)
    {
        step.send = NoteStep::Send::noteOn;
        step.showOnKeyboard = true;
        step.wasDown = true;
    }
    else if (wasDown)
    {
        step.send = NoteStep::Send::noteOff;
        step.showOnKeyboard = true;
        step.wasDown = false;
    }
    return step;
}

int keyboardVelocity(float velocity)
{
    return static_cast<int>(velocity * 127.0f);
}

int keyboardChannel(int midiChannel)
{
    return (midiChannel - 1) & 15;
}

std::vector<int> groupsForMask(const juce::String& mask, int groupCount, int currentGroup)
{
    std::vector<int> groups;
    if (mask.isNotEmpty() && groupCount > 0)
    {
        // The digits of the text make the number (every other character is
        // skipped, and a sign does not change the bits). Only its bits below
        // groupCount matter, so the number is kept modulo 2^groupCount as the
        // digits come: a very long mask costs time in proportion to its length.
        const juce::BigInteger ten(10);
        juce::BigInteger bits;
        for (auto c = mask.getCharPointer(); !c.isEmpty(); ++c)
        {
            if (*c < '0' || *c > '9')
                continue;
            bits *= ten;
            bits += static_cast<int>(*c - '0');
            const int highest = bits.getHighestBit();
            if (highest >= groupCount)
                bits.setRange(groupCount, highest - groupCount + 1, false);
        }
        for (int index = 0; index < groupCount; ++index)
            if (bits[index])
                groups.push_back(index);
    }
    if (groups.empty())
        groups.push_back(currentGroup);
    return groups;
}

CEngineEdit selectGroupEdit(int index, int groupCount)
{
    if (index < 0 || index >= groupCount)
        return {};
    return CEngineEdit::groups(Kind::selectGroup, index);
}

float meterLevel(float peak)
{
    if (!(peak > 0.0f))
        return meterFloorDb;
    return std::max(20.0f * std::log10(peak), meterFloorDb);
}

int meterEntry(int controlId, int entryCount)
{
    return controlId >= 1 && controlId <= entryCount ? controlId - 1 : -1;
}
} // namespace ControlBindings
