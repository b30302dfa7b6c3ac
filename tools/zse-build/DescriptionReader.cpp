#include "DescriptionReader.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <map>

#include "JsonReader.h"
#include "SettingsFields.h"
#include "files/InstrumentFileStrings.h"
#include "files/ZWaveFile.h"

namespace fs = std::filesystem;

namespace
{
// Larger descriptions are not hand-written text; refusing them keeps a wrong
// argument from being read into memory whole.
constexpr std::uintmax_t maxDescriptionBytes = 64u << 20;
constexpr int defaultRootKey = 60;

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

class Reader
{
public:
    Reader(const std::string& descriptionPath, const std::string& outputPath, BuildPlan& buildPlan)
        : source(descriptionPath), plan(buildPlan)
    {
        std::error_code failure;
        descriptionFolder = fs::absolute(fs::path(descriptionPath), failure).parent_path();
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
    BuildPlan& plan;
    fs::path descriptionFolder;
    fs::path outputFolder;
    std::string message;

    // Each distinct sample file once, and the file each embedded name stands for.
    std::map<fs::path, std::shared_ptr<ZWaveFile>> sounds;
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
            return true;
        if (!expectKind(*groups, JsonValue::Kind::array, "groups"))
            return false;
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

    bool readGroup(const JsonValue& value, size_t g)
    {
        const std::string where = "groups[" + std::to_string(g) + "]";
        if (!expectKind(value, JsonValue::Kind::object, where) || !checkMembers(value, where, { "name", "settings", "zones" }))
            return false;
        GroupImage group = newGroupImage("Group " + std::to_string(g + 1));
        if (!readString(value, where, "name", group.name)
            || !readSettings(value, where, groupSettingsFields(), &group.settings))
            return false;
        if (const JsonValue* zones = value.find("zones"))
        {
            if (!expectKind(*zones, JsonValue::Kind::array, member(where, "zones")))
                return false;
            for (size_t z = 0; z < zones->items.size(); ++z)
            {
                ZoneImage zone;
                if (!readZone(zones->items[z], where + ".zones[" + std::to_string(z) + "]", zone))
                    return false;
                group.zones.push_back(std::move(zone));
            }
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
            return fail(value, where, "a zone needs a \"sample\" (a WAVE file)");
        if (!expectKind(*sample, JsonValue::Kind::string, member(where, "sample")))
            return false;

        fs::path file;
        std::shared_ptr<ZWaveFile> sound;
        if (!openSample(*sample, member(where, "sample"), file, sound))
            return false;

        zone.sound = sound;
        zone.settings = soundZoneSettings(*sound);
        zone.settings.lowKey = 0;
        zone.settings.highKey = 127;
        zone.settings.lowVelocity = 0;
        zone.settings.highVelocity = 127;
        if (!sound->hasRootKey())
            zone.settings.rootKey = defaultRootKey;
        if (!readSettings(value, where, zoneSettingsFields(), &zone.settings))
            return false;
        return storedName(value, *sample, where, file, zone.sampleName);
    }

    bool openSample(const JsonValue& sample, const std::string& where, fs::path& file,
                    std::shared_ptr<ZWaveFile>& sound)
    {
        std::error_code failure;
        const fs::path named = descriptionFolder / sample.stringValue;
        file = fs::weakly_canonical(named, failure);
        if (sample.stringValue.empty() || failure)
            return fail(sample, where, "cannot find \"" + sample.stringValue + "\"");
        if (const auto known = sounds.find(file); known != sounds.end())
        {
            sound = known->second;
            return true;
        }
        sound = std::make_shared<ZWaveFile>();
        const bool opened = sound->open(file.string(), nullptr, 0);
        const int32_t channels = sound->getNumChannels();
        const bool usable = opened && sound->getLength() > 0 && (channels == 1 || channels == 2);
        sound->close();
        if (!opened)
            return fail(sample, where, "cannot open \"" + sample.stringValue
                                           + "\" as a WAVE file (integer PCM, mono or stereo)");
        if (!usable)
            return fail(sample, where, "\"" + sample.stringValue + "\" holds no frames the player can use");
        sounds.emplace(file, sound);
        return true;
    }

    // The name the zone record stores for its sample.
    bool storedName(const JsonValue& zoneValue, const JsonValue& sample, const std::string& where,
                    const fs::path& file, std::string& name)
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
        case SampleStorage::copy:
        {
            const fs::path inside = file.lexically_relative(fs::weakly_canonical(descriptionFolder, failure));
            if (failure || leavesFolder(inside))
                return fail(sample, member(where, "sample"), "copy storage takes samples inside the description's folder; \""
                                               + sample.stringValue + "\" lies outside it (use \"reference\")");
            name = windowsForm(inside);
            if (std::none_of(plan.copies.begin(), plan.copies.end(),
                             [&file](const auto& copy) { return copy.first == file.string(); }))
                plan.copies.emplace_back(file.string(), (outputFolder / inside).string());
            return checkNameLength(sample, member(where, "sample"), name);
        }
        case SampleStorage::reference:
        {
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
