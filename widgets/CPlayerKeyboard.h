#pragma once
#include <juce_audio_utils/juce_audio_utils.h>

// The player's on-screen keyboard: JUCE's keyboard, with note names on the C
// keys only when asked for.
class CPlayerKeyboard : public juce::MidiKeyboardComponent
{
public:
    CPlayerKeyboard(juce::MidiKeyboardState& state, Orientation orientation);
    ~CPlayerKeyboard() override;

    void setLabelCKeys(bool shouldLabel);
    bool getLabelCKeys() const noexcept { return labelCKeys; }

    // "C" and the octave (counted from the keyboard's octave of middle C) on
    // C keys while labels are on; nothing on any other key.
    juce::String getWhiteNoteText(int midiNoteNumber) override;

private:
    bool labelCKeys = true;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(CPlayerKeyboard)
};
