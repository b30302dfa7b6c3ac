#pragma once
#include <juce_gui_basics/juce_gui_basics.h>

// A rotary knob drawn as one frame of a film-strip image chosen by its value.
// The frames are square or given explicitly; a knob without a usable strip
// (no image, or an image too small to hold one whole frame) is a light grey
// square.
class CKnob : public juce::Slider
{
public:
    CKnob();
    ~CKnob() override;

    // Takes a strip and derives its frames from its shape: wider than high
    // means square frames side by side, otherwise square frames stacked top to
    // bottom (a square image is one frame). Switches fitToBounds off.
    void setFilmStrip(const juce::Image& strip);

    // Takes a strip with frames of the given size, side by side or stacked.
    void setFilmStrip(const juce::Image& strip, int count, int width, int height, bool stackedVertically);

    // When on, every paint takes the frame size from the component: frames as
    // wide and high as the knob, side by side, as many as fit in the strip.
    void setFitToBounds(bool shouldFit);

    void paint(juce::Graphics& g) override;

private:
    juce::Image image;
    int frameCount = 0;
    int frameWidth = 0;
    int frameHeight = 0;
    bool vertical = false;
    bool fitToBounds = true;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(CKnob)
};
