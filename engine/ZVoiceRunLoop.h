#pragma once
// The loop a sounding voice renders a run with, for a voice type that brings
// its own way of reading a frame: everything renderFrame does after the read
// (envelope, gain smoothing, glide and pitch, position, loop and end), with
// what stays fixed over the run taken out of the loop: the zone's output
// pair, loop, envelope coefficients and gain targets. Nothing in the run can
// change them: only events start a voice again, and a voice that is not
// stolen ends without starting another note. The envelope, position and
// gains live in locals through the loop, where the stores into the outputs
// cannot disturb them. Wherever the voice is settled (ZVoiceSettledRun.h), the
// loop hands the samples to the voice type's settled stretch.

#include <algorithm>
#include <cmath>

#include "engine/ZInstrument.h"
#include "engine/ZVoice.h"
#include "engine/ZVoiceRun.h"
#include "engine/ZVoiceSettledRun.h"
#include "engine/ZVoiceSteps.h"
#include "engine/ZZone.h"

// read(position, left, right) fills the frame at the position (left and right
// start at 0); it runs first in every sample, as readInterpolated does.
// settled(stretch, position, k) renders the settled stretch from sample k and
// returns the sample it stopped before, with the position there.
template <typename Read, typename Settled>
void ZVoice::renderRunLoop(ZVoiceRun& run, Read read, Settled settled)
{
    const ZZone& z = *zone;
    int first, second;
    run.outputPair(&z, first, second);
    float* const outFirst = run.channels[first] + run.offset;
    float* const outSecond = run.channels[second] + run.offset;

    const ZoneSettings& zs = z.settings;
    const bool looping = modeOf<PlayMode>(zs.playMode) == PlayMode::forwardLoop;
    const double loopStart = static_cast<double>(zs.loopStart);
    const double loopEnd = static_cast<double>(zs.loopEnd);
    const double endFrame = static_cast<double>(zs.endFrame);
    const double targetLeft = z.gain * z.gainLeft * velocityGain;
    const double targetRight = z.gain * z.gainRight * velocityGain;
    const voicestep::EnvelopeRates rates { z.attackCoefficient, z.decayCoefficient, z.releaseCoefficient,
                                           z.sustainLevel };
    const bool lfoDeep = instrument.settings.lfoDepth > 0.0f;
    // Past bendSteadyFrom nothing moves the increment.
    const int steadyFrom = glideTime > 0.0f || lfoDeep ? run.length : run.bendSteadyFrom;
    voicestep::SettledStretch stretch { 0.0f, static_cast<float>(targetLeft), static_cast<float>(targetRight), 0.0,
                                        looping, loopStart, loopEnd, endFrame,
                                        looping ? std::min(loopEnd, endFrame) : endFrame, run.length,
                                        run.leftGain, run.rightGain, outFirst, outSecond };

    float level = envelope;
    double at = position;
    double smoothLeft = gainLeft;
    double smoothRight = gainRight;
    for (int k = 0; k < run.length; ++k)
    {
        if (k >= steadyFrom && !attacking && voicestep::levelSettled(level, releasing, fastFade, rates)
            && voicestep::gainSettled(smoothLeft, targetLeft) && voicestep::gainSettled(smoothRight, targetRight))
        {
            stretch.level = level;
            stretch.increment = increment;
            const int stop = settled(stretch, at, k);
            if (stop > k)
            {
                smoothLeft = targetLeft;
                smoothRight = targetRight;
            }
            k = stop;
            if (k == run.length)
                break;
        }
        float left = 0.0f, right = 0.0f;
        read(at, left, right);
        if (voicestep::stepEnvelope(level, releasing, fastFade, attacking, rates))
            finish();
        left *= level;
        right *= level;

        smoothLeft = voicestep::approach(smoothLeft, targetLeft);
        smoothRight = voicestep::approach(smoothRight, targetRight);
        left *= static_cast<float>(smoothLeft);
        right *= static_cast<float>(smoothRight);

        if (glideTime > 0.0f)
        {
            if (std::fabs(glideStep) > std::fabs(glideTarget - glideRatio))
                glideRatio = glideTarget;
            else
                glideRatio += glideStep;
            updateIncrement(run.bendRatio[k], run.lfoValue[k]);
        }
        else if (run.bendMoving[k] || lfoDeep)
            updateIncrement(run.bendRatio[k], run.lfoValue[k]);

        double next = at + increment;
        if (looping && next >= loopEnd)
            next = loopStart + (next - loopEnd);
        at = next;
        if (!(at < endFrame))
            finish();
        if (!active)
            break;
        outFirst[k] += left * run.leftGain[k];
        outSecond[k] += right * run.rightGain[k];
    }
    envelope = level;
    position = at;
    gainLeft = smoothLeft;
    gainRight = smoothRight;
}
