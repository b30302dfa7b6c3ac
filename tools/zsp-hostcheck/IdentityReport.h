#pragma once
#include <juce_audio_processors/juce_audio_processors.h>

// Prints the format's own identity of a loaded plugin: the VST 2 unique id
// and versions, the controller class id a VST 3 component reports, the LV2
// plugin URI.
void printFormatIdentity(const juce::PluginDescription& description, juce::AudioPluginInstance& plugin);
