// The description reference in docs/ is what zse-build reads: its complete
// examples build, and it names every setting and every choice.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "JsonReader.h"
#include "SettingsFields.h"
#include "ToolRun.h"
#include "engine/ZInstrument.h"
#include "files/FileTestSupport.h"

namespace
{
std::string reference()
{
    std::ifstream in(std::string(ZSP_DOCS_DIR) + "/instrument-description.md");
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The text of every ```json block.
std::vector<std::string> jsonExamples(const std::string& text)
{
    std::vector<std::string> examples;
    for (size_t at = text.find("```json\n"); at != std::string::npos; at = text.find("```json\n", at))
    {
        at += 8;
        const size_t end = text.find("```", at);
        examples.push_back(text.substr(at, end - at));
        at = end;
    }
    return examples;
}
} // namespace

TEST(Documentation, EveryCompleteExampleBuildsAndLoads)
{
    const std::vector<std::string> examples = jsonExamples(reference());
    ASSERT_EQ(examples.size(), 2u);
    for (size_t k = 0; k < examples.size(); ++k)
    {
        SCOPED_TRACE("example " + std::to_string(k + 1));
        const std::string folder = freshFolder("documentation-" + std::to_string(k));
        const JsonParseResult parsed = parseJson(examples[k]);
        ASSERT_TRUE(parsed.ok) << parsed.error;
        // Each sample the example names, made by sox in the format its name says.
        size_t zones = 0;
        for (const JsonValue& group : parsed.value.find("groups")->items)
            for (const JsonValue& zone : group.find("zones")->items)
            {
                const std::string sample = folder + "/" + zone.find("sample")->stringValue;
                std::filesystem::create_directories(std::filesystem::path(sample).parent_path());
                const ToolResult made = runTool("/usr/bin/sox", { "-n", "-r", "44100", "-c", "1", sample, "synth", "0.3", "pluck", "C4" });
                ASSERT_EQ(made.exitStatus, 0) << made.err;
                ++zones;
            }
        writeTextFile(folder + "/example.json", examples[k]);
        const ToolResult built = runTool(ZSE_BUILD_PROGRAM, { folder + "/example.json", folder + "/example.zse" });
        ASSERT_EQ(built.exitStatus, 0) << built.err;
        ZInstrument instrument;
        ASSERT_TRUE(instrument.loadFromFile(folder + "/example.zse"));
        size_t loaded = 0;
        for (const auto& group : instrument.groups)
            loaded += group->zones.size();
        EXPECT_EQ(loaded, zones);
    }
}

TEST(Documentation, NamesEverySettingAndEveryChoice)
{
    const std::string text = reference();
    for (const auto fields : { instrumentSettingsFields(), groupSettingsFields(), zoneSettingsFields() })
        for (const SettingsField& field : fields)
        {
            EXPECT_NE(text.find("| `" + std::string(field.name) + "` |"), std::string::npos) << field.name;
            for (size_t k = 0; k < field.choices.size(); ++k)
                EXPECT_NE(text.find("\"" + std::string(field.choices[k]) + "\" " + std::to_string(k)), std::string::npos)
                    << field.name << " " << field.choices[k];
        }
}
