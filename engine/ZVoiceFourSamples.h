#pragma once
// Four samples of a settled stretch at once, on SSE2 (every x86-64
// processor). Each lane does what the one-sample loop does for its sample,
// operation for operation: a vector addition, subtraction or product rounds
// each lane exactly as the scalar one does, the frames convert from 16 bits
// exactly as one value does, and the kernels are the same expressions
// (voicestep::interpolate over Floats4). The positions still advance by one
// double addition a sample; only the fractions and products are taken four
// at a time.

#if defined(__SSE2__)
#define ZSP_VOICE_FOUR_SAMPLES 1

#include <emmintrin.h>

#include <cstdint>

#include "engine/Settings.h"
#include "engine/ZVoiceSteps.h"

namespace voicestep
{
// Four floats, one per sample, with the arithmetic the kernels use; a float
// operand stands for four of itself.
struct Floats4
{
    __m128 v;
    Floats4(__m128 value) : v(value) {}
    Floats4(float value) : v(_mm_set1_ps(value)) {}
};
inline Floats4 operator+(Floats4 a, Floats4 b) { return _mm_add_ps(a.v, b.v); }
inline Floats4 operator-(Floats4 a, Floats4 b) { return _mm_sub_ps(a.v, b.v); }
inline Floats4 operator*(Floats4 a, Floats4 b) { return _mm_mul_ps(a.v, b.v); }
inline Floats4 operator+(float a, Floats4 b) { return Floats4(a) + b; }
inline Floats4 operator-(Floats4 a, float b) { return a - Floats4(b); }
inline Floats4 operator*(float a, Floats4 b) { return Floats4(a) * b; }
inline Floats4 operator*(Floats4 a, float b) { return a * Floats4(b); }

// Frames i - 1 .. i + 2 around each of four samples, one vector per frame
// and side, lane j for sample j: values 0..3 from `from[j]` (frame i - 1).
struct Taps
{
    __m128 left[4];
    __m128 right[4];
};

// Sign-extends the low or high four 16-bit values of `v` and scales them
// as sampleValue does.
inline __m128 lowInt16s(__m128i v)
{
    return _mm_mul_ps(_mm_cvtepi32_ps(_mm_srai_epi32(_mm_unpacklo_epi16(v, v), 16)), _mm_set1_ps(1.0f / 32768.0f));
}
inline __m128 highInt16s(__m128i v)
{
    return _mm_mul_ps(_mm_cvtepi32_ps(_mm_srai_epi32(_mm_unpackhi_epi16(v, v), 16)), _mm_set1_ps(1.0f / 32768.0f));
}

template <typename Sample, bool isMono>
inline void loadTaps(const Sample* values, const int64_t from[4], Taps& t);

template <>
inline void loadTaps<int16_t, true>(const int16_t* values, const int64_t from[4], Taps& t)
{
    const __m128i w0 = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(values + from[0]));
    const __m128i w1 = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(values + from[1]));
    const __m128i w2 = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(values + from[2]));
    const __m128i w3 = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(values + from[3]));
    const __m128i a = _mm_unpacklo_epi16(w0, w1);
    const __m128i b = _mm_unpacklo_epi16(w2, w3);
    const __m128i first = _mm_unpacklo_epi32(a, b);   // frames i - 1 and i
    const __m128i second = _mm_unpackhi_epi32(a, b);  // frames i + 1 and i + 2
    t.left[0] = t.right[0] = lowInt16s(first);
    t.left[1] = t.right[1] = highInt16s(first);
    t.left[2] = t.right[2] = lowInt16s(second);
    t.left[3] = t.right[3] = highInt16s(second);
}

template <>
inline void loadTaps<int16_t, false>(const int16_t* values, const int64_t from[4], Taps& t)
{
    const __m128i w0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(values + 2 * from[0]));
    const __m128i w1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(values + 2 * from[1]));
    const __m128i w2 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(values + 2 * from[2]));
    const __m128i w3 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(values + 2 * from[3]));
    const __m128i a = _mm_unpacklo_epi16(w0, w1);  // frames i - 1 and i of samples 0, 1
    const __m128i b = _mm_unpacklo_epi16(w2, w3);
    const __m128i c = _mm_unpackhi_epi16(w0, w1);  // frames i + 1 and i + 2
    const __m128i d = _mm_unpackhi_epi16(w2, w3);
    const __m128i frame0 = _mm_unpacklo_epi32(a, b);  // left, then right
    const __m128i frame1 = _mm_unpackhi_epi32(a, b);
    const __m128i frame2 = _mm_unpacklo_epi32(c, d);
    const __m128i frame3 = _mm_unpackhi_epi32(c, d);
    t.left[0] = lowInt16s(frame0);
    t.right[0] = highInt16s(frame0);
    t.left[1] = lowInt16s(frame1);
    t.right[1] = highInt16s(frame1);
    t.left[2] = lowInt16s(frame2);
    t.right[2] = highInt16s(frame2);
    t.left[3] = lowInt16s(frame3);
    t.right[3] = highInt16s(frame3);
}

template <>
inline void loadTaps<float, true>(const float* values, const int64_t from[4], Taps& t)
{
    __m128 r0 = _mm_loadu_ps(values + from[0]);
    __m128 r1 = _mm_loadu_ps(values + from[1]);
    __m128 r2 = _mm_loadu_ps(values + from[2]);
    __m128 r3 = _mm_loadu_ps(values + from[3]);
    _MM_TRANSPOSE4_PS(r0, r1, r2, r3);
    t.left[0] = t.right[0] = r0;
    t.left[1] = t.right[1] = r1;
    t.left[2] = t.right[2] = r2;
    t.left[3] = t.right[3] = r3;
}

template <>
inline void loadTaps<float, false>(const float* values, const int64_t from[4], Taps& t)
{
    __m128 l[4], r[4];
    for (int j = 0; j < 4; ++j)
    {
        const __m128 head = _mm_loadu_ps(values + 2 * from[j]);     // frames i - 1, i
        const __m128 tail = _mm_loadu_ps(values + 2 * from[j] + 4); // frames i + 1, i + 2
        l[j] = _mm_shuffle_ps(head, tail, _MM_SHUFFLE(2, 0, 2, 0));
        r[j] = _mm_shuffle_ps(head, tail, _MM_SHUFFLE(3, 1, 3, 1));
    }
    _MM_TRANSPOSE4_PS(l[0], l[1], l[2], l[3]);
    _MM_TRANSPOSE4_PS(r[0], r[1], r[2], r[3]);
    for (int j = 0; j < 4; ++j)
    {
        t.left[j] = l[j];
        t.right[j] = r[j];
    }
}

// Renders groups of four samples from sample k while all four advance below
// `limit` (and, with ownRead, read below `readLimit`, see renderSettled);
// returns the sample it stopped before, with the positions there. Reads from
// position base + 1 up to a limit below 2^31 (the fractions are taken with
// 32-bit truncation, the same as the 64-bit one there). The fraction of a
// position from 1 on is 0 exactly when its float is.
template <Interpolation kind, typename Sample, bool isMono, bool ownRead>
int renderFourSamples(const Sample* values, int64_t base, double limit, double readLimit, double increment,
                      float level, float gainLeft, float gainRight, const float* leftGain, const float* rightGain,
                      float* outFirst, float* outSecond, int k, int end, double& at, double& read)
{
    double x = at;
    double r = read;
    const Floats4 levels(level), leftGains(gainLeft), rightGains(gainRight);
    for (; k + 4 <= end; k += 4)
    {
        const double x1 = x + increment;
        const double x2 = x1 + increment;
        const double x3 = x2 + increment;
        const double x4 = x3 + increment;
        if (!(x4 < limit))
            break;
        double r1 = x1, r2 = x2, r3 = x3, r4 = x4;
        if constexpr (ownRead)
        {
            r1 = r + increment;
            r2 = r1 + increment;
            r3 = r2 + increment;
            r4 = r3 + increment;
            if (!(r4 < readLimit))
                break;
        }
        const double r0 = ownRead ? r : x;
        const __m128d p01 = _mm_set_pd(r1, r0);
        const __m128d p23 = _mm_set_pd(r3, r2);
        const __m128d f01 = _mm_sub_pd(p01, _mm_cvtepi32_pd(_mm_cvttpd_epi32(p01)));
        const __m128d f23 = _mm_sub_pd(p23, _mm_cvtepi32_pd(_mm_cvttpd_epi32(p23)));
        const int64_t from[4] = { static_cast<int64_t>(r0) - 1 - base, static_cast<int64_t>(r1) - 1 - base,
                                  static_cast<int64_t>(r2) - 1 - base, static_cast<int64_t>(r3) - 1 - base };
        const Floats4 f = _mm_movelh_ps(_mm_cvtpd_ps(f01), _mm_cvtpd_ps(f23));
        Taps t;
        loadTaps<Sample, isMono>(values, from, t);
        // A whole position reads its frame: frame i, as it converts alone.
        const __m128 whole = _mm_cmpeq_ps(f.v, _mm_setzero_ps());
        const bool anyWhole = _mm_movemask_ps(whole) != 0;
        auto interpolated = [&](const __m128 taps[4]) {
            const Floats4 between = interpolate<kind, Floats4>(f, taps[0], taps[1], taps[2], taps[3]);
            if (!anyWhole)
                return between;
            return Floats4(_mm_or_ps(_mm_and_ps(whole, taps[1]), _mm_andnot_ps(whole, between.v)));
        };
        Floats4 left = interpolated(t.left);
        Floats4 right = isMono ? left : interpolated(t.right);
        left = left * levels;
        right = right * levels;
        left = left * leftGains;
        right = right * rightGains;
        _mm_storeu_ps(outFirst + k, _mm_add_ps(_mm_loadu_ps(outFirst + k), _mm_mul_ps(left.v, _mm_loadu_ps(leftGain + k))));
        _mm_storeu_ps(outSecond + k,
                      _mm_add_ps(_mm_loadu_ps(outSecond + k), _mm_mul_ps(right.v, _mm_loadu_ps(rightGain + k))));
        x = x4;
        r = r4;
    }
    at = x;
    if constexpr (ownRead)
        read = r;
    return k;
}
} // namespace voicestep

#endif
