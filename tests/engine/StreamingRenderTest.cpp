#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
#include <tuple>

#include "VoiceTestRig.h"
#include "engine/ZDSVoice.h"

using namespace voicetest;

namespace
{
enum class Loop
{
    none,
    endsAfterThePreload,  // 1000 .. 1777
    endsInsideThePreload  // 8 .. 40
};

// Loop, 16-bit memory, stream buffer frames, sound rate (increment x 44100),
// channels.
using StreamCase = std::tuple<Loop, bool, int32_t, int32_t, int>;

// Builds a zone of `instrument` over the same sound for every case: noise that
// repeats with the loop's length, so that reading on past the loop end in
// memory and reading the unrolled stream hear the same frames.
std::unique_ptr<ZZone> caseZone(ZInstrument& instrument, Loop loop, int32_t soundRate, int channels,
                                int64_t streamFrames)
{
    int64_t loopStart = 0, loopEnd = 0;
    if (loop == Loop::endsAfterThePreload)
        loopStart = 1000, loopEnd = 1777;
    else if (loop == Loop::endsInsideThePreload)
        loopStart = 8, loopEnd = 40;
    const int64_t frames = loop == Loop::none ? std::max<int64_t>(20000, 4 * streamFrames) : loopEnd + 8;
    return makeZone(instrument, noise(frames, channels, soundRate, loopEnd - loopStart), [&](ZoneSettings& s) {
        if (loop == Loop::none)
            s.endFrame = static_cast<uint64_t>(frames - 8);  // the window never reads past the sound
        else
        {
            s.playMode = 2;
            s.loopStart = static_cast<uint64_t>(loopStart);
            s.loopEnd = static_cast<uint64_t>(loopEnd);
        }
    });
}

class StreamingMatchesMemory : public ::testing::TestWithParam<StreamCase>
{
protected:
    // Instruments are slow to build (every pool voice zero-fills its buffers),
    // so the cases share them: one per memory width and buffer length.
    static void TearDownTestSuite()
    {
        for (auto& instrument : shared)
            instrument.reset();
    }

    static ZInstrument& instrumentFor(bool streaming, bool sixteenBit, int32_t streamFrames)
    {
        auto& slot = shared[(streaming ? 4 : 0) + (sixteenBit ? 2 : 0) + (streamFrames < 1000 ? 1 : 0)];
        if (!slot)
        {
            slot = std::make_unique<ZInstrument>();
            configure(*slot, streaming, sixteenBit, streamFrames, 1);
            slot->settings.interpolation = 1;  // Catmull-Rom reads all four frames of the window
        }
        return *slot;
    }

    static inline std::unique_ptr<ZInstrument> shared[8];
};
} // namespace

TEST_P(StreamingMatchesMemory, SampleForSample)
{
    const auto [loop, sixteenBit, streamFrames, soundRate, channels] = GetParam();
    ZInstrument& memory = instrumentFor(false, sixteenBit, streamFrames);
    ZInstrument& streamed = instrumentFor(true, sixteenBit, streamFrames);
    auto memoryZone = caseZone(memory, loop, soundRate, channels, streamFrames);
    auto streamedZone = caseZone(streamed, loop, soundRate, channels, streamFrames);
    ASSERT_TRUE(streamedZone->streaming);
    ASSERT_FALSE(memoryZone->streaming);

    ZVoice fromMemory(memory);
    ZDSVoice fromDisk(streamed, streamFrames, sixteenBit);
    ASSERT_TRUE(fromMemory.start(memoryZone.get(), 60, 127, 0));
    ASSERT_TRUE(fromDisk.start(streamedZone.get(), 60, 127, 0));
    ASSERT_EQ(fromMemory.getIncrement(), fromDisk.getIncrement());

    // Refills complete before every block, as an offline render does; a block
    // is shorter than a buffer's playing time.
    const double increment = fromMemory.getIncrement();
    const int block = streamFrames < 1000 ? 8 : 4096;
    const int samples = static_cast<int>((3.5 * streamFrames + 2000.0) / increment);
    double worst = 0.0, energy = 0.0;
    int k = 0;
    for (; k < samples; ++k)
    {
        if (k % block == 0)
            fromDisk.serveAllRequests();
        float memoryLeft, memoryRight, diskLeft, diskRight;
        const bool memorySounds = fromMemory.renderSample(memoryLeft, memoryRight);
        const bool diskSounds = fromDisk.renderSample(diskLeft, diskRight);
        ASSERT_EQ(memorySounds, diskSounds) << "sample " << k;
        if (!memorySounds)
            break;
        worst = std::max({ worst, std::fabs(double(memoryLeft) - diskLeft), std::fabs(double(memoryRight) - diskRight) });
        energy += double(memoryLeft) * memoryLeft;
    }
    // Dyadic increments give identical positions; others differ in rounding only.
    EXPECT_LE(worst, increment == std::floor(increment * 2.0) / 2.0 ? 0.0 : 1e-5);
    EXPECT_GT(energy / k, 0.01);
    EXPECT_GT(fromDisk.getStreamPosition(), loop == Loop::none ? 2.0 * streamFrames : 3.0 * streamFrames);
}

namespace
{
std::string caseName(const ::testing::TestParamInfo<StreamCase>& info)
{
    const auto [loop, sixteenBit, frames, rate, channels] = info.param;
    const char* loopName = loop == Loop::none ? "NoLoop" : loop == Loop::endsAfterThePreload ? "LongLoop" : "ShortLoop";
    return std::string(loopName) + (sixteenBit ? "Int16" : "Float") + "F" + std::to_string(frames) + "Rate"
         + std::to_string(rate) + (channels == 1 ? "Mono" : "Stereo");
}
} // namespace

INSTANTIATE_TEST_SUITE_P(AllLayouts, StreamingMatchesMemory,
                         ::testing::Combine(::testing::Values(Loop::none, Loop::endsAfterThePreload,
                                                              Loop::endsInsideThePreload),
                                            ::testing::Bool(), ::testing::Values(64, 44100),
                                            ::testing::Values(22050, 44100, 66150, 88200, 163170),
                                            ::testing::Values(1, 2)),
                         caseName);

namespace
{
// One zone over a noise sound of 10000 frames, played by a memory voice and
// by a streaming voice with 64-frame buffers (refills served every 8
// samples) until the memory voice ends; both must give the same samples.
// Returns how many samples sounded.
int samplesMatchingMemory(int channels, int32_t soundRate, const std::function<void(ZoneSettings&)>& adjust)
{
    ZInstrument memory, streamed;
    configure(memory, false, false);
    configure(streamed, true, false, 64);
    for (ZInstrument* instrument : { &memory, &streamed })
        instrument->settings.interpolation = 0;
    auto memoryZone = makeZone(memory, noise(10000, channels, soundRate), adjust);
    auto streamedZone = makeZone(streamed, noise(10000, channels, soundRate), adjust);
    ZVoice fromMemory(memory);
    ZDSVoice fromDisk(streamed, 64, false);
    EXPECT_TRUE(fromMemory.start(memoryZone.get(), 60, 127, 0));
    EXPECT_TRUE(fromDisk.start(streamedZone.get(), 60, 127, 0));
    int k = 0;
    for (float a, b, c, d; fromMemory.renderSample(a, b); ++k)
    {
        if (k % 8 == 0)
            fromDisk.serveAllRequests();
        EXPECT_TRUE(fromDisk.renderSample(c, d)) << k;
        if (a != c || b != d)
        {
            ADD_FAILURE() << "sample " << k << ": " << a << ", " << b << " from memory, " << c << ", " << d;
            return k;
        }
    }
    float c, d;
    EXPECT_FALSE(fromDisk.renderSample(c, d));
    return k;
}
} // namespace

TEST(StreamingRender, ALaterStartFrameStreamsFromThere)
{
    const int sounded = samplesMatchingMemory(2, 66150, [](ZoneSettings& s) {
        s.startFrame = 333;
        s.endFrame = 9000;
    });
    EXPECT_EQ(sounded, 5777);  // the advance of sample k stays below the end: 333 + 1.5 (k + 1) < 9000
}

TEST(StreamingRender, AnOfflineBlockLoopCompletesRefillsBeforeEachBlock)
{
    ZInstrument memory, streamed;
    configure(memory, false, true);
    configure(streamed, true, true, 64);
    for (ZInstrument* instrument : { &memory, &streamed })
    {
        instrument->settings.interpolation = 1;
        instrument->groups.front()->addZone(
            caseZone(*instrument, Loop::endsAfterThePreload, 66150, 2, 64).release());
        instrument->setCompleteRefillsBeforeBlock(true);
        instrument->postEvent(0x90, 0, 60, 127, 3);
        instrument->postEvent(0x90, 0, 67, 90, 5);
    }

    std::vector<float> channels[2][2];
    for (auto& pair : channels)
        for (auto& channel : pair)
            channel.resize(16);
    double energy = 0.0;
    for (int blockIndex = 0; blockIndex < 2000; ++blockIndex)
    {
        if (blockIndex == 1500)
            for (ZInstrument* instrument : { &memory, &streamed })
                instrument->postEvent(0x80, 0, 60, 0, 7);
        float* memoryOut[2] = { channels[0][0].data(), channels[0][1].data() };
        float* streamedOut[2] = { channels[1][0].data(), channels[1][1].data() };
        memory.process(memoryOut, 2, 16);
        streamed.process(streamedOut, 2, 16);
        for (int side = 0; side < 2; ++side)
            for (int i = 0; i < 16; ++i)
            {
                ASSERT_NEAR(channels[0][side][i], channels[1][side][i], 1e-5) << "block " << blockIndex << " sample " << i;
                energy += channels[0][side][i] * channels[0][side][i];
            }
    }
    EXPECT_GT(energy, 100.0);
}

TEST(StreamingRender, OnlyTheForwardLoopModeLoopsTheStream)
{
    // A damaged file's play mode 3 loops nothing in memory; the stream must
    // not unroll the loop either.
    const int sounded = samplesMatchingMemory(1, 44100, [](ZoneSettings& s) {
        s.playMode = 3;
        s.loopStart = 8;
        s.loopEnd = 40;
        s.endFrame = 9000;
    });
    EXPECT_EQ(sounded, 8999);  // frames 0 to 8998: the voice ends as it reaches the end frame
}
