#pragma once
// Reading one frame of sample memory, as zones and stream buffers hold it:
// interleaved left, right for a stereo sound, one value per frame for a mono
// one (both sides get it); 16-bit values scale by 1/32768.

#include <cstddef>
#include <cstdint>

inline float sampleValue(float value) noexcept { return value; }
inline float sampleValue(int16_t value) noexcept
{
    constexpr float int16Scale = 1.0f / 32768.0f;
    return value * int16Scale;
}

template <typename Sample>
inline void decodeFrame(const Sample* values, size_t frame, bool mono, float& left, float& right) noexcept
{
    if (mono)
        left = right = sampleValue(values[frame]);
    else
    {
        left = sampleValue(values[2 * frame]);
        right = sampleValue(values[2 * frame + 1]);
    }
}
