// The renderer's WAVE output: integer samples rounded and clipped as stated,
// and a header written before the length was known filled in at the end.

#include <gtest/gtest.h>

#include <cmath>

#include "OutputFile.h"
#include "RenderWaveWriter.h"
#include "files/FileTestSupport.h"

TEST(RenderWaveWriter, IntegerSamplesAreRoundedToTheNearestStepAndClipped)
{
    struct Case
    {
        float sample;
        int bits;
        int32_t value;
    };
    const float step16 = std::ldexp(1.0f, -15);
    const float step24 = std::ldexp(1.0f, -23);
    for (const Case& c : {
             Case { 0.5f, 16, 16384 },
             Case { -0.5f, 16, -16384 },
             Case { 1.0f, 16, 32767 },          // +1.0 has no 16-bit value: clipped
             Case { -1.0f, 16, -32768 },
             Case { 1.5f, 16, 32767 },
             Case { -7.0f, 16, -32768 },
             Case { 0.5f * step16, 16, 1 },     // halves away from zero
             Case { -0.5f * step16, 16, -1 },
             Case { 1.4f * step16, 16, 1 },
             Case { 1.6f * step16, 16, 2 },
             Case { 0.3f * step16, 16, 0 },
             Case { 32767.5f * step16, 16, 32767 },
             Case { 0.5f, 24, 4194304 },
             Case { 1.0f, 24, 8388607 },
             Case { -1.0f, 24, -8388608 },
             Case { 2.5f * step24, 24, 3 },
             Case { -2.5f * step24, 24, -3 },
             Case { 100.0f, 24, 8388607 },
         })
        EXPECT_EQ(pcmFromFloat(c.sample, c.bits), c.value) << c.sample << " at " << c.bits << " bits";
}

TEST(RenderWaveWriter, ALengthLearntAtTheEndGivesTheSameFileAsOneKnownBefore)
{
    const float left[] = { 0.5f, -1.0f, 0.25f };
    const float right[] = { 1.0f, 0.0f, -0.25f };
    const float* channels[] = { left, right };
    for (RenderFormat format : { RenderFormat::f32, RenderFormat::s16, RenderFormat::s24 })
    {
        Bytes files[2];
        for (int known = 0; known < 2; ++known)
        {
            const std::string path = scratchDir() + "/render-writer-" + std::to_string(known) + ".wav";
            std::string error;
            auto output = OutputFile::open(path, error);
            ASSERT_NE(output, nullptr) << error;
            RenderWaveWriter writer(*output, format, 2, 48000, known ? std::optional<int64_t>(3) : std::nullopt);
            ASSERT_TRUE(writer.write(channels, 3));
            ASSERT_TRUE(writer.finish());
            ASSERT_TRUE(output->commit(error)) << error;
            files[known] = readWholeFile(path);
        }
        EXPECT_EQ(files[0], files[1]);
        const Bytes& bytes = files[1];
        ASSERT_GE(bytes.size(), 44u);
        // RIFF size, format tag, channels, rate, bits; then the data's first
        // frame in the file's own form.
        const auto le = [&bytes](size_t at, int count) {
            uint32_t value = 0;
            for (int k = count - 1; k >= 0; --k)
                value = value << 8 | bytes[at + static_cast<size_t>(k)];
            return value;
        };
        EXPECT_EQ(le(4, 4), bytes.size() - 8);
        EXPECT_EQ(le(22, 2), 2u);
        EXPECT_EQ(le(24, 4), 48000u);
        if (format == RenderFormat::s16)
        {
            EXPECT_EQ(le(20, 2), 1u);
            EXPECT_EQ(le(34, 2), 16u);
            EXPECT_EQ(le(40, 4), 12u);  // 3 frames of 2 x 2 bytes
            EXPECT_EQ(le(44, 2), 16384u);
            EXPECT_EQ(le(46, 2), 32767u);
            EXPECT_EQ(le(48, 2), 0x8000u);  // -1.0
        }
        else if (format == RenderFormat::s24)
        {
            EXPECT_EQ(le(20, 2), 1u);
            EXPECT_EQ(le(34, 2), 24u);
            EXPECT_EQ(le(40, 4), 18u);
            EXPECT_EQ(le(44, 3), 0x400000u);
            EXPECT_EQ(le(47, 3), 0x7FFFFFu);
        }
        else
        {
            EXPECT_EQ(le(20, 2), 3u);
            EXPECT_EQ(le(34, 2), 32u);
            EXPECT_EQ(le(46, 4), 3u);   // "fact": frames
            EXPECT_EQ(le(54, 4), 24u);  // "data" size
            EXPECT_EQ(le(58, 4), 0x3F000000u);  // 0.5f
        }
    }
}
