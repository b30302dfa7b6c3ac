#pragma once
#include <juce_audio_basics/juce_audio_basics.h>

class CNoteButtonMessage;

// What an editor offers the audio thread so that incoming notes, controllers
// and pitch bend show on screen: the keyboard state its keyboards display and
// a way to post a message to its note buttons. The processor finds it on the
// active editor; an editor without it simply shows nothing.
class CNoteMirror
{
public:
    virtual ~CNoteMirror() = default;

    // Safe to feed from the audio thread.
    virtual juce::MidiKeyboardState& getKeyboardState() = 0;

    // Takes over the message (reference counted) and delivers it on the
    // message thread.
    virtual void postNoteMessage(CNoteButtonMessage* message) = 0;
};
