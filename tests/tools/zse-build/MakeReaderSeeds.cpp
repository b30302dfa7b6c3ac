// zse_reader_seeds FOLDER
//
// Writes a few small instrument files, each under 4 KiB, as the starting
// corpus of the instrument-reader fuzzer: embedded 16-bit and float data,
// shared and unshared sample names, streaming with a loop, groups stored
// active, a background image and strings, and a file naming WAVE files.

#include <cmath>
#include <cstdio>
#include <filesystem>

#include "InstrumentWriter.h"
#include "support/MemorySound.h"

namespace
{
std::shared_ptr<ZSoundFile> sound(int64_t frames, int32_t channels, float frequency)
{
    std::vector<float> values(static_cast<size_t>(frames * channels));
    for (size_t k = 0; k < values.size(); ++k)
        values[k] = 0.5f * std::sin(frequency * static_cast<float>(k));
    return std::make_shared<MemorySound>(std::move(values), channels);
}

ZoneImage zone(const std::string& name, std::shared_ptr<ZSoundFile> data, int lowKey, int highKey)
{
    ZoneImage z;
    z.sampleName = name;
    z.settings = soundZoneSettings(*data);
    z.settings.lowKey = lowKey;
    z.settings.highKey = highKey;
    z.settings.highVelocity = 127;
    z.settings.rootKey = 60;
    z.sound = std::move(data);
    return z;
}

InstrumentImage small(bool sixteenBit, bool streaming)
{
    InstrumentImage image = newInstrumentImage();
    image.name = "Seed";
    image.vendor = "Zarvo";
    image.layoutXml = "<player/>";
    image.settings.sixteenBit = image.settings.sixteenBitStored = sixteenBit ? 1 : 0;
    image.settings.diskStreaming = image.settings.diskStreamingStored = streaming ? 1 : 0;
    image.settings.streamBufferFrames = image.settings.streamBufferFramesStored = 64;
    image.settings.voiceCount = image.settings.voiceCountStored = 4;
    return image;
}
} // namespace

int main(int argc, char* argv[])
{
    if (argc != 2)
    {
        std::fprintf(stderr, "usage: zse_reader_seeds FOLDER\n");
        return 1;
    }
    const std::string folder = argv[1];
    std::error_code failure;
    std::filesystem::create_directories(folder, failure);

    std::vector<std::pair<std::string, InstrumentImage>> seeds;

    InstrumentImage shared = small(true, false);
    GroupImage keys = newGroupImage("Keys");
    keys.settings.active = 1;
    const auto low = sound(40, 1, 0.2f);
    keys.zones = { zone("low", low, 0, 59), zone("low", low, 60, 127), zone("", sound(20, 2, 0.1f), 0, 127) };
    shared.groups.push_back(keys);
    seeds.emplace_back("shared-16bit.zse", shared);

    InstrumentImage looped = small(false, true);
    GroupImage pad = newGroupImage("Pad");
    ZoneImage loopZone = zone("loop", sound(100, 1, 0.05f), 0, 127);
    loopZone.settings.playMode = 2;
    loopZone.settings.loopStart = 20;
    loopZone.settings.loopEnd = 80;
    pad.zones = { loopZone };
    looped.groups = { pad, newGroupImage("Empty") };
    looped.groups[1].settings.active = 1;
    seeds.emplace_back("looped-float-streaming.zse", looped);

    InstrumentImage decorated = small(true, false);
    decorated.extraText = "extra";
    decorated.backgroundImage = { 0x89, 'P', 'N', 'G', 13, 10, 26, 10 };
    decorated.stringList = { "one", "two" };
    decorated.settings.playerColour = 0xff204060;
    seeds.emplace_back("decorated.zse", decorated);

    InstrumentImage files = small(true, false);
    files.embedded = false;
    GroupImage named = newGroupImage("Files");
    ZoneImage a = zone("a.wav", sound(10, 1, 0.1f), 0, 63);
    ZoneImage b = zone("..\\Samples\\b.wav", sound(10, 1, 0.1f), 64, 127);
    named.zones = { a, b };
    files.groups.push_back(named);
    seeds.emplace_back("wave-files.zse", files);

    for (const auto& [name, image] : seeds)
    {
        std::string error;
        if (!writeInstrumentFile(image, folder + "/" + name, error))
        {
            std::fprintf(stderr, "zse_reader_seeds: %s\n", error.c_str());
            return 1;
        }
    }
    return 0;
}
