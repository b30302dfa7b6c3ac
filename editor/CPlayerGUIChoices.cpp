#include "editor/CPlayerGUI.h"

const std::array<int, 15> CPlayerGUI::layoutColourIds = {
    juce::Slider::rotarySliderOutlineColourId,
    juce::Slider::rotarySliderFillColourId,
    juce::TextButton::buttonColourId,
    juce::TextButton::buttonOnColourId,
    juce::Label::textColourId,
    juce::MidiKeyboardComponent::whiteNoteColourId,
    juce::MidiKeyboardComponent::blackNoteColourId,
    juce::MidiKeyboardComponent::mouseOverKeyOverlayColourId,
    juce::MidiKeyboardComponent::keyDownOverlayColourId,
    juce::MidiKeyboardComponent::keySeparatorLineColourId,
    juce::ComboBox::textColourId,
    juce::ComboBox::outlineColourId,
    juce::ComboBox::buttonColourId,
    juce::ComboBox::arrowColourId,
    juce::ComboBox::backgroundColourId,
};

namespace
{
juce::StringArray choicesFor(const juce::var& controlId)
{
    if (controlId == juce::var(1))
        return { "Low", "Mid", "High" };
    if (controlId == juce::var(2))
        return { "Normal", "Weak", "Strong" };
    if (controlId == juce::var(3))
        return { "Poly", "Mono", "Legato" };
    if (controlId == juce::var(4))
        return { "Triangle", "Sin", "Saw", "Square", "Exponent" };
    if (controlId == juce::var(5))
        return { "None", "Pitch", "Expression", "Pan" };
    if (controlId == juce::var(6))
        return { "None", "Mod Wheel", "After Touch", "Velocity" };
    if (controlId == juce::var(7))
        return { "None", "Low Pass", "High Pass" };
    if (controlId == juce::var(100))
        return { "Always", "Channel", "Note", "Controller", "Program", "Manual" };
    if (controlId == juce::var(101))
        return { "Stack", "Round Robin", "Random Robin", "Total Random" };
    if (controlId == juce::var(102))
    {
        juce::StringArray outputs;
        for (int output = 1; output <= 16; ++output)
            outputs.add(juce::String(output));
        return outputs;
    }
    return {};
}
} // namespace

void CPlayerGUI::fillChoices(juce::ComboBox& comboBox)
{
    const juce::var controlId = comboBox.getProperties().getWithDefault("2", juce::var());
    if (controlId.isVoid())
        return;
    comboBox.addItemList(choicesFor(controlId), 1);
}
