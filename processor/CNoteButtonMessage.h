#pragma once
#include <juce_events/juce_events.h>
#include <juce_audio_basics/juce_audio_basics.h>

// A MIDI event handed from the audio thread to the editor, which lights the
// matching note button when the message thread delivers it. The time stamp is
// the event's sample position within its block.
class CNoteButtonMessage : public juce::Message
{
public:
    explicit CNoteButtonMessage(const juce::MidiMessage& midiMessage) : message(midiMessage) {}

    juce::MidiMessage message;
};
