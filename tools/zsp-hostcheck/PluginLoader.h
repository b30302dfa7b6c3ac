#pragma once
#include <memory>

#include <juce_audio_processors/juce_audio_processors.h>

struct LoadedPlugin
{
    juce::PluginDescription description;
    std::unique_ptr<juce::AudioPluginInstance> instance;
};

// Loads the plugin at `location` the way a host would: a ".vst3" bundle, an
// ".lv2" bundle folder, a VST 2 library (".so") or an LV2 plugin URI. On
// failure `result.instance` stays null and `error` says why.
void loadPlugin(juce::AudioPluginFormatManager& formats, const juce::String& location, double sampleRate,
                int blockSize, LoadedPlugin& result, juce::String& error);
