// The six host parameters.
//
// A host may set them from any thread, its audio thread included, while a
// load replaces the zones or a block renders them. So setParameter only
// stores the value; the audio thread applies it to the engine at the start of
// its next block (recomputing the zones or the filter there, between blocks),
// and a load drops the changes still waiting, which addressed the instrument
// it replaces. The values hosts read are the engine fields the audio thread
// (or a load) last published, or a change still waiting.

#include "CZSPInternals.h"

JUCE_BEGIN_IGNORE_WARNINGS_GCC_LIKE("-Wdeprecated-declarations")

int CZSP::getNumParameters()
{
    return HostParameters::count;
}

const juce::String CZSP::getParameterName(int index)
{
    return HostParameters::name(index);
}

juce::String CZSP::getParameterID(int index)
{
    return HostParameters::identifier(index);
}

float CZSP::effectiveField(int index) const
{
    const ParameterSlot& slot = parameterSlots[static_cast<size_t>(index)];
    if (slot.pending.load(std::memory_order_acquire))
        return HostParameters::fieldForHostValue(index, slot.requested.load(std::memory_order_relaxed));
    return slot.field.load(std::memory_order_relaxed);
}

float CZSP::getParameter(int index)
{
    if (!HostParameters::isValid(index) || (HostParameters::addressesGroup(index) && !publishedHasCurrentGroup.load()))
        return 0.0f;
    return HostParameters::hostValueForField(index, effectiveField(index));
}

const juce::String CZSP::getParameterText(int index)
{
    if (!HostParameters::isValid(index) || (HostParameters::addressesGroup(index) && !publishedHasCurrentGroup.load()))
        return {};
    return HostParameters::textForField(index, effectiveField(index));
}

void CZSP::setParameter(int index, float value)
{
    if (!HostParameters::isValid(index) || (HostParameters::addressesGroup(index) && !publishedHasCurrentGroup.load()))
        return;
    ParameterSlot& slot = parameterSlots[static_cast<size_t>(index)];
    slot.requested.store(value, std::memory_order_relaxed);
    slot.pending.store(true, std::memory_order_release);
}

JUCE_END_IGNORE_WARNINGS_GCC_LIKE

void CZSP::applyParameterRequests()
{
    ZGroup* const group = instrument.currentGroup;
    bool groupChanged = false;
    bool filterChanged = false;
    for (int index = 0; index < HostParameters::count; ++index)
    {
        ParameterSlot& slot = parameterSlots[static_cast<size_t>(index)];
        if (!slot.pending.exchange(false, std::memory_order_acquire))
            continue;
        const float field = HostParameters::fieldForHostValue(index, slot.requested.load(std::memory_order_relaxed));
        switch (index)
        {
        case HostParameters::attack:
        case HostParameters::decay:
        case HostParameters::sustain:
        case HostParameters::release:
        {
            if (group == nullptr)
                break;
            float* const scales[] = { &group->settings.attackScale, &group->settings.decayScale,
                                      &group->settings.sustainScale, &group->settings.releaseScale };
            if (*scales[index] != field)
            {
                *scales[index] = field;
                groupChanged = true;
            }
            break;
        }
        case HostParameters::filterCutoff:
            filterChanged = instrument.settings.filterCutoff != field;
            instrument.settings.filterCutoff = field;
            break;
        default:
            instrument.settings.glideTime = field;
            break;
        }
    }
    if (groupChanged)
        for (const auto& zone : group->zones)
            zone->updateDerived();
    if (filterChanged)
        instrument.applySettings();
    publishParameters();
}

void CZSP::dropParameterRequests()
{
    for (auto& slot : parameterSlots)
        slot.pending.store(false);
}

void CZSP::publishParameters()
{
    const ZGroup* const group = instrument.currentGroup;
    publishedHasCurrentGroup.store(group != nullptr);
    if (group != nullptr)
    {
        parameterSlots[HostParameters::attack].field.store(group->settings.attackScale);
        parameterSlots[HostParameters::decay].field.store(group->settings.decayScale);
        parameterSlots[HostParameters::sustain].field.store(group->settings.sustainScale);
        parameterSlots[HostParameters::release].field.store(group->settings.releaseScale);
    }
    parameterSlots[HostParameters::filterCutoff].field.store(instrument.settings.filterCutoff);
    parameterSlots[HostParameters::glideTime].field.store(instrument.settings.glideTime);
}
