#pragma once
#include <juce_core/juce_core.h>

// The six parameters hosts see, each a view on one engine field: the four
// envelope scales of the current group, the filter cutoff and the glide time.
// Host values are normalised 0 to 1; fields are in the engine's units.
namespace HostParameters
{
constexpr int count = 6;
enum Index
{
    attack = 0,
    decay,
    sustain,
    release,
    filterCutoff,
    glideTime
};

constexpr bool isValid(int index) { return index >= 0 && index < count; }
// The four scales address the current group; without one they read 0.
constexpr bool addressesGroup(int index) { return index >= attack && index <= release; }

juce::String name(int index);
// A stable identifier, as the formats that name parameters need: LV2 takes it
// as the parameter's URI (the index alone is no valid URI name, so all six
// would share one), VST 3 derives its parameter ids from it.
juce::String identifier(int index);

// The field a host value sets. The value is held to 0..1 first (a value that
// is not a number counts as 0), so no host can store a cutoff that is not a
// number.
float fieldForHostValue(int index, float hostValue);
// The host value that shows a field, held to 0..1.
float hostValueForField(int index, float field);
// The text a host shows for a field.
juce::String textForField(int index, float field);
} // namespace HostParameters
