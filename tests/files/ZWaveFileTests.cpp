#include <gtest/gtest.h>

#include <cmath>

#include "files/FileTestSupport.h"
#include "files/ZWaveFile.h"

namespace
{
std::string waveFile(const std::string& name, const Bytes& bytes)
{
    return writeScratchFile("wave-" + name + ".wav", bytes);
}

struct Read
{
    std::vector<float> floats;
    std::vector<int16_t> ints;
    int64_t floatFrames = 0;
    int64_t intFrames = 0;
};

// Reads `frames` frames from frame 0 in both output forms.
Read readBoth(ZWaveFile& wave, int64_t frames)
{
    Read r;
    const size_t values = static_cast<size_t>(frames * wave.getNumChannels());
    r.floats.assign(values + 4, 99.0f);
    r.ints.assign(values + 4, 12345);
    wave.seek(0);
    r.floatFrames = wave.readFloat(r.floats.data(), frames);
    wave.seek(0);
    r.intFrames = wave.readInt16(r.ints.data(), frames);
    return r;
}
}

TEST(ZWaveFileScale, EightBitSilenceAndExtremes)
{
    const Bytes samples { 128, 128, 128, 128, 0, 255 };
    ZWaveFile wave;
    ASSERT_TRUE(wave.open(waveFile("u8", WaveBuilder().pcm(2, 22050, 8).data(samples).build()), nullptr, 0));
    EXPECT_EQ(wave.getLength(), 3);
    EXPECT_EQ(wave.getSampleRate(), 22050);
    EXPECT_EQ(wave.getBytesPerSample(), 1);
    const Read r = readBoth(wave, 3);
    ASSERT_EQ(r.floatFrames, 3);
    ASSERT_EQ(r.intFrames, 3);
    for (int i = 0; i < 4; ++i)
    {
        EXPECT_EQ(r.floats[i], 0.0f);
        EXPECT_EQ(r.ints[i], 0);
    }
    EXPECT_EQ(r.floats[4], -1.0f);
    EXPECT_EQ(r.ints[4], -32768);
    EXPECT_EQ(r.floats[5], 127.0f / 128.0f);
    EXPECT_EQ(r.ints[5], 127 * 256);
    EXPECT_EQ(r.floats[6], 99.0f) << "wrote past the frames it returned";
}

TEST(ZWaveFileScale, SixteenBit)
{
    ZWaveFile wave;
    ASSERT_TRUE(wave.open(waveFile("s16", WaveBuilder().pcm(1, 44100, 16).data(samples16({ -32768, 32767, -1 })).build()),
                          nullptr, 0));
    const Read r = readBoth(wave, 3);
    ASSERT_EQ(r.floatFrames, 3);
    EXPECT_EQ(r.floats[0], -1.0f);
    EXPECT_EQ(r.floats[1], 32767.0f / 32768.0f);
    EXPECT_EQ(r.floats[2], -1.0f / 32768.0f);
    ASSERT_EQ(r.intFrames, 3);
    EXPECT_EQ(r.ints[0], -32768);
    EXPECT_EQ(r.ints[1], 32767);
    EXPECT_EQ(r.ints[2], -1);
}

TEST(ZWaveFileScale, TwentyFourBitTruncatesTowardZeroInSixteenBitOutput)
{
    // 0x800000, -1, 0x7FFFFF, +384, -384 (-384 / 256 = -1.5: -1, not -2)
    const std::vector<int32_t> values { -8388608, -1, 8388607, 384, -384 };
    ZWaveFile wave;
    ASSERT_TRUE(wave.open(waveFile("s24", WaveBuilder().pcm(1, 48000, 24).data(samples24(values)).build()), nullptr, 0));
    const Read r = readBoth(wave, 5);
    ASSERT_EQ(r.floatFrames, 5);
    ASSERT_EQ(r.intFrames, 5);
    for (size_t i = 0; i < values.size(); ++i)
        EXPECT_EQ(r.floats[i], static_cast<float>(values[i] / 8388608.0)) << i;
    const int16_t expected[] = { -32768, 0, 32767, 1, -1 };
    for (size_t i = 0; i < values.size(); ++i)
        EXPECT_EQ(r.ints[i], expected[i]) << i;
}

TEST(ZWaveFileScale, ThirtyTwoBitIntegerTakesTheUpperSixteenBits)
{
    const std::vector<int32_t> values { INT32_MIN, 0x00010000, -1, 0x7FFFFFFF, 0x12345678 };
    ZWaveFile wave;
    ASSERT_TRUE(wave.open(waveFile("s32", WaveBuilder().pcm(1, 44100, 32).data(samples32(values)).build()), nullptr, 0));
    const Read r = readBoth(wave, 5);
    ASSERT_EQ(r.floatFrames, 5);
    ASSERT_EQ(r.intFrames, 5);
    for (size_t i = 0; i < values.size(); ++i)
        EXPECT_EQ(r.floats[i], static_cast<float>(values[i] / 2147483648.0)) << i;
    const int16_t expected[] = { -32768, 1, -1, 32767, 0x1234 };
    for (size_t i = 0; i < values.size(); ++i)
        EXPECT_EQ(r.ints[i], expected[i]) << i;
}

TEST(ZWaveFileFormat, FmtChunksOf16_18And40BytesParse)
{
    for (uint32_t size : { 16u, 18u, 40u })
    {
        ZWaveFile wave;
        const Bytes image = WaveBuilder().format(1, 2, 32000, 16, 0, size).data(samples16({ 1, 2, 3, 4 })).build();
        ASSERT_TRUE(wave.open(waveFile("fmt" + std::to_string(size), image), nullptr, 0)) << size;
        EXPECT_EQ(wave.getNumChannels(), 2);
        EXPECT_EQ(wave.getSampleRate(), 32000);
        EXPECT_EQ(wave.getLength(), 2);
        const Read r = readBoth(wave, 2);
        EXPECT_EQ(r.ints[3], 4) << size;
        EXPECT_EQ(wave.getStoredSize(), static_cast<int64_t>(image.size()) - 8);
    }
}

TEST(ZWaveFileFormat, SamplerChunkLoopsAndRootKey)
{
    ZWaveFile looped;
    ASSERT_TRUE(looped.open(waveFile("smpl2", WaveBuilder()
                                                  .pcm(1, 44100, 16)
                                                  .sampler(60, { { 100, 900 }, { 5, 7 } })
                                                  .data(samples16(std::vector<int16_t>(1000)))
                                                  .build()),
                            nullptr, 0));
    EXPECT_TRUE(looped.hasRootKey());
    EXPECT_EQ(looped.getRootKey(), 60);
    EXPECT_TRUE(looped.hasLoop());
    EXPECT_EQ(looped.getLoopStart(), 100);
    EXPECT_EQ(looped.getLoopEnd(), 900);

    ZWaveFile unlooped;
    ASSERT_TRUE(unlooped.open(waveFile("smpl0", WaveBuilder().pcm(1, 44100, 16).data(samples16({ 0, 0 })).sampler(200, {}).build()),
                              nullptr, 0));
    EXPECT_TRUE(unlooped.hasRootKey());
    EXPECT_EQ(unlooped.getRootKey(), 200);
    EXPECT_FALSE(unlooped.hasLoop());
    EXPECT_EQ(unlooped.getLoopStart(), 0);
    EXPECT_EQ(unlooped.getLoopEnd(), 0);

    ZWaveFile plain;
    ASSERT_TRUE(plain.open(waveFile("nosmpl", WaveBuilder().pcm(1, 44100, 16).data(samples16({ 0 })).build()), nullptr, 0));
    EXPECT_FALSE(plain.hasRootKey());
    EXPECT_FALSE(plain.hasLoop());
}

TEST(ZWaveFileFormat, SamplerChunkDeclaresALoopOnlyWithAPositiveCountAndARecord)
{
    // Count 3 but no record; count 0 and count -1 with a record present.
    const auto withCount = [](uint32_t count, bool record) {
        Bytes body(36, 0);
        body[12] = 64;
        body[28] = static_cast<uint8_t>(count);
        body[29] = body[30] = body[31] = static_cast<uint8_t>(count >> 24);
        if (record)
            for (uint32_t v : { 0u, 0u, 10u, 20u, 0u, 0u })
                appendLE32(body, v);
        return WaveBuilder().pcm(1, 44100, 16).chunk("smpl", body).data(samples16({ 7 })).build();
    };
    const std::pair<const char*, Bytes> cases[] = { { "smplnorecord", withCount(3, false) },
                                                     { "smplzero", withCount(0, true) },
                                                     { "smplnegative", withCount(0xFFFFFFFF, true) } };
    for (const auto& [name, image] : cases)
    {
        ZWaveFile wave;
        ASSERT_TRUE(wave.open(waveFile(name, image), nullptr, 0)) << name;
        EXPECT_EQ(wave.getRootKey(), 64) << name;
        EXPECT_FALSE(wave.hasLoop()) << name;
        EXPECT_EQ(wave.getLength(), 1) << name;
    }
    ZWaveFile one;
    ASSERT_TRUE(one.open(waveFile("smplone", withCount(1, true)), nullptr, 0));
    EXPECT_TRUE(one.hasLoop());
    EXPECT_EQ(one.getLoopEnd(), 20);
}

TEST(ZWaveFileFormat, SevenByteInstChunkIsTakenAsEight)
{
    // The writer states 7 bytes but stores 8, with no further pad.
    const Bytes inst { 60, 0, 0, 0, 127, 1, 127, 0 };
    ZWaveFile wave;
    ASSERT_TRUE(wave.open(waveFile("inst7", WaveBuilder()
                                                .pcm(1, 44100, 16)
                                                .chunk("inst", inst, false, 7)
                                                .data(samples16({ 11, 22, 33 }))
                                                .build()),
                          nullptr, 0));
    EXPECT_EQ(wave.getLength(), 3);
    const Read r = readBoth(wave, 3);
    EXPECT_EQ(r.ints[2], 33);
}

TEST(ZWaveFileFormat, OddChunksWithAndWithoutPadBytes)
{
    const Bytes odd { 'a', 'b', 'c', 'd', 'e' };
    for (bool pad : { true, false })
    {
        // The 5-byte chunk is followed by "data" whose size low byte is
        // printable ('@' = 64 bytes), the case a naive check would misread.
        std::vector<int16_t> values(32);
        for (size_t i = 0; i < values.size(); ++i)
            values[i] = static_cast<int16_t>(i * 100);
        ZWaveFile wave;
        ASSERT_TRUE(wave.open(waveFile(pad ? "oddpad" : "oddnopad",
                                       WaveBuilder().pcm(1, 44100, 16).chunk("LIST", odd, pad).data(samples16(values)).build()),
                              nullptr, 0));
        EXPECT_EQ(wave.getLength(), 32) << pad;
        const Read r = readBoth(wave, 32);
        EXPECT_EQ(r.ints[31], 3100) << pad;
    }

    // An odd-sized "data" chunk of 8-bit mono, padded, then a "smpl" chunk.
    ZWaveFile eight;
    ASSERT_TRUE(eight.open(waveFile("odddata", WaveBuilder().pcm(1, 44100, 8).data({ 1, 2, 3 }).sampler(72, {}).build()),
                           nullptr, 0));
    EXPECT_EQ(eight.getLength(), 3);
    EXPECT_EQ(eight.getRootKey(), 72);
}

TEST(ZWaveFileFormat, RefusedFiles)
{
    const Bytes someData = samples16({ 1, 2, 3, 4 });
    const auto refused = [&](const std::string& name, const Bytes& image) {
        ZWaveFile wave;
        const std::string path = waveFile(name, image);
        EXPECT_FALSE(wave.open(path, nullptr, 0)) << name;
        EXPECT_FALSE(wave.isOpen()) << name;
        EXPECT_EQ(wave.getPath(), path);
        float out[4];
        EXPECT_EQ(wave.readFloat(out, 2), 0) << name;
    };
    refused("float", WaveBuilder().format(3, 1, 44100, 32).data(samples32({ 0x3F800000 })).build());
    // An extensible header of zeros names no sub-format (one naming integer
    // PCM is read: ZWaveFileVariantsTests.cpp).
    refused("extensible", WaveBuilder().format(0xFFFE, 2, 44100, 24, 0, 40).data(someData).build());
    refused("threechannels", WaveBuilder().pcm(3, 44100, 16).data(someData).build());
    refused("nochannels", WaveBuilder().format(1, 0, 44100, 16, 2).data(someData).build());
    refused("zeroframesize", WaveBuilder().format(1, 1, 44100, 0, 0).data(someData).build());
    refused("framesmallerthansamples", WaveBuilder().format(1, 2, 44100, 16, 2).data(someData).build());
    refused("zerorate", WaveBuilder().format(1, 1, 0, 16).data(someData).build());
    refused("shortfmt", WaveBuilder().chunk("fmt ", Bytes(14, 1)).data(someData).build());
    refused("databeforefmt", WaveBuilder().data(someData).pcm(1, 44100, 16).build());
    Bytes negativeCue;
    appendLE32(negativeCue, 0xFFFFFFFF);
    refused("negativecue", WaveBuilder().pcm(1, 44100, 16).chunk("cue ", negativeCue).data(someData).build());
    Bytes notRiff = WaveBuilder().pcm(1, 44100, 16).data(someData).build();
    notRiff[0] = 'X';
    refused("notriff", notRiff);
    Bytes notWave = WaveBuilder().pcm(1, 44100, 16).data(someData).build();
    notWave[11] = 'X';
    refused("notwave", notWave);
    refused("tiny", { 'R', 'I', 'F', 'F' });

    ZWaveFile missing;
    EXPECT_FALSE(missing.open(scratchDir() + "/no-such.wav", nullptr, 0));
}

TEST(ZWaveFileFormat, RiffAndWaveAloneOpenWithDefaults)
{
    ZWaveFile wave;
    ASSERT_TRUE(wave.open(waveFile("empty", WaveBuilder().build()), nullptr, 0));
    EXPECT_EQ(wave.getSampleRate(), 44100);
    EXPECT_EQ(wave.getNumChannels(), 2);
    EXPECT_EQ(wave.getLength(), 0);
    float out[2];
    EXPECT_EQ(wave.readFloat(out, 1), 0);
}

TEST(ZWaveFileFormat, UnsupportedSampleWidthOpensButReadsNothing)
{
    // 40-bit samples: the format is understood, the samples are not.
    ZWaveFile wave;
    ASSERT_TRUE(wave.open(waveFile("40bit", WaveBuilder().format(1, 1, 44100, 40).data(Bytes(50, 1)).build()), nullptr, 0));
    EXPECT_EQ(wave.getLength(), 10);
    float f[10];
    int16_t i[10];
    EXPECT_EQ(wave.readFloat(f, 10), 0);
    EXPECT_EQ(wave.readInt16(i, 10), 0);
}

TEST(ZWaveFileFormat, WideFramesAreReadAtTheirBlockAlign)
{
    // 16-bit mono stored in 4-byte frames: the second pair of bytes is padding.
    const Bytes frames = samples16({ 100, -7, 200, -7, 300, -7 });
    ZWaveFile wave;
    ASSERT_TRUE(wave.open(waveFile("wideframes", WaveBuilder().format(1, 1, 44100, 16, 4).data(frames).build()), nullptr, 0));
    EXPECT_EQ(wave.getLength(), 3);
    const Read r = readBoth(wave, 3);
    EXPECT_EQ(r.ints[0], 100);
    EXPECT_EQ(r.ints[1], 200);
    EXPECT_EQ(r.ints[2], 300);
    EXPECT_EQ(r.floats[2], 300.0f / 32768.0f);
}

TEST(ZWaveFileHostile, TruncatedDataIsCappedAtWholeFrames)
{
    Bytes image = WaveBuilder().pcm(2, 44100, 16).data(samples16(std::vector<int16_t>(2000, 5))).build();
    image.resize(44 + 4 * 300 + 3);  // 300 frames and 3 stray bytes survive
    ZWaveFile wave;
    ASSERT_TRUE(wave.open(waveFile("truncated", image), nullptr, 0));
    EXPECT_EQ(wave.getLength(), 300);
    std::vector<float> out(2 * 1000, 9.0f);
    EXPECT_EQ(wave.readFloat(out.data(), 1000), 300);
    EXPECT_EQ(out[599], 5.0f / 32768.0f);
    EXPECT_EQ(out[600], 9.0f);
}

TEST(ZWaveFileHostile, HugeSizesAreCappedByTheFile)
{
    Bytes image = WaveBuilder().pcm(1, 44100, 16).chunk("data", samples16({ 1, 2, 3 }), true, 0xFFFFFFFF).build(0xFFFFFFFF);
    ZWaveFile wave;
    ASSERT_TRUE(wave.open(waveFile("huge", image), nullptr, 0));
    EXPECT_EQ(wave.getLength(), 3);
    EXPECT_EQ(wave.getStoredSize(), 0xFFFFFFFFll);

    // A chunk claiming 4 GiB in the middle ends the walk cleanly.
    Bytes junk = WaveBuilder().pcm(1, 44100, 16).chunk("JUNK", Bytes(6), true, 0xFFFFFFF0).data(samples16({ 1 })).build();
    ZWaveFile skipped;
    ASSERT_TRUE(skipped.open(waveFile("hugejunk", junk), nullptr, 0));
    EXPECT_EQ(skipped.getLength(), 0);
}

TEST(ZWaveFileHostile, WalkStaysInsideTheRiffSize)
{
    // RIFF size stops before "data": the chunk is never seen.
    const Bytes image = WaveBuilder().pcm(1, 44100, 16).data(samples16({ 1, 2 })).build(4 + 24);
    ZWaveFile wave;
    ASSERT_TRUE(wave.open(waveFile("riffshort", image), nullptr, 0));
    EXPECT_EQ(wave.getLength(), 0);
}

TEST(ZWaveFileRead, LargeRequestsGoThroughPasses)
{
    EXPECT_EQ(ZWaveFile::framesPerPass(6), 44100);
    EXPECT_EQ(ZWaveFile::framesPerPass(4), 66150);
    EXPECT_EQ(ZWaveFile::framesPerPass(0), 0);

    // 100,000 frames of 24-bit stereo: passes of 44,100, 44,100 and 11,800.
    constexpr int64_t frames = 100000;
    std::vector<int32_t> values(2 * frames);
    for (int64_t k = 0; k < frames; ++k)
    {
        values[2 * k] = static_cast<int32_t>((k * 83) % 8388608) - 4194304;
        values[2 * k + 1] = -static_cast<int32_t>(k) - 1;
    }
    ZWaveFile wave;
    ASSERT_TRUE(wave.open(waveFile("passes", WaveBuilder().pcm(2, 44100, 24).data(samples24(values)).build()), nullptr, 0));
    ASSERT_EQ(wave.getLength(), frames);
    const Read r = readBoth(wave, frames);
    ASSERT_EQ(r.floatFrames, frames);
    ASSERT_EQ(r.intFrames, frames);
    int wrong = 0;
    for (int64_t v = 0; v < 2 * frames; ++v)
    {
        const double exact = values[v] / 8388608.0;
        if (r.floats[v] != static_cast<float>(exact) || r.ints[v] != static_cast<int16_t>(std::trunc(exact * 32768.0)))
            ++wrong;
    }
    EXPECT_EQ(wrong, 0);
    // Frames on each side of the pass boundaries.
    for (int64_t k : { 44099, 44100, 88199, 88200, 99999 })
        EXPECT_EQ(r.floats[2 * k + 1], static_cast<float>((-k - 1) / 8388608.0)) << k;
}

TEST(ZWaveFileRead, ReadsContinueFromTheLastReadOrSeekAndStopAtTheDataEnd)
{
    std::vector<int16_t> values(100);
    for (size_t i = 0; i < values.size(); ++i)
        values[i] = static_cast<int16_t>(i);
    // A chunk after "data" must never be read as samples.
    ZWaveFile wave;
    ASSERT_TRUE(wave.open(waveFile("cursor", WaveBuilder().pcm(1, 44100, 16).data(samples16(values)).sampler(60, { { 1, 2 } }).build()),
                          nullptr, 0));
    int16_t out[200];
    ASSERT_EQ(wave.readInt16(out, 10), 10);
    ASSERT_EQ(wave.readInt16(out, 10), 10);
    EXPECT_EQ(out[0], 10);
    wave.seek(95);
    float floats[200];
    EXPECT_EQ(wave.readFloat(floats, 50), 5);
    EXPECT_EQ(floats[4], 99.0f / 32768.0f);
    EXPECT_EQ(wave.readFloat(floats, 1), 0);
    wave.seek(-3);
    ASSERT_EQ(wave.readInt16(out, 1), 1);
    EXPECT_EQ(out[0], 0);
    wave.seek(1000);
    EXPECT_EQ(wave.readInt16(out, 1), 0);
}

TEST(ZWaveFileRead, CloseKeepsTheFormatAndReopenReadsAgain)
{
    ZWaveFile wave;
    ASSERT_TRUE(wave.open(waveFile("reopen", WaveBuilder().pcm(1, 8000, 16).data(samples16({ 4, 5, 6 })).build()), nullptr, 0));
    wave.close();
    EXPECT_FALSE(wave.isOpen());
    EXPECT_EQ(wave.getSampleRate(), 8000);
    EXPECT_EQ(wave.getLength(), 3);
    int16_t out[3];
    wave.seek(1);
    EXPECT_EQ(wave.readInt16(out, 3), 0);
    wave.reopen();
    ASSERT_TRUE(wave.isOpen());
    wave.seek(1);
    ASSERT_EQ(wave.readInt16(out, 3), 2);
    EXPECT_EQ(out[0], 5);
}

TEST(ZWaveFileRead, NameIsTheFileNameWithoutItsFolder)
{
    ZWaveFile windowsForm;
    windowsForm.open("C:\\Lib\\Organ\\A3.wav", nullptr, 0);
    EXPECT_EQ(windowsForm.getName(), "A3.wav");
    ZWaveFile here;
    ASSERT_TRUE(here.open(waveFile("named", WaveBuilder().build()), nullptr, 0));
    EXPECT_EQ(here.getName(), "wave-named.wav");
    ZWaveFile bare;
    bare.open("B4.wav", nullptr, 0);
    EXPECT_EQ(bare.getName(), "B4.wav");
}
