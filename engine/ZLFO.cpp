#include "engine/ZLFO.h"

#include <cmath>

#include "engine/Settings.h"

namespace
{
constexpr float defaultSampleRate = 44100.0f;
constexpr float defaultRate = 3.0f;
constexpr float fractionScale = 1.0f / 16777216.0f; // 2^-24
}

ZLFO::ZLFO()
{
    buildTable(stored(LfoShape::triangle));
    setRate(defaultRate);
}

void ZLFO::buildTable(int shape)
{
    fillTable(shape);
    builtShape = shape;
    requestedShape.store(shape, std::memory_order_relaxed);
}

void ZLFO::requestShape(int shape) { requestedShape.store(shape, std::memory_order_relaxed); }

void ZLFO::fillTable(int shape)
{
    switch (modeOf<LfoShape>(shape))
    {
        case LfoShape::triangle: // 0 up to 1, down to -1, back to 0
            for (int k = 0; k < 64; ++k)
            {
                const float step = static_cast<float>(k) / 64.0f;
                table[k] = step;
                table[64 + k] = 1.0f - step;
                table[128 + k] = -step;
                table[192 + k] = step - 1.0f;
            }
            table[tablePoints] = 0.0f;
            break;
        case LfoShape::sine:
        {
            const float twoPi = 6.28318530717958647692f;
            for (int k = 0; k <= tablePoints; ++k)
                table[k] = std::sin(twoPi * static_cast<float>(k) / static_cast<float>(tablePoints));
            break;
        }
        case LfoShape::saw: // -1 rising to +1
            for (int k = 0; k < tablePoints; ++k)
                table[k] = 2.0f * static_cast<float>(k) / 255.0f - 1.0f;
            table[tablePoints] = -1.0f;
            break;
        case LfoShape::square:
            for (int k = 0; k < tablePoints; ++k)
                table[k] = k < 128 ? 1.0f : -1.0f;
            table[tablePoints] = 1.0f;
            break;
        case LfoShape::exponent: // rises from -1 to +1 along e^x, then falls back
        {
            const float eMinusOne = static_cast<float>(std::exp(1.0) - 1.0);
            for (int k = 0; k < 128; ++k)
            {
                const double rising = std::exp(static_cast<double>(k) / 128.0) - 1.0;
                const double falling = std::exp(static_cast<double>(128 - k) / 128.0) - 1.0;
                table[k] = static_cast<float>(2.0 * rising / eMinusOne - 1.0);
                table[128 + k] = static_cast<float>(2.0 * falling / eMinusOne - 1.0);
            }
            table[tablePoints] = -1.0f;
            break;
        }
        default: // not a shape: the table stays as it was
            break;
    }
}

void ZLFO::setRate(float rateHz)
{
    const float rate = sampleRate > 0.0f ? sampleRate : defaultSampleRate;
    const float increment = rateHz * 256.0f / rate * 16777216.0f;
    if (!(increment > 0.0f)) // also a rate that is not a number
        phaseIncrement = 0;
    else if (increment >= 4294967296.0f)
        phaseIncrement = 0xFFFFFFFFu;
    else
        phaseIncrement = static_cast<uint32_t>(increment);
}

float ZLFO::advance() noexcept
{
    const int wanted = requestedShape.load(std::memory_order_relaxed);
    if (wanted != builtShape)
    {
        fillTable(wanted);
        builtShape = wanted;
    }

    const uint32_t index = phase >> 24;
    const float fraction = static_cast<float>(phase & 0xFFFFFFu) * fractionScale;
    const float value = (1.0f - fraction) * table[index] + fraction * table[index + 1];
    phase += phaseIncrement;
    return value;
}
