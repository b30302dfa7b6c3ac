#pragma once
#include <juce_graphics/juce_graphics.h>

// The player's built-in pictures as this tool draws them.
namespace BuiltInPictures
{
// 593 x 242: title strip, dark display panel with the caption rows of the
// instrument and group names, and the captions of the six default knobs.
juce::Image drawDefaultBackground();
// 34 x 17: an exclamation mark, dimmed on the left half, lit red on the right.
juce::Image drawDefaultButton();
// 2 x 14: a light grey bar with faint gaps every third row.
juce::Image drawDefaultMeter();
} // namespace BuiltInPictures
