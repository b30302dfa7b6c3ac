#include "BuiltInPictures.h"

namespace BuiltInPictures
{
namespace
{
// Where the default layout puts its controls, so the captions sit beside
// them: the two name labels, the button with the meters, and the six knobs.
const juce::Rectangle<int> instrumentRow { 96, 62, 376, 21 };
const juce::Rectangle<int> groupRow { 96, 83, 376, 22 };
const juce::Rectangle<int> displayPanel { 88, 56, 418, 56 };
constexpr int knobLefts[] = { 75, 148, 222, 309, 393, 477 };
constexpr int knobTop = 123;
constexpr int knobSize = 40;
const char* const knobCaptions[] = { "ATTACK", "DECAY", "SUSTAIN", "RELEASE", "VOLUME", "PAN" };

void drawTitleStrip(juce::Graphics& g, int width)
{
    const juce::Rectangle<float> strip(0.0f, 0.0f, static_cast<float>(width), 40.0f);
    g.setGradientFill(juce::ColourGradient(juce::Colour(0xff3a3f47), 0.0f, 0.0f, juce::Colour(0xff1d2026), 0.0f, 40.0f, false));
    g.fillRect(strip);
    g.setColour(juce::Colour(0xff6f7886));
    g.drawHorizontalLine(40, 0.0f, static_cast<float>(width));
    g.setColour(juce::Colour(0xffe8ebef));
    g.setFont(juce::Font(20.0f, juce::Font::bold));
    g.drawText("ZARVO", 16, 8, 90, 24, juce::Justification::centredLeft);
    g.setColour(juce::Colour(0xffa9b1bd));
    g.setFont(juce::Font(16.0f));
    g.drawText("Sampler Player", 96, 9, 200, 24, juce::Justification::centredLeft);
}

void drawDisplayPanel(juce::Graphics& g)
{
    g.setColour(juce::Colour(0xff0c1014));
    g.fillRoundedRectangle(displayPanel.toFloat(), 5.0f);
    g.setColour(juce::Colour(0xff4b5563));
    g.drawRoundedRectangle(displayPanel.toFloat().reduced(0.5f), 5.0f, 1.0f);

    g.setColour(juce::Colour(0xff1a222b));
    g.fillRect(instrumentRow.withTrimmedLeft(72).withTrimmedRight(24));
    g.fillRect(groupRow.withTrimmedLeft(50).withTrimmedRight(8));

    g.setColour(juce::Colour(0xff7fb2d9));
    g.setFont(juce::Font(11.0f));
    g.drawText("INSTRUMENT", instrumentRow.withWidth(74), juce::Justification::centredLeft);
    g.drawText("GROUP", groupRow.withWidth(50), juce::Justification::centredLeft);
}

void drawKnobCaptions(juce::Graphics& g)
{
    g.setFont(juce::Font(10.0f, juce::Font::bold));
    for (size_t i = 0; i < std::size(knobLefts); ++i)
    {
        const juce::Rectangle<int> knob(knobLefts[i], knobTop, knobSize, knobSize);
        g.setColour(juce::Colour(0xff2a2e35));
        g.fillEllipse(knob.toFloat().expanded(3.0f));
        g.setColour(juce::Colour(0xffd7dbe0));
        g.drawText(knobCaptions[i], knob.getX() - 16, knob.getBottom() + 2, knobSize + 32, 13, juce::Justification::centred);
    }
}

void drawExclamation(juce::Graphics& g, juce::Rectangle<float> area, juce::Colour face, juce::Colour mark)
{
    g.setColour(face);
    g.fillEllipse(area.reduced(1.0f));
    g.setColour(mark);
    const float centre = area.getCentreX();
    g.fillRoundedRectangle(centre - 1.25f, area.getY() + 3.5f, 2.5f, 6.5f, 1.0f);
    g.fillEllipse(centre - 1.25f, area.getY() + 11.0f, 2.5f, 2.5f);
}
} // namespace

juce::Image drawDefaultBackground()
{
    juce::Image image(juce::Image::ARGB, 593, 242, true, juce::SoftwareImageType());
    juce::Graphics g(image);
    g.setGradientFill(juce::ColourGradient(juce::Colour(0xff5d6470), 0.0f, 40.0f, juce::Colour(0xff3c424b), 0.0f, 242.0f, false));
    g.fillAll();
    drawTitleStrip(g, image.getWidth());
    drawDisplayPanel(g);
    drawKnobCaptions(g);
    g.setColour(juce::Colour(0xff23272d));
    g.fillRect(0, 176, image.getWidth(), image.getHeight() - 176);
    return image;
}

juce::Image drawDefaultButton()
{
    juce::Image image(juce::Image::ARGB, 34, 17, true, juce::SoftwareImageType());
    juce::Graphics g(image);
    drawExclamation(g, { 0.0f, 0.0f, 17.0f, 17.0f }, juce::Colour(0xff3a3f47), juce::Colour(0xff8a929e));
    drawExclamation(g, { 17.0f, 0.0f, 17.0f, 17.0f }, juce::Colour(0xffd0302b), juce::Colour(0xffffffff));
    return image;
}

juce::Image drawDefaultMeter()
{
    juce::Image image(juce::Image::ARGB, 2, 14, true, juce::SoftwareImageType());
    for (int y = 0; y < image.getHeight(); ++y)
    {
        const bool gap = y % 3 == 2;
        const juce::Colour colour = gap ? juce::Colour(0x40d8d8d8) : juce::Colour(0xffd8d8d8);
        for (int x = 0; x < image.getWidth(); ++x)
            image.setPixelAt(x, y, colour);
    }
    return image;
}
} // namespace BuiltInPictures
