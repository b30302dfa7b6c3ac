#include <gtest/gtest.h>

#include <cmath>

#include "engine/ZVoice.h"

namespace
{
// The optimal 2x 4-point 3rd-order polynomial, written out term by term in
// double precision from the published coefficients.
double optimal2x(double f, double ym1, double y0, double y1, double y2)
{
    const double z = f - 0.5;
    const double c[4] = {
        0.45868972 * (y1 + y0) + 0.04131402 * (y2 + ym1),
        0.48068026 * (y1 - y0) + 0.17577925 * (y2 - ym1),
        -0.246185 * (y1 + y0) + 0.24614027 * (y2 + ym1),
        -0.36030924 * (y1 - y0) + 0.10174986 * (y2 - ym1),
    };
    double sum = 0.0;
    for (int k = 0; k < 4; ++k)
        sum += c[k] * std::pow(z, k);
    return sum;
}
} // namespace

TEST(VoiceKernels, LowIsLinear)
{
    EXPECT_FLOAT_EQ(interpolateFrames(Interpolation::low, 0.25f, 9.0f, 0.0f, 1.0f, 9.0f), 0.25f);
    EXPECT_FLOAT_EQ(interpolateFrames(Interpolation::low, 0.5f, 0.0f, -2.0f, 2.0f, 0.0f), 0.0f);
}

TEST(VoiceKernels, MidIsCatmullRom)
{
    EXPECT_FLOAT_EQ(interpolateFrames(Interpolation::mid, 0.5f, 0.0f, 0.0f, 1.0f, 1.0f), 0.5f);
    // Passes through its frames and reproduces a straight line.
    EXPECT_FLOAT_EQ(interpolateFrames(Interpolation::mid, 0.0f, 4.0f, -3.0f, 7.0f, 1.0f), -3.0f);
    EXPECT_NEAR(interpolateFrames(Interpolation::mid, 0.999999f, 4.0f, -3.0f, 7.0f, 1.0f), 7.0f, 1e-4);
    EXPECT_FLOAT_EQ(interpolateFrames(Interpolation::mid, 0.3f, 2.0f, 3.0f, 4.0f, 5.0f), 3.3f);
    // Over 0, 0, 1, 1 both tangents are 0.5: the Hermite cubic 0.5f + 1.5f^2 - f^3.
    EXPECT_FLOAT_EQ(interpolateFrames(Interpolation::mid, 0.25f, 0.0f, 0.0f, 1.0f, 1.0f), 0.203125f);
}

TEST(VoiceKernels, HighIsTheOptimal2xPolynomial)
{
    const float frames[][4] = { { 0.0f, 0.0f, 1.0f, 1.0f }, { 0.3f, -0.7f, 0.9f, -0.2f }, { 1.0f, 1.0f, 1.0f, 1.0f } };
    for (const auto& y : frames)
        for (float f : { 0.0f, 0.1f, 0.5f, 0.77f, 0.999f })
            EXPECT_NEAR(interpolateFrames(Interpolation::high, f, y[0], y[1], y[2], y[3]), optimal2x(f, y[0], y[1], y[2], y[3]), 1e-6)
                << f;
    // Not an interpolating kernel: a constant comes out a hair above itself.
    EXPECT_NEAR(interpolateFrames(Interpolation::high, 0.5f, 1.0f, 1.0f, 1.0f, 1.0f), 1.00000748, 1e-6);
}

TEST(VoiceKernels, AnUnknownKindIsSilent)
{
    for (int kind : { -1, 3, 99 })
        EXPECT_EQ(interpolateFrames(modeOf<Interpolation>(kind), 0.5f, 1.0f, 1.0f, 1.0f, 1.0f), 0.0f);
}
