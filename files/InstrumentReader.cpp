// Reading ".zse" instrument files into a ZInstrument.

#include <algorithm>
#include <cstring>
#include <map>

#include "engine/ZInstrument.h"
#include "engine/ZStreamingThread.h"
#include "files/InstrumentFileStrings.h"
#include "files/SamplePath.h"
#include "files/ZFile.h"
#include "files/LittleEndian.h"

namespace
{
constexpr char magic[4] = { 'Z', 'S', 'E', ' ' };
constexpr int32_t minimumVersion = 200;
constexpr int maxMissingSamplePrompts = 3;
constexpr int64_t embeddedHeaderBytes = 24;

int32_t readInt32At(const uint8_t* bytes) { return static_cast<int32_t>(readLittleEndian32(bytes)); }

int64_t readInt64At(const uint8_t* bytes) { return static_cast<int64_t>(readLittleEndian64(bytes)); }

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

struct ZoneReadContext
{
    ZFile& file;
    const std::string& instrumentPath;
    bool embedded;
    int64_t sampleWidth;
    std::map<std::string, int64_t> embeddedOffsets;
    int prompts = 0;
};
} // namespace

uint32_t ZInstrument::peekFile(const std::string& path, bool wantVendor, std::string& text)
{
    ZSharedFile file = ZFile::openFileForReading(path);
    if (file == nullptr)
        return 0;
    char head[4] = {};
    if (file->read(head, 4) != 4 || std::memcmp(head, magic, 4) != 0)
        return 0;
    readInt32(*file);
    file->readByte();
    const std::string storedName = readFileString(*file, instrumentStringLimit);
    const std::string storedVendor = readFileString(*file, instrumentStringLimit);
    text = wantVendor ? storedVendor : storedName;
    uint8_t block[sizeof(InstrumentSettings)] = {};
    file->read(block, sizeof(block));
    return static_cast<uint32_t>(readInt32At(block + offsetof(InstrumentSettings, playerColour)));
}

bool ZInstrument::loadFromFile(const std::string& path)
{
    ZSharedFile file = ZFile::openFileForReading(path);
    if (file == nullptr)
        return false;
    LoadingScope loading(*this);

    clear();
    resetControllers();

    char head[4] = {};
    if (file->read(head, 4) != 4 || std::memcmp(head, magic, 4) != 0)
        return false;
    if (readInt32(*file) < minimumVersion)
        return false;

    // A file that ends before its embedded flag counts as embedded.
    const int flag = file->readByte();
    const bool embedded = flag != 0;

    name = readFileString(*file, instrumentStringLimit);
    vendor = readFileString(*file, instrumentStringLimit);
    readBlockOver(*file, settings);
    extraText = readFileString(*file, instrumentStringLimit);

    // A negative image length holds no image; a length past the end of the
    // file holds only the bytes that are there.
    const int32_t imageLength = readInt32(*file);
    if (imageLength > 0)
    {
        const int64_t available = std::max<int64_t>(file->size() - file->tell(), 0);
        backgroundImageData.resize(static_cast<size_t>(std::min<int64_t>(imageLength, available)));
        backgroundImageData.resize(file->read(backgroundImageData.data(), backgroundImageData.size()));
        backgroundImageSize = static_cast<int32_t>(backgroundImageData.size());
    }

    layoutXml = readFileString(*file, layoutStringLimit);

    const int32_t stringCount = readInt32(*file);
    for (int32_t k = 0; k < stringCount && !atEnd(*file); ++k)
        stringList.push_back(readFileString(*file, instrumentStringLimit));

    settings.streamBufferFrames = settings.streamBufferFramesStored;
    settings.sixteenBit = settings.sixteenBitStored;
    settings.diskStreaming = settings.diskStreamingStored;
    settings.voiceCount = settings.voiceCountStored;
    createVoices();

    if (embedded)
        embeddedFile = file;

    ZoneReadContext context { *file, path, embedded, settings.sixteenBit != 0 ? 2 : 4, {} };
    const int32_t groupCount = readInt32(*file);
    // Records that would start past the end of the file are not there: a huge
    // stored count cannot make groups or zones out of nothing.
    for (int32_t g = 0; g < groupCount && !atEnd(*file); ++g)
    {
        ZGroup* group = addGroup(readFileString(*file, instrumentStringLimit));
        readBlockOver(*file, group->settings);
        // Only a stored 1 means active; the flag is set again when the group
        // joins the active set.
        const bool storedActive = group->settings.active == 1;
        group->settings.active = 0;

        const int32_t zoneCount = readInt32(*file);
        for (int32_t z = 0; z < zoneCount && !atEnd(*file); ++z)
        {
            const std::string sampleName = readFileString(*file, instrumentStringLimit);
            const std::string resolved = resolveSamplePath(sampleName, path);

            std::unique_ptr<ZZone> zone;
            if (embedded)
            {
                const int64_t here = file->tell();
                int64_t headerOffset = here;
                int64_t next = here;
                const auto known = sampleName.empty() ? context.embeddedOffsets.end()
                                                      : context.embeddedOffsets.find(sampleName);
                if (known != context.embeddedOffsets.end())
                    headerOffset = known->second;
                else
                {
                    context.embeddedOffsets[sampleName] = here;
                    uint8_t header[embeddedHeaderBytes] = {};
                    file->readAt(here, header, sizeof(header));
                    const int64_t channels = readInt32At(header + 8);
                    const int64_t frames = readInt64At(header + 16);
                    // Data that cannot fit in the file (or a negative size)
                    // leaves nothing readable after it.
                    const int64_t remaining = file->size() - here - embeddedHeaderBytes;
                    const bool fits = channels >= 0 && frames >= 0 && channels <= 2
                                   && frames <= remaining / std::max<int64_t>(channels * context.sampleWidth, 1);
                    next = fits ? here + embeddedHeaderBytes + frames * channels * context.sampleWidth
                                : file->size();
                }
                zone = std::make_unique<ZZone>(this, resolved, embeddedFile, headerOffset);
                file->seek(next);
            }
            else
                zone = std::make_unique<ZZone>(this, resolved, nullptr, 0);

            const float progress = static_cast<float>(g) / static_cast<float>(groupCount)
                                 + (static_cast<float>(z) / static_cast<float>(zoneCount))
                                       / static_cast<float>(groupCount);
            if (delegate != nullptr && !delegate->loadProgress(progress, group->name, sampleName))
                return false;  // the zones already read keep the embedded file open

            if (!zone->loaded)
            {
                zone.reset();
                if (delegate != nullptr && context.prompts < maxMissingSamplePrompts)
                {
                    char reply[ZSEDelegate::locateReplySize] = {};
                    delegate->locateSample(resolved, reply);
                    reply[sizeof(reply) - 1] = 0;
                    if (reply[0] != 0)
                    {
                        zone = std::make_unique<ZZone>(this, std::string(reply), nullptr, 0);
                        if (!zone->loaded)
                            zone.reset();
                    }
                    if (zone == nullptr)
                        ++context.prompts;
                }
                if (zone == nullptr)
                {
                    file->skip(sizeof(ZoneSettings));
                    continue;
                }
            }

            readBlockOver(*file, zone->settings);
            const int64_t afterSettings = file->tell();
            clampToSound(zone->settings, static_cast<uint64_t>(zone->soundFile->getLength()));
            if (settings.diskStreaming != 0)
                zone->preload();
            if (embedded)
                file->seek(afterSettings);
            group->addZone(zone.release());
        }

        for (const auto& zone : group->zones)
            zone->updateDerived();
        if (storedActive)
            activateGroup(group);
    }

    if (activeGroups.empty() && !groups.empty())
        activateGroup(groups.front().get());
    currentGroup = groups.empty() ? nullptr : groups.front().get();
    applySettings();
    return true;
}
