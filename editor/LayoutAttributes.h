#pragma once
#include <juce_gui_basics/juce_gui_basics.h>

// The settings a layout element gives its widget, applied in a fixed order:
// bounds, justification, font, key range, note number, colours, caption,
// option flag, then control id and group mask. Each also lands in the
// widget's component properties under the attribute's name.
void applyLayoutAttributes(juce::Component& widget, const juce::XmlElement& element);

// The last of those steps alone: control id ("2") and group mask ("9"). A
// combo box needs its id before it can be filled.
void applyControlIdAndMask(juce::Component& widget, const juce::XmlElement& element);
