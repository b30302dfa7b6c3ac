#pragma once
// A plugin library file of its own for a test, with its instrument library
// folder beside it (Player.so and Player.instruments in a scratch folder),
// and instrument files written into it by the builder's writer.

#include <cstdint>
#include <string>
#include <vector>

#include <juce_core/juce_core.h>

struct InstrumentRecipe
{
    std::string name = "Piano";
    std::string vendor = "Zarvo";
    int groups = 1;
    int zonesPerGroup = 1;
    int64_t framesPerZone = 64;
    uint32_t playerColour = 0xFF204060;
    // Sample names of zones stored as WAVE files beside the instrument
    // instead of embedded sounds (the files are not written).
    std::vector<std::string> wavSamples;
    // The value every frame of an embedded sound holds.
    float sampleValue = 0.5f;
    // Zones stream from the file (with a stream buffer of 256 frames).
    bool streaming = false;
    // How every group is activated (GroupActivation; 0 "Always" re-activates
    // each group at every event).
    int32_t groupActivation = 0;
    // The player layout text; empty keeps a new instrument's default layout.
    std::string layoutXml;
};

class TestLibrary
{
public:
    TestLibrary();
    ~TestLibrary();
    TestLibrary(const TestLibrary&) = delete;
    TestLibrary& operator=(const TestLibrary&) = delete;

    // The plugin library file whose folder rule gives folder().
    juce::File pluginFile() const { return root.getChildFile("Player.so"); }
    juce::File folder() const { return root.getChildFile("Player.instruments"); }
    // A folder outside the library.
    juce::File elsewhere() const { return root.getChildFile("elsewhere"); }

    // Writes an instrument at `path`: relative to the library folder, or
    // absolute. Fails the test when it cannot be written.
    juce::File add(const juce::String& path, const InstrumentRecipe& recipe = {});
    // Writes a file of plain bytes there.
    juce::File addBytes(const juce::String& path, const std::vector<uint8_t>& bytes);

private:
    juce::File locate(const juce::String& path) const;

    juce::File root;
};
