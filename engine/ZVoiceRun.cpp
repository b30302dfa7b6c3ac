// Rendering a voice over one run of the block loop.

#include "engine/ZVoiceRun.h"

#include <algorithm>
#include <cmath>

#include "engine/SampleFrames.h"
#include "engine/ZInstrument.h"
#include "engine/ZVoice.h"
#include "engine/ZVoiceRunLoop.h"
#include "engine/ZVoiceSteps.h"
#include "engine/ZZone.h"

using voicestep::interpolate;
using voicestep::largestReadablePosition;

void ZVoiceRun::outputPair(const ZZone* zone, int& first, int& second) const
{
    const int output = zone != nullptr && zone->group != nullptr ? zone->group->settings.output : 0;
    first = 0;
    second = numChannels > 1 ? 1 : 0;
    if (output >= 0 && output < 16 && 2 * output + 1 < numChannels)
    {
        first = 2 * output;
        second = first + 1;
    }
}

namespace
{
void mix(ZVoiceRun& run, const ZZone* zone, int k, float left, float right)
{
    int first, second;
    run.outputPair(zone, first, second);
    const int i = run.offset + k;
    run.channels[first][i] += left * run.leftGain[k];
    run.channels[second][i] += right * run.rightGain[k];
}

template <typename Sample>
const Sample* memoryValues(const ZZone& zone);
template <>
const int16_t* memoryValues<int16_t>(const ZZone& zone) { return zone.int16Frames.data(); }
template <>
const float* memoryValues<float>(const ZZone& zone) { return zone.floatFrames.data(); }

// ZZone::readFrame for a zone of known sample format and channel count.
template <typename Sample, bool isMono>
inline void readMemoryFrame(const Sample* values, int64_t frames, int64_t index, float& left, float& right)
{
    if (frames <= 0)
    {
        left = right = 0.0f;
        return;
    }
    decodeFrame(values, static_cast<size_t>(std::clamp<int64_t>(index, 0, frames - 1)), isMono, left, right);
}
} // namespace

void ZVoice::renderRunFrames(ZVoiceRun& run, int k)
{
    for (; k < run.length && active; ++k)
    {
        // A stolen voice whose fade ends here starts its held note with the
        // instrument's values of this sample.
        if (pending)
            run.instrument->holdRunValues(run, k);
        float left = 0.0f, right = 0.0f;
        if (renderFrame(left, right, run.bendRatio[k], run.bendMoving[k], run.lfoValue[k]))
            mix(run, zone, k, left, right);
    }
}

void ZVoice::renderRun(ZVoiceRun& run)
{
    // The one loop covers a sounding voice of sample memory; a stolen voice
    // (which may start its held note inside the run) and a voice that reads
    // its zone through a window go sample by sample.
    const bool windowed = streaming && streamFrames > 0;
    if (!active || pending || zone == nullptr || windowed || zone->mono != mono)
        renderRunFrames(run, 0);
    else if (zone->sixteenBit)
        mono ? renderMemoryRunFor<int16_t, true>(run) : renderMemoryRunFor<int16_t, false>(run);
    else
        mono ? renderMemoryRunFor<float, true>(run) : renderMemoryRunFor<float, false>(run);
}

template <typename Sample, bool isMono>
void ZVoice::renderMemoryRunFor(ZVoiceRun& run)
{
    switch (interpolation)
    {
    case Interpolation::low:
        return renderMemoryRun<Interpolation::low, Sample, isMono>(run);
    case Interpolation::mid:
        return renderMemoryRun<Interpolation::mid, Sample, isMono>(run);
    case Interpolation::high:
        return renderMemoryRun<Interpolation::high, Sample, isMono>(run);
    default:
        return renderRunFrames(run, 0);
    }
}

// renderFrame with what stays fixed over a run taken out of the loop (the
// zone, its sample memory, output pair, loop, envelope coefficients and gain
// targets, see ZVoiceRunLoop.h), and its settled stretches in a loop of their
// own (ZVoiceSettledRun.h).
template <Interpolation kind, typename Sample, bool isMono>
void ZVoice::renderMemoryRun(ZVoiceRun& run)
{
    const Sample* const values = memoryValues<Sample>(*zone);
    const int64_t frames = zone->framesInMemory();
    const double insideEnd = static_cast<double>(frames - 2);
    auto read = [&](double at, float& left, float& right) {
        // All four frames inside the sound: no clamping to do.
        if (at >= 1.0 && at < insideEnd)
            return voicestep::readInside<kind, Sample, isMono>(values, 0, at, left, right);
        if (!(at >= 0.0 && at < largestReadablePosition))
            return;
        const int64_t i = static_cast<int64_t>(at);
        const double fraction = at - static_cast<double>(i);
        if (fraction == 0.0)
        {
            readMemoryFrame<Sample, isMono>(values, frames, i, left, right);
            return;
        }
        float l0 = 0.0f, r0 = 0.0f, l1, r1, l2, r2, l3, r3;
        if (i - 1 >= 0)
            readMemoryFrame<Sample, isMono>(values, frames, i - 1, l0, r0);
        readMemoryFrame<Sample, isMono>(values, frames, i, l1, r1);
        readMemoryFrame<Sample, isMono>(values, frames, i + 1, l2, r2);
        readMemoryFrame<Sample, isMono>(values, frames, i + 2, l3, r3);
        const float f = static_cast<float>(fraction);
        left = interpolate<kind>(f, l0, l1, l2, l3);
        right = isMono ? left : interpolate<kind>(f, r0, r1, r2, r3);
    };
    const voicestep::ReadWindow<Sample> window { values, 0, frames };
    renderRunLoop(run, read, [&](const voicestep::SettledStretch& stretch, double& at, int k) {
        return voicestep::renderSettled<kind, Sample, isMono, false>(window, stretch, at, at, k);
    });
}
