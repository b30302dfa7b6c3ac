#include "engine/ZVoice.h"
#include "engine/ZVoiceSteps.h"
#include "engine/ZZone.h"

void ZVoice::stepEnvelope()
{
    if (zone == nullptr)
        return;
    const voicestep::EnvelopeRates rates { zone->attackCoefficient, zone->decayCoefficient, zone->releaseCoefficient,
                                           zone->sustainLevel };
    if (voicestep::stepEnvelope(envelope, releasing, pending || fastFade, attacking, rates))
        finish();
}
