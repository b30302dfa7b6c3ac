#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>

#include "engine/ZBiquad.h"

namespace
{
using Complex = std::complex<double>;
constexpr double pi = std::numbers::pi;

// Response of the section at angular frequency w, from its coefficients.
Complex digitalResponse(const ZBiquad& f, double w)
{
    const Complex z1 = std::polar(1.0, -w);
    const Complex z2 = z1 * z1;
    return (double(f.b0) + double(f.b1) * z1 + double(f.b2) * z2) / (1.0 + double(f.a1) * z1 + double(f.a2) * z2);
}

// The analog prototypes of the shapes, in s normalised to the centre or
// corner frequency.
Complex analogResponse(int shape, Complex s, double q, double gainDb)
{
    const double a = std::pow(10.0, gainDb / 40.0);
    const Complex denominator = s * s + s / q + 1.0;
    switch (shape)
    {
        case biquadLowPass: return 1.0 / denominator;
        case biquadHighPass: return s * s / denominator;
        case biquadBandPassSkirt: return s / denominator;
        case biquadBandPassPeak: return (s / q) / denominator;
        case biquadNotch: return (s * s + 1.0) / denominator;
        case biquadAllPass: return (s * s - s / q + 1.0) / denominator;
        case biquadPeaking: return (s * s + s * (a / q) + 1.0) / (s * s + s / (a * q) + 1.0);
        case biquadLowShelf:
            return a * (s * s + (std::sqrt(a) / q) * s + a) / (a * s * s + (std::sqrt(a) / q) * s + 1.0);
        default:
            return a * (a * s * s + (std::sqrt(a) / q) * s + 1.0) / (s * s + (std::sqrt(a) / q) * s + a);
    }
}

// The bilinear transform maps the digital frequency f to the analog
// frequency tan(pi f / fs), the corner f0 to tan(pi f0 / fs).
double expectedMagnitude(int shape, double f, double f0, double fs, double q, double gainDb)
{
    const double omega = std::tan(pi * f / fs) / std::tan(pi * f0 / fs);
    return std::abs(analogResponse(shape, Complex(0.0, omega), q, gainDb));
}

// Runs a sine through the section and measures the amplitude of the steady
// state by correlation over whole periods.
double measuredAmplitude(ZBiquad filter, double frequency, double fs)
{
    const int settle = 44100;
    const int measured = 4410; // whole periods for every multiple of 100 Hz at 44.1 kHz
    double inPhase = 0.0, quadrature = 0.0;
    for (int n = 0; n < settle + measured; ++n)
    {
        const double phase = 2.0 * pi * frequency * n / fs;
        const float y = filter.process(static_cast<float>(std::sin(phase)));
        if (n >= settle)
        {
            inPhase += y * std::sin(phase);
            quadrature += y * std::cos(phase);
        }
    }
    return 2.0 / measured * std::hypot(inPhase, quadrature);
}

struct ShapeCase
{
    int shape;
    double q;
    double gainDb;
};
} // namespace

TEST(FilterBiquad, RejectsShapesOutsideTheCookbookAndLeavesCoefficients)
{
    ZBiquad filter;
    filter.b0 = 0.25f;
    filter.a2 = -0.5f;
    EXPECT_FALSE(computeBiquad(filter, -1, 1000.0f, 44100.0f, 1.0f, 0.0f));
    EXPECT_FALSE(computeBiquad(filter, 9, 1000.0f, 44100.0f, 1.0f, 0.0f));
    EXPECT_FALSE(computeBiquad(filter, 0, 1000.0f, 0.0f, 1.0f, 0.0f));
    EXPECT_FALSE(computeBiquad(filter, 0, 1000.0f, 44100.0f, 0.0f, 0.0f));
    EXPECT_FALSE(computeBiquad(filter, 0, -5.0f, 44100.0f, 1.0f, 0.0f));
    EXPECT_FALSE(computeBiquad(filter, 0, NAN, 44100.0f, 1.0f, 0.0f));
    EXPECT_EQ(filter.b0, 0.25f);
    EXPECT_EQ(filter.b1, 0.0f);
    EXPECT_EQ(filter.a2, -0.5f);
}

TEST(FilterBiquad, LowPassAt20kHzMatchesThePrewarpedBilinearForm)
{
    ZBiquad filter;
    ASSERT_TRUE(computeBiquad(filter, biquadLowPass, 20000.0f, 44100.0f, 1.0f, 0.0f));

    // Bilinear transform of 1 / (s^2 + s/Q + 1) with K = tan(pi f0 / fs).
    const double k = std::tan(pi * 20000.0 / 44100.0);
    const double norm = 1.0 + k + k * k;
    EXPECT_NEAR(filter.b0, k * k / norm, 1e-6);
    EXPECT_NEAR(filter.b1, 2.0 * k * k / norm, 1e-6);
    EXPECT_NEAR(filter.b2, k * k / norm, 1e-6);
    EXPECT_NEAR(filter.a1, 2.0 * (k * k - 1.0) / norm, 1e-6);
    EXPECT_NEAR(filter.a2, (1.0 - k + k * k) / norm, 1e-6);

    EXPECT_NEAR(std::abs(digitalResponse(filter, 0.0)), 1.0, 1e-5);        // unity at DC
    EXPECT_NEAR(std::abs(digitalResponse(filter, pi)), 0.0, 1e-5);         // closed at Nyquist
    EXPECT_NEAR(measuredAmplitude(filter, 1000.0, 44100.0), 1.0, 2e-3);    // flat in the passband
}

TEST(FilterBiquad, KeepsStateWhenCoefficientsChange)
{
    ZBiquad filter;
    ASSERT_TRUE(computeBiquad(filter, biquadLowPass, 500.0f, 44100.0f, 1.0f, 0.0f));
    filter.process(1.0f);
    filter.process(0.5f);
    const float y1 = filter.y1;
    ASSERT_TRUE(computeBiquad(filter, biquadHighPass, 2000.0f, 44100.0f, 1.0f, 0.0f));
    EXPECT_EQ(filter.x1, 0.5f);
    EXPECT_EQ(filter.x2, 1.0f);
    EXPECT_EQ(filter.y1, y1);
}

TEST(FilterBiquad, EveryShapeFollowsItsAnalogPrototype)
{
    const ShapeCase cases[] = {
        { biquadLowPass, 0.707, 0.0 },      { biquadHighPass, 0.707, 0.0 },  { biquadBandPassSkirt, 2.0, 0.0 },
        { biquadBandPassPeak, 2.0, 0.0 },   { biquadNotch, 1.0, 0.0 },       { biquadAllPass, 1.0, 0.0 },
        { biquadPeaking, 1.5, 9.0 },        { biquadPeaking, 0.8, -6.0 },    { biquadLowShelf, 0.707, 6.0 },
        { biquadLowShelf, 0.707, -12.0 },   { biquadHighShelf, 0.707, 6.0 }, { biquadHighShelf, 1.0, -12.0 },
    };
    const double fs = 44100.0, f0 = 1000.0;
    const double probes[] = { 30.0, 300.0, 700.0, 1000.0, 1500.0, 4000.0, 12000.0, 20000.0 };

    for (const ShapeCase& c : cases)
    {
        ZBiquad filter;
        ASSERT_TRUE(computeBiquad(filter, c.shape, float(f0), float(fs), float(c.q), float(c.gainDb)));
        for (double f : probes)
        {
            const double expected = expectedMagnitude(c.shape, f, f0, fs, c.q, c.gainDb);
            const double actual = std::abs(digitalResponse(filter, 2.0 * pi * f / fs));
            EXPECT_NEAR(actual, expected, 2e-3 * std::max(1.0, expected))
                << "shape " << c.shape << " gain " << c.gainDb << " at " << f << " Hz";
        }
    }
}

TEST(FilterBiquad, RunningSinesGivesTheExpectedGains)
{
    const double fs = 44100.0, f0 = 1000.0;
    struct Probe
    {
        ShapeCase shape;
        double frequency;
        double expected;
    };
    // Closed forms: a low-pass passes Q at its corner; a high-pass at a
    // decade below with Q = 1/sqrt(2) passes about 1/100; the skirt band-pass
    // peaks at Q; the notch removes its centre; the all-pass keeps every
    // level; peaking and shelves reach their gains.
    const Probe probes[] = {
        { { biquadLowPass, 2.0, 0.0 }, 1000.0, 2.0 },
        { { biquadHighPass, 0.70710678, 0.0 }, 100.0, expectedMagnitude(biquadHighPass, 100.0, f0, fs, 0.70710678, 0.0) },
        { { biquadBandPassSkirt, 3.0, 0.0 }, 1000.0, 3.0 },
        { { biquadBandPassPeak, 3.0, 0.0 }, 1000.0, 1.0 },
        { { biquadNotch, 1.0, 0.0 }, 1000.0, 0.0 },
        { { biquadAllPass, 1.0, 0.0 }, 3000.0, 1.0 },
        { { biquadPeaking, 1.0, 12.0 }, 1000.0, std::pow(10.0, 12.0 / 20.0) },
        { { biquadLowShelf, 0.707, -12.0 }, 100.0, expectedMagnitude(biquadLowShelf, 100.0, f0, fs, 0.707, -12.0) },
        { { biquadHighShelf, 0.707, 6.0 }, 10000.0, expectedMagnitude(biquadHighShelf, 10000.0, f0, fs, 0.707, 6.0) },
    };
    for (const Probe& p : probes)
    {
        ZBiquad filter;
        ASSERT_TRUE(computeBiquad(filter, p.shape.shape, float(f0), float(fs), float(p.shape.q), float(p.shape.gainDb)));
        EXPECT_NEAR(measuredAmplitude(filter, p.frequency, fs), p.expected, 3e-3 * std::max(1.0, p.expected))
            << "shape " << p.shape.shape;
    }
    // The high-pass a decade down: -40 dB for a second-order Butterworth.
    EXPECT_NEAR(20.0 * std::log10(expectedMagnitude(biquadHighPass, 100.0, f0, fs, 0.70710678, 0.0)), -40.0, 0.2);
}

TEST(FilterBiquad, CutoffsPastNyquistStayStable)
{
    // 20 kHz at 32 kHz lies past Nyquist; the section must still decay.
    ZBiquad filter;
    ASSERT_TRUE(computeBiquad(filter, biquadLowPass, 20000.0f, 32000.0f, 1.0f, 0.0f));
    EXPECT_LT(std::fabs(filter.a2), 1.0f);
    EXPECT_LT(std::fabs(filter.a1), 1.0f + filter.a2);
    float y = filter.process(1.0f);
    for (int n = 0; n < 20000; ++n)
        y = filter.process(0.0f);
    EXPECT_LT(std::fabs(y), 1e-6f);
}
