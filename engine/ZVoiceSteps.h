#pragma once
// The per-sample steps a voice shares between rendering one sample and
// rendering a run: the gain smoothing, the readable range and the
// interpolation kernels.

#include <cmath>

#include "engine/Settings.h"

namespace voicestep
{
// Gains move toward the zone's values by at most this much per sample.
constexpr double gainStep = 0.01;

// Positions beyond this cannot be truncated to a frame index; a voice that
// gets there is far past any sample end and reads silence.
constexpr double largestReadablePosition = 9.0e18;

inline double approach(double value, double target)
{
    if (std::fabs(value - target) < gainStep)
        return target;
    return value < target ? value + gainStep : value - gainStep;
}

// The attack aims past full level and the release past silence, so each
// segment reaches its end in finite time (after about one time constant).
constexpr float attackAim = 1.5873016f;    // 100 / 63
constexpr float releaseAim = -0.5873016f;  // -(100 / 63 - 1)
// A stolen or killed voice fades in about 44 samples from full level.
constexpr float fastReleaseRate = 0.02242f;

// A zone's envelope coefficients.
struct EnvelopeRates
{
    float attack, decay, release, sustainLevel;
};

// One envelope step; true when the release has reached silence (the voice
// ends there).
inline bool stepEnvelope(float& envelope, bool releasing, bool fast, bool& attacking, const EnvelopeRates& rates)
{
    if (releasing)
    {
        if (rates.release == 0.0f)
            envelope = 0.0f;
        const float rate = fast ? fastReleaseRate : rates.release;
        envelope -= (envelope - releaseAim) * rate;
        if (envelope <= 0.0f)
        {
            envelope = 0.0f;
            return true;
        }
    }
    else if (attacking)
    {
        envelope += (attackAim - envelope) * rates.attack;
        if (envelope > 1.0f)
        {
            envelope = 1.0f;
            attacking = false;
        }
    }
    else if (rates.decay != 0.0f)
    {
        envelope += (rates.sustainLevel - envelope) * rates.decay;
    }
    return false;
}

// The kernels over frames y[-1], y[0], y[1], y[2] at fraction f in [0, 1),
// for one float or for four in a vector (Floats4, ZVoiceFourSamples.h): the
// one expression, so both give the same values.
template <Interpolation kind, typename T>
inline T interpolate(T f, T ym1, T y0, T y1, T y2) noexcept
{
    if constexpr (kind == Interpolation::low)
        return y0 + f * (y1 - y0);
    else if constexpr (kind == Interpolation::mid)
        return y0
             + f * (0.5f * (y1 - ym1)
                    + f * ((2.0f * y1 + ym1) - 0.5f * (5.0f * y0 + y2)
                           + f * 0.5f * (3.0f * (y0 - y1) - ym1 + y2)));
    else
    {
        const T z = f - 0.5f;
        const T even1 = y1 + y0, odd1 = y1 - y0;
        const T even2 = y2 + ym1, odd2 = y2 - ym1;
        const T c0 = 0.45868972f * even1 + 0.04131402f * even2;
        const T c1 = 0.48068026f * odd1 + 0.17577925f * odd2;
        const T c2 = -0.246185f * even1 + 0.24614027f * even2;
        const T c3 = -0.36030924f * odd1 + 0.10174986f * odd2;
        return ((c3 * z + c2) * z + c1) * z + c0;
    }
}
} // namespace voicestep
