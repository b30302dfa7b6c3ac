#include "LoadingTime.h"

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#if defined(__linux__)
#include <unistd.h>
#endif

#include "BenchSounds.h"
#include "InstrumentImage.h"
#include "InstrumentWriter.h"
#include "engine/ZInstrument.h"
#include "files/ZoneSound.h"

namespace
{
constexpr int64_t toneFrames = 2000;
constexpr int64_t framesPerFile = 32 * 1048576 / 4;  // 32 MiB of 16-bit stereo

double secondsSince(std::chrono::steady_clock::time_point begin)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
}

std::shared_ptr<ZSoundFile> openSound(const std::string& path)
{
    return std::shared_ptr<ZSoundFile>(openZoneSound(path, nullptr, 0));
}

InstrumentImage imageWith(bool embedded, bool streaming)
{
    InstrumentImage image = newInstrumentImage();
    image.embedded = embedded;
    image.settings.sixteenBit = image.settings.sixteenBitStored = 1;
    image.settings.diskStreaming = image.settings.diskStreamingStored = streaming ? 1 : 0;
    return image;
}

// Writes back and drops the system's page cache, so the next read comes from
// the disk; false where that is not allowed (it needs root) or not possible.
bool dropPageCache()
{
#if defined(__linux__)
    ::sync();
    std::FILE* control = std::fopen("/proc/sys/vm/drop_caches", "w");
    if (control == nullptr)
        return false;
    const bool written = std::fputs("3", control) >= 0;
    return std::fclose(control) == 0 && written;
#else
    return false;
#endif
}

double timeCat(const std::string& command)
{
    const auto begin = std::chrono::steady_clock::now();
    return std::system((command + " > /dev/null").c_str()) == 0 ? secondsSince(begin) : -1.0;
}

double timeLoad(const std::string& path)
{
    ZInstrument instrument;
    const auto begin = std::chrono::steady_clock::now();
    const bool loaded = instrument.loadFromFile(path);
    const double seconds = secondsSince(begin);
    return loaded ? seconds : -1.0;
}

bool write(const InstrumentImage& image, const std::string& path)
{
    std::string error;
    return writeInstrumentFile(image, path, error);
}
} // namespace

double zoneLoadSeconds(const std::string& folder, int zones, ZoneLayout layout)
{
    const std::string tonePath = folder + "/zone-tone.wav";
    if (!writeToneWave(tonePath, toneFrames, 1, 440.0))
        return -1.0;
    const std::shared_ptr<ZSoundFile> sound = openSound(tonePath);
    InstrumentImage image = imageWith(true, false);
    GroupImage group = newGroupImage("Zones");
    group.settings.zoneSelection = stored(ZoneSelection::roundRobin);
    for (int k = 0; k < zones; ++k)
    {
        ZoneImage zone;
        zone.sampleName = "tone";
        zone.sound = sound;
        zone.settings = soundZoneSettings(*sound);
        const bool own = layout == ZoneLayout::ownRanges;
        zone.settings.lowKey = own ? k % 128 : 0;
        zone.settings.highKey = 127;
        zone.settings.lowVelocity = own ? (k / 128) % 128 : 0;
        zone.settings.highVelocity = 127;
        zone.settings.rootKey = 60;
        group.zones.push_back(std::move(zone));
    }
    image.groups.push_back(std::move(group));
    const std::string path = folder + "/zones.zse";
    if (!write(image, path))
        return -1.0;
    const double seconds = timeLoad(path);
    std::remove(path.c_str());
    return seconds;
}

SampleLoadFigures sampleLoadSeconds(const std::string& folder, int mebibytes, bool fromDisk)
{
    SampleLoadFigures figures;
    const int files = std::max(1, mebibytes / 32);
    std::vector<std::string> names;
    std::string catCommand = "cat";
    for (int k = 0; k < files; ++k)
    {
        names.push_back("samples-" + std::to_string(k) + ".wav");
        if (!writeToneWave(folder + "/" + names.back(), framesPerFile, 2, 100.0 + k))
            return figures;
        catCommand += " '" + folder + "/" + names.back() + "'";
    }
    figures.megabytes = static_cast<double>(files) * framesPerFile * 4 / 1e6;
    figures.fromDisk = fromDisk && dropPageCache();
    // Every timed read starts from the disk when the cache can be dropped.
    auto beforeRead = [&figures] { figures.fromDisk = figures.fromDisk && dropPageCache(); };

    auto writeImage = [&](bool embedded, bool streaming) {
        InstrumentImage image = imageWith(embedded, streaming);
        GroupImage group = newGroupImage("Samples");
        for (int k = 0; k < files; ++k)
        {
            ZoneImage zone;
            zone.sampleName = names[static_cast<size_t>(k)];
            zone.sound = openSound(folder + "/" + zone.sampleName);
            zone.settings = soundZoneSettings(*zone.sound);
            zone.settings.lowKey = zone.settings.highKey = k % 128;
            zone.settings.highVelocity = 127;
            zone.settings.rootKey = 60;
            group.zones.push_back(std::move(zone));
        }
        image.groups.push_back(std::move(group));
        const std::string path = folder + (embedded ? "/embedded" : "/beside") + (streaming ? "-streaming.zse" : "-memory.zse");
        return write(image, path) ? path : std::string();
    };
    auto load = [&](const std::string& path) {
        if (path.empty())
            return -1.0;
        beforeRead();
        return timeLoad(path);
    };

    figures.besideMemory = load(writeImage(false, false));
    figures.besideStreaming = load(writeImage(false, true));
    beforeRead();
    figures.catSeconds = timeCat(catCommand);

    const std::string embedded = writeImage(true, false);
    figures.embeddedMemory = load(embedded);
    beforeRead();
    figures.catEmbeddedSeconds = embedded.empty() ? -1.0 : timeCat("cat '" + embedded + "'");
    std::remove(embedded.c_str());
    const std::string embeddedStreaming = writeImage(true, true);
    figures.embeddedStreaming = load(embeddedStreaming);
    std::remove(embeddedStreaming.c_str());

    // What no load into memory can go below: the memory the samples take, made.
    const auto begin = std::chrono::steady_clock::now();
    std::vector<int16_t> memory(static_cast<size_t>(files) * framesPerFile * 2);
    figures.memorySeconds = memory.back() == 0 ? secondsSince(begin) : -1.0;
    return figures;
}
