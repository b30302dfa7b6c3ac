#pragma once
// The settled stretch of a held note: the samples of a run over which
// nothing but the position changes. The envelope sits at a level its step
// leaves as it is (the sustain, or a release too slow to move it), the gains
// have reached their targets, and neither glide, bend nor LFO moves the
// pitch, so the increment stays the same. Every such sample is renderFrame's
// with those steps left out: the same interpolation expression, the same
// products in the same order (the frame by the level, by the gain, then by
// the instrument's gain of that sample as it is added into the output), and
// the position advanced by one double addition a sample. The values are the
// same ones the steps would have given, so the output is the same to the bit.
//
// The stretch stops before any sample that needs more than that: a read that
// reaches past the first or last full four frames of the sound or of a
// stream buffer (clamped there, or read across buffers), and the sample
// whose advance ends the voice. A sample whose advance wraps the loop or
// leaves the readable frames is rendered and ends the stretch, so the caller
// looks again at the position it wrapped to. On SSE2 the stretch goes four
// samples at a time (ZVoiceFourSamples.h) wherever four fit.

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>

#include "engine/SampleFrames.h"
#include "engine/Settings.h"
#include "engine/ZVoiceFourSamples.h"
#include "engine/ZVoiceSteps.h"

namespace voicestep
{
// True when one envelope step, outside the attack, leaves `level` as it is
// (and does not end the voice): every later step does the same.
inline bool levelSettled(float level, bool releasing, bool fast, const EnvelopeRates& rates)
{
    float next = level;
    bool attacking = false;
    return !stepEnvelope(next, releasing, fast, attacking, rates)
        && std::bit_cast<uint32_t>(next) == std::bit_cast<uint32_t>(level);
}

// True when approach(value, target) gives the target: from then on it stays.
inline bool gainSettled(double value, double target) { return std::fabs(value - target) < gainStep; }

// What stays fixed over a settled stretch, and where it renders to.
struct SettledStretch
{
    float level;
    float gainLeft, gainRight;  // the smoothed gains at their targets, as renderFrame applies them
    double increment;
    bool looping;
    double loopStart, loopEnd, endFrame;
    // Positions below this advance without a wrap and without ending the voice.
    double limit;
    int end;  // the run's length
    const float* leftGain;
    const float* rightGain;
    float* outFirst;
    float* outSecond;
};

// Where a settled stretch reads: `values` holds `frames` frames, the first
// of them the frame at position `base`.
template <typename Sample>
struct ReadWindow
{
    const Sample* values;
    int64_t base;
    int64_t frames;
};

// The frame at position `at`, for a position whose four frames lie inside
// the window: a whole position reads its frame, any other interpolates
// around it.
template <Interpolation kind, typename Sample, bool isMono>
inline void readInside(const Sample* values, int64_t base, double at, float& left, float& right)
{
    const int64_t i = static_cast<int64_t>(at);
    const double fraction = at - static_cast<double>(i);
    const size_t from = static_cast<size_t>(i - 1 - base);
    if (fraction == 0.0)
    {
        decodeFrame(values, from + 1, isMono, left, right);
        return;
    }
    float l0, r0, l1, r1, l2, r2, l3, r3;
    decodeFrame(values, from, isMono, l0, r0);
    decodeFrame(values, from + 1, isMono, l1, r1);
    decodeFrame(values, from + 2, isMono, l2, r2);
    decodeFrame(values, from + 3, isMono, l3, r3);
    const float f = static_cast<float>(fraction);
    left = interpolate<kind>(f, l0, l1, l2, l3);
    right = isMono ? left : interpolate<kind>(f, r0, r1, r2, r3);
}

// Renders the settled stretch from sample k and position `at`; returns the
// sample it stopped before (k when the reads are not inside the window) and
// leaves the positions there. A voice of sample memory reads at its position
// (`read` is `at`); with ownRead, a streamed voice reads at a stream position
// of its own, which advances by the same increment and, unlike the voice's
// position, does not wrap. The stretch then stops before a sample whose read
// would leave the window, so the stream's own step takes it to the next one.
template <Interpolation kind, typename Sample, bool isMono, bool ownRead>
int renderSettled(const ReadWindow<Sample>& w, const SettledStretch& s, double& at, double& read, int k)
{
    // Inside: frames i - 1 .. i + 2 of i = (int64_t) read lie in the window.
    const double readBegin = static_cast<double>(w.base + 1);
    const double readEnd = static_cast<double>(w.base + w.frames - 2);
    const double limit = ownRead ? s.limit : std::min(s.limit, readEnd);
    const double increment = s.increment;
    if (!(read >= readBegin && read < readEnd && at < limit && increment >= 0.0))
        return k;
    // In locals, where the stores into the outputs cannot disturb them.
    const Sample* const values = w.values;
    const int64_t base = ownRead ? w.base : 0;  // sample memory starts at frame 0
    const float level = s.level, gainLeft = s.gainLeft, gainRight = s.gainRight;
    const float* const leftGain = s.leftGain;
    const float* const rightGain = s.rightGain;
    float* const outFirst = s.outFirst;
    float* const outSecond = s.outSecond;
    const int end = s.end;
#if defined(ZSP_VOICE_FOUR_SAMPLES)
    constexpr double largestFourRead = 2147483647.0;
    const double fourLimit = ownRead ? limit : std::min(limit, largestFourRead);
    const double fourReadLimit = std::min(readEnd, largestFourRead);
#endif
    double x = at;
    double r = read;
    while (k < end)
    {
#if defined(ZSP_VOICE_FOUR_SAMPLES)
        k = renderFourSamples<kind, Sample, isMono, ownRead>(values, base, fourLimit, fourReadLimit, increment, level,
                                                             gainLeft, gainRight, leftGain, rightGain, outFirst,
                                                             outSecond, k, end, x, r);
        if (k == end)
            break;
#endif
        float left, right;
        readInside<kind, Sample, isMono>(values, base, ownRead ? r : x, left, right);
        left *= level;
        right *= level;
        left *= gainLeft;
        right *= gainRight;
        double next = x + increment;
        const double nextRead = ownRead ? r + increment : next;
        if (ownRead && !(nextRead < readEnd))
            break;  // the read leaves the window: the stream's own step follows it
        if (!(next < limit))
        {
            if (s.looping && next >= s.loopEnd)
                next = s.loopStart + (next - s.loopEnd);
            if (!(next < s.endFrame))
                break;  // this sample ends the voice: renderFrame's steps finish it
            outFirst[k] += left * leftGain[k];
            outSecond[k] += right * rightGain[k];
            at = next;
            if constexpr (ownRead)
                read = nextRead;
            return k + 1;
        }
        outFirst[k] += left * leftGain[k];
        outSecond[k] += right * rightGain[k];
        x = next;
        r = nextRead;
        ++k;
    }
    at = x;
    if constexpr (ownRead)
        read = r;
    return k;
}
} // namespace voicestep
