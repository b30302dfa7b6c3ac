#pragma once
#include <juce_graphics/juce_graphics.h>

// What the processor asks of its open editor. The player window (CZSPGUI)
// implements it; the processor finds it on getActiveEditor() and calls it on
// the message thread only, so an implementation needs no locking of its own.
//
// Everything that comes from other threads the editor fetches from the
// processor on its own timers instead, from state the processor owns (so no
// other thread ever touches an editor that may be going away):
//   CZSP::takeMirroredEvent     notes, controllers and bend of the host's MIDI
//   CZSP::keyboardState         the keyboard state its keyboards show
//   CZSP::setNoteMirroring      switched on while the window is visible
//   CZSP::loadingProgress       progress of the running load, 0 to 1
//   CZSP::isLoading, CZSP::lastLoadSucceeded
//   CZSP::takeEngineChanged     true once after the groups or settings changed
//   CZSP::meterPeaks            raised by the audio thread, read and zeroed
class CEditorLink
{
public:
    virtual ~CEditorLink() = default;

    // A load starts: colour the loading overlay from the instrument's player
    // colour and restart the overlay timer, so the overlay shows if the load
    // still runs a second later.
    virtual void loadStarting(juce::Colour playerColour) = 0;

    // The load ended: hide the overlay and stop its timer; rebuild the player
    // surface when it succeeded. Not called for a load that a newer request
    // replaced before it ended.
    virtual void loadEnded(bool succeeded) = 0;
};
