// Event queue, group activation, zone choice, voice allocation, note-off and
// the controller table.

#include <algorithm>
#include <cmath>
#include <iterator>

#include "engine/StoredFieldRanges.h"
#include "engine/VelocityCurves.h"
#include "engine/ZInstrument.h"
#include "engine/ZTables.h"

void ZInstrument::postEvent(int status, int channel, int data1, int data2, int samplePosition)
{
    // Data bytes are masked to 7 bits: they index per-key and per-controller
    // tables.
    const ZEvent event { static_cast<uint8_t>((status & 0xF0) | (channel & 0x0F)), static_cast<uint8_t>(data1 & 0x7F),
                         static_cast<uint8_t>(data2 & 0x7F), 0, samplePosition };
    pendingEvents.push(event);
}

namespace
{
// What a reset leaves alone: the mix (volume, balance, pan, expression and
// their fine parts), the bend range, the sound controllers, the reverb send
// and the reset itself.
constexpr int keptByReset[] = {
    MidiController::dataEntry,   MidiController::volume,        MidiController::balance,
    MidiController::pan,         MidiController::expression,    MidiController::balanceFine,
    MidiController::expressionFine, MidiController::releaseTime, MidiController::attackTime,
    MidiController::cutoff,      MidiController::decayTime,     MidiController::sustainLevel,
    MidiController::unassigned89, MidiController::reverbSend,   MidiController::resetAll,
};

bool isKeptByReset(int number)
{
    return std::find(std::begin(keptByReset), std::end(keptByReset), number) != std::end(keptByReset);
}
} // namespace

void ZInstrument::resetControllers()
{
    for (int number = 0; number < 128; ++number)
        if (!isKeptByReset(number))
            postEvent(MidiStatus::controller, 0, number, 0, -1);
}

void ZInstrument::dispatchEvents(int sampleIndex, bool lastSample)
{
    if (sampleIndex == 0)
    {
        blockStartTime = now();
        // renderEvents keeps its reserved capacity, so taking never allocates.
        pendingEvents.takeInto(renderEvents);
        renderIndex = 0;
    }
    while (!renderEvents.empty())
    {
        const ZEvent event = renderEvents[static_cast<size_t>(renderIndex)];
        if (event.position > sampleIndex && !lastSample)
            return;
        handleEvent(event);
        if (++renderIndex >= static_cast<int32_t>(renderEvents.size()))
        {
            renderEvents.clear();
            renderIndex = 0;
            return;
        }
    }
}

void ZInstrument::handleEvent(const ZEvent& event)
{
    const bool keySwitch = updateGroupActivation(event);

    const int note = event.data1;
    const bool noteOn = event.isNoteOn();
    const bool noteOff = event.isNoteOff();
    bool zoneFound = false;
    for (ZGroup* group : activeGroups)
    {
        const GroupSettings& g = group->settings;
        zoneFound = zoneFound || (noteOn && group->hasZoneAt(note, event.data2));
        if (noteOn && g.releaseTrigger == 0)
            triggerGroup(*group, note, event.data2);
        else if (noteOff && g.releaseTrigger != 0 && !sustainPedal)
        {
            int velocity = noteVelocity[note] != 0 ? noteVelocity[note] : 127;
            if (g.releaseTriggerDecay > 0.0f)
                velocity = releaseTriggerVelocity(velocity, now() - noteOnTime[note], g.releaseTriggerDecay);
            triggerGroup(*group, note, velocity);
        }
    }
    // A key switch plays no zone by design.
    if (noteOn && !zoneFound && !keySwitch)
        notesWithoutZone.fetch_add(1, std::memory_order_relaxed);
    if (noteOn)
    {
        noteVelocity[note] = event.data2;
        noteOnTime[note] = now();
    }

    switch (event.statusNibble())
    {
    case MidiStatus::noteOff:
    case MidiStatus::noteOn:
        if (noteOff)
            releaseNote(event);
        break;
    case MidiStatus::pitchBend:
    {
        const int value = event.data2 * 128 + event.data1;
        const float bend = value == 8192 ? 0.0f : static_cast<float>(value) / 8192.0f - 1.0f;
        bendTarget = pitchRatioForSemitones(static_cast<float>(bendRange) * bend);
        break;
    }
    case MidiStatus::keyPressure:
        if (modeOf<LfoDepthSource>(settings.lfoDepthSource) == LfoDepthSource::afterTouch)
            settings.lfoDepth = static_cast<float>(event.data2) / 127.0f;
        break;
    case MidiStatus::programChange:
        program = event.data1;
        break;
    case MidiStatus::controller:
        controllerValues[event.data1] = event.data2;
        handleController(event.data1, event.data2);
        break;
    default:
        break;
    }
}

bool ZInstrument::updateGroupActivation(const ZEvent& event)
{
    bool keySwitchCleared = false;
    for (const auto& owned : groups)
    {
        ZGroup* group = owned.get();
        const GroupSettings& g = group->settings;
        if (g.bypass != 0)
        {
            deactivateGroup(group);
            continue;
        }
        switch (modeOf<GroupActivation>(g.activation))
        {
        case GroupActivation::always:
            activateGroup(group);
            break;
        case GroupActivation::channel:
            if (event.channel() == g.activationChannel)
                activateGroup(group);
            else
                deactivateGroup(group);
            break;
        case GroupActivation::note:
            if (event.statusNibble() == MidiStatus::noteOn && event.data1 == g.activationNote)
            {
                // The first key-switch group of this event empties the active
                // set, without telling the delegate.
                if (!keySwitchCleared)
                {
                    for (ZGroup* active : activeGroups)
                        active->settings.active = 0;
                    activeGroups.clear();
                    keySwitchCleared = true;
                }
                activateGroup(group);
            }
            break;
        case GroupActivation::controller:
        {
            const int number = g.activationController;
            const int value = number >= 0 && number < 128 ? controllerValues[number] : 0;
            if (value >= g.activationLow && value <= g.activationHigh)
                activateGroup(group);
            else
                deactivateGroup(group);
            break;
        }
        case GroupActivation::program:
            if (program == g.activationProgram)
                activateGroup(group);
            else
                deactivateGroup(group);
            break;
        default:
            break;
        }
    }
    return keySwitchCleared;
}

void ZInstrument::triggerGroup(ZGroup& group, int note, int velocity)
{
    const GroupSettings& g = group.settings;
    const int channelTag = modeOf<GroupActivation>(g.activation) == GroupActivation::channel
                             ? channelTagOfActivationChannel(g.activationChannel)
                             : 0;
    if (modeOf<ZoneSelection>(g.zoneSelection) == ZoneSelection::stack)
    {
        if (group.contains(note, velocity))
        {
            const int count = group.zoneCount(note, velocity);
            for (group.stackIndex = 0; group.stackIndex < count; ++group.stackIndex)
                startZone(*group.zoneAt(note, velocity, group.stackIndex), note, velocity, channelTag);
            group.stackIndex = 0;
        }
    }
    else if (ZZone* zone = group.chooseZone(note, velocity, *random))
        startZone(*zone, note, velocity, channelTag);

    if (modeOf<LfoDepthSource>(settings.lfoDepthSource) == LfoDepthSource::velocity)
        settings.lfoDepth = velocityCurveTable(settings.velocityCurve)[velocity & 0x7F];
}

void ZInstrument::startZone(ZZone& zone, int note, int velocity, int channelTag)
{
    stopExclusiveGroup(zone.settings.exclusiveGroup);
    ZVoice* voice = allocateVoice();
    if (voice == nullptr)
        return;
    voice->setStartTime(now());
    voice->start(&zone, note, velocity, channelTag);
    lastNote = note;
}

void ZInstrument::stopExclusiveGroup(int number)
{
    if (number == 0)
        return;
    for (auto& voice : voices)
        if (voice->isActive() && voice->getZone() != nullptr && voice->getZone()->settings.exclusiveGroup == number)
            voice->kill();
}

ZVoice* ZInstrument::allocateVoice()
{
    if (voices.empty())
        return nullptr;
    const VoiceMode mode = modeOf<VoiceMode>(settings.voiceMode);
    if (mode == VoiceMode::mono)
        for (auto& voice : voices)
            if (voice->isActive())
                voice->kill();
    if (mode == VoiceMode::legato)
        for (auto& voice : voices)
            if (voice->isActive() && !voice->isReleasing())
                return voice.get();
    for (auto& voice : voices)
        if (!voice->isActive())
            return voice.get();

    ZVoice* oldest = voices.front().get();
    for (auto& voice : voices)
        if (voice->getStartTime() < oldest->getStartTime())
            oldest = voice.get();
    oldest->steal();
    return oldest;
}

void ZInstrument::releaseNote(const ZEvent& event)
{
    const int note = event.data1;
    const int tag = event.channel() + 1;
    // One pass over the pool. Releasing a voice changes no other voice, and a
    // voice that was sounding holds no pending note (only a stolen, and so
    // releasing, voice does), so nothing a pass has seen changes behind it.
    for (const auto& owned : voices)
    {
        ZVoice& voice = *owned;
        if (!voice.isActive() || voice.isReleasing())
        {
            if (voice.matchesPending(note, tag))
                voice.cancelPending();
            continue;
        }
        const ZZone* zone = voice.getZone();
        const bool keepsPlaying = zone == nullptr || modeOf<PlayMode>(zone->settings.playMode) == PlayMode::oneShot
                               || voice.getNote() != note
                               || (voice.getChannelTag() != 0 && voice.getChannelTag() != tag)
                               || (zone->group != nullptr && zone->group->settings.releaseTrigger != 0);
        if (keepsPlaying)
            continue;
        if (sustainPedal)
        {
            if (!voice.isSustained())
                voice.setSustained(true);
            continue;
        }
        voice.release();
    }
}

void ZInstrument::handleController(int number, int value)
{
    const float v = static_cast<float>(value);
    switch (number)
    {
    case MidiController::modulation:
        if (modeOf<LfoDepthSource>(settings.lfoDepthSource) == LfoDepthSource::modWheel)
            settings.lfoDepth = v / 127.0f;
        break;
    case MidiController::dataEntry:
        if (value > 0)
            bendRange = value;
        break;
    case MidiController::volume:
        settings.volume = (127.0f - v) / 127.0f * -60.0f;
        applySettings();
        break;
    case MidiController::balance:
    case MidiController::pan:
        settings.pan = (v - 64.0f) * 0.015625f;
        applySettings();
        break;
    case MidiController::expression:
        // Volume (through applySettings) and expression set the one gain
        // target outright: whichever came last is what the gain moves to.
        gainTarget = decibelsToGain((127.0 - value) / 127.0 * -30.0);
        break;
    case MidiController::sustainPedal:
        if (value >= 64)
            sustainPedal = true;
        else
        {
            sustainPedal = false;
            for (auto& voice : voices)
                if (voice->isActive() && voice->isSustained())
                {
                    voice->setSustained(false);
                    voice->release();
                }
        }
        break;
    case MidiController::releaseTime:
    case MidiController::attackTime:
    case MidiController::decayTime:
    case MidiController::sustainLevel:
        for (const auto& group : groups)
        {
            GroupSettings& g = group->settings;
            if (number == MidiController::releaseTime)
                g.releaseScale = v / 63.5f;
            else if (number == MidiController::attackTime)
                g.attackScale = v / 63.5f;
            else if (number == MidiController::decayTime)
                g.decayScale = v / 63.5f;
            else
                g.sustainScale = v / 127.0f * 2.0f;
        }
        updateAllZones();
        applySettings();
        break;
    case MidiController::cutoff:
        settings.filterCutoff = std::pow(v / 127.0f, 5.0f);
        applySettings();
        break;
    case MidiController::reverbSend:
        settings.reverbSend = v / 127.0f;
        applySettings();
        break;
    case MidiController::allSoundOff:
    case MidiController::allNotesOff:
        for (auto& voice : voices)
            if (voice->isActive())
                voice->kill();
        break;
    case MidiController::resetAll:
        resetControllers();
        break;
    default:
        break;
    }
}
