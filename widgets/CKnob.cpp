#include "CKnob.h"

#include <cmath>

CKnob::CKnob() = default;

CKnob::~CKnob() = default;

void CKnob::setFilmStrip(const juce::Image& strip)
{
    const int width = strip.getWidth();
    const int height = strip.getHeight();
    if (width <= 0 || height <= 0)
        setFilmStrip(strip, 0, 0, 0, true);
    else if (width > height)
        setFilmStrip(strip, width / height, height, height, false);
    else
        setFilmStrip(strip, height / width, width, width, true);
}

void CKnob::setFilmStrip(const juce::Image& strip, int count, int width, int height, bool stackedVertically)
{
    image = strip;
    frameCount = count;
    frameWidth = width;
    frameHeight = height;
    vertical = stackedVertically;
    fitToBounds = false;
    repaint();
}

void CKnob::setFitToBounds(bool shouldFit)
{
    fitToBounds = shouldFit;
    repaint();
}

void CKnob::paint(juce::Graphics& g)
{
    if (fitToBounds && getWidth() > 0 && getHeight() > 0)
    {
        frameWidth = getWidth();
        frameHeight = getHeight();
        vertical = false;
        frameCount = image.getWidth() / frameWidth;
    }

    // Only whole frames that lie inside the image are ever drawn, so a frame
    // count that promises more than the strip holds cannot read past its end.
    int usableFrames = 0;
    if (image.isValid() && frameWidth > 0 && frameHeight > 0)
    {
        const int framesInImage = vertical ? (frameWidth <= image.getWidth() ? image.getHeight() / frameHeight : 0)
                                           : (frameHeight <= image.getHeight() ? image.getWidth() / frameWidth : 0);
        usableFrames = juce::jmin(frameCount, framesInImage);
    }
    if (usableFrames < 1)
    {
        g.fillAll(juce::Colours::lightgrey);
        return;
    }

    // The first frame covers the lowest two steps and the last frame shows
    // only at the top of the range.
    double proportion = valueToProportionOfLength(getValue());
    if (!std::isfinite(proportion))
        proportion = 0.0;
    const double step = 1.0 / frameCount;
    int index = static_cast<int>(juce::jlimit(0.0, 1.0, proportion) / step);
    if (index > 0)
        --index;
    index = juce::jmin(index, usableFrames - 1);

    const int sourceX = vertical ? 0 : frameWidth * index;
    const int sourceY = vertical ? frameHeight * index : 0;
    g.drawImage(image, 0, 0, frameWidth, frameHeight, sourceX, sourceY, frameWidth, frameHeight);
}
