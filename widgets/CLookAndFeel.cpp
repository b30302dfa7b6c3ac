#include "CLookAndFeel.h"

CLookAndFeel::CLookAndFeel()
{
    setColour(juce::TextButton::buttonColourId, juce::Colours::snow);
    setColour(juce::ScrollBar::thumbColourId, juce::Colours::lightgrey);
    setColour(juce::ProgressBar::backgroundColourId, juce::Colours::cyan);
    setColour(juce::ProgressBar::foregroundColourId, juce::Colours::skyblue);
}

CLookAndFeel::~CLookAndFeel() = default;

void CLookAndFeel::drawMenuBarBackground(juce::Graphics& g, int width, int height, bool,
                                         juce::MenuBarComponent&)
{
    g.setColour(juce::Colours::lightgrey);
    g.fillRect(0, 0, width, height);
}

void CLookAndFeel::drawComboBox(juce::Graphics& g, int width, int height, bool isButtonDown,
                                int buttonX, int buttonY, int buttonW, int buttonH, juce::ComboBox& box)
{
    g.fillAll(box.findColour(juce::ComboBox::backgroundColourId));

    const bool enabled = box.isEnabled();
    g.setColour(box.findColour(juce::ComboBox::outlineColourId));
    g.drawRect(0, 0, width, height, enabled && box.hasKeyboardFocus(false) ? 2 : 1);

    const float thickness = enabled ? (isButtonDown ? 1.2f : 0.5f) : 0.3f;
    const juce::Colour buttonColour = box.findColour(juce::ComboBox::buttonColourId);

    // A layout that makes the button colour transparent wants no button face.
    if (!buttonColour.isTransparent())
    {
        juce::Colour face = buttonColour.withMultipliedSaturation(box.hasKeyboardFocus(true) ? 1.3f : 0.9f);
        if (isButtonDown)
            face = face.contrasting(0.2f);
        face = face.withMultipliedAlpha(enabled ? 1.0f : 0.5f);
        drawGlassLozenge(g, static_cast<float>(buttonX) + thickness, static_cast<float>(buttonY) + thickness,
                         static_cast<float>(buttonW) - thickness * 2.0f, static_cast<float>(buttonH) - thickness * 2.0f,
                         face, thickness, -1.0f, true, true, true, true);
    }

    if (enabled)
    {
        const auto x = static_cast<float>(buttonX);
        const auto y = static_cast<float>(buttonY);
        const auto w = static_cast<float>(buttonW);
        const auto h = static_cast<float>(buttonH);
        juce::Path arrows;
        arrows.addTriangle(x + w * 0.5f, y + h * 0.25f, x + w * 0.7f, y + h * 0.45f, x + w * 0.3f, y + h * 0.45f);
        arrows.addTriangle(x + w * 0.5f, y + h * 0.75f, x + w * 0.7f, y + h * 0.55f, x + w * 0.3f, y + h * 0.55f);
        g.setColour(box.findColour(juce::ComboBox::arrowColourId));
        g.fillPath(arrows);
    }
}
