#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "engine/ZInstrument.h"
#include "engine/ZZone.h"
#include "files/FileTestSupport.h"
#include "files/ZEmbeddedSoundFile.h"
#include "files/ZFile.h"
#include "files/ZWaveFile.h"
#include "files/ZoneSound.h"

namespace
{
// A 16-bit mono WAVE whose frame k holds the value k.
std::string rampWave(const std::string& name, int frames)
{
    std::vector<int16_t> values(static_cast<size_t>(frames));
    for (int k = 0; k < frames; ++k)
        values[static_cast<size_t>(k)] = static_cast<int16_t>(k);
    return writeScratchFile("zone-" + name + ".wav", WaveBuilder().pcm(1, 44100, 16).data(samples16(values)).build());
}

void setMemoryMode(ZInstrument& instrument, bool sixteenBit, bool streaming, int32_t streamFrames)
{
    instrument.settings.sixteenBit = sixteenBit ? 1 : 0;
    instrument.settings.diskStreaming = streaming ? 1 : 0;
    instrument.settings.streamBufferFrames = streamFrames;
}

// Refills `frames` frames from `position` and returns the file frames the
// buffer received (the ramp makes each value its own frame number).
std::vector<int> refillFrames(ZZone& zone, uint64_t position, int frames, uint64_t& next)
{
    zone.streamFrames = frames;
    std::vector<int> got(static_cast<size_t>(frames));
    if (zone.sixteenBit)
    {
        std::vector<int16_t> buffer(static_cast<size_t>(frames), -1);
        next = zone.refill(position, buffer.data());
        std::copy(buffer.begin(), buffer.end(), got.begin());
    }
    else
    {
        std::vector<float> buffer(static_cast<size_t>(frames), -1.0f);
        next = zone.refill(position, buffer.data());
        for (size_t i = 0; i < buffer.size(); ++i)
            got[i] = static_cast<int>(std::lround(buffer[i] * 32768.0f));
    }
    return got;
}

std::vector<int> range(int first, int last)
{
    std::vector<int> frames;
    for (int k = first; k <= last; ++k)
        frames.push_back(k);
    return frames;
}

std::vector<int> joined(std::initializer_list<std::vector<int>> parts)
{
    std::vector<int> all;
    for (const auto& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}
}

TEST(OpenZoneSound, ChoosesTheKindBySharedFile)
{
    const std::string wave = rampWave("kind", 20);
    auto fromFile = openZoneSound(wave, nullptr, 0);
    ASSERT_NE(dynamic_cast<ZWaveFile*>(fromFile.get()), nullptr);
    EXPECT_TRUE(fromFile->isOpen());

    auto missing = openZoneSound(scratchDir() + "/no-such-zone.wav", nullptr, 0);
    ASSERT_NE(missing, nullptr);
    EXPECT_FALSE(missing->isOpen());

    Bytes image;
    appendLE32(image, 2);
    appendLE32(image, 44100);
    appendLE32(image, 1);
    appendLE32(image, 0);
    appendLE64(image, 3);
    const Bytes samples = samples16({ 1, 2, 3 });
    image.insert(image.end(), samples.begin(), samples.end());
    auto embedded = openZoneSound("", ZFile::openFileForReading(writeScratchFile("zone-embedded.bin", image)), 0);
    ASSERT_NE(dynamic_cast<ZEmbeddedSoundFile*>(embedded.get()), nullptr);
    EXPECT_TRUE(embedded->isOpen());
}

TEST(OpenZoneSound, WindowsFormPathsInAnotherLetterCaseOpen)
{
    const std::string folder = scratchDir() + "/Zone Case";
    std::filesystem::create_directories(folder);
    const Bytes image = WaveBuilder().pcm(1, 44100, 16).data(samples16({ 1, 2 })).build();
    writeScratchFile("Zone Case/Piano.wav", image);
    std::string windowsForm = scratchDir() + "\\zone case\\PIANO.WAV";
    auto sound = openZoneSound(windowsForm, nullptr, 0);
    EXPECT_TRUE(sound->isOpen());
    EXPECT_EQ(sound->getPath(), folder + "/Piano.wav");
}

class ZoneRefill : public testing::TestWithParam<bool>
{
};

TEST_P(ZoneRefill, WrapsAtTheLoopExactlyAsTheExamples)
{
    ZInstrument instrument;
    setMemoryMode(instrument, GetParam(), false, 10);
    ZZone zone(&instrument, rampWave(GetParam() ? "refill16" : "refillf", 200), nullptr, 0);
    ASSERT_TRUE(zone.loaded);
    zone.settings.loopStart = 90;
    zone.settings.loopEnd = 100;

    uint64_t next = 0;
    zone.settings.playMode = 2;
    EXPECT_EQ(refillFrames(zone, 95, 10, next), joined({ range(95, 99), range(90, 94) }));
    EXPECT_EQ(next, 95u);

    EXPECT_EQ(refillFrames(zone, 98, 25, next), joined({ range(98, 99), range(90, 99), range(90, 99), range(90, 92) }));
    EXPECT_EQ(next, 93u);

    zone.settings.playMode = 0;
    EXPECT_EQ(refillFrames(zone, 95, 10, next), range(95, 104));
    EXPECT_EQ(next, 105u);
    EXPECT_FALSE(zone.soundFile->isOpen()) << "a refill closes the file again";
}

INSTANTIATE_TEST_SUITE_P(SampleMemory, ZoneRefill, testing::Values(false, true),
                         [](const testing::TestParamInfo<bool>& info) { return info.param ? "Int16" : "Float"; });

TEST(ZoneFromWave, MonoReadFrameGivesBothSidesAndClampsPastTheEnd)
{
    ZInstrument instrument;
    setMemoryMode(instrument, true, false, 10);
    ZZone zone(&instrument, rampWave("readframe", 50), nullptr, 0);
    ASSERT_TRUE(zone.loaded);
    EXPECT_TRUE(zone.mono);
    EXPECT_FALSE(zone.soundFile->isOpen());
    float left = 0, right = 0;
    zone.readFrame(7, left, right);
    EXPECT_EQ(left, 7.0f / 32768.0f);
    EXPECT_EQ(right, left);
    zone.readFrame(1000, left, right);
    EXPECT_EQ(left, 49.0f / 32768.0f);
    EXPECT_EQ(right, left);
}

TEST(ZoneFromWave, StereoTwentyFourBitWholeSample)
{
    ZInstrument instrument;
    setMemoryMode(instrument, false, false, 10);
    const std::string path = writeScratchFile("zone-stereo24.wav",
                                              WaveBuilder().pcm(2, 48000, 24).data(samples24({ 8388607, -8388608, 4194304, -1 })).build());
    ZZone zone(&instrument, path, nullptr, 0);
    ASSERT_TRUE(zone.loaded);
    EXPECT_FALSE(zone.mono);
    float left = 0, right = 0;
    zone.readFrame(1, left, right);
    EXPECT_EQ(left, 0.5f);
    EXPECT_EQ(right, -1.0f / 8388608.0f);
    EXPECT_EQ(zone.settings.endFrame, 1u);
}

TEST(ZoneFromWave, LoopAndRootKeyOfTheFileSetTheZone)
{
    ZInstrument instrument;
    setMemoryMode(instrument, true, false, 10);
    std::vector<int16_t> values(1000, 3);
    const std::string path = writeScratchFile("zone-looped.wav",
                                              WaveBuilder().pcm(1, 44100, 16).data(samples16(values)).sampler(60, { { 200, 800 } }).build());
    ZZone zone(&instrument, path, nullptr, 0);
    ASSERT_TRUE(zone.loaded);
    EXPECT_EQ(zone.settings.playMode, 2);
    EXPECT_EQ(zone.settings.loopStart, 200u);
    EXPECT_EQ(zone.settings.loopEnd, 800u);
    EXPECT_EQ(zone.settings.rootKey, 60);
    EXPECT_EQ(zone.settings.endFrame, 999u);
}

TEST(ZoneFromWave, StreamingZoneKeepsOnlyThePreload)
{
    ZInstrument instrument;
    setMemoryMode(instrument, true, true, 64);
    ZZone zone(&instrument, rampWave("preload", 500), nullptr, 0);
    ASSERT_TRUE(zone.loaded);
    EXPECT_EQ(zone.framesInMemory(), 64);
    EXPECT_FALSE(zone.soundFile->isOpen());
    float left = 0, right = 0;
    zone.readFrame(63, left, right);
    EXPECT_EQ(left, 63.0f / 32768.0f);

    // A later preload from another start reopens the file by its path.
    zone.settings.startFrame = 300;
    zone.preload();
    zone.readFrame(0, left, right);
    EXPECT_EQ(left, 300.0f / 32768.0f);
}

TEST(ZoneFromWave, MissingAndBrokenSamplesGiveZonesThatAreNotLoaded)
{
    ZInstrument instrument;
    setMemoryMode(instrument, true, false, 10);
    ZZone missing(&instrument, scratchDir() + "/no-such-sample.wav", nullptr, 0);
    EXPECT_FALSE(missing.loaded);
    const std::string floatWave =
        writeScratchFile("zone-float.wav", WaveBuilder().format(3, 1, 44100, 32).data(samples32({ 0 })).build());
    ZZone refused(&instrument, floatWave, nullptr, 0);
    EXPECT_FALSE(refused.loaded);
}

TEST(ZoneFromEmbedded, ZonesSharingOneStoredSoundReadTheSameData)
{
    ZInstrument instrument;
    setMemoryMode(instrument, true, false, 10);
    Bytes image(5, 0);
    appendLE32(image, 2);
    appendLE32(image, 44100);
    appendLE32(image, 2);
    appendLE32(image, 0);
    appendLE64(image, 3);
    const Bytes samples = samples16({ 10, -10, 20, -20, 30, -30 });
    image.insert(image.end(), samples.begin(), samples.end());
    ZSharedFile file = ZFile::openFileForReading(writeScratchFile("zone-embedded-shared.bin", image));
    ZZone first(&instrument, "", file, 5);
    ZZone second(&instrument, "", file, 5);
    ASSERT_TRUE(first.loaded);
    ASSERT_TRUE(second.loaded);
    EXPECT_EQ(first.int16Frames, second.int16Frames);
    EXPECT_EQ(first.int16Frames, std::vector<int16_t>({ 10, -10, 20, -20, 30, -30 }));
    EXPECT_TRUE(first.soundFile->isOpen()) << "an embedded sound stays open";

    // Width 3 is refused: the zone counts as missing.
    image[5] = 3;
    ZSharedFile badFile = ZFile::openFileForReading(writeScratchFile("zone-embedded-width3.bin", image));
    ZZone bad(&instrument, "", badFile, 5);
    EXPECT_FALSE(bad.loaded);
}
