#include "InstrumentListing.h"

#include <cstring>
#include <initializer_list>
#include <map>
#include <span>

#include "InstrumentImage.h"
#include "files/PrintableText.h"
#include "SettingsFields.h"
#include "engine/ZGroup.h"
#include "files/InstrumentFileStrings.h"
#include "files/LittleEndian.h"
#include "files/SamplePath.h"
#include "files/ZEmbeddedSoundFile.h"
#include "files/ZFile.h"
#include "files/ZoneSound.h"

namespace
{
constexpr int32_t minimumVersion = 200;

class FileWalk
{
public:
    FileWalk(ZSharedFile source, ListedInstrument& target) : file(std::move(source)), listed(target) {}

    // False once the file has ended inside `what` (the first such place is kept).
    bool bytes(void* into, size_t count, const std::string& what)
    {
        if (!listed.problem.empty())
            return false;
        if (file->read(into, count) == count)
            return true;
        listed.problem = "the file ends inside " + what;
        return false;
    }

    bool int32(int32_t& value, const std::string& what)
    {
        uint8_t raw[4];
        if (!bytes(raw, sizeof raw, what))
            return false;
        value = static_cast<int32_t>(readLittleEndian32(raw));
        return true;
    }

    bool count(int32_t& value, const std::string& what)
    {
        if (!int32(value, what))
            return false;
        if (value >= 0)
            return true;
        listed.problem = what + " is " + std::to_string(value) + ", which makes no sense";
        return false;
    }

    bool string(std::string& value, size_t limit, const std::string& what)
    {
        value.clear();
        for (size_t k = 0; k + 1 < limit; ++k)
        {
            const int byte = file->readByte();
            if (byte < 0)
            {
                if (listed.problem.empty())
                    listed.problem = "the file ends inside " + what;
                return false;
            }
            if (byte == 0)
                return true;
            value += static_cast<char>(byte);
        }
        listed.problem = what + " reaches its limit of " + std::to_string(limit) + " bytes without an end";
        return false;
    }

    bool skipTo(int64_t offset, const std::string& what)
    {
        if (offset > file->size())
        {
            listed.problem = "the file ends inside " + what;
            return false;
        }
        return file->seek(offset);
    }

    ZSharedFile file;
    ListedInstrument& listed;
};

std::string zoneLabel(size_t g, size_t z)
{
    return "group " + std::to_string(g + 1) + " zone " + std::to_string(z + 1);
}

bool readZone(FileWalk& walk, const std::string& instrumentPath, size_t g, size_t z,
              std::map<std::string, int64_t>& embeddedOffsets, ListedZone& zone)
{
    const std::string label = zoneLabel(g, z);
    if (!walk.string(zone.sampleName, instrumentStringLimit, "the sample name of " + label))
        return false;
    if (walk.listed.embedded)
    {
        int64_t header = walk.file->tell();
        const auto known = embeddedOffsets.find(zone.sampleName);
        zone.carriesData = zone.sampleName.empty() || known == embeddedOffsets.end();
        if (zone.carriesData)
        {
            embeddedOffsets[zone.sampleName] = header;
            uint8_t raw[ZEmbeddedSoundFile::headerBytes];
            if (!walk.bytes(raw, sizeof raw, "the embedded sound of " + label))
                return false;
            const auto channels = static_cast<int32_t>(readLittleEndian32(raw + 8));
            const auto frames = static_cast<int64_t>(readLittleEndian64(raw + 16));
            const int64_t width = walk.listed.settings.sixteenBitStored != 0 ? 2 : 4;
            if (channels < 0 || frames < 0 || (channels > 0 && frames > (INT64_MAX / 8) / channels))
            {
                walk.listed.problem = "the embedded sound of " + label + " says it holds " + std::to_string(frames)
                                    + " frames of " + std::to_string(channels) + " channels, which makes no sense";
                return false;
            }
            if (!walk.skipTo(header + ZEmbeddedSoundFile::headerBytes + frames * channels * width,
                             "the embedded sound of " + label))
                return false;
        }
        else
            header = known->second;
        ZEmbeddedSoundFile sound;
        zone.found = sound.open({}, walk.file, header);
        zone.frames = sound.getLength();
        zone.channels = sound.getNumChannels();
        zone.sampleRate = sound.getSampleRate();
    }
    else
    {
        zone.resolvedPath = resolveSamplePath(zone.sampleName, instrumentPath);
        const std::unique_ptr<ZSoundFile> sound = openZoneSound(zone.resolvedPath, nullptr, 0);
        zone.found = sound->isOpen();
        zone.frames = sound->getLength();
        zone.channels = sound->getNumChannels();
        zone.sampleRate = sound->getSampleRate();
    }
    return walk.bytes(&zone.settings, sizeof zone.settings, "the settings of " + label);
}

// "name value" for every field of `block` that differs from `reference`,
// except the ones a line shows already.
std::string differences(std::span<const SettingsField> fields, const void* block, const void* reference,
                        std::initializer_list<const char*> shownElsewhere = {})
{
    std::string text;
    for (const SettingsField& field : fields)
    {
        bool shown = false;
        for (const char* name : shownElsewhere)
            shown = shown || std::strcmp(name, field.name) == 0;
        if (!shown && !settingsFieldEqual(block, reference, field))
            text += std::string(text.empty() ? "" : ", ") + field.name + " " + settingsFieldText(block, field);
    }
    return text;
}

std::string range(int32_t low, int32_t high)
{
    return std::to_string(low) + "-" + std::to_string(high);
}

std::string zoneLine(size_t z, const ListedZone& zone)
{
    const ZoneSettings& s = zone.settings;
    std::string line = "  zone " + std::to_string(z + 1) + ": keys " + range(s.lowKey, s.highKey) + ", velocities "
                     + range(s.lowVelocity, s.highVelocity) + ", root key " + std::to_string(s.rootKey) + ", sample "
                     + quotedText(zone.sampleName);
    if (!zone.found)
        line += zone.resolvedPath.empty() ? ": MISSING (its embedded sound cannot be read)"
                                          : ": MISSING (not found at " + quotedText(zone.resolvedPath) + ")";
    else
        line += ", " + std::to_string(zone.frames) + " frames, " + (zone.channels == 1 ? "mono" : "stereo") + ", "
              + std::to_string(zone.sampleRate) + " Hz";
    const SettingsField* playMode = findSettingsField(zoneSettingsFields(), "playMode");
    line += "; plays frames " + std::to_string(s.startFrame) + "-" + std::to_string(s.endFrame) + ", "
          + settingsFieldText(&s, *playMode);
    if (s.playMode == 2)
        line += " " + std::to_string(s.loopStart) + "-" + std::to_string(s.loopEnd);
    return line + "\n";
}

ZoneSettings newZoneSettings()
{
    ZoneSettings s {};
    s.release = 100.0f;
    return s;
}
} // namespace

bool readInstrumentListing(const std::string& path, ListedInstrument& listed, std::string& error)
{
    listed = ListedInstrument {};
    ZSharedFile file = ZFile::openFileForReading(path);
    if (file == nullptr)
    {
        error = path + ": cannot open the instrument file";
        return false;
    }
    FileWalk walk(file, listed);
    char magic[4] = {};
    if (file->read(magic, sizeof magic) != sizeof magic || std::memcmp(magic, "ZSE ", 4) != 0)
    {
        error = path + ": not an instrument file";
        return false;
    }
    uint8_t flag = 0;
    int32_t stringCount = 0;
    int32_t groupCount = 0;
    int32_t backgroundBytes = 0;
    if (!walk.int32(listed.version, "the format version"))
        return true;
    if (listed.version < minimumVersion)
    {
        error = path + ": instrument format version " + std::to_string(listed.version) + " is older than the player reads";
        return false;
    }
    if (!walk.bytes(&flag, 1, "the embedded flag"))
        return true;
    listed.embedded = flag != 0;
    if (!walk.string(listed.name, instrumentStringLimit, "the name")
        || !walk.string(listed.vendor, instrumentStringLimit, "the vendor")
        || !walk.bytes(&listed.settings, sizeof listed.settings, "the instrument settings")
        || !walk.string(listed.extraText, instrumentStringLimit, "the extra text")
        || !walk.count(backgroundBytes, "the background image length"))
        return true;
    listed.backgroundBytes = backgroundBytes;
    if (!walk.skipTo(file->tell() + backgroundBytes, "the background image")
        || !walk.string(listed.layoutXml, layoutStringLimit, "the player layout")
        || !walk.count(stringCount, "the string list count"))
        return true;
    for (int32_t k = 0; k < stringCount; ++k)
    {
        std::string text;
        if (!walk.string(text, instrumentStringLimit, "string " + std::to_string(k + 1) + " of the string list"))
            return true;
        listed.stringList.push_back(text);
    }
    if (!walk.count(groupCount, "the group count"))
        return true;
    std::map<std::string, int64_t> embeddedOffsets;
    for (int32_t g = 0; g < groupCount; ++g)
    {
        ListedGroup& group = listed.groups.emplace_back();
        int32_t zoneCount = 0;
        const std::string label = "group " + std::to_string(g + 1);
        if (!walk.string(group.name, instrumentStringLimit, "the name of " + label)
            || !walk.bytes(&group.settings, sizeof group.settings, "the settings of " + label)
            || !walk.count(zoneCount, "the zone count of " + label))
            return true;
        for (int32_t z = 0; z < zoneCount; ++z)
        {
            ListedZone& zone = group.zones.emplace_back();
            if (!readZone(walk, path, static_cast<size_t>(g), static_cast<size_t>(z), embeddedOffsets, zone))
            {
                group.zones.pop_back();
                return true;
            }
        }
    }
    if (file->tell() < file->size())
        listed.problem = std::to_string(file->size() - file->tell()) + " bytes follow the last group, which the player ignores";
    return true;
}

size_t missingSampleCount(const ListedInstrument& listed)
{
    size_t missing = 0;
    for (const ListedGroup& group : listed.groups)
        for (const ListedZone& zone : group.zones)
            missing += zone.found ? 0 : 1;
    return missing;
}

std::string formatInstrumentListing(const std::string& path, const ListedInstrument& listed)
{
    const InstrumentImage fresh = newInstrumentImage();
    size_t zoneCount = 0;
    for (const ListedGroup& group : listed.groups)
        zoneCount += group.zones.size();
    const char* storage = !listed.embedded ? "samples in WAVE files beside it"
                        : listed.settings.sixteenBitStored != 0 ? "samples embedded as 16-bit"
                                                                : "samples embedded as float";
    std::string text = printableText(path) + ": instrument " + quotedText(listed.name) + " by "
                     + quotedText(listed.vendor) + ", format version " + std::to_string(listed.version) + ", "
                     + std::to_string(listed.groups.size()) + " groups, " + std::to_string(zoneCount) + " zones, "
                     + storage + "\n";
    const std::string changed = differences(instrumentSettingsFields(), &listed.settings, &fresh.settings);
    text += "settings that differ from a new instrument's: " + (changed.empty() ? std::string("none") : changed) + "\n";
    text += "layout: " + std::to_string(listed.layoutXml.size()) + " bytes"
          + (listed.layoutXml == fresh.layoutXml ? " (the default layout)" : "") + "; background image: "
          + (listed.backgroundBytes == 0 ? std::string("none") : std::to_string(listed.backgroundBytes) + " bytes")
          + "; extra text: " + quotedText(listed.extraText) + "; string list: "
          + std::to_string(listed.stringList.size()) + " strings\n";

    const GroupSettings freshGroup = ZGroup::defaultSettings();
    const ZoneSettings freshZone = newZoneSettings();
    const SettingsField* activation = findSettingsField(groupSettingsFields(), "activation");
    for (size_t g = 0; g < listed.groups.size(); ++g)
    {
        const ListedGroup& group = listed.groups[g];
        text += "group " + std::to_string(g + 1) + " " + quotedText(group.name) + ": activation "
              + settingsFieldText(&group.settings, *activation) + (group.settings.active == 1 ? ", active" : "") + ", "
              + std::to_string(group.zones.size()) + " zones\n";
        const std::string groupChanged
            = differences(groupSettingsFields(), &group.settings, &freshGroup, { "activation", "active" });
        if (!groupChanged.empty())
            text += "  settings: " + groupChanged + "\n";
        for (size_t z = 0; z < group.zones.size(); ++z)
        {
            const ListedZone& zone = group.zones[z];
            text += zoneLine(z, zone);
            const std::string zoneChanged = differences(
                zoneSettingsFields(), &zone.settings, &freshZone,
                { "rootKey", "lowKey", "highKey", "lowVelocity", "highVelocity", "playMode", "startFrame", "endFrame",
                  "loopStart", "loopEnd" });
            if (!zoneChanged.empty())
                text += "    other settings: " + zoneChanged + "\n";
        }
    }

    const size_t missing = missingSampleCount(listed);
    if (missing == 0)
        text += "missing samples: none\n";
    else
    {
        text += "missing samples: " + std::to_string(missing) + " of " + std::to_string(zoneCount) + " zones:";
        for (size_t g = 0; g < listed.groups.size(); ++g)
            for (size_t z = 0; z < listed.groups[g].zones.size(); ++z)
                if (!listed.groups[g].zones[z].found)
                    text += " " + quotedText(listed.groups[g].zones[z].sampleName) + " (" + zoneLabel(g, z) + ")";
        text += "\n";
    }
    if (!listed.problem.empty())
        text += "problem: " + listed.problem + "\n";
    return text;
}
