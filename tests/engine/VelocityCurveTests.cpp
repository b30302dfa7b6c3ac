#include <gtest/gtest.h>

#include <cmath>

#include "engine/VelocityCurves.h"

namespace
{
double decibels(float gain) { return 20.0 * std::log10(double(gain)); }
} // namespace

TEST(VelocityCurve, NormalCurveIsTheStepTableInThreeHundredths)
{
    const float* normal = velocityCurveTable(velocityCurveNormal);
    EXPECT_FLOAT_EQ(normal[0], 3.0f / 300.0f);
    EXPECT_FLOAT_EQ(normal[1], 7.0f / 300.0f);
    EXPECT_FLOAT_EQ(normal[25], 127.0f / 300.0f);
    EXPECT_FLOAT_EQ(normal[64], 226.0f / 300.0f);
    EXPECT_FLOAT_EQ(normal[100], 275.0f / 300.0f);
    EXPECT_FLOAT_EQ(normal[126], 299.0f / 300.0f);
    EXPECT_EQ(normal[127], 1.0f);
    for (int v = 1; v < velocityCurveSize; ++v)
        EXPECT_GE(normal[v], normal[v - 1]) << v;
}

TEST(VelocityCurve, WeakAndStrongAtPointsWorkedOutByHand)
{
    // Weak: 1 - sqrt(1 - ((v + 1) / 128)^2), worked out to seven places.
    const float* weak = velocityCurveTable(velocityCurveWeak);
    EXPECT_EQ(weak[0], 0.0f);
    EXPECT_NEAR(weak[1], 0.0001221, 1e-7);   // (2/128)^2 = 1/4096
    EXPECT_NEAR(weak[63], 0.1339746, 1e-6);  // 1 - sqrt(3/4)
    EXPECT_NEAR(weak[95], 0.3385622, 1e-6);  // 1 - sqrt(7/16)
    EXPECT_NEAR(weak[126], 0.8752444, 1e-6);
    EXPECT_EQ(weak[127], 1.0f);

    // Strong: v / 127.
    const float* strong = velocityCurveTable(velocityCurveStrong);
    EXPECT_EQ(strong[0], 0.0f);
    EXPECT_NEAR(strong[1], 0.0078740, 1e-7);
    EXPECT_NEAR(strong[64], 0.5039370, 1e-7);  // the depth a velocity-64 note gives the LFO
    EXPECT_EQ(strong[127], 1.0f);
}

TEST(VelocityCurve, UnknownCurvesReadAsWeak)
{
    const float* weak = velocityCurveTable(velocityCurveWeak);
    EXPECT_EQ(velocityCurveTable(3), weak);
    EXPECT_EQ(velocityCurveTable(-1), weak);
    EXPECT_EQ(velocityCurveTable(1000), weak);
    EXPECT_NE(velocityCurveTable(velocityCurveNormal), weak);
    EXPECT_NE(velocityCurveTable(velocityCurveStrong), weak);
}

TEST(VelocityCurve, GainSpansFloorToTop)
{
    // Defaults: floor -48 dB, top 0 dB.
    EXPECT_NEAR(decibels(velocityGain(velocityCurveNormal, 0, -48, 0)), -47.52, 0.011);
    EXPECT_EQ(velocityGain(velocityCurveNormal, 127, -48, 0), 1.0f);
    EXPECT_NEAR(decibels(velocityGain(velocityCurveStrong, 64, -48, 0)), -23.811, 0.011);  // 0.503937 x 48 - 48
    EXPECT_NEAR(decibels(velocityGain(velocityCurveWeak, 63, -48, 0)), -41.569, 0.011);    // 0.133975 x 48 - 48

    // The range is |floor + top|: floor -60, top 12 spans -60 .. -12 dB.
    EXPECT_NEAR(decibels(velocityGain(velocityCurveStrong, 127, -60, 12)), -12.0, 0.011);
    EXPECT_NEAR(decibels(velocityGain(velocityCurveStrong, 0, -60, 12)), -60.0, 0.011);

    // Below the gain table's -60 dB the gain is computed directly.
    EXPECT_NEAR(velocityGain(velocityCurveStrong, 0, -80, 0), 1e-4, 1e-9);
    // Above 0 dB as well: floor 6, top 6 spans 6 .. 18 dB.
    EXPECT_NEAR(decibels(velocityGain(velocityCurveStrong, 127, 6, 6)), 18.0, 1e-4);
}

TEST(VelocityCurve, VelocitiesOutsideMidiRangeAreClamped)
{
    EXPECT_EQ(velocityGain(velocityCurveNormal, 500, -48, 0), velocityGain(velocityCurveNormal, 127, -48, 0));
    EXPECT_EQ(velocityGain(velocityCurveNormal, -3, -48, 0), velocityGain(velocityCurveNormal, 0, -48, 0));
}
