// The identity the processor and the plugin formats take from a library file.

#include "PluginIdentity.h"

#include "IdentityRecord.h"
#include "support/HandWrittenRecord.h"

#include <gtest/gtest.h>

namespace
{
// A library file holding `record` between other bytes.
juce::File libraryWithRecord(const std::string& name, const std::string& record)
{
    juce::MemoryBlock content;
    const char before[] = "\x7F" "ELF and code before the record";
    content.append(before, sizeof before - 1);
    content.append(record.data(), record.size());
    const auto file = juce::File::getSpecialLocation(juce::File::tempDirectory)
                          .getChildFile("zsp-plugin-identity-test")
                          .getChildFile(name);
    file.getParentDirectory().createDirectory();
    file.replaceWithData(content.getData(), content.getSize());
    return file;
}

// A record of an earlier build, ending with `idAndFields` from offset 78.
juce::File libraryWith(const std::string& name, const std::string& idAndFields)
{
    const IdentityMarker marker = identityMarker();
    return libraryWithRecord(name, std::string(marker.begin(), marker.end())
                                       + std::string(identityPluginIdOffset - marker.size(), '\0') + idAndFields);
}

// The plugin id and both text fields padded with spaces, the unread byte a space.
std::string fields(const std::string& id, const std::string& product, const std::string& vendor)
{
    return id + product + std::string(16 - product.size(), ' ') + " " + vendor + std::string(16 - vendor.size(), ' ');
}

TEST(PluginIdentity, NamesAndDerivedIdsComeFromTheFile)
{
    const auto identity = readPluginIdentity(libraryWith("grand.so", fields("AcGP", "Grand Piano", "Acme")));
    EXPECT_TRUE(identity.libraryFileRead);
    EXPECT_EQ(identity.pluginId, 0x41634750u);
    EXPECT_EQ(identity.productName, "Grand Piano");
    EXPECT_EQ(identity.vendorName, "Acme");
    // "VST" or "VSE", "AcGP", "grand pia"
    EXPECT_EQ(identity.vst3ComponentClassId, classIdFromText("565354416347506772616E6420706961"));
    EXPECT_EQ(identity.vst3ControllerClassId, classIdFromText("565345416347506772616E6420706961"));
    EXPECT_EQ(identity.lv2Uri, juce::String(playerLv2Uri()) + "/acme/grand-piano/AcGP");
}

TEST(PluginIdentity, AllSpacesGiveEmptyNames)
{
    const auto identity = readPluginIdentity(libraryWith("spaces.so", "ZSP2" + std::string(33, ' ')));
    EXPECT_TRUE(identity.libraryFileRead);
    EXPECT_EQ(identity.pluginId, 0x5A535032u);
    EXPECT_TRUE(identity.productName.isEmpty());
    EXPECT_TRUE(identity.vendorName.isEmpty());
}

TEST(PluginIdentity, ShortFileGivesTheBytesThatExist)
{
    const auto identity = readPluginIdentity(libraryWith("short.so", "Wxyz" "Grand Pi"));
    EXPECT_EQ(identity.pluginId, 0x5778797Au);
    EXPECT_EQ(identity.productName, "Grand Pi");
    EXPECT_TRUE(identity.vendorName.isEmpty());
}

TEST(PluginIdentity, UnreadableFileGivesEmptyNamesAndTheFallbackId)
{
    auto withoutRecord = libraryWith("none.so", "").getSiblingFile("no-record.so");
    withoutRecord.replaceWithText("a library without an identity record");
    for (const auto& file : {juce::File("/nonexistent/zsp/plugin.so"), withoutRecord})
    {
        const auto identity = readPluginIdentity(file);
        EXPECT_FALSE(identity.libraryFileRead);
        EXPECT_EQ(identity.pluginId, 0x5A535032u);
        EXPECT_TRUE(identity.productName.isEmpty());
        EXPECT_TRUE(identity.vendorName.isEmpty());
        EXPECT_EQ(identity.vst3ComponentClassId, classIdFromText("5653545A535032000000000000000000"));
    }
}

TEST(PluginIdentity, TextIsUtf8WhenValidElseOneCharacterPerByte)
{
    const auto utf8 = readPluginIdentity(libraryWith("utf8.so", fields("ZSP2", "M\xC3\xBCller Klavier", "Caf\xC3\xA9")));
    EXPECT_EQ(utf8.productName, juce::String(juce::CharPointer_UTF8("M\xC3\xBCller Klavier")));
    EXPECT_EQ(utf8.vendorName, juce::String(juce::CharPointer_UTF8("Caf\xC3\xA9")));

    const auto latin1 = readPluginIdentity(libraryWith("latin1.so", fields("ZSP2", "Caf\xE9", "Na\xEFve")));
    EXPECT_EQ(latin1.productName, juce::String(juce::CharPointer_UTF8("Caf\xC3\xA9")));
    EXPECT_EQ(latin1.vendorName, juce::String(juce::CharPointer_UTF8("Na\xC3\xAFve")));
}

TEST(PluginIdentity, LongNamesReachEveryDerivedValue)
{
    const auto identity = readPluginIdentity(libraryWithRecord(
        "long.so", handWrittenRecord({{78, "AcGP"},
                                      {82, "Acme Grand Conce"},
                                      {99, "Acme Audio Instr"},
                                      {124, longRecordSize},
                                      {128, "Acme Grand Concert Piano"},
                                      {192, "Acme Audio Instruments GmbH"}})));
    EXPECT_EQ(identity.productName, "Acme Grand Concert Piano");
    EXPECT_EQ(identity.vendorName, "Acme Audio Instruments GmbH");
    // "VST" or "VSE", "AcGP", "acme gran"
    EXPECT_EQ(identity.vst3ComponentClassId, classIdFromText("5653544163475061636D65206772616E"));
    EXPECT_EQ(identity.vst3ControllerClassId, classIdFromText("5653454163475061636D65206772616E"));
    EXPECT_EQ(identity.lv2Uri,
              juce::String(playerLv2Uri()) + "/acme-audio-instruments-gmbh/acme-grand-concert-piano/AcGP");
}

TEST(PluginIdentity, LongNameIsUtf8WhenValidElseOneCharacterPerByte)
{
    const auto utf8 = readPluginIdentity(libraryWithRecord(
        "long-utf8.so", handWrittenRecord({{78, "ZSP2"},
                                           {82, "Acme Konzertsfl\xC3"},
                                           {99, "Zarvo           "},
                                           {124, longRecordSize},
                                           {128, "Acme Konzertsfl\xC3\xBCgel"}})));
    EXPECT_EQ(utf8.productName, juce::String(juce::CharPointer_UTF8("Acme Konzertsfl\xC3\xBCgel")));

    const auto latin1 = readPluginIdentity(libraryWithRecord(
        "long-latin1.so", handWrittenRecord({{78, "ZSP2"},
                                             {82, "Caf\xE9 Concert Gra"},
                                             {99, "Zarvo           "},
                                             {124, longRecordSize},
                                             {128, "Caf\xE9 Concert Grand"}})));
    EXPECT_EQ(latin1.productName, juce::String(juce::CharPointer_UTF8("Caf\xC3\xA9 Concert Grand")));
}

TEST(PluginIdentity, OwnLibraryCarriesTheBuiltInRecord)
{
    // This test program links the plugin's code, record included; its own
    // record is read where it lies (the tests hold other records too).
    EXPECT_TRUE(ownLibraryFile().existsAsFile());
    const auto& identity = pluginIdentity();
    EXPECT_TRUE(identity.libraryFileRead);
    EXPECT_EQ(identity.pluginId, 0x5A535032u);
    EXPECT_EQ(identity.productName, "Zarvo Sampler Player");
    EXPECT_EQ(identity.vendorName, "Zarvo");
    // The ids of the short name the build showed before: "zarvo sam" either way.
    EXPECT_EQ(identity.vst3ComponentClassId, classIdFromText("5653545A5350327A6172766F2073616D"));
    EXPECT_EQ(identity.vst3ControllerClassId, classIdFromText("5653455A5350327A6172766F2073616D"));
    EXPECT_EQ(identity.lv2Uri, juce::String(playerLv2Uri()) + "/zarvo/zarvo-sampler-player/ZSP2");
}
} // namespace
