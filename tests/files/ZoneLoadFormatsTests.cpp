// Zones loaded into memory hold exactly the values of their samples, for every
// stored width and channel count, in sounds long enough to take many reading
// passes and blocks that span large pages.

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "engine/ZInstrument.h"
#include "engine/ZZone.h"
#include "files/FileTestSupport.h"
#include "files/ZFile.h"

namespace
{
// One frame more than a mebiframe: past several 2 MiB pages in every layout.
constexpr int64_t frames = (int64_t { 1 } << 20) + 1;

struct Layout
{
    int bits;  // 8, 16, 24 or 32-bit WAVE; 0 for an embedded sound
    int channels;
    bool sixteenBit;
};

// Stored integers of `bits` bits: the extremes first, then a spread over the range.
std::vector<int32_t> storedValues(int bits, size_t count)
{
    const int64_t half = int64_t { 1 } << (bits - 1);
    std::vector<int32_t> values { static_cast<int32_t>(-half), static_cast<int32_t>(half - 1), 0, -1, 1 };
    uint32_t x = 12345;
    while (values.size() < count)
    {
        x = x * 1664525u + 1013904223u;
        values.push_back(static_cast<int32_t>(x) >> (32 - bits));
    }
    values.resize(count);
    return values;
}

// What a zone should hold for a stored value, worked out in double.
float expectedFloat(int32_t stored, int bits) { return static_cast<float>(stored / std::ldexp(1.0, bits - 1)); }
int16_t expectedInt16(int32_t stored, int bits)
{
    const double scaled = stored / std::ldexp(1.0, bits - 16);
    return static_cast<int16_t>(bits == 32 ? std::floor(scaled) : std::trunc(scaled));
}

std::string waveOf(const Layout& layout, const std::vector<int32_t>& values)
{
    Bytes data;
    if (layout.bits == 8)
        for (int32_t v : values)
            data.push_back(static_cast<uint8_t>(v + 128));
    else if (layout.bits == 16)
        data = samples16(std::vector<int16_t>(values.begin(), values.end()));
    else
        data = layout.bits == 24 ? samples24(values) : samples32(values);
    const std::string name = "load-" + std::to_string(layout.bits) + "-" + std::to_string(layout.channels)
                           + (layout.sixteenBit ? "-16" : "-f") + ".wav";
    return writeScratchFile(name, WaveBuilder()
                                      .pcm(static_cast<uint16_t>(layout.channels), 44100, static_cast<uint16_t>(layout.bits))
                                      .data(data)
                                      .build());
}

uint32_t bitsOf(float value) { return std::bit_cast<uint32_t>(value); }
int16_t bitsOf(int16_t value) { return value; }

template <typename Sample>
void expectSameBits(const std::vector<Sample>& held, const std::vector<Sample>& expected)
{
    ASSERT_EQ(held.size(), expected.size());
    for (size_t k = 0; k < held.size(); ++k)
        if (bitsOf(held[k]) != bitsOf(expected[k]))
            FAIL() << "value " << k << ": " << held[k] << " instead of " << expected[k];
}

// Every WAVE width and the two embedded ones, mono and stereo, into both memory formats.
std::vector<Layout> layouts()
{
    std::vector<Layout> all;
    for (int bits : { 8, 16, 24, 32, 0 })
        for (int channels : { 1, 2 })
            for (bool sixteenBit : { true, false })
                all.push_back({ bits, channels, sixteenBit });
    return all;
}

class ZoneLoadFormat : public testing::TestWithParam<Layout>
{
};
} // namespace

TEST_P(ZoneLoadFormat, HoldsTheStoredValues)
{
    const Layout layout = GetParam();
    ZInstrument instrument;
    instrument.settings.sixteenBit = layout.sixteenBit ? 1 : 0;
    instrument.settings.diskStreaming = 0;
    const size_t count = static_cast<size_t>(frames) * static_cast<size_t>(layout.channels);
    const int bits = layout.bits != 0 ? layout.bits : (layout.sixteenBit ? 16 : 32);
    const std::vector<int32_t> values = storedValues(bits, count);

    std::vector<float> floats;
    std::vector<int16_t> ints;
    for (int32_t v : values)
    {
        floats.push_back(expectedFloat(v, bits));
        ints.push_back(expectedInt16(v, bits));
    }

    std::unique_ptr<ZZone> zone;
    if (layout.bits != 0)
        zone = std::make_unique<ZZone>(&instrument, waveOf(layout, values), nullptr, 0);
    else
    {
        // An embedded sound stores int16 or float values as they are held.
        Bytes image;
        appendLE32(image, layout.sixteenBit ? 2 : 4);
        appendLE32(image, 44100);
        appendLE32(image, static_cast<uint32_t>(layout.channels));
        appendLE32(image, 0);
        appendLE64(image, static_cast<uint64_t>(frames));
        for (size_t k = 0; k < count; ++k)
            if (layout.sixteenBit)
                appendLE16(image, static_cast<uint16_t>(ints[k]));
            else
                appendLE32(image, std::bit_cast<uint32_t>(floats[k]));
        const std::string name = "load-embedded-" + std::to_string(layout.channels) + (layout.sixteenBit ? "-16" : "-f");
        zone = std::make_unique<ZZone>(&instrument, "", ZFile::openFileForReading(writeScratchFile(name, image)), 0);
    }
    ASSERT_TRUE(zone->loaded);
    if (layout.sixteenBit)
    {
        EXPECT_TRUE(zone->floatFrames.empty());
        expectSameBits(zone->int16Frames, ints);
    }
    else
    {
        EXPECT_TRUE(zone->int16Frames.empty());
        expectSameBits(zone->floatFrames, floats);
    }
}

INSTANTIATE_TEST_SUITE_P(
    EveryWidth, ZoneLoadFormat,
    testing::ValuesIn(layouts()),
    [](const testing::TestParamInfo<Layout>& info) {
        const Layout& l = info.param;
        return (l.bits != 0 ? "Wave" + std::to_string(l.bits) : std::string("Embedded")) + (l.channels == 1 ? "Mono" : "Stereo")
             + (l.sixteenBit ? "Int16" : "Float");
    });
