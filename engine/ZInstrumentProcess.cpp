// The block loop and the instrument-level values derived from the settings.

#include <algorithm>
#include <cmath>
#include <cstring>

#include "engine/ZInstrument.h"
#include "engine/ZTables.h"

namespace
{
// Moves `value` toward `target` by at most 0.01, snapping within 0.01.
inline void ramp(float& value, float target)
{
    if (std::fabs(value - target) < 0.01f)
        value = target;
    else
        value += value < target ? 0.01f : -0.01f;
}

inline bool hasMasterFilter(int32_t filterType)
{
    return filterType >= stored(MasterFilter::lowPass) && filterType <= stored(MasterFilter::lastShape);
}
} // namespace

void ZInstrument::applySettings()
{
    // The volume sets the gain target outright, dropping any expression
    // (controller 11) set before it.
    gainTarget = decibelsToGainSingle(settings.volume);
    if (gainTarget < 0.000001f)
        gainTarget = 0.0f;
    // While the LFO pans, the block loop recomputes the pan gains at every
    // sample before it mixes.
    panGains(settings.pan, panLeft, panRight);

    lfo.setRate(settings.lfoRate);
    lfo.requestShape(settings.lfoShape);
    updateMasterFilter();

    if (delegate != nullptr)
        delegate->instrumentChanged();
}

void ZInstrument::updateMasterFilter()
{
    if (!hasMasterFilter(settings.filterType))
        return;
    // A stored cutoff outside 0..1 (or not a number) is held to the range.
    const float normalised = std::isfinite(settings.filterCutoff) ? std::clamp(settings.filterCutoff, 0.0f, 1.0f) : 0.0f;
    const float cutoff = static_cast<float>(static_cast<int>(normalised * 19980.0f + 20.0f));
    const int shape = settings.filterType - 1;
    computeBiquad(filterLeft, shape, cutoff, sampleRate, 1.0f, 0.0f);
    computeBiquad(filterRight, shape, cutoff, sampleRate, 1.0f, 0.0f);
}

void ZInstrument::process(float* const* channels, int numChannels, int numSamples)
{
    if (numSamples <= 0 || numChannels <= 0)
        return;
    for (int c = 0; c < numChannels; ++c)
        std::memset(channels[c], 0, sizeof(float) * static_cast<size_t>(numSamples));
    if (loadingFlag)
        return;
    rendering.enter();
    if (completeRefillsBeforeBlock)
        completePendingRefills();

    const int firstFallback = 0;
    const int secondFallback = numChannels > 1 ? 1 : 0;

    for (int i = 0; i < numSamples; ++i)
    {
        dispatchEvents(i, i == numSamples - 1);

        bendMoving = bendRatio != bendTarget;
        ramp(bendRatio, bendTarget);
        ramp(gain, gainTarget);

        lfoValue = lfo.advance();
        const LfoDestination destination = modeOf<LfoDestination>(settings.lfoDestination);
        if (destination == LfoDestination::expression)
            gain = std::fabs(0.5f + 0.5f * settings.lfoDepth * lfoValue);
        else if (destination == LfoDestination::pan)
            // Live modulation only: the stored pan stays the user's.
            panGains(lfoValue * settings.lfoDepth, panLeft, panRight);

        const float leftGain = gain * panLeft;
        const float rightGain = gain * panRight;
        for (auto& voice : voices)
        {
            float left = 0.0f, right = 0.0f;
            if (!voice->renderSample(left, right))
                continue;
            const ZZone* zone = voice->getZone();
            const int output = zone != nullptr && zone->group != nullptr ? zone->group->settings.output : 0;
            int first = firstFallback, second = secondFallback;
            if (output >= 0 && output < 16 && 2 * output + 1 < numChannels)
            {
                first = 2 * output;
                second = first + 1;
            }
            channels[first][i] += left * leftGain;
            channels[second][i] += right * rightGain;
        }

        for (int pair = 0; pair < numChannels / 2; ++pair)
        {
            float& left = channels[2 * pair][i];
            float& right = channels[2 * pair + 1][i];
            if (pair == 0)
            {
                if (hasMasterFilter(settings.filterType))
                {
                    left = filterLeft.process(left);
                    right = filterRight.process(right);
                }
                if (settings.reverbSend > 0.0f)
                {
                    float wetLeft, wetRight;
                    reverb.process(left, right, wetLeft, wetRight);
                    left += wetLeft * settings.reverbSend;
                    right += wetRight * settings.reverbSend;
                }
            }
            if (settings.clipOutput != 0)
            {
                left = std::clamp(left, -1.0f, 1.0f);
                right = std::clamp(right, -1.0f, 1.0f);
            }
        }
    }
    rendering.leave();
}
