#include "HostParameters.h"

#include <cmath>

namespace HostParameters
{
namespace
{
float heldToUnitRange(float value)
{
    if (!(value > 0.0f))  // also a value that is not a number
        return 0.0f;
    return value < 1.0f ? value : 1.0f;
}
} // namespace

juce::String name(int index)
{
    switch (index)
    {
    case attack: return "Attack";
    case decay: return "Decay";
    case sustain: return "Sustain";
    case release: return "Release";
    case filterCutoff: return "Filter Cutoff Frequency";
    case glideTime: return "Glide Time";
    default: return {};
    }
}

juce::String identifier(int index)
{
    switch (index)
    {
    case attack: return "attack";
    case decay: return "decay";
    case sustain: return "sustain";
    case release: return "release";
    case filterCutoff: return "filterCutoff";
    case glideTime: return "glideTime";
    default: return {};
    }
}

float fieldForHostValue(int index, float hostValue)
{
    const float v = heldToUnitRange(hostValue);
    if (addressesGroup(index))
        return v + v;
    if (index == filterCutoff)
        // v^5: the logarithm in single precision, the rest in double; 0 gives 0.
        return static_cast<float>(std::exp(static_cast<double>(std::log(v)) / 0.2));
    if (index == glideTime)
        return v * 1000.0f;
    return 0.0f;
}

float hostValueForField(int index, float field)
{
    if (addressesGroup(index))
        return heldToUnitRange(field * 0.5f);
    if (index == filterCutoff)
        return heldToUnitRange(field > 0.0f ? static_cast<float>(std::pow(field, 0.2)) : 0.0f);
    if (index == glideTime)
        return heldToUnitRange(field / 1000.0f);
    return 0.0f;
}

juce::String textForField(int index, float field)
{
    if (addressesGroup(index))
        return juce::String(static_cast<double>(field), 2);
    if (index == glideTime)
        return juce::String(static_cast<double>(field) / 1000.0, 3);
    return {};
}
} // namespace HostParameters
