#include "CLookAndFeel.h"

CLookAndFeel::CLookAndFeel()
{
    setColour(juce::TextButton::buttonColourId, juce::Colours::snow);
    setColour(juce::ScrollBar::thumbColourId, juce::Colours::lightgrey);
    setColour(juce::ProgressBar::backgroundColourId, juce::Colours::cyan);
    setColour(juce::ProgressBar::foregroundColourId, juce::Colours::skyblue);
}

CLookAndFeel::~CLookAndFeel() = default;
