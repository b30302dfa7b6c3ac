#include "engine/ZVoice.h"
#include "engine/ZZone.h"

namespace
{
// The attack aims past full level and the release past silence, so each
// segment reaches its end in finite time (after about one time constant).
constexpr float attackAim = 1.5873016f;    // 100 / 63
constexpr float releaseAim = -0.5873016f;  // -(100 / 63 - 1)
// A stolen or killed voice fades in about 44 samples from full level.
constexpr float fastReleaseRate = 0.02242f;
} // namespace

void ZVoice::stepEnvelope()
{
    if (zone == nullptr)
        return;

    if (releasing)
    {
        if (zone->releaseCoefficient == 0.0f)
            envelope = 0.0f;
        const float rate = pending || fastFade ? fastReleaseRate : zone->releaseCoefficient;
        envelope -= (envelope - releaseAim) * rate;
        if (envelope <= 0.0f)
        {
            envelope = 0.0f;
            finish();
        }
    }
    else if (attacking)
    {
        envelope += (attackAim - envelope) * zone->attackCoefficient;
        if (envelope > 1.0f)
        {
            envelope = 1.0f;
            attacking = false;
        }
    }
    else if (zone->decayCoefficient != 0.0f)
    {
        envelope += (zone->sustainLevel - envelope) * zone->decayCoefficient;
    }
}
