// Every common sound file goes into an instrument as the player would read
// the plain PCM WAVE file of the same samples: each variant is made with sox
// (or by hand where sox cannot), built in every storage, loaded back through
// the player, and compared with what the player's own WAVE reader makes of a
// plain file of the expected samples.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>

#include "ToolRun.h"
#include "engine/ZInstrument.h"
#include "files/FileTestSupport.h"
#include "files/ZWaveFile.h"

namespace
{
constexpr uint32_t rate = 44100;
const std::string sox = "/usr/bin/sox";

// Stereo frames of 16-bit and 24-bit values that catch a wrong shift, a
// wrong sign or a rounding where the player truncates.
const std::vector<int16_t> values16 = { 0, 1, -1, 127, -128, 32767, -32768, 1000, -1000, 12345, -23456, 2, -2, 300, -300, 7 };
const std::vector<int32_t> values24 = { 0,        1,       -1,     255,    -255, 256,  -257, 8388607,
                                        -8388608, 4660,    -4660,  123456, -654321, 100, -100, 5000000 };
// 8-bit samples as stored (unsigned, 128 is silence).
const Bytes values8 = { 128, 129, 127, 0, 255, 1, 200, 60, 128, 128, 140, 100, 250, 5, 64, 192 };
// 12-bit values, stored in the upper bits of 16-bit containers.
const std::vector<int16_t> values12 = { 0, 1, -1, 2047, -2048, 100, -100, 1234, -1234, 5, -5, 2000, -2000, 7, 8, -9 };

std::vector<int32_t> shifted(const std::vector<int32_t>& values, int bits)
{
    std::vector<int32_t> out;
    for (int32_t v : values)
        out.push_back(static_cast<int32_t>(static_cast<uint32_t>(v) << bits));
    return out;
}

std::vector<int16_t> in16BitContainers(const std::vector<int16_t>& values)
{
    std::vector<int16_t> out;
    for (int16_t v : values)
        out.push_back(static_cast<int16_t>(v * 16));
    return out;
}

struct Variant
{
    const char* what;
    std::string file;                               // under the source folder
    std::function<void(const std::string&)> make;   // writes the file at the given path
    Bytes reference;                                // a plain WAVE file of the expected samples
    bool playerReadsFile;
};

// What the player's WAVE reader makes of a plain file.
struct Decoded
{
    std::vector<float> floats;
    std::vector<int16_t> shorts;
};

Decoded decodeWithThePlayer(const std::string& path)
{
    ZWaveFile wave;
    Decoded d;
    EXPECT_TRUE(wave.open(path, nullptr, 0)) << path;
    const int64_t frames = wave.getLength();
    d.floats.resize(static_cast<size_t>(frames * wave.getNumChannels()));
    d.shorts.resize(d.floats.size());
    wave.seek(0);
    EXPECT_EQ(wave.readFloat(d.floats.data(), frames), frames);
    wave.seek(0);
    EXPECT_EQ(wave.readInt16(d.shorts.data(), frames), frames);
    return d;
}

void runSox(const std::vector<std::string>& arguments)
{
    const ToolResult result = runTool(sox, arguments);
    ASSERT_EQ(result.exitStatus, 0) << result.err;
}

std::vector<Variant> variants(const std::string& folder)
{
    const Bytes plain16 = WaveBuilder().pcm(2, rate, 16).data(samples16(values16)).build();
    const Bytes plain24 = WaveBuilder().pcm(2, rate, 24).data(samples24(values24)).build();
    const Bytes plain8 = WaveBuilder().pcm(2, rate, 8).data(values8).build();
    const Bytes plain32 = WaveBuilder().pcm(2, rate, 32).data(samples32(shifted(values24, 8))).build();
    const Bytes plain12 = WaveBuilder().pcm(2, rate, 16).data(samples16(in16BitContainers(values12))).build();
    writeScratchFile(folder + "-bases/16.wav", plain16);
    writeScratchFile(folder + "-bases/24.wav", plain24);
    writeScratchFile(folder + "-bases/8.wav", plain8);
    const std::string bases = scratchDir() + "/" + folder + "-bases/";
    auto soxFrom = [bases](std::string base, std::vector<std::string> options) {
        return [bases, base, options](const std::string& path) {
            std::vector<std::string> arguments = { bases + base };
            arguments.insert(arguments.end(), options.begin(), options.end());
            arguments.push_back(path);
            runSox(arguments);
        };
    };
    auto bytes = [](Bytes content) { return [content](const std::string& path) { std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(content.data()), static_cast<std::streamsize>(content.size())); }; };
    return {
        { "16-bit plain WAVE", "plain16.wav", bytes(plain16), plain16, true },
        { "24-bit plain WAVE", "plain24.wav", bytes(plain24), plain24, true },
        { "8-bit plain WAVE", "plain8.wav", bytes(plain8), plain8, true },
        { "24-bit extensible WAVE (sox -b 24)", "ext24.wav", soxFrom("24.wav", { "-b", "24" }), plain24, true },
        { "32-bit extensible WAVE (sox -b 32)", "ext32.wav", soxFrom("24.wav", { "-b", "32" }), plain32, true },
        { "32-bit float WAVE", "float32.wav", soxFrom("24.wav", { "-e", "floating-point", "-b", "32" }), plain32, false },
        { "64-bit float WAVE", "float64.wav", soxFrom("24.wav", { "-e", "floating-point", "-b", "64" }), plain32, false },
        { "12-bit samples in 16-bit containers",
          "twelve.wav",
          bytes(WaveBuilder().format(1, 2, rate, 12, 4).data(samples16(in16BitContainers(values12))).build()),
          plain12, true },
        { "8-bit AIFF", "aiff8.aiff", soxFrom("8.wav", { "-t", "aiff" }), plain8, false },
        { "16-bit AIFF", "aiff16.aiff", soxFrom("16.wav", { "-t", "aiff" }), plain16, false },
        { "24-bit AIFF", "aiff24.aiff", soxFrom("24.wav", { "-t", "aiff" }), plain24, false },
        { "16-bit FLAC", "flac16.flac", soxFrom("16.wav", { "-t", "flac" }), plain16, false },
        { "24-bit FLAC", "flac24.flac", soxFrom("24.wav", { "-t", "flac" }), plain24, false },
    };
}

std::string description(const std::vector<Variant>& all, bool sixteenBit)
{
    std::string zones;
    for (const Variant& v : all)
        zones += std::string(zones.empty() ? "" : ",\n") + "{ \"sample\": \"samples/" + v.file + "\" }";
    return std::string("{ \"settings\": { \"diskStreaming\": 0, \"sixteenBit\": ") + (sixteenBit ? "1" : "0")
         + " },\n  \"groups\": [ { \"zones\": [\n" + zones + " ] } ] }";
}

void loadBuilt(const std::string& path, ZInstrument& instrument)
{
    ASSERT_TRUE(instrument.loadFromFile(path));
    ASSERT_EQ(instrument.groups.size(), 1u);
}
} // namespace

TEST(BuilderSampleFormats, EveryVariantHoldsTheSamplesThePlayerReadsFromAPlainWave)
{
    const std::string folder = freshFolder("formats");
    std::filesystem::create_directories(folder + "/samples");
    std::filesystem::create_directories(scratchDir() + "/formats-bases");
    const std::vector<Variant> all = variants("formats");
    std::vector<Decoded> expected;
    for (const Variant& v : all)
    {
        v.make(folder + "/samples/" + v.file);
        expected.push_back(decodeWithThePlayer(writeScratchFile("formats-bases/expected.wav", v.reference)));
    }

    for (bool sixteenBit : { true, false })
    {
        const std::string json = folder + (sixteenBit ? "/sixteen.json" : "/float.json");
        writeTextFile(json, description(all, sixteenBit));
        for (const char* storage : { "embedded", "copy" })
        {
            SCOPED_TRACE(std::string(storage) + (sixteenBit ? ", 16-bit" : ", float"));
            const std::string output = freshFolder(std::string("formats-") + storage + (sixteenBit ? "16" : "32"));
            const ToolResult built = runTool(ZSE_BUILD_PROGRAM, { "--storage", storage, json, output + "/i.zse" });
            ASSERT_EQ(built.exitStatus, 0) << built.err;
            ZInstrument instrument;
            loadBuilt(output + "/i.zse", instrument);
            const auto& zones = instrument.groups[0]->zones;
            ASSERT_EQ(zones.size(), all.size());
            for (size_t k = 0; k < all.size(); ++k)
            {
                SCOPED_TRACE(all[k].what);
                EXPECT_FALSE(zones[k]->mono);
                if (sixteenBit)
                    EXPECT_EQ(zones[k]->int16Frames, expected[k].shorts);
                else
                    EXPECT_EQ(zones[k]->floatFrames, expected[k].floats);
                if (std::string(storage) == "copy" && all[k].playerReadsFile)
                    EXPECT_EQ(readWholeFile(output + "/samples/" + all[k].file), readWholeFile(folder + "/samples/" + all[k].file));
            }
        }
    }

    // Referenced where they lie, the player reads the integer PCM WAVE files,
    // plain or extensible, 12-bit ones included; the others must be converted.
    for (const Variant& v : all)
    {
        SCOPED_TRACE(v.what);
        const std::string json = folder + "/one.json";
        writeTextFile(json, "{ \"groups\": [ { \"zones\": [ { \"sample\": \"samples/" + v.file + "\" } ] } ] }");
        const ToolResult built = runTool(ZSE_BUILD_PROGRAM, { "--storage", "reference", json, folder + "/ref.zse" });
        EXPECT_EQ(built.exitStatus, v.playerReadsFile ? 0 : 1) << built.err;
        if (!v.playerReadsFile)
            EXPECT_NE(built.err.find("is not an integer PCM WAVE file"), std::string::npos) << built.err;
    }
}

TEST(BuilderSampleFormats, ALoopAndRootKeyOfAnExtensibleFileAreTakenAsFromAPlainOne)
{
    // sox writes no "smpl" chunk: one is added to its 24-bit file by hand.
    const std::string folder = freshFolder("formats-loop");
    const std::string base = writeScratchFile("formats-loop/base.wav", WaveBuilder().pcm(2, rate, 24).data(samples24(values24)).build());
    runSox({ base, "-b", "24", folder + "/ext.wav" });
    Bytes extensible = readWholeFile(folder + "/ext.wav");
    const Bytes withSampler = WaveBuilder().sampler(62, { { 2, 6 } }).build();
    extensible.insert(extensible.end(), withSampler.begin() + 12, withSampler.end());  // its chunks after "RIFF size WAVE"
    const uint32_t riffSize = static_cast<uint32_t>(extensible.size() - 8);
    for (int k = 0; k < 4; ++k)
        extensible[4 + static_cast<size_t>(k)] = static_cast<uint8_t>(riffSize >> (8 * k));
    writeScratchFile("formats-loop/looped.wav", extensible);
    const std::string plain = writeScratchFile(
        "formats-loop/plain.wav", WaveBuilder().pcm(2, rate, 24).data(samples24(values24)).sampler(62, { { 2, 6 } }).build());

    writeTextFile(folder + "/d.json", R"({ "groups": [ { "zones": [ { "sample": "looped.wav" }, { "sample": "plain.wav" } ] } ] })");
    const ToolResult built = runTool(ZSE_BUILD_PROGRAM, { folder + "/d.json", folder + "/i.zse" });
    ASSERT_EQ(built.exitStatus, 0) << built.err;
    ZInstrument instrument;
    loadBuilt(folder + "/i.zse", instrument);
    const ZoneSettings& fromExtensible = instrument.groups[0]->zones.at(0)->settings;
    const ZoneSettings& fromPlain = instrument.groups[0]->zones.at(1)->settings;
    EXPECT_EQ(fromPlain.rootKey, 62);
    EXPECT_EQ(fromPlain.playMode, 2);
    EXPECT_EQ(fromPlain.loopStart, 2u);
    EXPECT_EQ(fromPlain.loopEnd, 6u);
    EXPECT_EQ(std::memcmp(&fromExtensible, &fromPlain, sizeof fromPlain), 0);
}

TEST(BuilderSampleFormats, AnOggVorbisFileIsDecodedToItsTone)
{
    const std::string folder = freshFolder("formats-ogg");
    runSox({ "-n", "-r", "44100", "-c", "1", folder + "/tone.ogg", "synth", "0.5", "sine", "441", "gain", "-6" });
    writeTextFile(folder + "/d.json", R"({ "settings": { "diskStreaming": 0, "sixteenBit": 0 },
      "groups": [ { "zones": [ { "sample": "tone.ogg" } ] } ] })");
    const ToolResult built = runTool(ZSE_BUILD_PROGRAM, { folder + "/d.json", folder + "/i.zse" });
    ASSERT_EQ(built.exitStatus, 0) << built.err;
    ZInstrument instrument;
    loadBuilt(folder + "/i.zse", instrument);
    const ZZone& zone = *instrument.groups[0]->zones.at(0);
    EXPECT_TRUE(zone.mono);
    EXPECT_EQ(zone.soundFile->getLength(), 22050);
    float peak = 0.0f;
    for (float v : zone.floatFrames)
        peak = std::max(peak, std::fabs(v));
    EXPECT_NEAR(peak, 0.5f, 0.03f);  // -6 dB, give or take the codec
}
