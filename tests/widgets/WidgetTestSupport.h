#pragma once
#include <juce_gui_basics/juce_gui_basics.h>

// Paints a component with its children into a new transparent ARGB image of
// its size, as the screen would show it.
juce::Image paintComponent(juce::Component& component);

// An image of the given size filled with one colour.
juce::Image solidImage(int width, int height, juce::Colour colour);

// A mouse event on component at position, for a press that began at
// downPosition; clicks counts the clicks of a double click.
juce::MouseEvent mouseEventOn(juce::Component& component, juce::Point<float> position,
                              juce::Point<float> downPosition, int clicks = 1);

// Number of pixels of image inside area whose alpha is above threshold.
int countOpaquePixels(const juce::Image& image, juce::Rectangle<int> area, int threshold = 0);

// Runs a progress bar's own timer callback once, as its timer would when the
// message loop runs. The bar inherits juce::Timer privately, which only a
// C-style cast reaches.
void runProgressBarTimer(juce::ProgressBar& bar);
