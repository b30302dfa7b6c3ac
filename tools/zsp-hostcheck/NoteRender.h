#pragma once
#include <vector>

#include <juce_audio_processors/juce_audio_processors.h>

// What one output bus produced over a render.
struct BusSound
{
    juce::String name;
    int channels = 0;
    float peak = 0.0f;
    double rms = 0.0;
    // Sample index, counted from the note-on, of the first non-zero sample; -1 if silent.
    juce::int64 firstSound = -1;
};

struct NoteRequest
{
    int channel = 1;
    int note = 60;
    int velocity = 100;
    int heldBlocks = 40;
    int releaseBlocks = 40;
};

// Plays one note through the plugin's block callback the way a host does: the
// note-on at the start of the first block, the note-off at the start of block
// `heldBlocks`, then `releaseBlocks` more blocks. The plugin must be prepared
// for `blockSize`. With `samples`, every output sample is kept there too,
// block after block, channel after channel.
std::vector<BusSound> renderNote(juce::AudioPluginInstance& plugin, int blockSize, const NoteRequest& request,
                                 std::vector<float>* samples = nullptr);

// Runs `blocks` blocks without MIDI.
void renderSilence(juce::AudioPluginInstance& plugin, int blockSize, int blocks);
