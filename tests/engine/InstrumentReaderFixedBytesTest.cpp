// An instrument file written out by hand, byte by byte, from the format's
// layout (not by the builder's writer), read by the reader: a field placed
// at the wrong offset in both writer and reader cannot pass here.

#include <gtest/gtest.h>

#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "engine/ZInstrument.h"
#include "files/FileTestSupport.h"

namespace
{
// Hex bytes separated by spaces; "00*483" stands for 483 zero bytes.
std::vector<uint8_t> hexBytes(const std::vector<std::string>& lines)
{
    std::vector<uint8_t> bytes;
    for (const std::string& line : lines)
    {
        std::istringstream tokens(line);
        for (std::string token; tokens >> token;)
        {
            const size_t star = token.find('*');
            const auto value = static_cast<uint8_t>(std::stoul(token.substr(0, star), nullptr, 16));
            const size_t count = star == std::string::npos ? 1 : std::stoul(token.substr(star + 1));
            bytes.insert(bytes.end(), count, value);
        }
    }
    return bytes;
}

// clang-format off
const std::vector<std::string> handMadeFile = {
    // magic "ZSE ", version 200, embedded flag 1
    "5A 53 45 20  C8 00 00 00  01",
    // name "Hex", vendor "Lab"
    "48 65 78 00  4C 61 62 00",
    // InstrumentSettings, 592 bytes. Applied and stored pairs at 0..31:
    // stream frames 0 / 4096, 16-bit 0 / 1, streaming 1 / 0, voices 32 / 3
    "00 00 00 00  00 10 00 00  00 00 00 00  01 00 00 00  01 00 00 00  00 00 00 00  20 00 00 00  03 00 00 00",
    // 32 interpolation 1, 36 curve 2, 40 voice mode 2, 44 glide 25.0, 48 volume -6.0, 52 pan 0.25
    "01 00 00 00  02 00 00 00  02 00 00 00  00 00 C8 41  00 00 C0 C0  00 00 80 3E",
    // 56 LFO shape 3, 60 destination 2, 64 depth source 0, 68 rate 5.0, 72 depth 0.5, 76 reverb 0.125
    "03 00 00 00  02 00 00 00  00 00 00 00  00 00 A0 40  00 00 00 3F  00 00 00 3E",
    // 80 velocity floor -40, 84 top -2, 88 kept 0x12345678, 92 filter 1, 96 cutoff 0.75,
    // 100 colour 0xFF336699, 104 clip 0, then 484 reserved bytes, the last one 0xAB
    "D8 FF FF FF  FE FF FF FF  78 56 34 12  01 00 00 00  00 00 40 3F  99 66 33 FF  00 00 00 00",
    "00*483 AB",
    // extra text "x"; background image of 3 bytes; layout "<player/>"; one string "s"
    "78 00  03 00 00 00  89 50 4E",
    "3C 70 6C 61 79 65 72 2F 3E 00  01 00 00 00  73 00",
    // one group "G"
    "01 00 00 00  47 00",
    // GroupSettings, 580 bytes: 0 activation 0 .. 12 controller 1 .. 28 selection 1, 32..44 scales 1.0
    "00 00 00 00  00 00 00 00  00 00 00 00  01 00 00 00  00 00 00 00  00 00 00 00  00 00 00 00  01 00 00 00",
    "00 00 80 3F  00 00 80 3F  00 00 80 3F  00 00 80 3F",
    // 48 low key 36, 52 high key 96, 56 high velocity 127, 60 low velocity 1, 64 release trigger 0,
    // 68 its decay 0, 72 volume -3.0, 76 bypass 0, 80 output 2, 84 pan 0, 88 active 1, 488 reserved
    "24 00 00 00  60 00 00 00  7F 00 00 00  01 00 00 00  00 00 00 00  00 00 00 00  00 00 40 C0",
    "00 00 00 00  02 00 00 00  00 00 00 00  01 00 00 00  00*488",
    // one zone, sample name "a", its embedded sound: width 2, 22050 Hz, mono, 4 frames
    "01 00 00 00  61 00",
    "02 00 00 00  22 56 00 00  01 00 00 00  00 00 00 00  04 00 00 00 00 00 00 00",
    "00 10  00 F0  00 40  01 00",
    // ZoneSettings, 608 bytes: 0 root 60, 4 low key 48, 8 high key 72, 12 high velocity 127,
    // 16 low velocity 0, 20 play mode 2, 24 start 1, 32 end 3, 40 loop start 1, 48 loop end 2
    "3C 00 00 00  30 00 00 00  48 00 00 00  7F 00 00 00  00 00 00 00  02 00 00 00",
    "01 00*7  03 00*7  01 00*7  02 00*7",
    // 56 volume -1.5, 60 pan -0.5, 64 attack 10.0, 68 decay 0, 72 sustain 0, 76 release 200.0,
    // 80 tune 12.5, 84 fixed pitch 0, 88 ignore velocity 1, 92 exclusive group 4, 512 reserved
    "00 00 C0 BF  00 00 00 BF  00 00 20 41  00 00 00 00  00 00 00 00  00 00 48 43",
    "00 00 48 41  00 00 00 00  01 00 00 00  04 00 00 00  00*512",
};
// clang-format on
} // namespace

TEST(InstrumentReaderFixedBytes, EveryFieldLandsWhereTheLayoutPutsIt)
{
    const std::vector<uint8_t> bytes = hexBytes(handMadeFile);
    ASSERT_EQ(bytes.size(), 9u + 8u + 592u + 2u + 7u + 16u + 6u + 580u + 6u + 24u + 8u + 608u);
    const std::string path = writeScratchFile("fixed-bytes.zse", bytes);

    ZInstrument instrument;
    ASSERT_TRUE(instrument.loadFromFile(path));
    EXPECT_EQ(instrument.name, "Hex");
    EXPECT_EQ(instrument.vendor, "Lab");

    const InstrumentSettings& s = instrument.settings;
    EXPECT_EQ(s.streamBufferFrames, 4096);  // the stored copies became the applied ones
    EXPECT_EQ(s.sixteenBit, 1);
    EXPECT_EQ(s.diskStreaming, 0);
    EXPECT_EQ(s.voiceCount, 3);
    EXPECT_EQ(instrument.voices.size(), 3u);
    EXPECT_EQ(s.interpolation, 1);
    EXPECT_EQ(s.velocityCurve, 2);
    EXPECT_EQ(s.voiceMode, 2);
    EXPECT_EQ(s.glideTime, 25.0f);
    EXPECT_EQ(s.volume, -6.0f);
    EXPECT_EQ(s.pan, 0.25f);
    EXPECT_EQ(s.lfoShape, 3);
    EXPECT_EQ(s.lfoDestination, 2);
    EXPECT_EQ(s.lfoDepthSource, 0);
    EXPECT_EQ(s.lfoRate, 5.0f);
    EXPECT_EQ(s.lfoDepth, 0.5f);
    EXPECT_EQ(s.reverbSend, 0.125f);
    EXPECT_EQ(s.velocityFloor, -40);
    EXPECT_EQ(s.velocityTop, -2);
    EXPECT_EQ(s.unused88, 0x12345678);
    EXPECT_EQ(s.filterType, 1);
    EXPECT_EQ(s.filterCutoff, 0.75f);
    EXPECT_EQ(s.playerColour, 0xFF336699u);
    EXPECT_EQ(s.clipOutput, 0);
    EXPECT_EQ(s.reserved[482], 0);
    EXPECT_EQ(s.reserved[483], 0xAB);  // reserved bytes are kept as read

    EXPECT_EQ(instrument.extraText, "x");
    EXPECT_EQ(instrument.backgroundImageData, (std::vector<uint8_t> { 0x89, 0x50, 0x4E }));
    EXPECT_EQ(instrument.layoutXml, "<player/>");
    EXPECT_EQ(instrument.stringList, (std::vector<std::string> { "s" }));

    ASSERT_EQ(instrument.groups.size(), 1u);
    const ZGroup& group = *instrument.groups[0];
    EXPECT_EQ(group.name, "G");
    EXPECT_EQ(group.settings.activationController, 1);
    EXPECT_EQ(group.settings.zoneSelection, 1);
    EXPECT_EQ(group.settings.releaseScale, 1.0f);
    EXPECT_EQ(group.settings.lowKey, 36);
    EXPECT_EQ(group.settings.highKey, 96);
    EXPECT_EQ(group.settings.highVelocity, 127);
    EXPECT_EQ(group.settings.lowVelocity, 1);
    EXPECT_EQ(group.settings.volume, -3.0f);
    EXPECT_EQ(group.settings.output, 2);
    EXPECT_EQ(group.settings.active, 1);
    EXPECT_EQ(instrument.activeGroups, (std::vector<ZGroup*> { instrument.groups[0].get() }));

    ASSERT_EQ(group.zones.size(), 1u);
    const ZZone& zone = *group.zones[0];
    const ZoneSettings& z = zone.settings;
    EXPECT_EQ(z.rootKey, 60);
    EXPECT_EQ(z.lowKey, 48);
    EXPECT_EQ(z.highKey, 72);
    EXPECT_EQ(z.highVelocity, 127);
    EXPECT_EQ(z.lowVelocity, 0);
    EXPECT_EQ(z.playMode, 2);
    EXPECT_EQ(z.startFrame, 1u);
    EXPECT_EQ(z.endFrame, 3u);
    EXPECT_EQ(z.loopStart, 1u);
    EXPECT_EQ(z.loopEnd, 2u);
    EXPECT_EQ(z.volume, -1.5f);
    EXPECT_EQ(z.pan, -0.5f);
    EXPECT_EQ(z.attack, 10.0f);
    EXPECT_EQ(z.release, 200.0f);
    EXPECT_EQ(z.tune, 12.5f);
    EXPECT_EQ(z.fixedPitch, 0);
    EXPECT_EQ(z.ignoreVelocity, 1);
    EXPECT_EQ(z.exclusiveGroup, 4);

    ASSERT_TRUE(zone.loaded);
    EXPECT_EQ(zone.soundFile->getSampleRate(), 22050);
    EXPECT_TRUE(zone.mono);
    EXPECT_EQ(zone.int16Frames, (std::vector<int16_t> { 4096, -4096, 16384, 1 }));

    std::string text;
    EXPECT_EQ(ZInstrument::peekFile(path, true, text), 0xFF336699u);
    EXPECT_EQ(text, "Lab");
}
