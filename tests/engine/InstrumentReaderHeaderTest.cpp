// The head of an instrument file: magic, version, the short-file rules, and
// what peekFile reports.

#include <cstring>

#include "engine/InstrumentReaderTest.h"

namespace
{
constexpr uint32_t colour = 0xff336699;

InstrumentImage namedImage()
{
    InstrumentImage image = plainImage();
    image.name = "Organ";
    image.vendor = "Zarvo";
    image.settings.playerColour = colour;
    GroupImage group = newGroupImage("Main");
    group.zones.push_back(zoneImage("a", distinctSound(50, 1, 0.1f)));
    image.groups.push_back(group);
    return image;
}

// An instrument holding content from an earlier good load.
void loadSomething(ZInstrument& instrument)
{
    InstrumentImage image = namedImage();
    image.backgroundImage = { 1, 2, 3 };
    image.extraText = "extra";
    image.stringList = { "one" };
    ASSERT_TRUE(instrument.loadFromFile(writeImage(image, "header-previous.zse")));
    ASSERT_FALSE(instrument.groups.empty());
}

void expectEmpty(const ZInstrument& instrument)
{
    EXPECT_TRUE(instrument.groups.empty());
    EXPECT_TRUE(instrument.activeGroups.empty());
    EXPECT_EQ(instrument.currentGroup, nullptr);
    EXPECT_EQ(instrument.backgroundImageSize(), 0);
    EXPECT_TRUE(instrument.backgroundImageData.empty());
    EXPECT_TRUE(instrument.extraText.empty());
    EXPECT_TRUE(instrument.stringList.empty());
}

std::string withVersion(int32_t version, const std::string& fileName)
{
    InstrumentImage image = namedImage();
    image.version = version;
    return writeImage(image, fileName);
}

Bytes header(int32_t version)
{
    Bytes bytes;
    appendId(bytes, "ZSE ");
    appendLE32(bytes, static_cast<uint32_t>(version));
    return bytes;
}
} // namespace

TEST(InstrumentReaderHeader, AWrongMagicByteAtAnyPositionIsRefusedByLoadAndPeek)
{
    const Bytes good = readWholeFile(writeImage(namedImage(), "header-good.zse"));
    for (size_t position = 0; position < 4; ++position)
    {
        SCOPED_TRACE("magic byte " + std::to_string(position));
        Bytes bad = good;
        bad[position] ^= 0x20;  // "ZSE " becomes "zSE ", "ZsE ", "ZSe " or "ZSE\0"
        const std::string path = writeScratchFile("header-bad-magic.zse", bad);

        ZInstrument instrument;
        loadSomething(instrument);
        EXPECT_FALSE(instrument.loadFromFile(path));
        expectEmpty(instrument);

        std::string text = "unchanged";
        EXPECT_EQ(ZInstrument::peekFile(path, false, text), 0u);
        EXPECT_EQ(text, "unchanged");
    }
}

TEST(InstrumentReaderHeader, AMissingFileLeavesTheInstrumentAsItWas)
{
    ZInstrument instrument;
    loadSomething(instrument);
    EXPECT_FALSE(instrument.loadFromFile(scratchDir() + "/no-such-instrument.zse"));
    EXPECT_EQ(instrument.groups.size(), 1u);
    EXPECT_EQ(instrument.name, "Organ");
    std::string text = "unchanged";
    EXPECT_EQ(ZInstrument::peekFile(scratchDir() + "/no-such-instrument.zse", true, text), 0u);
    EXPECT_EQ(text, "unchanged");
}

TEST(InstrumentReaderHeader, VersionsBelow200AreRefusedByLoadButNotByPeek)
{
    const std::string v199 = withVersion(199, "header-v199.zse");
    ZInstrument instrument;
    loadSomething(instrument);
    EXPECT_FALSE(instrument.loadFromFile(v199));
    expectEmpty(instrument);

    std::string text;
    EXPECT_EQ(ZInstrument::peekFile(v199, false, text), colour);
    EXPECT_EQ(text, "Organ");
    EXPECT_EQ(ZInstrument::peekFile(v199, true, text), colour);
    EXPECT_EQ(text, "Zarvo");

    // The comparison is signed: a version with its top bit set is negative.
    EXPECT_FALSE(instrument.loadFromFile(withVersion(-1, "header-vneg.zse")));
    EXPECT_FALSE(instrument.loadFromFile(withVersion(INT32_MIN, "header-vmin.zse")));
}

TEST(InstrumentReaderHeader, Version200AndLaterLoad)
{
    for (int32_t version : { 200, 201, 1000 })
    {
        ZInstrument instrument;
        EXPECT_TRUE(instrument.loadFromFile(withVersion(version, "header-v200.zse"))) << version;
        EXPECT_EQ(instrument.name, "Organ");
        ASSERT_EQ(instrument.groups.size(), 1u);
        EXPECT_EQ(instrument.groups[0]->zones.size(), 1u);
    }
}

TEST(InstrumentReaderHeader, AFileEndingAfterItsVersionLoadsEmptyKeepingThePreviousSettings)
{
    ZInstrument instrument;
    InstrumentImage previous = namedImage();
    previous.settings.volume = -6.0f;
    previous.settings.voiceCount = previous.settings.voiceCountStored = 8;
    ASSERT_TRUE(instrument.loadFromFile(writeImage(previous, "header-before-short.zse")));
    const InstrumentSettings before = instrument.settings;

    {
        RecordingDelegate delegate;
        instrument.delegate = &delegate;
        EXPECT_TRUE(instrument.loadFromFile(writeScratchFile("header-short.zse", header(200))));
        instrument.delegate = nullptr;
        EXPECT_EQ(delegate.instrumentChangedCalls, 1);  // the load ran to its end
        EXPECT_TRUE(delegate.progress_.empty());
    }
    EXPECT_EQ(instrument.name, "");
    EXPECT_EQ(instrument.vendor, "");
    EXPECT_EQ(instrument.layoutXml, "");
    expectEmpty(instrument);
    EXPECT_EQ(std::memcmp(&instrument.settings, &before, sizeof before), 0);
    EXPECT_EQ(instrument.voices.size(), 8u);
}

TEST(InstrumentReaderHeader, AFileEndingInsideItsNameKeepsWhatCouldBeRead)
{
    Bytes bytes = header(200);
    bytes.push_back(1);
    for (char c : std::string("Orga"))
        bytes.push_back(static_cast<uint8_t>(c));
    ZInstrument instrument;
    EXPECT_TRUE(instrument.loadFromFile(writeScratchFile("header-cut-name.zse", bytes)));
    EXPECT_EQ(instrument.name, "Orga");
    EXPECT_EQ(instrument.vendor, "");
}

TEST(InstrumentReaderHeader, PeekOnAFileShorterThanTheSettingsBlockReturnsTheColourBytesThere)
{
    const Bytes whole = readWholeFile(writeImage(namedImage(), "header-peek-whole.zse"));
    // magic 4, version 4, flag 1, "Organ\0" 6, "Zarvo\0" 6: settings start at 21.
    const size_t settingsStart = 21;
    const size_t colourAt = settingsStart + offsetof(InstrumentSettings, playerColour);
    ASSERT_EQ(std::memcmp(whole.data() + colourAt, &colour, 4), 0);

    struct Case
    {
        size_t keep;
        uint32_t expected;
    };
    for (const Case& c : { Case { colourAt + 4, colour }, Case { colourAt + 2, colour & 0xffff },
                           Case { colourAt + 1, colour & 0xff }, Case { colourAt, 0 }, Case { settingsStart, 0 } })
    {
        const Bytes cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(c.keep));
        std::string text;
        EXPECT_EQ(ZInstrument::peekFile(writeScratchFile("header-peek-cut.zse", cut), true, text), c.expected)
            << "file cut to " << c.keep << " bytes";
        EXPECT_EQ(text, "Zarvo");
    }
}
