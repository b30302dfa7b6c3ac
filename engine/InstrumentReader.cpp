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
#include "files/ZWaveFile.h"

namespace
{
constexpr int maxMissingSamplePrompts = 3;
constexpr int64_t embeddedHeaderBytes = ZEmbeddedSoundFile::headerBytes;

int32_t readInt32At(const uint8_t* bytes) { return static_cast<int32_t>(readLittleEndian32(bytes)); }

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

// Why a zone that is not loaded has nothing to play, for the report.
std::string whyNotPlayable(const ZZone& zone)
{
    const auto* wave = dynamic_cast<const ZWaveFile*>(zone.soundFile.get());
    if (wave == nullptr)
        return "its embedded sound cannot be read";
    if (!wave->getOpenProblem().empty())
        return wave->getOpenProblem();
    return wave->isOpen() ? "holds no frames the player can play" : "cannot be opened";
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

InstrumentReader::InstrumentReader(ZInstrument& loading, const std::string& instrumentPath, ZLoadReport& loadReport)
    : instrument(loading), path(instrumentPath), report(loadReport)
{
}

InstrumentReader::~InstrumentReader() = default;

std::string InstrumentReader::describeField(const Field& field)
{
    std::string text = field.what;
    if (field.group >= 0)
        text += " of group " + std::to_string(field.group + 1);
    if (field.zone >= 0)
        text += " zone " + std::to_string(field.zone + 1);
    return text;
}

void InstrumentReader::noteProblem(const std::string& text)
{
    if (report.problem.empty())
        report.problem = text;
}

void InstrumentReader::noteEnd(const Field& field)
{
    if (report.problem.empty())
        noteProblem("the file ends inside " + describeField(field));
}

// A count that cannot be read is 0; a negative one reads no records.
int32_t InstrumentReader::readCount(const Field& field)
{
    uint8_t bytes[4] = {};
    if (file->read(bytes, 4) != 4)
    {
        noteEnd(field);
        return 0;
    }
    const int32_t value = readInt32At(bytes);
    if (value < 0)
        noteProblem(describeField(field) + " is " + std::to_string(value) + ", which makes no sense");
    return value;
}

std::string InstrumentReader::readString(size_t limit, const Field& field)
{
    FileStringEnd end = FileStringEnd::zeroByte;
    std::string value = readFileString(*file, limit, &end);
    if (end == FileStringEnd::endOfFile)
        noteEnd(field);
    else if (end == FileStringEnd::limit)
        noteProblem(describeField(field) + " reaches its limit of " + std::to_string(limit)
                    + " bytes without an end");
    return value;
}

// Reads a settings block over `block`: bytes past a short read keep what the
// block held before.
template <typename Block>
void InstrumentReader::readBlock(Block& block, const Field& field)
{
    uint8_t bytes[sizeof(Block)];
    const size_t got = file->read(bytes, sizeof(Block));
    std::memcpy(&block, bytes, got);
    if (got != sizeof(Block))
        noteEnd(field);
}

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
    report = ZLoadReport {};
    file = ZFile::openFileForReading(path);
    if (file == nullptr)
    {
        noteProblem("the file cannot be opened");
        return false;
    }
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
    report.trailingBytes = std::max<int64_t>(file->size() - file->tell(), 0);
    finish();
    return true;
}

bool InstrumentReader::readHead()
{
    int32_t version = 0;
    const bool isInstrumentFile = readInstrumentFileHead(*file, version);
    report.formatVersion = version;
    if (!isInstrumentFile)
    {
        noteProblem("not an instrument file (it does not start with \"ZSE \")");
        return false;
    }
    if (file->tell() < 8)
        noteEnd({ "the format version" });
    else if (version < minimumInstrumentFileVersion)
        noteProblem("instrument format version " + std::to_string(version) + " is older than the player reads");
    if (version < minimumInstrumentFileVersion)
        return false;
    // A file that ends before its embedded flag counts as embedded.
    const int flag = file->readByte();
    if (flag < 0)
        noteEnd({ "the embedded flag" });
    embedded = flag != 0;
    report.embedded = embedded;
    return true;
}

void InstrumentReader::readInstrumentRecord()
{
    instrument.name = readString(instrumentStringLimit, { "the name" });
    instrument.vendor = readString(instrumentStringLimit, { "the vendor" });
    readBlock(instrument.settings, { "the instrument settings" });
}

void InstrumentReader::readPresentation()
{
    instrument.extraText = readString(instrumentStringLimit, { "the extra text" });

    // A negative image length holds no image; a length past the end of the
    // file holds only the bytes that are there.
    const int32_t imageLength = readCount({ "the background image length" });
    if (imageLength > 0)
    {
        std::vector<uint8_t>& image = instrument.backgroundImageData;
        const int64_t available = std::max<int64_t>(file->size() - file->tell(), 0);
        image.resize(static_cast<size_t>(std::min<int64_t>(imageLength, available)));
        image.resize(file->read(image.data(), image.size()));
        if (static_cast<int64_t>(image.size()) < imageLength)
            noteEnd({ "the background image" });
    }

    instrument.layoutXml = readString(layoutStringLimit, { "the player layout" });

    const int32_t stringCount = readCount({ "the string list count" });
    for (int32_t k = 0; k < stringCount; ++k)
    {
        if (atEnd(*file))
        {
            noteEnd({ "the string list" });
            break;
        }
        instrument.stringList.push_back(readString(instrumentStringLimit, { "a string of the string list" }));
    }
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
    const int32_t groupCount = readCount({ "the group count" });
    // Records that would start past the end of the file are not there: a huge
    // stored count cannot make groups or zones out of nothing.
    for (int32_t g = 0; g < groupCount; ++g)
    {
        if (atEnd(*file))
        {
            noteEnd({ "the name", g });
            break;
        }
        if (!readGroup(g, groupCount))
            return false;
    }
    return true;
}

bool InstrumentReader::readGroup(int32_t groupIndex, int32_t groupCount)
{
    ZGroup* group = instrument.addGroup(readString(instrumentStringLimit, { "the name", groupIndex }));
    readBlock(group->settings, { "the settings", groupIndex });
    // Only a stored 1 means active; the flag is set again when the group
    // joins the active set.
    const bool storedActive = group->settings.active == 1;
    group->settings.active = 0;

    const int32_t zoneCount = readCount({ "the zone count", groupIndex });
    for (int32_t z = 0; z < zoneCount; ++z)
    {
        if (atEnd(*file))
        {
            noteEnd({ "the sample name", groupIndex, z });
            break;
        }
        if (!readZone(*group, groupIndex, z, progressAt(groupIndex, groupCount, z, zoneCount)))
            return false;
    }

    for (const auto& zone : group->zones)
        zone->updateDerived();
    if (storedActive)
        instrument.activateGroup(group);
    return true;
}

bool InstrumentReader::readZone(ZGroup& group, int32_t groupIndex, int32_t zoneIndex, float progress)
{
    ++report.zoneRecords;
    const std::string sampleName = readString(instrumentStringLimit, { "the sample name", groupIndex, zoneIndex });
    const std::string resolved = resolveSamplePath(sampleName, path);
    std::unique_ptr<ZZone> zone
        = embedded ? openEmbeddedZone(sampleName, resolved, { "the embedded sound", groupIndex, zoneIndex })
                   : std::make_unique<ZZone>(&instrument, resolved, nullptr, 0);

    ZSEDelegate* const delegate = instrument.delegate;
    if (delegate != nullptr && !delegate->loadProgress(progress, group.name, sampleName))
        return false;

    std::string missingReason;
    if (!zone->loaded)
    {
        missingReason = whyNotPlayable(*zone);
        zone = locateMissingSample(resolved);
    }
    const Field settings { "the settings", groupIndex, zoneIndex };
    if (zone != nullptr)
    {
        zone->sampleName = sampleName;
        keepZone(group, std::move(zone), settings);
        return true;
    }
    report.missingSamples.push_back(
        { groupIndex, zoneIndex, sampleName, embedded ? std::string() : resolved, missingReason });
    file->skip(sizeof(ZoneSettings));
    if (file->tell() > file->size())
        noteEnd(settings);
    return true;
}

std::unique_ptr<ZZone> InstrumentReader::openEmbeddedZone(const std::string& sampleName, const std::string& resolved,
                                                          const Field& sound)
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
        if (remaining >= 0 && (channels < 0 || frames < 0 || channels > 2))
            noteProblem(describeField(sound) + " says it holds " + std::to_string(frames) + " frames of "
                        + std::to_string(channels) + " channels, which makes no sense");
        else if (!fits)
            noteEnd(sound);
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

void InstrumentReader::keepZone(ZGroup& group, std::unique_ptr<ZZone> zone, const Field& settings)
{
    readBlock(zone->settings, settings);
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
