#include "InstrumentListing.h"

#include <cstring>
#include <initializer_list>
#include <span>

#include "InstrumentImage.h"
#include "SettingsFields.h"
#include "engine/ZGroup.h"
#include "files/PrintableText.h"

namespace
{
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

std::string zoneLine(size_t z, const ZZone& zone)
{
    const ZoneSettings& s = zone.settings;
    const ZSoundFile& sound = *zone.soundFile;
    std::string line = "  zone " + std::to_string(z + 1) + ": keys " + range(s.lowKey, s.highKey) + ", velocities "
                     + range(s.lowVelocity, s.highVelocity) + ", root key " + std::to_string(s.rootKey) + ", sample "
                     + quotedText(zone.sampleName) + ", " + std::to_string(sound.getLength()) + " frames, "
                     + (zone.mono ? "mono" : "stereo") + ", " + std::to_string(sound.getSampleRate()) + " Hz";
    const SettingsField* playMode = findSettingsField(zoneSettingsFields(), "playMode");
    line += "; plays frames " + std::to_string(s.startFrame) + "-" + std::to_string(s.endFrame) + ", "
          + settingsFieldText(&s, *playMode);
    if (s.playMode == 2)
        line += " " + std::to_string(s.loopStart) + "-" + std::to_string(s.loopEnd);
    return line + "\n";
}

std::string missingZoneLine(size_t z, const ZMissingSample& missing)
{
    return "  zone " + std::to_string(z + 1) + ": sample " + quotedText(missing.sampleName) + ": MISSING ("
         + (missing.resolvedPath.empty() ? "" : quotedText(missing.resolvedPath) + ": ") + printableText(missing.reason)
         + ")\n";
}

// The missing sample of zone record z of group g, or null.
const ZMissingSample* missingAt(const ZLoadReport& report, size_t g, size_t z)
{
    for (const ZMissingSample& missing : report.missingSamples)
        if (static_cast<size_t>(missing.group) == g && static_cast<size_t>(missing.zone) == z)
            return &missing;
    return nullptr;
}

size_t missingIn(const ZLoadReport& report, size_t g)
{
    size_t count = 0;
    for (const ZMissingSample& missing : report.missingSamples)
        count += static_cast<size_t>(missing.group) == g ? 1 : 0;
    return count;
}

ZoneSettings newZoneSettings()
{
    ZoneSettings s {};
    s.release = 100.0f;
    return s;
}
} // namespace

bool readInstrumentListing(const std::string& path, ZInstrument& instrument, ZLoadReport& report, std::string& error)
{
    instrument.delegate = nullptr;  // nobody is asked for missing samples
    if (instrument.loadFromFile(path, report))
        return true;
    error = printableText(path) + ": " + report.problem;
    return false;
}

std::string formatInstrumentListing(const std::string& path, const ZInstrument& instrument, const ZLoadReport& report)
{
    const InstrumentImage fresh = newInstrumentImage();
    const char* storage = !report.embedded                     ? "samples in WAVE files beside it"
                        : instrument.settings.sixteenBitStored != 0 ? "samples embedded as 16-bit"
                                                                    : "samples embedded as float";
    std::string text = printableText(path) + ": instrument " + quotedText(instrument.name) + " by "
                     + quotedText(instrument.vendor) + ", format version " + std::to_string(report.formatVersion) + ", "
                     + std::to_string(instrument.groups.size()) + " groups, " + std::to_string(report.zoneRecords)
                     + " zones, " + storage + "\n";
    const std::string changed = differences(instrumentSettingsFields(), &instrument.settings, &fresh.settings);
    text += "settings that differ from a new instrument's: " + (changed.empty() ? std::string("none") : changed) + "\n";
    const size_t imageBytes = instrument.backgroundImageData.size();
    text += "layout: " + std::to_string(instrument.layoutXml.size()) + " bytes"
          + (instrument.layoutXml == fresh.layoutXml ? " (the default layout)" : "") + "; background image: "
          + (imageBytes == 0 ? std::string("none") : std::to_string(imageBytes) + " bytes") + "; extra text: "
          + quotedText(instrument.extraText) + "; string list: " + std::to_string(instrument.stringList.size())
          + " strings\n";

    const GroupSettings freshGroup = ZGroup::defaultSettings();
    const ZoneSettings freshZone = newZoneSettings();
    const SettingsField* activation = findSettingsField(groupSettingsFields(), "activation");
    for (size_t g = 0; g < instrument.groups.size(); ++g)
    {
        const ZGroup& group = *instrument.groups[g];
        const size_t records = group.zones.size() + missingIn(report, g);
        text += "group " + std::to_string(g + 1) + " " + quotedText(group.name) + ": activation "
              + settingsFieldText(&group.settings, *activation) + (group.settings.active == 1 ? ", active" : "") + ", "
              + std::to_string(records) + " zones\n";
        const std::string groupChanged
            = differences(groupSettingsFields(), &group.settings, &freshGroup, { "activation", "active" });
        if (!groupChanged.empty())
            text += "  settings: " + groupChanged + "\n";
        // Zone records in file order: the loaded zones, with the missing ones
        // in their places.
        size_t loaded = 0;
        for (size_t z = 0; z < records; ++z)
        {
            if (const ZMissingSample* missing = missingAt(report, g, z))
            {
                text += missingZoneLine(z, *missing);
                continue;
            }
            const ZZone& zone = *group.zones[loaded++];
            text += zoneLine(z, zone);
            const std::string zoneChanged = differences(
                zoneSettingsFields(), &zone.settings, &freshZone,
                { "rootKey", "lowKey", "highKey", "lowVelocity", "highVelocity", "playMode", "startFrame", "endFrame",
                  "loopStart", "loopEnd" });
            if (!zoneChanged.empty())
                text += "    other settings: " + zoneChanged + "\n";
        }
    }

    text += "missing samples: " + (report.missingSamples.empty() ? std::string("none") : report.missingSamplesText())
          + "\n";
    if (report.trailingBytes > 0)
        text += std::to_string(report.trailingBytes) + " bytes follow the last group record, which the player ignores\n";
    if (!report.problem.empty())
        text += "problem: " + report.problem + "\n";
    return text;
}
