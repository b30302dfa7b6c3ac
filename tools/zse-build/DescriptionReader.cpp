#include "DescriptionReader.h"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <map>

#include "JsonReader.h"
#include "SampleReader.h"
#include "SettingsFields.h"
#include "files/InstrumentFileStrings.h"

namespace fs = std::filesystem;

namespace
{
// Larger descriptions are not hand-written text; refusing them keeps a wrong
// argument from being read into memory whole.
constexpr std::uintmax_t maxDescriptionBytes = 64u << 20;
constexpr int defaultRootKey = 60;
constexpr char byteOrderMark[] = "\xEF\xBB\xBF";

bool readFileBytes(const fs::path& path, std::uintmax_t limit, std::string& bytes)
{
    std::error_code failure;
    if (!fs::is_regular_file(path, failure))
        return false;
    const std::uintmax_t size = fs::file_size(path, failure);
    if (failure || size > limit)
        return false;
    std::ifstream in(path, std::ios::binary);
    bytes.assign(static_cast<size_t>(size), '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(size));
    return static_cast<std::uintmax_t>(in.gcount()) == size;
}

std::string windowsForm(const fs::path& path)
{
    std::string text = path.generic_string();
    std::replace(text.begin(), text.end(), '/', '\\');
    return text;
}

bool leavesFolder(const fs::path& relative)
{
    return relative.empty() || relative.is_absolute() || *relative.begin() == "..";
}

// A device or pipe is written into; it has no folder to put copies in.
bool isDeviceOrPipe(const std::string& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && (S_ISCHR(info.st_mode) || S_ISFIFO(info.st_mode));
}

class Reader
{
public:
    Reader(const std::string& descriptionPath, const std::string& outputPath, BuildPlan& buildPlan)
        : source(descriptionPath), output(outputPath), plan(buildPlan)
    {
        std::error_code failure;
        descriptionFolder = fs::absolute(fs::path(descriptionPath), failure).parent_path().lexically_normal();
        outputFolder = fs::absolute(fs::path(outputPath), failure).parent_path();
    }

    bool read(std::optional<SampleStorage> storageOverride, std::string& error)
    {
        std::string text;
        if (!readFileBytes(source, maxDescriptionBytes, text))
        {
            error = source + ": cannot read the description";
            return false;
        }
        plan.inputs.push_back(source);
        // Editors on some systems start UTF-8 text with a byte-order mark.
        if (text.rfind(byteOrderMark, 0) == 0)
            text.erase(0, sizeof byteOrderMark - 1);
        JsonParseResult parsed = parseJson(text);
        if (!parsed.ok)
        {
            error = source + ":" + std::to_string(parsed.errorLine) + ": " + parsed.error;
            return false;
        }
        const bool ok = readInstrument(parsed.value, storageOverride);
        if (!ok)
            error = message;
        return ok;
    }

private:
    const std::string source;
    const std::string output;
    BuildPlan& plan;
    fs::path descriptionFolder;
    fs::path outputFolder;
    std::string message;

    // Each distinct sample file once, and the file each embedded name stands for.
    std::map<fs::path, OpenedSample> samples;
    std::map<std::string, fs::path> embeddedNames;

    bool fail(const JsonValue& at, const std::string& where, const std::string& problem)
    {
        message = source + ":" + std::to_string(at.line) + ": " + (where.empty() ? "" : where + ": ") + problem;
        return false;
    }

    bool expectKind(const JsonValue& value, JsonValue::Kind kind, const std::string& where)
    {
        if (value.kind == kind)
            return true;
        return fail(value, where,
                    std::string("expected ") + JsonValue::describe(kind) + ", not " + JsonValue::describe(value.kind));
    }

    bool checkMembers(const JsonValue& object, const std::string& where, std::initializer_list<const char*> allowed)
    {
        for (const auto& [key, value] : object.members)
            if (std::none_of(allowed.begin(), allowed.end(), [&key](const char* name) { return key == name; }))
            {
                std::string names;
                for (const char* name : allowed)
                    names += std::string(names.empty() ? "" : ", ") + name;
                return fail(value, where, "unknown field \"" + key + "\" (expected one of: " + names + ")");
            }
        return true;
    }

    static std::string member(const std::string& where, const std::string& key)
    {
        return where.empty() ? key : where + "." + key;
    }

    bool readString(const JsonValue& object, const std::string& where, const char* key, std::string& target)
    {
        const JsonValue* value = object.find(key);
        if (value == nullptr)
            return true;
        if (!expectKind(*value, JsonValue::Kind::string, member(where, key)))
            return false;
        if (value->stringValue.find('\0') != std::string::npos
            || value->stringValue.size() >= instrumentStringLimit)
            return fail(*value, member(where, key),
                        "must be shorter than " + std::to_string(instrumentStringLimit) + " bytes, without zero bytes");
        target = value->stringValue;
        return true;
    }

    // Settings by field name over `block`; `given` collects the names set.
    bool readSettings(const JsonValue& object, const std::string& where, std::span<const SettingsField> fields,
                      void* block, std::vector<std::string>* given = nullptr)
    {
        const JsonValue* settings = object.find("settings");
        if (settings == nullptr)
            return true;
        const std::string at = member(where, "settings");
        if (!expectKind(*settings, JsonValue::Kind::object, at))
            return false;
        for (const auto& [key, value] : settings->members)
        {
            const SettingsField* field = findSettingsField(fields, key);
            if (field == nullptr)
                return fail(value, at, "unknown field \"" + key + "\"");
            std::string problem;
            if (!setSettingsField(block, *field, value, problem))
                return fail(value, member(at, key), problem);
            if (given != nullptr)
                given->push_back(key);
        }
        return true;
    }

    bool readFileMember(const JsonValue& object, const char* key, uintmax_t limit, std::string& bytes, bool& present)
    {
        const JsonValue* value = object.find(key);
        present = value != nullptr;
        if (value == nullptr)
            return true;
        if (!expectKind(*value, JsonValue::Kind::string, key))
            return false;
        const fs::path path = descriptionFolder / value->stringValue;
        if (value->stringValue.empty() || !readFileBytes(path, limit, bytes))
            return fail(*value, key, "cannot read \"" + value->stringValue + "\" (or it is larger than "
                                         + std::to_string(limit) + " bytes)");
        plan.inputs.push_back(path.string());
        return true;
    }

    bool readInstrument(const JsonValue& root, std::optional<SampleStorage> storageOverride)
    {
        if (!expectKind(root, JsonValue::Kind::object, "description"))
            return false;
        if (!checkMembers(root, "", { "name", "vendor", "extraText", "stringList", "layout", "background",
                                      "storage", "settings", "groups" }))
            return false;

        InstrumentImage& image = plan.image;
        image = newInstrumentImage();
        if (!readStorage(root, storageOverride))
            return false;
        image.embedded = plan.storage == SampleStorage::embedded;

        if (!readString(root, "", "name", image.name) || !readString(root, "", "vendor", image.vendor)
            || !readString(root, "", "extraText", image.extraText) || !readStringList(root)
            || !readInstrumentSettings(root))
            return false;

        bool present = false;
        std::string layout;
        if (!readFileMember(root, "layout", layoutStringLimit - 1, layout, present))
            return false;
        if (present)
        {
            if (layout.find('\0') != std::string::npos)
                return fail(*root.find("layout"), "layout", "the layout text holds a zero byte");
            image.layoutXml = layout;
        }
        std::string background;
        if (!readFileMember(root, "background", static_cast<uintmax_t>(INT32_MAX), background, present))
            return false;
        image.backgroundImage.assign(background.begin(), background.end());

        const JsonValue* groups = root.find("groups");
        if (groups == nullptr)
            return fail(root, "groups", "the description has no group; an instrument needs at least one group with a zone");
        if (!expectKind(*groups, JsonValue::Kind::array, "groups"))
            return false;
        if (groups->items.empty())
            return fail(*groups, "groups", "the list is empty; an instrument needs at least one group with a zone");
        for (size_t g = 0; g < groups->items.size(); ++g)
            if (!readGroup(groups->items[g], g))
                return false;
        return true;
    }

    bool readStorage(const JsonValue& root, std::optional<SampleStorage> storageOverride)
    {
        if (const JsonValue* storage = root.find("storage"))
        {
            if (!expectKind(*storage, JsonValue::Kind::string, "storage"))
                return false;
            const auto parsed = parseSampleStorage(storage->stringValue);
            if (!parsed)
                return fail(*storage, "storage", "expected \"embedded\", \"copy\" or \"reference\"");
            plan.storage = *parsed;
        }
        if (storageOverride)
            plan.storage = *storageOverride;
        if (plan.storage == SampleStorage::embedded)
            return true;
        // Both name WAVE files by their place relative to the instrument.
        if (output == "-")
        {
            message = "copy and reference storage name WAVE files beside the instrument; they need an output "
                      "file, not standard output";
            return false;
        }
        if (plan.storage == SampleStorage::copy && isDeviceOrPipe(output))
        {
            message = "copy storage puts WAVE files beside the instrument; " + output
                    + " is a device or pipe, not a file in a folder (use embedded storage)";
            return false;
        }
        return true;
    }

    bool readStringList(const JsonValue& root)
    {
        const JsonValue* list = root.find("stringList");
        if (list == nullptr)
            return true;
        if (!expectKind(*list, JsonValue::Kind::array, "stringList"))
            return false;
        for (size_t k = 0; k < list->items.size(); ++k)
        {
            const JsonValue& item = list->items[k];
            const std::string where = "stringList[" + std::to_string(k) + "]";
            if (!expectKind(item, JsonValue::Kind::string, where))
                return false;
            if (item.stringValue.find('\0') != std::string::npos || item.stringValue.size() >= instrumentStringLimit)
                return fail(item, where, "must be shorter than 1024 bytes, without zero bytes");
            plan.image.stringList.push_back(item.stringValue);
        }
        return true;
    }

    bool readInstrumentSettings(const JsonValue& root)
    {
        InstrumentSettings& s = plan.image.settings;
        std::vector<std::string> given;
        if (!readSettings(root, "", instrumentSettingsFields(), &s, &given))
            return false;
        auto isGiven = [&given](const char* name) { return std::find(given.begin(), given.end(), name) != given.end(); };
        // One of a pair given alone sets both: the player applies the stored
        // copy when it loads the file.
        auto pair = [&isGiven](const char* applied, int32_t& appliedValue, const char* stored, int32_t& storedValue) {
            if (isGiven(applied) && !isGiven(stored))
                storedValue = appliedValue;
            else if (isGiven(stored) && !isGiven(applied))
                appliedValue = storedValue;
        };
        pair("streamBufferFrames", s.streamBufferFrames, "streamBufferFramesStored", s.streamBufferFramesStored);
        pair("sixteenBit", s.sixteenBit, "sixteenBitStored", s.sixteenBitStored);
        pair("diskStreaming", s.diskStreaming, "diskStreamingStored", s.diskStreamingStored);
        pair("voiceCount", s.voiceCount, "voiceCountStored", s.voiceCountStored);
        return true;
    }

    // Where a contradiction is reported: at the first of the fields the
    // description gave, else at the zone or group (the value came from a
    // default or from the sample).
    struct Blame
    {
        const JsonValue& value;
        std::string where;
    };

    static Blame blame(const JsonValue& owner, const std::string& where, std::initializer_list<const char*> fields)
    {
        const JsonValue* settings = owner.find("settings");
        for (const char* field : fields)
            if (const JsonValue* value = settings != nullptr ? settings->find(field) : nullptr)
                return { *value, where + ".settings." + field };
        return { owner, where };
    }

    bool checkRange(const JsonValue& owner, const std::string& where, const char* lowName, int32_t low,
                    const char* highName, int32_t high)
    {
        if (low <= high)
            return true;
        const Blame at = blame(owner, where, { lowName, highName });
        return fail(at.value, at.where, std::string(lowName) + " " + std::to_string(low) + " is above " + highName + " "
                                            + std::to_string(high));
    }

    // A zone whose frames contradict each other or its sample would be
    // silently changed by the player's clamping; the description is refused
    // instead, so what it says is what plays.
    bool checkZoneFrames(const JsonValue& value, const std::string& where, const ZoneSettings& s, int64_t length,
                         const std::vector<std::string>& given, bool soundHasLoop)
    {
        auto isGiven = [&given](const char* name) { return std::find(given.begin(), given.end(), name) != given.end(); };
        const auto lastFrame = static_cast<uint64_t>(length - 1);
        const std::string frames = " (the sample has " + std::to_string(length) + " frames)";
        if (s.endFrame > lastFrame)
        {
            const Blame at = blame(value, where, { "endFrame" });
            return fail(at.value, at.where, "endFrame " + std::to_string(s.endFrame) + " lies past the sample's last frame "
                                                + std::to_string(lastFrame));
        }
        if (s.startFrame >= s.endFrame)
        {
            const Blame at = blame(value, where, { "startFrame", "endFrame" });
            return fail(at.value, at.where, "startFrame " + std::to_string(s.startFrame) + " is not before endFrame "
                                                + std::to_string(s.endFrame) + frames);
        }
        if (s.playMode != 2 && !isGiven("loopStart") && !isGiven("loopEnd"))
            return true;
        const char* origin = !isGiven("loopStart") && !isGiven("loopEnd") && soundHasLoop ? " (the sample's own loop)" : "";
        if (s.loopEnd > s.endFrame)
        {
            const Blame at = blame(value, where, { "loopEnd", "endFrame" });
            const std::string limit = s.loopEnd > lastFrame ? "the sample's last frame " + std::to_string(lastFrame)
                                                            : "endFrame " + std::to_string(s.endFrame);
            return fail(at.value, at.where, "loopEnd " + std::to_string(s.loopEnd) + origin + " lies past " + limit);
        }
        if (s.loopStart >= s.loopEnd)
        {
            const Blame at = blame(value, where, { "loopStart", "loopEnd" });
            return fail(at.value, at.where, "loopStart " + std::to_string(s.loopStart) + " is not before loopEnd "
                                                + std::to_string(s.loopEnd) + origin);
        }
        return true;
    }

    bool readGroup(const JsonValue& value, size_t g)
    {
        const std::string where = "groups[" + std::to_string(g) + "]";
        if (!expectKind(value, JsonValue::Kind::object, where) || !checkMembers(value, where, { "name", "settings", "zones" }))
            return false;
        GroupImage group = newGroupImage("Group " + std::to_string(g + 1));
        if (!readString(value, where, "name", group.name)
            || !readSettings(value, where, groupSettingsFields(), &group.settings)
            || !checkRange(value, where, "lowKey", group.settings.lowKey, "highKey", group.settings.highKey)
            || !checkRange(value, where, "lowVelocity", group.settings.lowVelocity, "highVelocity",
                           group.settings.highVelocity))
            return false;
        const JsonValue* zones = value.find("zones");
        if (zones == nullptr)
            return fail(value, where, "the group has no \"zones\"; a group needs at least one zone");
        if (!expectKind(*zones, JsonValue::Kind::array, member(where, "zones")))
            return false;
        if (zones->items.empty())
            return fail(*zones, member(where, "zones"), "the list is empty; a group needs at least one zone");
        for (size_t z = 0; z < zones->items.size(); ++z)
        {
            ZoneImage zone;
            if (!readZone(zones->items[z], where + ".zones[" + std::to_string(z) + "]", zone))
                return false;
            group.zones.push_back(std::move(zone));
        }
        plan.image.groups.push_back(std::move(group));
        return true;
    }

    bool readZone(const JsonValue& value, const std::string& where, ZoneImage& zone)
    {
        if (!expectKind(value, JsonValue::Kind::object, where)
            || !checkMembers(value, where, { "sample", "sampleName", "settings" }))
            return false;
        const JsonValue* sample = value.find("sample");
        if (sample == nullptr)
            return fail(value, where, "a zone needs a \"sample\" (a sound file)");
        if (!expectKind(*sample, JsonValue::Kind::string, member(where, "sample")))
            return false;

        fs::path file;
        const OpenedSample* opened = nullptr;
        if (!openSample(*sample, member(where, "sample"), file, opened))
            return false;
        ZSoundFile& sound = *opened->sound;

        zone.sound = opened->sound;
        zone.settings = soundZoneSettings(sound);
        zone.settings.lowKey = 0;
        zone.settings.highKey = 127;
        zone.settings.lowVelocity = 0;
        zone.settings.highVelocity = 127;
        if (!sound.hasRootKey())
            zone.settings.rootKey = defaultRootKey;
        std::vector<std::string> given;
        if (!readSettings(value, where, zoneSettingsFields(), &zone.settings, &given)
            || !checkRange(value, where, "lowKey", zone.settings.lowKey, "highKey", zone.settings.highKey)
            || !checkRange(value, where, "lowVelocity", zone.settings.lowVelocity, "highVelocity",
                           zone.settings.highVelocity)
            || !checkZoneFrames(value, where, zone.settings, sound.getLength(), given, sound.hasLoop()))
            return false;
        return storedName(value, *sample, where, file, *opened, zone.sampleName);
    }

    bool openSample(const JsonValue& sample, const std::string& where, fs::path& file, const OpenedSample*& opened)
    {
        std::error_code failure;
        const fs::path named = descriptionFolder / sample.stringValue;
        file = fs::weakly_canonical(named, failure);
        if (sample.stringValue.empty() || failure)
            return fail(sample, where, "cannot find \"" + sample.stringValue + "\"");
        if (const auto known = samples.find(file); known != samples.end())
        {
            opened = &known->second;
            return true;
        }
        OpenedSample fresh;
        std::string problem;
        if (!openSampleFile(file.string(), fresh, problem))
            return fail(sample, where, "cannot open \"" + sample.stringValue + "\": " + problem);
        plan.inputs.push_back(file.string());
        opened = &samples.emplace(file, std::move(fresh)).first->second;
        return true;
    }

    // Where a sample lies inside the description's folder, as the
    // description names it (so a folder reached through a symbolic link
    // inside it counts as inside), or where the file itself lies; empty when
    // it lies outside.
    fs::path insideDescriptionFolder(const JsonValue& sample, const fs::path& file)
    {
        const fs::path named = (descriptionFolder / sample.stringValue).lexically_normal();
        fs::path inside = named.lexically_relative(descriptionFolder);
        if (!leavesFolder(inside))
            return inside;
        std::error_code failure;
        inside = file.lexically_relative(fs::weakly_canonical(descriptionFolder, failure));
        return failure || leavesFolder(inside) ? fs::path() : inside;
    }

    bool addCopy(const JsonValue& sample, const std::string& where, const fs::path& file, const OpenedSample& opened,
                 std::string& name)
    {
        fs::path inside = insideDescriptionFolder(sample, file);
        if (inside.empty())
            return fail(sample, where, "copy storage takes samples inside the description's folder; \""
                                           + sample.stringValue + "\" lies outside it (use \"reference\")");
        // A converted copy is a WAVE file, and is named like one.
        if (opened.decoded != nullptr)
            inside.replace_extension(".wav");
        name = windowsForm(inside);
        const std::string target = (outputFolder / inside).string();
        for (const SampleCopy& copy : plan.copies)
            if (copy.target == target)
            {
                if (copy.source == file.string())
                    return checkNameLength(sample, where, name);
                return fail(sample, where, "\"" + sample.stringValue + "\" would be copied to " + target
                                               + ", where the copy of " + copy.source + " goes");
            }
        plan.copies.push_back({ file.string(), target, opened.decoded });
        return checkNameLength(sample, where, name);
    }

    // The name the zone record stores for its sample.
    bool storedName(const JsonValue& zoneValue, const JsonValue& sample, const std::string& where,
                    const fs::path& file, const OpenedSample& opened, std::string& name)
    {
        const JsonValue* explicitName = zoneValue.find("sampleName");
        if (explicitName != nullptr && plan.storage != SampleStorage::embedded)
            return fail(*explicitName, member(where, "sampleName"),
                        "only an embedded instrument stores a name of its own; with WAVE files beside it the name "
                        "is the file's path");

        std::error_code failure;
        switch (plan.storage)
        {
        case SampleStorage::embedded:
        {
            if (explicitName != nullptr)
            {
                if (!readString(zoneValue, where, "sampleName", name))
                    return false;
            }
            else
                name = windowsForm(fs::path(sample.stringValue).lexically_normal());
            if (name.empty())
                return true;  // an empty name always carries its own copy
            const auto [entry, added] = embeddedNames.emplace(name, file);
            if (!added && entry->second != file)
                return fail(explicitName != nullptr ? *explicitName : sample,
                            member(where, explicitName != nullptr ? "sampleName" : "sample"),
                            "the sample name \"" + name + "\" already stands for another file; zones of one name share one stored copy");
            return true;
        }
        case SampleStorage::copy: return addCopy(sample, member(where, "sample"), file, opened, name);
        case SampleStorage::reference:
        {
            if (opened.decoded != nullptr)
                return fail(sample, member(where, "sample"),
                            "\"" + sample.stringValue + "\" (" + opened.formatName
                                + ") is not an integer PCM WAVE file, the only kind the player reads beside an "
                                  "instrument; store it with embedded or copy storage");
            const fs::path relative = file.lexically_relative(fs::weakly_canonical(outputFolder, failure));
            if (failure || relative.empty())
                return fail(sample, member(where, "sample"), "cannot name \"" + sample.stringValue + "\" relative to the output");
            name = windowsForm(relative);
            return checkNameLength(sample, member(where, "sample"), name);
        }
        }
        return false;
    }

    bool checkNameLength(const JsonValue& sample, const std::string& where, const std::string& name)
    {
        if (name.size() >= instrumentStringLimit)
            return fail(sample, where, "the stored path would be longer than 1023 bytes");
        return true;
    }
};
} // namespace

std::optional<SampleStorage> parseSampleStorage(const std::string& text)
{
    if (text == "embedded")
        return SampleStorage::embedded;
    if (text == "copy")
        return SampleStorage::copy;
    if (text == "reference")
        return SampleStorage::reference;
    return std::nullopt;
}

bool readDescription(const std::string& descriptionPath, const std::string& outputPath,
                     std::optional<SampleStorage> storageOverride, BuildPlan& plan, std::string& error)
{
    plan = BuildPlan {};
    return Reader(descriptionPath, outputPath, plan).read(storageOverride, error);
}
