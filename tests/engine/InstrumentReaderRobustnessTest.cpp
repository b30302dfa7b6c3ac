// Loading many instruments in a row, and corrupt files whose counts and
// lengths claim far more than the file holds.

#include <dirent.h>

#include <cstring>
#include <fstream>

#include "engine/InstrumentReaderTest.h"

namespace
{
int openDescriptors()
{
    int count = 0;
    if (DIR* folder = ::opendir("/proc/self/fd"))
    {
        while (const dirent* entry = ::readdir(folder))
            count += entry->d_name[0] != '.' ? 1 : 0;
        ::closedir(folder);
    }
    return count;
}

// Peak resident memory of the process in KiB, reset to the current use when
// the system allows it (false otherwise).
bool resetPeakMemory()
{
    std::ofstream reset("/proc/self/clear_refs");
    reset << "5";
    reset.flush();
    return static_cast<bool>(reset);
}

long peakMemoryKiB()
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stol(line.substr(6));
    return -1;
}

// A small embedded instrument whose voices hold no stream buffers, so the
// only memory a load needs is what the file holds.
InstrumentImage smallImage()
{
    InstrumentImage image = plainImage();
    image.layoutXml = "<player/>";
    GroupImage group = newGroupImage("G");
    group.zones = { zoneImage("s", distinctSound(64, 2, 0.0f)) };
    image.groups.push_back(group);
    return image;
}

void putLE32(Bytes& bytes, size_t at, uint32_t value)
{
    for (int k = 0; k < 4; ++k)
        bytes[at + static_cast<size_t>(k)] = static_cast<uint8_t>(value >> (8 * k));
}

void putLE64(Bytes& bytes, size_t at, uint64_t value)
{
    for (int k = 0; k < 8; ++k)
        bytes[at + static_cast<size_t>(k)] = static_cast<uint8_t>(value >> (8 * k));
}

// Offsets in the file smallImage() writes.
struct Layout
{
    size_t imageLength, stringCount, groupCount, zoneCount, soundHeader;
};

Layout layoutOf(const InstrumentImage& image)
{
    Layout at {};
    at.imageLength = 4 + 4 + 1 + image.name.size() + 1 + image.vendor.size() + 1 + sizeof(InstrumentSettings)
                   + image.extraText.size() + 1;
    at.stringCount = at.imageLength + 4 + image.backgroundImage.size() + image.layoutXml.size() + 1;
    at.groupCount = at.stringCount + 4;
    at.zoneCount = at.groupCount + 4 + image.groups[0].name.size() + 1 + sizeof(GroupSettings);
    at.soundHeader = at.zoneCount + 4 + image.groups[0].zones[0].sampleName.size() + 1;
    return at;
}
} // namespace

TEST(InstrumentReaderRobustness, AThousandEmbeddedLoadsInARowLeaveNoFileOpenBehind)
{
    const std::string path = writeImage(smallImage(), "robust-many.zse");
    ZInstrument instrument;
    ASSERT_TRUE(instrument.loadFromFile(path));
    const int afterFirst = openDescriptors();
    for (int k = 0; k < 1000; ++k)
        ASSERT_TRUE(instrument.loadFromFile(path)) << "load " << k;
    EXPECT_EQ(openDescriptors(), afterFirst);
    ASSERT_EQ(instrument.groups.size(), 1u);
    EXPECT_EQ(instrument.groups[0]->zones.size(), 1u);
}

TEST(InstrumentReaderRobustness, HugeCountsAndLengthsNeitherCrashNorAllocateBeyondTheFile)
{
    const InstrumentImage image = smallImage();
    const Bytes good = readWholeFile(writeImage(image, "robust-good.zse"));
    const Layout at = layoutOf(image);
    ASSERT_EQ(std::memcmp(good.data() + at.soundHeader + 8, "\x02\0\0\0", 4), 0);  // the sound's channel count

    struct Corruption
    {
        const char* what;
        std::function<void(Bytes&)> apply;
    };
    const Corruption corruptions[] = {
        { "image length 2^31-1", [&](Bytes& b) { putLE32(b, at.imageLength, 0x7fffffff); } },
        { "negative image length", [&](Bytes& b) { putLE32(b, at.imageLength, 0x80000000); } },
        { "string count 2^31-1", [&](Bytes& b) { putLE32(b, at.stringCount, 0x7fffffff); } },
        { "group count 2^31-1", [&](Bytes& b) { putLE32(b, at.groupCount, 0x7fffffff); } },
        { "negative group count", [&](Bytes& b) { putLE32(b, at.groupCount, 0xffffffff); } },
        { "zone count 2^31-1", [&](Bytes& b) { putLE32(b, at.zoneCount, 0x7fffffff); } },
        { "frame count 2^62", [&](Bytes& b) { putLE64(b, at.soundHeader + 16, uint64_t { 1 } << 62); } },
        { "negative frame count", [&](Bytes& b) { putLE64(b, at.soundHeader + 16, UINT64_MAX); } },
        { "channel count 2^31-1", [&](Bytes& b) { putLE32(b, at.soundHeader + 8, 0x7fffffff); } },
        { "negative channel count", [&](Bytes& b) { putLE32(b, at.soundHeader + 8, 0xfffffffe); } },
        { "sample width 3", [&](Bytes& b) { putLE32(b, at.soundHeader, 3); } },
        { "unterminated layout to the end", [&](Bytes& b) {
              std::fill(b.begin() + static_cast<std::ptrdiff_t>(at.stringCount - 10), b.end(), 'x');
          } },
    };

    const bool measurable = resetPeakMemory() && peakMemoryKiB() > 0;
    for (const Corruption& corruption : corruptions)
    {
        SCOPED_TRACE(corruption.what);
        Bytes bad = good;
        corruption.apply(bad);
        const std::string path = writeScratchFile("robust-corrupt.zse", bad);

        ZInstrument instrument;
        RecordingDelegate delegate;
        instrument.delegate = &delegate;
        const long before = measurable && resetPeakMemory() ? peakMemoryKiB() : -1;
        instrument.loadFromFile(path);
        const long grown = before >= 0 ? peakMemoryKiB() - before : 0;
        instrument.delegate = nullptr;

        // What a load of this file may need: its bytes (a few times over, as
        // sample memory and strings) plus a fixed allowance.
        EXPECT_LT(grown, 16 * 1024) << "KiB of peak memory for a file of " << bad.size() << " bytes";
        EXPECT_LE(delegate.progress_.size(), 1u);
        for (const auto& group : instrument.groups)
            for (const auto& zone : group->zones)
                EXPECT_LE(zone->framesInMemory(), 64);
    }
    if (!measurable)
        GTEST_SKIP() << "peak memory cannot be reset here; only crashes were checked";
}
