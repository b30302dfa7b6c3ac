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

    voiceRun.instrument = this;
    voiceRun.channels = channels;
    voiceRun.numChannels = numChannels;
    for (int i = 0; i < numSamples;)
    {
        dispatchEvents(i, i == numSamples - 1);
        const int end = std::min(nextDispatch(i, numSamples), i + ZVoiceRun::capacity);
        voiceRun.offset = i;
        voiceRun.length = end - i;
        fillRunValues();
        for (auto& voice : voices)
            if (voice->isActive())
                voice->renderRun(voiceRun);
        holdRunValues(voiceRun, voiceRun.length - 1);
        applyMasterEffects(channels, numChannels, i, end);
        i = end;
    }
    rendering.leave();
}

int ZInstrument::nextDispatch(int sampleIndex, int numSamples) const
{
    // Events still waiting lie past sampleIndex; the block's last sample
    // takes every one left.
    if (renderEvents.empty())
        return numSamples;
    const int position = renderEvents[static_cast<size_t>(renderIndex)].position;
    return std::max(sampleIndex + 1, std::min(position, numSamples - 1));
}

void ZInstrument::fillRunValues()
{
    const LfoDestination destination = modeOf<LfoDestination>(settings.lfoDestination);
    voiceRun.bendSteadyFrom = 0;
    for (int k = 0; k < voiceRun.length; ++k)
    {
        bendMoving = bendRatio != bendTarget;
        ramp(bendRatio, bendTarget);
        ramp(gain, gainTarget);

        lfoValue = lfo.advance();
        if (destination == LfoDestination::expression)
            gain = std::fabs(0.5f + 0.5f * settings.lfoDepth * lfoValue);
        else if (destination == LfoDestination::pan)
            // Live modulation only: the stored pan stays the user's.
            panGains(lfoValue * settings.lfoDepth, panLeft, panRight);

        voiceRun.bendRatio[k] = bendRatio;
        voiceRun.bendMoving[k] = bendMoving;
        if (bendMoving)
            voiceRun.bendSteadyFrom = k + 1;
        voiceRun.lfoValue[k] = lfoValue;
        voiceRun.leftGain[k] = gain * panLeft;
        voiceRun.rightGain[k] = gain * panRight;
    }
}

void ZInstrument::holdRunValues(const ZVoiceRun& run, int k)
{
    bendRatio = run.bendRatio[k];
    bendMoving = run.bendMoving[k];
    lfoValue = run.lfoValue[k];
}

void ZInstrument::applyMasterEffects(float* const* channels, int numChannels, int begin, int end)
{
    const bool filtered = hasMasterFilter(settings.filterType);
    const float reverbSend = settings.reverbSend;
    const bool clipped = settings.clipOutput != 0;
    for (int i = begin; i < end; ++i)
        for (int pair = 0; pair < numChannels / 2; ++pair)
        {
            float& left = channels[2 * pair][i];
            float& right = channels[2 * pair + 1][i];
            if (pair == 0)
            {
                if (filtered)
                {
                    left = filterLeft.process(left);
                    right = filterRight.process(right);
                }
                if (reverbSend > 0.0f)
                {
                    float wetLeft, wetRight;
                    reverb.process(left, right, wetLeft, wetRight);
                    left += wetLeft * reverbSend;
                    right += wetRight * reverbSend;
                }
            }
            if (clipped)
            {
                left = std::clamp(left, -1.0f, 1.0f);
                right = std::clamp(right, -1.0f, 1.0f);
            }
        }
}
