#pragma once
#include <juce_gui_basics/juce_gui_basics.h>

// A peak meter drawn from an image of the fully lit meter. The level only
// rises when it is set; the shared RLevelMeterDriver lets it fall by 1 dB per
// tick until it is just below the floor. The bar display lights the image
// from the bottom up; the fade display draws the whole image more or less
// opaque.
class RLevelMeter : public juce::Component
{
public:
    // The meter takes the image's size and starts full, at 0 dB.
    explicit RLevelMeter(const juce::Image& litImage);
    ~RLevelMeter() override;

    // Raises the level to dB when that is higher than the current level.
    // Levels above 0 dB (an infinite one included) show as 0 dB, a full
    // meter, and a level that is not a number is ignored.
    void setLevel(float dB);
    float getLevel() const noexcept { return level; }
    float getFloor() const noexcept { return floor; }

    void setFadeMode(bool shouldFade);

    void paint(juce::Graphics& g) override;

private:
    friend class RLevelMeterDriver;
    // One tick of the fall; false when the meter has come to rest.
    bool fallBack();
    // 0 for a full meter (0 dB) to 1 for an empty one (the floor and below).
    float emptyProportion() const;

    juce::Image image;
    bool fadeMode = false;
    float floor = -30.0f;
    float level = -30.0f;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(RLevelMeter)
};
