#include <algorithm>
#include <cmath>

#include "engine/ZGroup.h"
#include "engine/ZInstrument.h"
#include "engine/ZTables.h"
#include "engine/ZZone.h"

namespace
{
constexpr float fallbackSampleRate = 44100.0f;
constexpr float shortestTimeMs = 1.0f;         // a sustain below full level or a release never snaps
constexpr float sustainScaleRangeDb = 30.0f;   // a sustain scale of 2 lifts sustain by 30 dB
constexpr float silencingGroupVolumeDb = -30.0f;

// A setting that is not a finite number (a damaged file) counts as its neutral value.
float finiteOr(float value, float neutral) { return std::isfinite(value) ? value : neutral; }

// Per-sample coefficient of an exponential segment with time constant `ms`.
float coefficientForTime(float ms, float sampleRate)
{
    const float samples = ms * sampleRate / 1000.0f;
    return static_cast<float>(1.0 - std::exp(-1.0 / static_cast<double>(samples)));
}

} // namespace

void ZZone::updateDerived()
{
    const float instrumentRate = instrument ? instrument->sampleRate : fallbackSampleRate;
    const float sampleRate = instrumentRate > 0.0f && std::isfinite(instrumentRate) ? instrumentRate : fallbackSampleRate;

    const GroupSettings* g = group ? &group->settings : nullptr;
    const float attackScale = g ? finiteOr(g->attackScale, 1.0f) : 1.0f;
    const float decayScale = g ? finiteOr(g->decayScale, 1.0f) : 1.0f;
    const float sustainScale = g ? finiteOr(g->sustainScale, 1.0f) : 1.0f;
    const float releaseScale = g ? finiteOr(g->releaseScale, 1.0f) : 1.0f;
    const float groupVolume = g ? finiteOr(g->volume, 0.0f) : 0.0f;
    const float groupPan = g ? finiteOr(g->pan, 0.0f) : 0.0f;

    const float attackMs = attackScale * finiteOr(settings.attack, 0.0f);
    float decayMs = decayScale * finiteOr(settings.decay, 0.0f);
    float releaseMs = releaseScale * finiteOr(settings.release, 0.0f);
    const float sustainDb
        = std::min(0.0f, finiteOr(settings.sustain, 0.0f) + (sustainScale - 1.0f) * sustainScaleRangeDb);

    if (sustainDb < 0.0f && decayMs <= 0.0f)
        decayMs = shortestTimeMs;
    if (releaseMs <= 0.0f && modeOf<PlayMode>(settings.playMode) != PlayMode::oneShot)
        releaseMs = shortestTimeMs;

    attackCoefficient = attackMs > 0.0f ? coefficientForTime(attackMs, sampleRate) : 1.0f;
    decayCoefficient = decayMs > 0.0f ? coefficientForTime(decayMs, sampleRate) : 0.0f;
    releaseCoefficient = releaseMs > 0.0f ? coefficientForTime(releaseMs, sampleRate) : 0.0f;
    sustainLevel = decibelsToGain(sustainDb);

    gain = g && groupVolume <= silencingGroupVolumeDb
        ? 0.0f
        : decibelsToGain(groupVolume + finiteOr(settings.volume, 0.0f));

    const float pan = std::clamp(finiteOr(settings.pan, 0.0f) + groupPan, -1.0f, 1.0f);
    panGains(pan, gainLeft, gainRight);
}
