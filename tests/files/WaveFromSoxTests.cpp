#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <sstream>

#include "files/FileTestSupport.h"
#include "files/ZWaveFile.h"

// These compare the reader with sox's own decoding of WAVE files that sox
// wrote, and of the system's sound files. The data comes from the CTest
// fixture step make_test_data.sh.

namespace
{
struct Described
{
    std::string name;
    int32_t rate = 0;
    int32_t channels = 0;
    int64_t frames = 0;
    int32_t bits = 0;
};

std::vector<Described> describedFiles(const std::string& prefix)
{
    std::vector<Described> files;
    std::ifstream manifest(preparedDataDir() + "/decoded.txt");
    for (std::string line; std::getline(manifest, line);)
    {
        std::istringstream fields(line);
        Described d;
        if (fields >> d.name >> d.rate >> d.channels >> d.frames >> d.bits && d.name.rfind(prefix, 0) == 0)
            files.push_back(d);
    }
    return files;
}

template <typename T>
std::vector<T> rawValues(const std::string& path)
{
    const Bytes bytes = readWholeFile(path);
    std::vector<T> values(bytes.size() / sizeof(T));
    std::memcpy(values.data(), bytes.data(), values.size() * sizeof(T));
    return values;
}

// The 16-bit value of a sample that sox decoded to the 32-bit value s: the
// 24-bit value divided by 256 toward zero for 24-bit files, the upper 16 bits
// otherwise.
int16_t expectedInt16(int32_t s, int32_t bits)
{
    return static_cast<int16_t>(bits == 24 ? s / 65536 : s >> 16);
}

void compareWithSox(const Described& d)
{
    SCOPED_TRACE(d.name);
    const std::string base = preparedDataDir() + "/" + d.name;
    ZWaveFile wave;
    ASSERT_TRUE(wave.open(base + ".wav", nullptr, 0));
    EXPECT_EQ(wave.getSampleRate(), d.rate);
    EXPECT_EQ(wave.getNumChannels(), d.channels);
    ASSERT_EQ(wave.getLength(), d.frames);
    EXPECT_EQ(wave.getBytesPerSample(), d.bits / 8);

    const std::vector<float> soxFloats = rawValues<float>(base + ".f32");
    const std::vector<int32_t> soxInts = rawValues<int32_t>(base + ".s32");
    const size_t values = static_cast<size_t>(d.frames * d.channels);
    ASSERT_EQ(soxFloats.size(), values);
    ASSERT_EQ(soxInts.size(), values);

    std::vector<float> floats(values);
    std::vector<int16_t> ints(values);
    wave.seek(0);
    ASSERT_EQ(wave.readFloat(floats.data(), d.frames), d.frames);
    wave.seek(0);
    ASSERT_EQ(wave.readInt16(ints.data(), d.frames), d.frames);

    size_t floatMismatches = 0, intMismatches = 0;
    for (size_t i = 0; i < values; ++i)
    {
        // sox keeps its float output below 1.0; full-scale 32-bit values
        // round to 1.0 here.
        if (std::fabs(floats[i] - soxFloats[i]) > 1e-7f)
            ++floatMismatches;
        if (ints[i] != expectedInt16(soxInts[i], d.bits))
            ++intMismatches;
    }
    EXPECT_EQ(floatMismatches, 0u);
    EXPECT_EQ(intMismatches, 0u);

    // Reading in small uneven pieces gives the same samples.
    std::vector<float> pieces(values);
    wave.seek(0);
    int64_t done = 0;
    for (int64_t step = 1; done < d.frames; step = step * 3 % 1009 + 1)
    {
        const int64_t got = wave.readFloat(pieces.data() + done * d.channels, step);
        ASSERT_GT(got, 0);
        done += got;
    }
    EXPECT_EQ(pieces, floats);
}

bool dataPrepared()
{
    return fileExists(preparedDataDir() + "/stamp");
}
}

TEST(WaveFromSox, EveryIntegerFormatMatchesSoxDecoding)
{
    ASSERT_TRUE(dataPrepared()) << "test data missing: run through ctest, or tests/files/make_test_data.sh "
                                << preparedDataDir();
    const std::vector<Described> files = describedFiles("sox/");
    ASSERT_EQ(files.size(), 8u);
    for (const Described& d : files)
        compareWithSox(d);
}

// sox writes 24- and 32-bit files with the extensible header unless told
// otherwise; they used to be refused and are read now.
TEST(WaveFromSox, ExtensibleFilesAsSoxWritesThemMatchSoxDecoding)
{
    ASSERT_TRUE(dataPrepared());
    const std::vector<Described> files = describedFiles("extensible/");
    ASSERT_EQ(files.size(), 2u);
    for (const Described& d : files)
    {
        const Bytes head = readWholeFile(preparedDataDir() + "/" + d.name + ".wav");
        ASSERT_GT(head.size(), 22u);
        EXPECT_EQ(head[20] | head[21] << 8, 0xFFFE) << d.name << ": sox no longer writes the extensible header";
        compareWithSox(d);
    }
}

TEST(WaveFromSox, FloatFilesAreRefusedSayingWhy)
{
    ASSERT_TRUE(dataPrepared());
    std::ifstream refused(preparedDataDir() + "/refused.txt");
    int count = 0;
    for (std::string name; std::getline(refused, name); ++count)
    {
        ZWaveFile wave;
        EXPECT_TRUE(fileExists(preparedDataDir() + "/" + name + ".wav")) << name;
        EXPECT_FALSE(wave.open(preparedDataDir() + "/" + name + ".wav", nullptr, 0)) << name;
        EXPECT_NE(wave.getOpenProblem().find("floating-point"), std::string::npos) << wave.getOpenProblem();
    }
    EXPECT_EQ(count, 1);
}

TEST(WaveFromSystemSounds, MatchSoxDecoding)
{
    ASSERT_TRUE(dataPrepared());
    const std::vector<Described> files = describedFiles("system/");
    if (files.empty())
        GTEST_SKIP() << "no system sound files (package alsa-utils)";
    for (const Described& d : files)
        compareWithSox(d);
}
