#include "engine/ZTables.h"

#include <cmath>

namespace
{
struct EngineTables
{
    float pitch[pitchRatioTableSize];
    float gain[gainTableSize];

    EngineTables()
    {
        for (int k = 0; k < pitchRatioTableSize; ++k)
            pitch[k] = std::pow(2.0f, static_cast<float>(k - 2400) / 1200.0f);
        for (int k = 0; k < gainTableSize; ++k)
            gain[k] = std::pow(10.0f, static_cast<float>(k - 6000) / 2000.0f);
    }
};

// Built before first use and never rewritten, so every thread reads it freely.
const EngineTables& tables()
{
    static const EngineTables built;
    return built;
}
} // namespace

const float* pitchRatioTable() { return tables().pitch; }
const float* gainTable() { return tables().gain; }

float pitchRatioForSemitones(float semitones)
{
    if (semitones >= -24.0f && semitones <= 24.0f)
        return tables().pitch[2400 + static_cast<int>(100.0f * semitones)];
    return std::pow(2.0f, semitones / 12.0f);
}

float gainForDecibels(float decibels)
{
    if (decibels >= -60.0f && decibels <= 0.0f)
        return tables().gain[6000 - static_cast<int>(-100.0f * decibels)];
    return decibelsToGainSingle(decibels);
}

float decibelsToGainSingle(float decibels)
{
    return std::pow(10.0f, decibels / 20.0f);
}

float decibelsToGain(double decibels)
{
    return static_cast<float>(std::pow(10.0, decibels / 20.0));
}

void panGains(float pan, float& left, float& right)
{
    if (pan <= 0.0f)
    {
        left = 1.0f;
        right = std::fabs(pan + 1.0f);
    }
    else
    {
        right = 1.0f;
        left = std::fabs(1.0f - pan);
    }
}
