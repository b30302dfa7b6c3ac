#include "engine/ZVoice.h"

#include <algorithm>
#include <cmath>

#include "engine/StoredFieldRanges.h"
#include "engine/VelocityCurves.h"
#include "engine/ZInstrument.h"
#include "engine/ZTables.h"
#include "engine/ZVoiceSteps.h"
#include "engine/ZZone.h"

using voicestep::approach;
using voicestep::largestReadablePosition;

ZVoice::ZVoice(ZInstrument& owner) : instrument(owner)
{
}

ZVoice::~ZVoice() = default;

bool ZVoice::start(ZZone* z, int n, int velocity, int tag)
{
    ZSP_THREAD_CHECK(instrument.mayChangeVoices(), "ZVoice::start off the audio thread");
    if (z == nullptr)
        return false;
    n = std::clamp(n, 0, 127);
    velocity = std::clamp(velocity, 0, 127);
    tag = std::clamp(tag, 0, 255);
    if (pending)
    {
        // Held until the fade of the stolen note ends; finish() starts it.
        pendingZone = z;
        pendingNote = static_cast<uint8_t>(n);
        pendingVelocity = static_cast<uint8_t>(velocity);
        pendingChannelTag = static_cast<uint8_t>(tag);
        return false;
    }

    const InstrumentSettings& s = instrument.settings;
    const bool legato = active;
    // A zone without a usable sample rate would give an increment that is not
    // a number; it cannot sound, so it does not start.
    const float soundRate = z->soundFile != nullptr ? static_cast<float>(z->soundFile->getSampleRate()) : 0.0f;
    const float rateRatio = soundRate / instrument.sampleRate;
    if (!legato && (!(rateRatio > 0.0f) || !std::isfinite(rateRatio)))
        return false;
    previousLeft = previousRight = 0.0f;

    if (!legato)
    {
        zone = z;
        mono = z->mono;
        streaming = s.diskStreaming != 0;
        streamFrames = s.streamBufferFrames;
        sixteenBit = s.sixteenBit != 0;
        interpolation = modeOf<Interpolation>(s.interpolation);
        position = static_cast<double>(z->settings.startFrame);

        envelope = 0.0f;
        fastFade = false;
        releasing = false;
        attacking = true;
        startNote = note = static_cast<uint8_t>(n);
        glideRatio = 1.0f;

        velocityGain = z->settings.ignoreVelocity != 0
                           ? 1.0f
                           : ::velocityGain(s.velocityCurve, velocity, s.velocityFloor, s.velocityTop);
        gainLeft = z->gainLeft * z->gain * velocityGain;
        gainRight = z->gainRight * z->gain * velocityGain;

        float semitones = z->settings.tune / 100.0f;
        if (z->settings.fixedPitch == 0)
            semitones += keyTrackingSemitones(n, z->settings.rootKey);
        baseIncrement = pitchRatioForSemitones(semitones) * rateRatio;
    }

    const bool poly = modeOf<VoiceMode>(s.voiceMode) == VoiceMode::poly;
    glideTime = poly ? 0.0f : s.glideTime;
    if (legato)
    {
        note = static_cast<uint8_t>(n);
        glideTarget = pitchRatioForSemitones(static_cast<float>(n - startNote));
    }
    else
    {
        glideRatio = pitchRatioForSemitones(static_cast<float>(instrument.getLastNote() - n));
        glideTarget = 1.0f;
    }
    if (glideTime > 0.0f)
        glideStep = (glideTarget - glideRatio) / (glideTime * instrument.sampleRate / 1000.0f);
    else
        glideRatio = glideTarget;
    if (poly)
        glideRatio = glideTarget = 1.0f;

    updateIncrement(instrument.getBendRatio(), instrument.getLfoValue());
    channelTag = static_cast<uint8_t>(tag);
    active = true;
    sustained = false;
    return true;
}

void ZVoice::updateIncrement(float bendRatio, float lfoValue)
{
    float ratio = bendRatio * glideRatio;
    if (modeOf<LfoDestination>(instrument.settings.lfoDestination) == LfoDestination::pitch)
        ratio *= pitchRatioForSemitones(lfoValue * instrument.settings.lfoDepth);
    increment = static_cast<double>(static_cast<float>(baseIncrement) * ratio);
}

bool ZVoice::renderSample(float& left, float& right)
{
    return renderFrame(left, right, instrument.getBendRatio(), instrument.isBendMoving(), instrument.getLfoValue());
}

bool ZVoice::renderFrame(float& left, float& right, float bendRatio, bool bendMoving, float lfoValue)
{
    if (!active)
        return false;

    left = right = 0.0f;
    readInterpolated(position, left, right);
    stepEnvelope();
    left *= envelope;
    right *= envelope;

    const double targetLeft = zone->gain * zone->gainLeft * velocityGain;
    const double targetRight = zone->gain * zone->gainRight * velocityGain;
    gainLeft = approach(gainLeft, targetLeft);
    gainRight = approach(gainRight, targetRight);
    left *= static_cast<float>(gainLeft);
    right *= static_cast<float>(gainRight);

    if (glideTime > 0.0f)
    {
        if (std::fabs(glideStep) > std::fabs(glideTarget - glideRatio))
            glideRatio = glideTarget;
        else
            glideRatio += glideStep;
        updateIncrement(bendRatio, lfoValue);
    }
    else if (bendMoving || instrument.settings.lfoDepth > 0.0f)
        updateIncrement(bendRatio, lfoValue);

    const ZoneSettings& zs = zone->settings;
    double next = position + increment;
    if (modeOf<PlayMode>(zs.playMode) == PlayMode::forwardLoop && next >= static_cast<double>(zs.loopEnd))
        next = static_cast<double>(zs.loopStart) + (next - static_cast<double>(zs.loopEnd));
    position = next;
    if (!(position < static_cast<double>(zs.endFrame)))
        finish();
    return active;
}

void ZVoice::readInterpolated(double x, float& left, float& right)
{
    if (!(x >= 0.0 && x < largestReadablePosition))
    {
        left = right = 0.0f;
        return;
    }
    int64_t i = static_cast<int64_t>(x);
    const double fraction = x - static_cast<double>(i);
    const bool windowed = streaming && streamFrames > 0;
    if (windowed)
        i %= streamFrames;

    if (fraction == 0.0)
    {
        readFrame(i, left, right, false);
        return;
    }

    float l[4] = { 0.0f, 0.0f, 0.0f, 0.0f };
    float r[4] = { 0.0f, 0.0f, 0.0f, 0.0f };
    if (windowed && i == 0)
    {
        l[0] = previousLeft;
        r[0] = previousRight;
    }
    else if (i - 1 >= 0)
        readFrame(i - 1, l[0], r[0], false);
    readFrame(i, l[1], r[1], false);
    if (windowed && i == streamFrames - 1)
    {
        readFrame(0, l[2], r[2], true);
        readFrame(1, l[3], r[3], true);
    }
    else
    {
        readFrame(i + 1, l[2], r[2], false);
        if (windowed && i == streamFrames - 2)
            readFrame(0, l[3], r[3], true);
        else
            readFrame(i + 2, l[3], r[3], false);
    }

    const float f = static_cast<float>(fraction);
    left = interpolateFrames(interpolation, f, l[0], l[1], l[2], l[3]);
    right = mono ? left : interpolateFrames(interpolation, f, r[0], r[1], r[2], r[3]);
}

void ZVoice::readFrame(int64_t index, float& left, float& right, bool)
{
    if (zone != nullptr)
        zone->readFrame(index, left, right);
}

void ZVoice::release()
{
    ZSP_THREAD_CHECK(instrument.mayChangeVoices(), "ZVoice::release off the audio thread");
    if (active)
        releasing = true;
}

void ZVoice::kill()
{
    ZSP_THREAD_CHECK(instrument.mayChangeVoices(), "ZVoice::kill off the audio thread");
    if (active)
    {
        fastFade = true;
        releasing = true;
    }
}

void ZVoice::finish()
{
    ZSP_THREAD_CHECK(instrument.mayChangeVoices(), "ZVoice::finish off the audio thread");
    active = false;
    fastFade = false;
    if (!pending)
        return;
    pending = false;
    ZZone* const held = pendingZone;
    pendingZone = nullptr;
    if (held != nullptr)
        start(held, pendingNote, pendingVelocity, pendingChannelTag);
}

void ZVoice::steal()
{
    ZSP_THREAD_CHECK(instrument.mayChangeVoices(), "ZVoice::steal off the audio thread");
    // A voice already fading toward a held note keeps fading; the start that
    // follows replaces the held note instead of cutting the fade short.
    if (!active || pending)
        return;
    pending = true;
    release();
}

void ZVoice::cancelPending()
{
    ZSP_THREAD_CHECK(instrument.mayChangeVoices(), "ZVoice::cancelPending off the audio thread");
    pending = false;
    pendingZone = nullptr;
}

bool ZVoice::matchesPending(int n, int tag) const
{
    return pending && pendingNote == n && (pendingChannelTag == tag || pendingChannelTag == 0);
}

float interpolateFrames(Interpolation kind, float f, float ym1, float y0, float y1, float y2) noexcept
{
    switch (kind)
    {
    case Interpolation::low:
        return voicestep::interpolate<Interpolation::low>(f, ym1, y0, y1, y2);
    case Interpolation::mid:
        return voicestep::interpolate<Interpolation::mid>(f, ym1, y0, y1, y2);
    case Interpolation::high:
        return voicestep::interpolate<Interpolation::high>(f, ym1, y0, y1, y2);
    default:
        return 0.0f;
    }
}
