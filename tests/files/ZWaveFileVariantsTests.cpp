// WAVE files as recorders and sox write them: extensible headers around
// integer PCM, samples narrower than their container (12 bits in 16, 20 in
// 24, 24 in 32), and the refusals with the reason a person is shown.

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>

#include "files/FileTestSupport.h"
#include "files/ZWaveFile.h"

namespace
{
struct Variant
{
    const char* name;
    Bytes image;
    int32_t channels;
    int32_t bytesPerSample;
    // Hand-computed: the float and 16-bit values of the samples in order.
    std::vector<float> floats;
    std::vector<int16_t> ints;
};

// 12-bit samples are stored left-justified in 16 bits: 1024 is 0x4000.
std::vector<Variant> variants()
{
    return {
        { "extensible16mono", WaveBuilder().extensible(1, 44100, 16, 16, 1).data(samples16({ 16384, -32768 })).build(),
          1, 2, { 0.5f, -1.0f }, { 16384, -32768 } },
        { "extensible24stereo",
          WaveBuilder().extensible(2, 48000, 24, 24, 1).data(samples24({ 4194304, -8388608, -1, 256 })).build(), 2, 3,
          { 0.5f, -1.0f, -1.0f / 8388608.0f, 1.0f / 32768.0f }, { 16384, -32768, 0, 1 } },
        { "extensible24in32",
          WaveBuilder().extensible(1, 96000, 32, 24, 1).data(samples32({ 0x40000000, -0x40000000 })).build(), 1, 4,
          { 0.5f, -0.5f }, { 16384, -16384 } },
        { "twelveBitIn16", WaveBuilder().format(1, 1, 44100, 12, 2).data(samples16({ 0x4000, -0x8000, 0x7FF0 })).build(),
          1, 2, { 0.5f, -1.0f, 32752.0f / 32768.0f }, { 16384, -32768, 32752 } },
        { "twelveBitStereo",
          WaveBuilder().format(1, 2, 44100, 12, 4).data(samples16({ 0x2000, -0x2000 })).build(), 2, 2,
          { 0.25f, -0.25f }, { 8192, -8192 } },
        { "twentyBitIn24", WaveBuilder().format(1, 1, 44100, 20, 3).data(samples24({ 0x400000, -0x800000 })).build(), 1,
          3, { 0.5f, -1.0f }, { 16384, -32768 } },
    };
}

class ZWaveFileVariant : public testing::TestWithParam<Variant>
{
};
} // namespace

TEST_P(ZWaveFileVariant, ReadsAtTheWidthOfItsContainers)
{
    const Variant& v = GetParam();
    ZWaveFile wave;
    ASSERT_TRUE(wave.open(writeScratchFile(std::string("variant-") + v.name + ".wav", v.image), nullptr, 0))
        << wave.getOpenProblem();
    EXPECT_TRUE(wave.getOpenProblem().empty());
    EXPECT_EQ(wave.getNumChannels(), v.channels);
    EXPECT_EQ(wave.getBytesPerSample(), v.bytesPerSample);
    const int64_t frames = static_cast<int64_t>(v.floats.size()) / v.channels;
    ASSERT_EQ(wave.getLength(), frames);
    std::vector<float> floats(v.floats.size());
    std::vector<int16_t> ints(v.ints.size());
    wave.seek(0);
    ASSERT_EQ(wave.readFloat(floats.data(), frames), frames);
    wave.seek(0);
    ASSERT_EQ(wave.readInt16(ints.data(), frames), frames);
    EXPECT_EQ(floats, v.floats);
    EXPECT_EQ(ints, v.ints);
}

INSTANTIATE_TEST_SUITE_P(Files, ZWaveFileVariant, testing::ValuesIn(variants()),
                         [](const testing::TestParamInfo<Variant>& info) { return std::string(info.param.name); });

TEST(ZWaveFileRefusal, SaysWhy)
{
    const Bytes someData = samples16({ 1, 2, 3, 4 });
    struct Refused
    {
        const char* name;
        Bytes image;
        const char* problem;
    };
    const char* const floating = "holds floating-point samples, which the player does not read (zse-build converts them)";
    for (const Refused& r : {
             Refused { "float", WaveBuilder().format(3, 1, 44100, 32).data(samples32({ 0x3F800000 })).build(), floating },
             Refused { "extensibleFloat", WaveBuilder().extensible(2, 44100, 32, 32, 3).data(someData).build(), floating },
             Refused { "extensibleUnknown", WaveBuilder().extensible(2, 44100, 24, 24, 0).data(someData).build(),
                       "is not integer PCM (format tag 0xfffe)" },
             Refused { "extensibleShort", WaveBuilder().format(0xFFFE, 2, 44100, 16, 0, 18).data(someData).build(),
                       "is not integer PCM (format tag 0xfffe)" },
             Refused { "alaw", WaveBuilder().format(6, 1, 8000, 8).data(someData).build(),
                       "is not integer PCM (format tag 0x0006)" },
             Refused { "threeChannels", WaveBuilder().pcm(3, 44100, 16).data(someData).build(),
                       "has 3 channels; the player plays mono and stereo" },
             Refused { "notRiff", { 'R', 'I', 'F', 'X', 0, 0, 0, 0, 'W', 'A', 'V', 'E' }, "not a RIFF WAVE file" },
         })
    {
        ZWaveFile wave;
        EXPECT_FALSE(wave.open(writeScratchFile(std::string("refused-") + r.name + ".wav", r.image), nullptr, 0)) << r.name;
        EXPECT_EQ(wave.getOpenProblem(), r.problem) << r.name;
    }
}

TEST(ZWaveFileRefusal, PathsThatAreNoFileSayWhatTheyAre)
{
    namespace fs = std::filesystem;
    const std::string folder = scratchDir() + "/wave-paths";
    fs::remove_all(folder);
    fs::create_directories(folder + "/folder.wav");
    ASSERT_EQ(::mkfifo((folder + "/pipe.wav").c_str(), 0600), 0);
    const std::string good = writeScratchFile("wave-paths/good.wav", WaveBuilder().pcm(1, 44100, 16).data(samples16({ 1 })).build());
    struct Path
    {
        std::string path;
        const char* problem;
    };
    for (const Path& p : { Path { folder + "/missing.wav", "not found" },
                           Path { folder + "/missing-folder/a.wav", "not found" },
                           Path { folder + "/folder.wav", "is a directory" },
                           Path { folder + "/pipe.wav", "not a regular file" },
                           Path { "/dev/null", "not a regular file" } })
    {
        ZWaveFile wave;
        EXPECT_FALSE(wave.open(p.path, nullptr, 0)) << p.path;
        EXPECT_EQ(wave.getOpenProblem(), p.problem) << p.path;
    }
    ZWaveFile wave;
    EXPECT_TRUE(wave.open(good, nullptr, 0));
    EXPECT_EQ(wave.getOpenProblem(), "");
}
