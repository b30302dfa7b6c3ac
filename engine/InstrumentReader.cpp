#include "engine/InstrumentReader.h"

#include <algorithm>
#include <cstring>

#include "engine/ZInstrument.h"
#include "engine/ZStreamingThread.h"
#include "files/InstrumentFileHead.h"
#include "files/InstrumentFileStrings.h"
#include "files/LittleEndian.h"
#include "files/SamplePath.h"
#include "files/ZEmbeddedSoundFile.h"
#include "files/ZFile.h"

namespace
{
constexpr int maxMissingSamplePrompts = 3;
constexpr int64_t embeddedHeaderBytes = ZEmbeddedSoundFile::headerBytes;

int32_t readInt32At(const uint8_t* bytes) { return static_cast<int32_t>(readLittleEndian32(bytes)); }

// A count that cannot be read is 0.
int32_t readInt32(ZFile& file)
{
    uint8_t bytes[4] = {};
    return file.read(bytes, 4) == 4 ? readInt32At(bytes) : 0;
}

// Reads a settings block over `block`: bytes past a short read keep what the
// block held before.
template <typename Block>
void readBlockOver(ZFile& file, Block& block)
{
    uint8_t bytes[sizeof(Block)];
    const size_t got = file.read(bytes, sizeof(Block));
    std::memcpy(&block, bytes, got);
}

bool atEnd(const ZFile& file)
{
    return file.tell() >= file.size();
}

// Keeps the zone's frame ranges inside its sound, whose length is above zero.
void clampToSound(ZoneSettings& s, uint64_t length)
{
    if (s.endFrame >= length)
        s.endFrame = length - 1;
    if (s.startFrame >= length)
        s.startFrame = length - 1;
    if (s.endFrame < 1)
        s.endFrame = 1;
    if (s.startFrame >= s.endFrame)
        s.startFrame = s.endFrame - 1;
    if (s.loopEnd > s.endFrame)
        s.loopEnd = s.endFrame;
    if (s.loopStart < s.startFrame)
        s.loopStart = s.startFrame;
    if (s.loopEnd < 1)
        s.loopEnd = 1;
    if (s.loopStart >= s.loopEnd)
        s.loopStart = s.loopEnd - 1;
}

// Progress before zone z of Z in group g of G, in single precision.
float progressAt(int32_t g, int32_t groupCount, int32_t z, int32_t zoneCount)
{
    return static_cast<float>(g) / static_cast<float>(groupCount)
         + (static_cast<float>(z) / static_cast<float>(zoneCount)) / static_cast<float>(groupCount);
}

// Keeps the streaming thread away from the instrument's voices and sounds for
// as long as a load runs, including any service already under way.
class LoadingScope
{
public:
    explicit LoadingScope(ZInstrument& loading) : instrument(loading), wasLoading(loading.loadingFlag.exchange(true))
    {
        ZStreamingThread::waitForService();
    }
    ~LoadingScope() { instrument.loadingFlag = wasLoading; }

private:
    ZInstrument& instrument;
    bool wasLoading;
};
} // namespace

InstrumentReader::InstrumentReader(ZInstrument& loading, const std::string& instrumentPath)
    : instrument(loading), path(instrumentPath)
{
}

InstrumentReader::~InstrumentReader() = default;

uint32_t InstrumentReader::peek(const std::string& path, bool wantVendor, std::string& text)
{
    ZSharedFile file = ZFile::openFileForReading(path);
    int32_t version = 0;
    if (file == nullptr || !readInstrumentFileHead(*file, version))
        return 0;
    file->readByte();
    const std::string storedName = readFileString(*file, instrumentStringLimit);
    const std::string storedVendor = readFileString(*file, instrumentStringLimit);
    text = wantVendor ? storedVendor : storedName;
    uint8_t block[sizeof(InstrumentSettings)] = {};
    file->read(block, sizeof(block));
    return static_cast<uint32_t>(readInt32At(block + offsetof(InstrumentSettings, playerColour)));
}

bool InstrumentReader::load()
{
    file = ZFile::openFileForReading(path);
    if (file == nullptr)
        return false;
    LoadingScope loading(instrument);

    instrument.clear();
    instrument.resetControllers();
    if (!readHead())
        return false;
    readInstrumentRecord();
    readPresentation();
    applyStoredPoolSettings();
    if (!readGroups())
        return false;  // the zones already read keep the embedded file open
    finish();
    return true;
}

bool InstrumentReader::readHead()
{
    int32_t version = 0;
    if (!readInstrumentFileHead(*file, version) || version < minimumInstrumentFileVersion)
        return false;
    // A file that ends before its embedded flag counts as embedded.
    embedded = file->readByte() != 0;
    return true;
}

void InstrumentReader::readInstrumentRecord()
{
    instrument.name = readFileString(*file, instrumentStringLimit);
    instrument.vendor = readFileString(*file, instrumentStringLimit);
    readBlockOver(*file, instrument.settings);
}

void InstrumentReader::readPresentation()
{
    instrument.extraText = readFileString(*file, instrumentStringLimit);

    // A negative image length holds no image; a length past the end of the
    // file holds only the bytes that are there.
    const int32_t imageLength = readInt32(*file);
    if (imageLength > 0)
    {
        std::vector<uint8_t>& image = instrument.backgroundImageData;
        const int64_t available = std::max<int64_t>(file->size() - file->tell(), 0);
        image.resize(static_cast<size_t>(std::min<int64_t>(imageLength, available)));
        image.resize(file->read(image.data(), image.size()));
    }

    instrument.layoutXml = readFileString(*file, layoutStringLimit);

    const int32_t stringCount = readInt32(*file);
    for (int32_t k = 0; k < stringCount && !atEnd(*file); ++k)
        instrument.stringList.push_back(readFileString(*file, instrumentStringLimit));
}

void InstrumentReader::applyStoredPoolSettings()
{
    InstrumentSettings& s = instrument.settings;
    s.streamBufferFrames = s.streamBufferFramesStored;
    s.sixteenBit = s.sixteenBitStored;
    s.diskStreaming = s.diskStreamingStored;
    s.voiceCount = s.voiceCountStored;
    instrument.createVoices();

    if (embedded)
        instrument.holdEmbeddedFile(file);
    sampleWidth = s.sixteenBit != 0 ? 2 : 4;
}

bool InstrumentReader::readGroups()
{
    const int32_t groupCount = readInt32(*file);
    // Records that would start past the end of the file are not there: a huge
    // stored count cannot make groups or zones out of nothing.
    for (int32_t g = 0; g < groupCount && !atEnd(*file); ++g)
        if (!readGroup(g, groupCount))
            return false;
    return true;
}

bool InstrumentReader::readGroup(int32_t groupIndex, int32_t groupCount)
{
    ZGroup* group = instrument.addGroup(readFileString(*file, instrumentStringLimit));
    readBlockOver(*file, group->settings);
    // Only a stored 1 means active; the flag is set again when the group
    // joins the active set.
    const bool storedActive = group->settings.active == 1;
    group->settings.active = 0;

    const int32_t zoneCount = readInt32(*file);
    for (int32_t z = 0; z < zoneCount && !atEnd(*file); ++z)
        if (!readZone(*group, progressAt(groupIndex, groupCount, z, zoneCount)))
            return false;

    for (const auto& zone : group->zones)
        zone->updateDerived();
    if (storedActive)
        instrument.activateGroup(group);
    return true;
}

bool InstrumentReader::readZone(ZGroup& group, float progress)
{
    const std::string sampleName = readFileString(*file, instrumentStringLimit);
    const std::string resolved = resolveSamplePath(sampleName, path);
    std::unique_ptr<ZZone> zone = embedded ? openEmbeddedZone(sampleName, resolved)
                                           : std::make_unique<ZZone>(&instrument, resolved, nullptr, 0);

    ZSEDelegate* const delegate = instrument.delegate;
    if (delegate != nullptr && !delegate->loadProgress(progress, group.name, sampleName))
        return false;

    if (!zone->loaded)
        zone = locateMissingSample(resolved);
    if (zone == nullptr)
        file->skip(sizeof(ZoneSettings));
    else
        keepZone(group, std::move(zone));
    return true;
}

std::unique_ptr<ZZone> InstrumentReader::openEmbeddedZone(const std::string& sampleName, const std::string& resolved)
{
    // The first zone naming a sample carries its sound right after the name;
    // later zones naming it share that one. An empty name always carries its
    // own.
    const int64_t here = file->tell();
    int64_t headerOffset = here;
    int64_t next = here;
    const auto known = sampleName.empty() ? embeddedOffsets.end() : embeddedOffsets.find(sampleName);
    if (known != embeddedOffsets.end())
        headerOffset = known->second;
    else
    {
        embeddedOffsets[sampleName] = here;
        uint8_t header[embeddedHeaderBytes] = {};
        file->readAt(here, header, sizeof(header));
        const ZEmbeddedSoundFile::Header stored = ZEmbeddedSoundFile::Header::decode(header);
        const int64_t channels = stored.channels;
        const int64_t frames = stored.frames;
        // Data that cannot fit in the file (or a negative size) leaves
        // nothing readable after it.
        const int64_t remaining = file->size() - here - embeddedHeaderBytes;
        const bool fits = channels >= 0 && frames >= 0 && channels <= 2
                       && frames <= remaining / std::max<int64_t>(channels * sampleWidth, 1);
        next = fits ? here + embeddedHeaderBytes + frames * channels * sampleWidth : file->size();
    }
    auto zone = std::make_unique<ZZone>(&instrument, resolved, file, headerOffset);
    file->seek(next);
    return zone;
}

std::unique_ptr<ZZone> InstrumentReader::locateMissingSample(const std::string& resolved)
{
    ZSEDelegate* const delegate = instrument.delegate;
    if (delegate == nullptr || missingSamplePrompts >= maxMissingSamplePrompts)
        return nullptr;
    char reply[ZSEDelegate::locateReplySize] = {};
    delegate->locateSample(resolved, reply);
    reply[sizeof(reply) - 1] = 0;
    std::unique_ptr<ZZone> zone;
    if (reply[0] != 0)
    {
        zone = std::make_unique<ZZone>(&instrument, std::string(reply), nullptr, 0);
        if (!zone->loaded)
            zone.reset();
    }
    if (zone == nullptr)
        ++missingSamplePrompts;
    return zone;
}

void InstrumentReader::keepZone(ZGroup& group, std::unique_ptr<ZZone> zone)
{
    readBlockOver(*file, zone->settings);
    const int64_t afterSettings = file->tell();
    clampToSound(zone->settings, static_cast<uint64_t>(zone->soundFile->getLength()));
    if (instrument.settings.diskStreaming != 0)
        zone->preload();
    if (embedded)
        file->seek(afterSettings);
    group.addZone(zone.release());
}

void InstrumentReader::finish()
{
    auto& groups = instrument.groups;
    if (instrument.activeGroups.empty() && !groups.empty())
        instrument.activateGroup(groups.front().get());
    instrument.currentGroup = groups.empty() ? nullptr : groups.front().get();
    instrument.applySettings();
}
