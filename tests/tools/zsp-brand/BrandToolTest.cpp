// zsp-brand on small stand-ins for built plugins: a library is any file that
// holds one identity record. What the copies must hold is written out by hand.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "HostIdentity.h"
#include "IdentityRecord.h"
#include "ToolRun.h"
#include "support/HandWrittenRecord.h"

namespace fs = std::filesystem;

namespace
{
const std::string player = playerLv2Uri();
const std::string sourceUri = player + "/zarvo/zarvo-sampler-player/ZSP2";
const std::string brandedUri = player + "/acme-audio/grand-piano/AcGP";

std::string fileText(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Code before and after the record, the record at offset 4000.
constexpr size_t recordOffset = 4000;

std::string library(const std::string& record)
{
    return std::string(recordOffset, '\x90') + record + std::string(3000, '\xC3');
}

// The record as the player's build writes it.
std::string originalRecord()
{
    return handWrittenRecord({{78, "ZSP2"},
                              {82, "Zarvo Sampler Pl"},
                              {98, " "},
                              {99, "Zarvo           "},
                              {124, longRecordSize},
                              {128, "Zarvo Sampler Player"}});
}

std::string originalLibrary()
{
    return library(originalRecord());
}

// A library of an earlier build: a 128-byte record without long fields,
// followed by the library's own data.
std::string earlierBuildLibrary()
{
    return library(handWrittenRecord({{78, "ZSP2"}, {82, "Zarvo Sampler   "}, {98, " "}, {99, "Zarvo           "}}, 128));
}

void writeFile(const fs::path& path, const std::string& bytes)
{
    fs::create_directories(path.parent_path());
    writeTextFile(path.string(), bytes);
}

// The Turtle of an LV2 bundle as the player's build leaves it.
void writeLv2Turtle(const fs::path& bundle, const std::string& binaryReference)
{
    writeFile(bundle / "manifest.ttl", "<" + sourceUri + ">\n\ta lv2:Plugin ;\n\tlv2:binary <" + binaryReference
                                           + "> ;\n\trdfs:seeAlso <dsp.ttl> .\n\n<" + sourceUri
                                           + ":UI>\n\ta ui:X11UI ;\n\tlv2:binary <" + binaryReference + "> .\n");
    writeFile(bundle / "dsp.ttl", "@prefix plug:  <" + player + ":> .\n<" + sourceUri + ">\n\tui:ui <" + sourceUri
                                      + ":UI> ;\n\tdoap:name \"Zarvo Sampler Player\" ;\n\t\tfoaf:name \"Zarvo\" ;\n"
                                        "\tpatch:writable plug:attack .\n");
    writeFile(bundle / "ui.ttl", "<" + sourceUri + ":UI>\n\tlv2:extensionData ui:idleInterface .\n");
}

struct Plugins
{
    fs::path vst2, vst3, lv2;
};

Plugins makePlugins(const fs::path& folder)
{
    Plugins plugins {folder / "libZarvo Sampler Player.so", folder / "Zarvo Sampler Player.vst3",
                     folder / "Zarvo Sampler Player.lv2"};
    writeFile(plugins.vst2, originalLibrary());
    writeFile(plugins.vst3 / "Contents" / "x86_64-linux" / "Zarvo Sampler Player.so", originalLibrary());
    writeFile(plugins.vst3 / "Contents" / "Resources" / "notes.txt", "kept as it is");
    writeFile(plugins.lv2 / "libZarvo Sampler Player.so", originalLibrary());
    writeLv2Turtle(plugins.lv2, "libZarvo%20Sampler%20Player.so");
    return plugins;
}

std::vector<std::string> brandArguments(std::vector<std::string> more)
{
    std::vector<std::string> arguments {"--product", "Grand Piano", "--vendor", "Acme Audio", "--id", "AcGP"};
    arguments.insert(arguments.end(), more.begin(), more.end());
    return arguments;
}

ToolResult brand(const std::vector<std::string>& arguments)
{
    return runTool(ZSP_BRAND_PROGRAM, arguments);
}

// Every file below a folder, relative to it.
std::vector<std::string> treeOf(const fs::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        names.push_back(fs::relative(entry.path(), folder).string());
    std::sort(names.begin(), names.end());
    return names;
}

// The library as it must be after branding: the same bytes but the fields;
// names that fit the short fields leave the long fields empty.
void expectBranded(const fs::path& library)
{
    std::string expected = originalLibrary();
    expected.replace(recordOffset + 78, 37, "AcGPGrand Piano      Acme Audio      ");
    expected.replace(recordOffset + 128, 20, std::string(20, '\0'));
    EXPECT_EQ(fileText(library), expected) << library;
}

TEST(BrandTool, Vst2LibraryIsCopiedUnderTheNewName)
{
    const fs::path folder = freshFolder("brand-vst2");
    const Plugins plugins = makePlugins(folder / "plugins");
    const ToolResult result = brand(brandArguments({"--output", (folder / "out").string(), plugins.vst2.string()}));
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_NE(result.out.find("\"Grand Piano\" by \"Acme Audio\", id AcGP"), std::string::npos) << result.out;
    EXPECT_EQ(folderEntries((folder / "out").string()), std::vector<std::string> {"Grand Piano.so"});
    expectBranded(folder / "out" / "Grand Piano.so");
    EXPECT_EQ(fileText(plugins.vst2), originalLibrary());
}

TEST(BrandTool, Vst3BundleKeepsItsFilesAndRenamesItsLibrary)
{
    const fs::path folder = freshFolder("brand-vst3");
    const Plugins plugins = makePlugins(folder);
    const ToolResult result = brand(brandArguments({"--file-name", "Acme Grand", plugins.vst3.string() + "/"}));
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    // Class ids of "grand pia" and AcGP, in the byte order hosts write them.
    EXPECT_NE(result.out.find("class ids 415453564763675072616E6420706961 and 414553564763675072616E6420706961"),
              std::string::npos)
        << result.out;
    const fs::path copy = folder / "Acme Grand.vst3";
    EXPECT_EQ(treeOf(copy), (std::vector<std::string> {"Contents", "Contents/Resources", "Contents/Resources/notes.txt",
                                                        "Contents/x86_64-linux", "Contents/x86_64-linux/Acme Grand.so"}));
    expectBranded(copy / "Contents" / "x86_64-linux" / "Acme Grand.so");
    EXPECT_EQ(fileText(copy / "Contents" / "Resources" / "notes.txt"), "kept as it is");
}

TEST(BrandTool, Lv2BundleNamesTheNewUriNamesAndLibrary)
{
    const fs::path folder = freshFolder("brand-lv2");
    const Plugins plugins = makePlugins(folder);
    const ToolResult result = brand(brandArguments({plugins.lv2.string()}));
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_NE(result.out.find("URI " + brandedUri), std::string::npos) << result.out;
    const fs::path copy = folder / "Grand Piano.lv2";
    EXPECT_EQ(treeOf(copy), (std::vector<std::string> {"Grand Piano.so", "dsp.ttl", "manifest.ttl", "ui.ttl"}));
    expectBranded(copy / "Grand Piano.so");
    EXPECT_EQ(fileText(copy / "manifest.ttl"),
              "<" + brandedUri + ">\n\ta lv2:Plugin ;\n\tlv2:binary <Grand%20Piano.so> ;\n\trdfs:seeAlso <dsp.ttl> .\n\n<"
                  + brandedUri + ":UI>\n\ta ui:X11UI ;\n\tlv2:binary <Grand%20Piano.so> .\n");
    EXPECT_EQ(fileText(copy / "dsp.ttl"), "@prefix plug:  <" + player + ":> .\n<" + brandedUri + ">\n\tui:ui <"
                                              + brandedUri
                                              + ":UI> ;\n\tdoap:name \"Grand Piano\" ;\n\t\tfoaf:name \"Acme Audio\" ;\n"
                                                "\tpatch:writable plug:attack .\n");
    EXPECT_EQ(fileText(copy / "ui.ttl"), "<" + brandedUri + ":UI>\n\tlv2:extensionData ui:idleInterface .\n");
    EXPECT_NE(fileText(plugins.lv2 / "manifest.ttl").find("<" + sourceUri + ">"), std::string::npos);
}

TEST(BrandTool, LongNamesFillTheShortAndTheLongFields)
{
    const fs::path folder = freshFolder("brand-long-names");
    const Plugins plugins = makePlugins(folder / "plugins");
    // 40 bytes; its 16th byte lies inside the u with diaeresis.
    const std::string product = "Acme Konzertsfl\xC3\xBCgel \"Grand\" Edition No1";
    const ToolResult result =
        brand({"--product", product, "--vendor", "Acme Audio Instruments GmbH", "--id", "AcGP", "--file-name",
               "Konzertfluegel", "--output", (folder / "out").string(), plugins.vst2.string(), plugins.lv2.string()});
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_NE(result.out.find("\"" + product + "\" by \"Acme Audio Instruments GmbH\", id AcGP"), std::string::npos)
        << result.out;

    std::string expected = originalLibrary();
    expected.replace(recordOffset + 78, 37, "AcGP" "Acme Konzertsfl\xC3" " " "Acme Audio Instr");
    expected.replace(recordOffset + 128, 64, "Acme Konzertsfl\xC3\xBCgel \"Grand\" Edition No1" + std::string(24, '\0'));
    expected.replace(recordOffset + 192, 64, "Acme Audio Instruments GmbH" + std::string(37, '\0'));
    EXPECT_EQ(fileText(folder / "out" / "Konzertfluegel.so"), expected);
    EXPECT_EQ(fileText(folder / "out" / "Konzertfluegel.lv2" / "Konzertfluegel.so"), expected);

    const std::string uri = player + "/acme-audio-instruments-gmbh/acme-konzertsfl-gel-grand-edition-no1/AcGP";
    EXPECT_NE(result.out.find("URI " + uri), std::string::npos) << result.out;
    EXPECT_EQ(fileText(folder / "out" / "Konzertfluegel.lv2" / "dsp.ttl"),
              "@prefix plug:  <" + player + ":> .\n<" + uri + ">\n\tui:ui <" + uri
                  + ":UI> ;\n\tdoap:name \"Acme Konzertsfl\xC3\xBCgel \\\"Grand\\\" Edition No1\" ;\n"
                    "\t\tfoaf:name \"Acme Audio Instruments GmbH\" ;\n\tpatch:writable plug:attack .\n");
}

TEST(BrandTool, RecordOfAnEarlierBuildGetsItsShortFieldsOnly)
{
    const fs::path folder = freshFolder("brand-earlier-build");
    writeFile(folder / "earlier.so", earlierBuildLibrary());
    const ToolResult result = brand(brandArguments({"--output", (folder / "out").string(), (folder / "earlier.so").string()}));
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    // The bytes after its 128 bytes are the library's own and stay as they are.
    std::string expected = earlierBuildLibrary();
    expected.replace(recordOffset + 78, 37, "AcGPGrand Piano      Acme Audio      ");
    EXPECT_EQ(fileText(folder / "out" / "Grand Piano.so"), expected);
}

TEST(BrandTool, InstrumentFoldersGoAlongOnlyWhenAskedFor)
{
    const fs::path folder = freshFolder("brand-instruments");
    const Plugins plugins = makePlugins(folder / "plugins");
    writeFile(folder / "plugins" / "libZarvo Sampler Player.instruments" / "Piano" / "a.zse", "vst2 instrument");
    writeFile(plugins.lv2 / "libZarvo Sampler Player.instruments" / "b.zse", "lv2 instrument");
    writeFile(plugins.vst3 / "Contents" / "x86_64-linux" / "Zarvo Sampler Player.instruments" / "c.zse", "vst3");

    const std::vector<std::string> sources {plugins.vst2.string(), plugins.vst3.string(), plugins.lv2.string()};
    std::vector<std::string> without = brandArguments({"--output", (folder / "without").string()});
    without.insert(without.end(), sources.begin(), sources.end());
    ASSERT_EQ(brand(without).exitStatus, 0);
    EXPECT_EQ(folderEntries((folder / "without").string()),
              (std::vector<std::string> {"Grand Piano.lv2", "Grand Piano.so", "Grand Piano.vst3"}));
    EXPECT_FALSE(fs::exists(folder / "without" / "Grand Piano.lv2" / "libZarvo Sampler Player.instruments"));
    EXPECT_FALSE(fs::exists(folder / "without" / "Grand Piano.vst3" / "Contents" / "x86_64-linux"
                            / "Zarvo Sampler Player.instruments"));

    std::vector<std::string> with = brandArguments({"--instruments", "--output", (folder / "with").string()});
    with.insert(with.end(), sources.begin(), sources.end());
    const ToolResult result = brand(with);
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(folderEntries((folder / "with").string()),
              (std::vector<std::string> {"Grand Piano.instruments", "Grand Piano.lv2", "Grand Piano.so",
                                         "Grand Piano.vst3"}));
    EXPECT_EQ(fileText(folder / "with" / "Grand Piano.instruments" / "Piano" / "a.zse"), "vst2 instrument");
    EXPECT_EQ(fileText(folder / "with" / "Grand Piano.lv2" / "Grand Piano.instruments" / "b.zse"), "lv2 instrument");
    EXPECT_EQ(fileText(folder / "with" / "Grand Piano.vst3" / "Contents" / "x86_64-linux" / "Grand Piano.instruments"
                       / "c.zse"),
              "vst3");
}

TEST(BrandTool, ExistingCopyIsReplacedOnlyWhenForced)
{
    const fs::path folder = freshFolder("brand-existing");
    const Plugins plugins = makePlugins(folder / "plugins");
    writeFile(folder / "out" / "Grand Piano.so", "an earlier copy");

    const ToolResult refused = brand(brandArguments({"--output", (folder / "out").string(), plugins.vst2.string()}));
    EXPECT_EQ(refused.exitStatus, 1);
    EXPECT_NE(refused.err.find("exists already (--force replaces it)"), std::string::npos) << refused.err;
    EXPECT_EQ(fileText(folder / "out" / "Grand Piano.so"), "an earlier copy");

    const ToolResult forced =
        brand(brandArguments({"--force", "--output", (folder / "out").string(), plugins.vst2.string()}));
    ASSERT_EQ(forced.exitStatus, 0) << forced.err;
    expectBranded(folder / "out" / "Grand Piano.so");
    EXPECT_EQ(folderEntries((folder / "out").string()), std::vector<std::string> {"Grand Piano.so"});
}

TEST(BrandTool, OneBadSourceMeansNothingIsWritten)
{
    const fs::path folder = freshFolder("brand-all-or-nothing");
    const Plugins plugins = makePlugins(folder / "plugins");
    writeFile(folder / "plugins" / "Broken.lv2" / "libBroken.so", originalLibrary());
    writeLv2Turtle(folder / "plugins" / "Broken.lv2", "libBroken.so");
    writeFile(folder / "plugins" / "Broken.lv2" / "manifest.ttl", "<https://elsewhere.invalid/plugin> a lv2:Plugin .\n");

    const ToolResult result = brand(brandArguments({"--output", (folder / "out").string(), plugins.vst2.string(),
                                                    plugins.vst3.string(), (folder / "plugins" / "Broken.lv2").string()}));
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_NE(result.err.find("does not name the plugin's URI"), std::string::npos) << result.err;
    EXPECT_EQ(folderEntries((folder / "out").string()), std::vector<std::string> {});
}

struct RefusalCase
{
    const char* what;
    std::vector<std::string> arguments;  // before the source
    std::string source;  // "vst2", "branded", "earlier-build", "no-record", "two-records" or "folder"
    int exitStatus;
    std::string message;
};

void PrintTo(const RefusalCase& c, std::ostream* out)
{
    *out << c.what;
}

class BrandRefusal : public ::testing::TestWithParam<RefusalCase>
{
};

TEST_P(BrandRefusal, SaysWhyAndWritesNothing)
{
    const RefusalCase& c = GetParam();
    const fs::path folder = freshFolder(std::string("brand-refusal-") + c.what);
    const Plugins plugins = makePlugins(folder / "plugins");
    fs::path source = plugins.vst2;
    if (c.source == "no-record")
        writeFile(source = folder / "plugins" / "other.so", std::string(5000, 'x'));
    else if (c.source == "two-records")
        writeFile(source = folder / "plugins" / "twice.so", originalLibrary() + originalLibrary());
    else if (c.source == "branded")
        writeFile(source = folder / "plugins" / "branded.so",
                  library(handWrittenRecord({{78, "AcGP"}, {82, "Grand Piano     "}, {99, "Acme            "},
                                             {124, longRecordSize}})));
    else if (c.source == "earlier-build")
        writeFile(source = folder / "plugins" / "earlier.so", earlierBuildLibrary());
    else if (c.source == "folder")
        fs::create_directories(source = folder / "plugins" / "Plain Folder");

    std::vector<std::string> arguments = c.arguments;
    arguments.insert(arguments.end(), {"--output", (folder / "out").string(), source.string()});
    const ToolResult result = brand(arguments);
    EXPECT_EQ(result.exitStatus, c.exitStatus) << result.err;
    EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
    EXPECT_EQ(folderEntries((folder / "out").string()), std::vector<std::string> {});
}

const std::string sixtyFourBytes = "Acme Grand Concert Piano with a name of exactly sixty-four bytes";

std::vector<std::string> with(std::vector<std::string> arguments)
{
    return arguments;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BrandRefusal,
    ::testing::Values(
        RefusalCase {"long-product", with({"--product", sixtyFourBytes, "--vendor", "Acme", "--id", "AcGP"}), "vst2", 1,
                     "the product name \"" + sixtyFourBytes + "\" is 64 bytes long; a name holds at most 63 bytes"},
        RefusalCase {"long-utf8-vendor",
                     with({"--product", "Piano", "--vendor", std::string(62, 'M') + "\xC3\xBC", "--id", "AcGP"}), "vst2",
                     1, "the vendor name \"" + std::string(62, 'M') + "\xC3\xBC\" is 64 bytes long"},
        RefusalCase {"long-name-earlier-build",
                     with({"--product", "Zarvo Sampler Player", "--vendor", "Acme", "--id", "AcGP"}), "earlier-build", 1,
                     "comes from an earlier build of the player, whose identity record holds names of at most 16 bytes"},
        RefusalCase {"bad-utf8", with({"--product", "Pian\xC3", "--vendor", "Acme", "--id", "AcGP"}), "vst2", 1,
                     "is not valid UTF-8"},
        RefusalCase {"trailing-space", with({"--product", "Piano ", "--vendor", "Acme", "--id", "AcGP"}), "vst2", 1,
                     "starts or ends with white space"},
        RefusalCase {"empty-product", with({"--product", "", "--vendor", "Acme", "--id", "AcGP"}), "vst2", 1,
                     "the product name must not be empty"},
        RefusalCase {"empty-vendor", with({"--product", "Piano", "--vendor", "", "--id", "AcGP"}), "vst2", 1,
                     "the vendor name must not be empty"},
        RefusalCase {"short-id", with({"--product", "Piano", "--vendor", "Acme", "--id", "ABC"}), "vst2", 1,
                     "the plugin id \"ABC\" must be four characters"},
        RefusalCase {"space-in-id", with({"--product", "Piano", "--vendor", "Acme", "--id", "AB D"}), "vst2", 1,
                     "must be printable ASCII characters other than space"},
        RefusalCase {"source-id", with({"--product", "Piano", "--vendor", "Acme", "--id", "ZSP2"}), "vst2", 1,
                     "hosts would take the copy for the original"},
        RefusalCase {"player-id", with({"--product", "Piano", "--vendor", "Acme", "--id", "ZSP2"}), "branded", 1,
                     "the plugin id ZSP2 is the one of the player itself"},
        RefusalCase {"file-name", with({"--product", "Piano", "--vendor", "Acme", "--id", "AcGP", "--file-name", "a/b"}),
                     "vst2", 1, "must be a plain file name"},
        RefusalCase {"no-record", with({"--product", "Piano", "--vendor", "Acme", "--id", "AcGP"}), "no-record", 1,
                     "holds no identity record"},
        RefusalCase {"two-records", with({"--product", "Piano", "--vendor", "Acme", "--id", "AcGP"}), "two-records", 1,
                     "holds more than one identity record"},
        RefusalCase {"not-a-bundle", with({"--product", "Piano", "--vendor", "Acme", "--id", "AcGP"}), "folder", 1,
                     "neither a \".vst3\" nor an \".lv2\" bundle"},
        RefusalCase {"missing-id", with({"--product", "Piano", "--vendor", "Acme"}), "vst2", 64,
                     "--product, --vendor and --id are required"},
        RefusalCase {"unknown-option", with({"--product", "Piano", "--vendor", "Acme", "--id", "AcGP", "--brand"}),
                     "vst2", 64, "unknown option --brand"}),
    [](const auto& info) {
        std::string name = info.param.what;
        std::replace(name.begin(), name.end(), '-', '_');
        return name;
    });

TEST(BrandTool, HelpAndVersion)
{
    const ToolResult help = brand({"--help"});
    EXPECT_EQ(help.exitStatus, 0);
    EXPECT_EQ(help.out.rfind("usage: zsp-brand --product NAME --vendor NAME --id CODE", 0), 0u) << help.out;
    const ToolResult version = brand({"--version"});
    EXPECT_EQ(version.exitStatus, 0);
    EXPECT_EQ(version.out, "zsp-brand 2.5.9\n");
}
} // namespace
