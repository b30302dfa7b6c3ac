#include "RLevelMeter.h"

#include <cmath>

#include "RLevelMeterDriver.h"

RLevelMeter::RLevelMeter(const juce::Image& litImage)
    : image(litImage)
{
    setSize(image.getWidth(), image.getHeight());
    setLevel(0.0f);
    RLevelMeterDriver::getInstance()->add(this);
}

RLevelMeter::~RLevelMeter()
{
    // The driver may already be gone when the meter outlives the shutdown of
    // the GUI; it must not be created again for a meter that is leaving.
    if (auto* driver = RLevelMeterDriver::getInstanceWithoutCreating())
        driver->remove(this);
}

void RLevelMeter::setLevel(float dB)
{
    if (std::isnan(dB))
        return;
    const float limited = juce::jmin(dB, 0.0f);
    if (limited > level)
        level = limited;
    repaint();
}

void RLevelMeter::setFadeMode(bool shouldFade)
{
    fadeMode = shouldFade;
    repaint();
}

bool RLevelMeter::fallBack()
{
    if (level < floor)
        return false;
    level -= 1.0f;
    return true;
}

float RLevelMeter::emptyProportion() const
{
    return juce::jlimit(0.0f, 1.0f, level / floor);
}

void RLevelMeter::paint(juce::Graphics& g)
{
    if (!image.isValid())
        return;
    const float empty = emptyProportion();
    if (fadeMode)
    {
        g.setOpacity(1.0f - empty);
        g.drawImageAt(image, 0, 0);
        return;
    }
    const int width = image.getWidth();
    const int height = image.getHeight();
    const int dark = static_cast<int>(static_cast<float>(height) * empty);
    if (dark < height)
        g.drawImage(image, 0, dark, width, height - dark, 0, dark, width, height - dark);
}
