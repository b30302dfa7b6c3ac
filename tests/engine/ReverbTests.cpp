#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "engine/ZReverb.h"

namespace
{
struct StereoResponse
{
    std::vector<float> left, right;
};

// The reverb's answer to a unit impulse on the left input, then silence.
StereoResponse impulseResponse(ZReverb& reverb, int samples)
{
    StereoResponse r;
    r.left.resize(size_t(samples));
    r.right.resize(size_t(samples));
    for (int n = 0; n < samples; ++n)
        reverb.process(n == 0 ? 1.0f : 0.0f, 0.0f, r.left[size_t(n)], r.right[size_t(n)]);
    return r;
}

double energy(const std::vector<float>& v, size_t from, size_t count)
{
    double sum = 0.0;
    for (size_t k = from; k < from + count; ++k)
        sum += double(v[k]) * v[k];
    return sum;
}

constexpr int rate = 44100;
} // namespace

TEST(Reverb, FirstEchoArrivesThroughTheShortestCombOfEachChannel)
{
    auto reverb = std::make_unique<ZReverb>();
    const StereoResponse r = impulseResponse(*reverb, 1200);

    // Nothing comes out before the shortest left comb (1116 samples).
    for (int n = 0; n < 1116; ++n)
    {
        ASSERT_EQ(r.left[size_t(n)], 0.0f) << n;
        ASSERT_EQ(r.right[size_t(n)], 0.0f) << n;
    }
    // The echo is the input x 0.015 passed unchanged by the four all-passes
    // (each inverts it once), then mixed: left x wet1, into right x wet2.
    EXPECT_NEAR(r.left[1116], 0.015 * 1.275, 1e-7);
    EXPECT_NEAR(r.right[1116], 0.015 * 0.225, 1e-7);
}

TEST(Reverb, OutputMixesTheTwoChannelsByWidth)
{
    // Width 1 and wet 1 give each channel's chain unmixed.
    auto raw = std::make_unique<ZReverb>();
    raw->setParameters(0.868f, 0.4f, 1.0f, 1.0f, 0.0f);
    auto byDefault = std::make_unique<ZReverb>();
    auto explicitDefaults = std::make_unique<ZReverb>();
    explicitDefaults->setParameters(0.868f, 0.4f, 1.5f, 0.7f, 0.0f);

    const int samples = rate;
    const StereoResponse chains = impulseResponse(*raw, samples);
    const StereoResponse mixed = impulseResponse(*byDefault, samples);
    const StereoResponse again = impulseResponse(*explicitDefaults, samples);

    double difference = 0.0;
    for (size_t n = 0; n < size_t(samples); ++n)
    {
        const double l = chains.left[n], r = chains.right[n];
        ASSERT_NEAR(mixed.left[n], 1.275 * l + 0.225 * r, 1e-6) << n;
        ASSERT_NEAR(mixed.right[n], 1.275 * r + 0.225 * l, 1e-6) << n;
        ASSERT_EQ(mixed.left[n], again.left[n]);
        ASSERT_EQ(mixed.right[n], again.right[n]);
        difference += std::fabs(l - r);
    }
    // The right delays are 23 samples longer: a mono input leaves in stereo.
    EXPECT_GT(difference, 1.0);
    EXPECT_EQ(chains.right[1138], 0.0f);
    EXPECT_NEAR(chains.right[1139], 0.015, 1e-7);
}

TEST(Reverb, WidthZeroGivesTheSameSignalOnBothSides)
{
    auto reverb = std::make_unique<ZReverb>();
    reverb->setParameters(0.868f, 0.4f, 1.5f, 0.0f, 0.0f);
    const StereoResponse r = impulseResponse(*reverb, 5000);
    for (size_t n = 0; n < r.left.size(); ++n)
        ASSERT_EQ(r.left[n], r.right[n]) << n;
}

TEST(Reverb, TailDecaysAndEndsAtExactlyZeroWithoutDenormals)
{
    auto reverb = std::make_unique<ZReverb>();
    const int seconds = 60;
    const StereoResponse r = impulseResponse(*reverb, seconds * rate);

    // Energy falls from each second to the next once the reverb has built up.
    double previous = energy(r.left, size_t(rate), size_t(rate)) + energy(r.right, size_t(rate), size_t(rate));
    EXPECT_GT(previous, 0.0);
    for (int s = 2; s < 10; ++s)
    {
        const double e = energy(r.left, size_t(s * rate), size_t(rate)) + energy(r.right, size_t(s * rate), size_t(rate));
        EXPECT_LT(e, previous * 0.5) << "second " << s;
        previous = e;
    }

    // Every sample is zero or a normal float, and the tail reaches exact zero.
    for (size_t n = 0; n < r.left.size(); ++n)
    {
        ASSERT_TRUE(r.left[n] == 0.0f || std::isnormal(r.left[n])) << n;
        ASSERT_TRUE(r.right[n] == 0.0f || std::isnormal(r.right[n])) << n;
    }
    for (size_t n = r.left.size() - size_t(rate); n < r.left.size(); ++n)
    {
        ASSERT_EQ(r.left[n], 0.0f) << n;
        ASSERT_EQ(r.right[n], 0.0f) << n;
    }
}

TEST(Reverb, DryAddsTheInputToTheWetSignal)
{
    auto wetOnly = std::make_unique<ZReverb>();
    auto withDry = std::make_unique<ZReverb>();
    withDry->setParameters(0.868f, 0.4f, 1.5f, 0.7f, 0.5f);
    for (int n = 0; n < 3000; ++n)
    {
        const float inL = std::sin(0.01f * float(n)), inR = std::cos(0.013f * float(n));
        float wl, wr, dl, dr;
        wetOnly->process(inL, inR, wl, wr);
        withDry->process(inL, inR, dl, dr);
        ASSERT_NEAR(dl, wl + 0.5f * inL, 1e-6f);
        ASSERT_NEAR(dr, wr + 0.5f * inR, 1e-6f);
    }
}
