#pragma once
// One biquad section, direct form I, in single precision.

struct ZBiquad
{
    float b0 = 1.0f, b1 = 0.0f, b2 = 0.0f, a1 = 0.0f, a2 = 0.0f; // normalised by a0
    float x1 = 0.0f, x2 = 0.0f, y1 = 0.0f, y2 = 0.0f;

    float process(float x) noexcept
    {
        const float y = b0 * x + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
        x2 = x1;
        x1 = x;
        y2 = y1;
        y1 = y;
        return y;
    }
};

// Biquad shapes of the Audio EQ Cookbook.
enum ZBiquadShape
{
    biquadLowPass = 0,
    biquadHighPass,
    biquadBandPassSkirt,   // constant skirt gain, peak gain Q
    biquadBandPassPeak,    // constant 0 dB peak gain
    biquadNotch,
    biquadAllPass,
    biquadPeaking,
    biquadLowShelf,
    biquadHighShelf,
    biquadShapeCount
};

// Writes the five coefficients of `shape` into `filter`, leaving its state
// alone; shapes outside 0..8 leave the coefficients unchanged and return false.
// So do a frequency, sample rate or Q that is not positive and finite, or a
// gain that is not finite. A frequency above 0.49 x sampleRate is taken as
// 0.49 x sampleRate so the section always stays stable.
bool computeBiquad(ZBiquad& filter, int shape, float frequency, float sampleRate, float q, float gainDb);
