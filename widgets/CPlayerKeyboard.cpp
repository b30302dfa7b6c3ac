#include "CPlayerKeyboard.h"

CPlayerKeyboard::CPlayerKeyboard(juce::MidiKeyboardState& state, Orientation orientation)
    : juce::MidiKeyboardComponent(state, orientation)
{
}

CPlayerKeyboard::~CPlayerKeyboard() = default;

void CPlayerKeyboard::setLabelCKeys(bool shouldLabel)
{
    labelCKeys = shouldLabel;
    repaint();
}

juce::String CPlayerKeyboard::getWhiteNoteText(int midiNoteNumber)
{
    if (!labelCKeys || midiNoteNumber % 12 != 0)
        return {};
    return "C" + juce::String(midiNoteNumber / 12 + getOctaveForMiddleC() - 5);
}
