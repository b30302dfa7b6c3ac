#include "engine/ZBiquad.h"

#include <cmath>
#include <numbers>

namespace
{
// Unnormalised coefficients of one section, before division by a0.
struct RawCoefficients
{
    double b0, b1, b2, a0, a1, a2;
};

RawCoefficients cookbookCoefficients(int shape, double w0, double q, double gainDb)
{
    const double cosW = std::cos(w0);
    const double sinW = std::sin(w0);
    const double alpha = sinW / (2.0 * q);
    const double a = std::pow(10.0, gainDb / 40.0);

    switch (shape)
    {
        case biquadLowPass:
            return { (1.0 - cosW) / 2.0, 1.0 - cosW, (1.0 - cosW) / 2.0, 1.0 + alpha, -2.0 * cosW, 1.0 - alpha };
        case biquadHighPass:
            return { (1.0 + cosW) / 2.0, -(1.0 + cosW), (1.0 + cosW) / 2.0, 1.0 + alpha, -2.0 * cosW, 1.0 - alpha };
        case biquadBandPassSkirt:
            return { sinW / 2.0, 0.0, -sinW / 2.0, 1.0 + alpha, -2.0 * cosW, 1.0 - alpha };
        case biquadBandPassPeak:
            return { alpha, 0.0, -alpha, 1.0 + alpha, -2.0 * cosW, 1.0 - alpha };
        case biquadNotch:
            return { 1.0, -2.0 * cosW, 1.0, 1.0 + alpha, -2.0 * cosW, 1.0 - alpha };
        case biquadAllPass:
            return { 1.0 - alpha, -2.0 * cosW, 1.0 + alpha, 1.0 + alpha, -2.0 * cosW, 1.0 - alpha };
        case biquadPeaking:
            return { 1.0 + alpha * a, -2.0 * cosW, 1.0 - alpha * a, 1.0 + alpha / a, -2.0 * cosW, 1.0 - alpha / a };
        case biquadLowShelf:
        {
            const double s = 2.0 * std::sqrt(a) * alpha;
            return { a * ((a + 1.0) - (a - 1.0) * cosW + s),
                     2.0 * a * ((a - 1.0) - (a + 1.0) * cosW),
                     a * ((a + 1.0) - (a - 1.0) * cosW - s),
                     (a + 1.0) + (a - 1.0) * cosW + s,
                     -2.0 * ((a - 1.0) + (a + 1.0) * cosW),
                     (a + 1.0) + (a - 1.0) * cosW - s };
        }
        default: // biquadHighShelf
        {
            const double s = 2.0 * std::sqrt(a) * alpha;
            return { a * ((a + 1.0) + (a - 1.0) * cosW + s),
                     -2.0 * a * ((a - 1.0) + (a + 1.0) * cosW),
                     a * ((a + 1.0) + (a - 1.0) * cosW - s),
                     (a + 1.0) - (a - 1.0) * cosW + s,
                     2.0 * ((a - 1.0) - (a + 1.0) * cosW),
                     (a + 1.0) - (a - 1.0) * cosW - s };
        }
    }
}
} // namespace

bool computeBiquad(ZBiquad& filter, int shape, float frequency, float sampleRate, float q, float gainDb)
{
    if (shape < 0 || shape >= biquadShapeCount)
        return false;
    if (!std::isfinite(frequency) || !std::isfinite(sampleRate) || !std::isfinite(q) || !std::isfinite(gainDb)
        || frequency <= 0.0f || sampleRate <= 0.0f || q <= 0.0f)
        return false;

    // Past Nyquist the cookbook's alpha turns negative and the poles leave the
    // unit circle, so a cutoff above the host's range stops just below it.
    const double highest = 0.49 * static_cast<double>(sampleRate);
    const double f = std::fmin(static_cast<double>(frequency), highest);
    const double w0 = 2.0 * std::numbers::pi * f / static_cast<double>(sampleRate);

    const RawCoefficients c = cookbookCoefficients(shape, w0, static_cast<double>(q), static_cast<double>(gainDb));
    filter.b0 = static_cast<float>(c.b0 / c.a0);
    filter.b1 = static_cast<float>(c.b1 / c.a0);
    filter.b2 = static_cast<float>(c.b2 / c.a0);
    filter.a1 = static_cast<float>(c.a1 / c.a0);
    filter.a2 = static_cast<float>(c.a2 / c.a0);
    return true;
}
