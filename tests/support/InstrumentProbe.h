#pragma once
// Sets the block loop's own state of an instrument directly, for tests that
// drive voices without running the block loop.

#include "engine/ZInstrument.h"

struct ZInstrumentProbe
{
    static void setLastNote(ZInstrument& instrument, int32_t note) { instrument.lastNote = note; }
    static void setBend(ZInstrument& instrument, float ratio, bool moving)
    {
        instrument.bendRatio = ratio;
        instrument.bendMoving = moving;
    }
    static void setLfoValue(ZInstrument& instrument, float value) { instrument.lfoValue = value; }
};
