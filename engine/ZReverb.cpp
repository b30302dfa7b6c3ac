#include "engine/ZReverb.h"

#include <bit>
#include <cstdint>

namespace
{
// A value with all exponent bits clear (a denormal, or zero) becomes 0, so a
// dying tail never drops into the slow denormal range and ends at exactly 0.
inline float flushDenormal(float value) noexcept
{
    return (std::bit_cast<uint32_t>(value) & 0x7f800000u) == 0 ? 0.0f : value;
}

inline float& currentSlot(float* memory, const auto& line) noexcept { return memory[line.offset + line.index]; }

inline void advanceLine(auto& line) noexcept
{
    if (++line.index >= line.length)
        line.index = 0;
}
} // namespace

ZReverb::ZReverb()
{
    int combOffset = 0;
    int allPassOffset = 0;
    for (int channel = 0; channel < channelCount; ++channel)
    {
        const int spread = channel * stereoSpread;
        for (int k = 0; k < combCount; ++k)
        {
            combs[channel][k].line = { combOffset, combLengths[k] + spread, 0 };
            combOffset += combLengths[k] + spread;
        }
        for (int k = 0; k < allPassCount; ++k)
        {
            allPasses[channel][k] = { allPassOffset, allPassLengths[k] + spread, 0 };
            allPassOffset += allPassLengths[k] + spread;
        }
    }
    setParameters(0.868f, 0.4f, 1.5f, 0.7f, 0.0f);
}

void ZReverb::setParameters(float newRoomSize, float newDamping, float wet, float width, float newDry)
{
    roomSize = newRoomSize;
    damping = newDamping;
    wet1 = wet * (width / 2.0f + 0.5f);
    wet2 = wet * (1.0f - width) / 2.0f;
    dry = newDry;
}

float ZReverb::runCombs(Comb* channelCombs, float input) noexcept
{
    float sum = 0.0f;
    for (int k = 0; k < combCount; ++k)
    {
        Comb& comb = channelCombs[k];
        float& slot = currentSlot(combMemory, comb.line);
        const float output = slot;
        comb.store = flushDenormal(output * (1.0f - damping) + comb.store * damping);
        slot = flushDenormal(input + comb.store * roomSize);
        advanceLine(comb.line);
        sum += output;
    }
    return sum;
}

float ZReverb::runAllPasses(DelayLine* channelAllPasses, float input) noexcept
{
    float signal = input;
    for (int k = 0; k < allPassCount; ++k)
    {
        DelayLine& line = channelAllPasses[k];
        float& slot = currentSlot(allPassMemory, line);
        const float buffered = slot;
        slot = flushDenormal(signal + buffered * allPassFeedback);
        signal = buffered - signal;
        advanceLine(line);
    }
    return signal;
}

void ZReverb::process(float inLeft, float inRight, float& outLeft, float& outRight) noexcept
{
    const float input = (inLeft + inRight) * inputGain;
    const float left = runAllPasses(allPasses[0], runCombs(combs[0], input));
    const float right = runAllPasses(allPasses[1], runCombs(combs[1], input));
    outLeft = flushDenormal(wet1 * left + wet2 * right + dry * inLeft);
    outRight = flushDenormal(wet1 * right + wet2 * left + dry * inRight);
}
