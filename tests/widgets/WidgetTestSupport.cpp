#include "WidgetTestSupport.h"

juce::Image paintComponent(juce::Component& component)
{
    juce::Image image(juce::Image::ARGB, juce::jmax(1, component.getWidth()), juce::jmax(1, component.getHeight()), true);
    juce::Graphics g(image);
    component.paintEntireComponent(g, false);
    return image;
}

juce::Image solidImage(int width, int height, juce::Colour colour)
{
    juce::Image image(juce::Image::ARGB, width, height, false);
    image.clear(image.getBounds(), colour);
    return image;
}

juce::MouseEvent mouseEventOn(juce::Component& component, juce::Point<float> position,
                              juce::Point<float> downPosition, int clicks)
{
    const juce::Time now = juce::Time::getCurrentTime();
    return juce::MouseEvent(juce::Desktop::getInstance().getMainMouseSource(), position,
                            juce::ModifierKeys(juce::ModifierKeys::leftButtonModifier),
                            juce::MouseInputSource::defaultPressure, juce::MouseInputSource::defaultOrientation,
                            juce::MouseInputSource::defaultRotation, juce::MouseInputSource::defaultTiltX,
                            juce::MouseInputSource::defaultTiltY, &component, &component, now, downPosition, now,
                            clicks, position != downPosition);
}

int countOpaquePixels(const juce::Image& image, juce::Rectangle<int> area, int threshold)
{
    int count = 0;
    const juce::Rectangle<int> inside = area.getIntersection(image.getBounds());
    for (int y = inside.getY(); y < inside.getBottom(); ++y)
        for (int x = inside.getX(); x < inside.getRight(); ++x)
            if (image.getPixelAt(x, y).getAlpha() > threshold)
                ++count;
    return count;
}

void runProgressBarTimer(juce::ProgressBar& bar)
{
    ((juce::Timer&) bar).timerCallback();
}
