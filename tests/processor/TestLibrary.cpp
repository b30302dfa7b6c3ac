#include "TestLibrary.h"

#include <gtest/gtest.h>

#include "InstrumentImage.h"
#include "InstrumentWriter.h"
#include "support/MemorySound.h"

TestLibrary::TestLibrary()
{
    root = juce::File::createTempFile("zsp-library");
    root.createDirectory();
    folder().createDirectory();
    elsewhere().createDirectory();
    pluginFile().create();
}

TestLibrary::~TestLibrary()
{
    root.deleteRecursively();
}

juce::File TestLibrary::locate(const juce::String& path) const
{
    return juce::File::isAbsolutePath(path) ? juce::File(path) : folder().getChildFile(path);
}

juce::File TestLibrary::add(const juce::String& path, const InstrumentRecipe& recipe)
{
    InstrumentImage image = newInstrumentImage();
    image.name = recipe.name;
    image.vendor = recipe.vendor;
    image.settings.playerColour = recipe.playerColour;
    image.settings.diskStreaming = image.settings.diskStreamingStored = recipe.streaming ? 1 : 0;
    image.settings.streamBufferFrames = image.settings.streamBufferFramesStored = 256;
    image.embedded = recipe.wavSamples.empty();
    if (!recipe.layoutXml.empty())
        image.layoutXml = recipe.layoutXml;
    for (int g = 0; g < recipe.groups; ++g)
    {
        GroupImage group = newGroupImage("Group " + std::to_string(g + 1));
        group.settings.active = g == 0 ? 1 : 0;
        group.settings.activation = recipe.groupActivation;
        for (int z = 0; z < recipe.zonesPerGroup; ++z)
        {
            ZoneImage zone;
            auto sound = std::make_shared<MemorySound>(std::vector<float>(static_cast<size_t>(recipe.framesPerZone), recipe.sampleValue), 1);
            zone.settings = soundZoneSettings(*sound);
            zone.settings.lowKey = 0;
            zone.settings.highKey = 127;
            zone.settings.highVelocity = 127;
            zone.settings.rootKey = 60;
            zone.settings.ignoreVelocity = 1;
            if (image.embedded)
            {
                zone.sampleName = "g" + std::to_string(g) + "z" + std::to_string(z);
                zone.sound = sound;
            }
            else
                zone.sampleName = recipe.wavSamples[static_cast<size_t>(z) % recipe.wavSamples.size()];
            group.zones.push_back(zone);
        }
        image.groups.push_back(group);
    }

    const juce::File file = locate(path);
    file.getParentDirectory().createDirectory();
    std::string error;
    EXPECT_TRUE(writeInstrumentFile(image, file.getFullPathName().toStdString(), error)) << error;
    return file;
}

juce::File TestLibrary::addBytes(const juce::String& path, const std::vector<uint8_t>& bytes)
{
    const juce::File file = locate(path);
    file.getParentDirectory().createDirectory();
    EXPECT_TRUE(file.replaceWithData(bytes.data(), bytes.size()));
    return file;
}
