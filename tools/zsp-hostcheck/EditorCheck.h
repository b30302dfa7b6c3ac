#pragma once
#include <juce_audio_processors/juce_audio_processors.h>

// The plugin's window open while a host plays it: an audio thread renders
// chords at the real-time pace of `blockSize` frames at `sampleRate`, while
// the message thread runs the window, switches program once a second and
// moves a parameter. True when the window opened, every second of audio was
// rendered and sounded; the figures go to standard output, a problem to
// `problem`. Needs a display and the message manager of a GUI initialiser.
bool runWithEditorOpen(juce::AudioPluginInstance& plugin, double sampleRate, int blockSize, int seconds,
                       juce::String& problem);

// Makes the window-manager atoms the plugin's windows use exist on the
// display before any JUCE code asks for them. A virtual display without a
// window manager has none of them, JUCE then sends "None" in their place,
// and the X error that follows ends the process once a plugin's own copy of
// JUCE has put the default error handler back. Call before JUCE starts; the
// connection it opens stays open until the process ends.
void prepareDisplayForEditors();
