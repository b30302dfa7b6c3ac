#include "support/MemorySound.h"

#include <algorithm>
#include <cmath>

MemorySound::MemorySound(std::vector<float> interleaved, int32_t channels, int32_t sampleRate)
    : samples(std::move(interleaved)), channelCount(channels), rate(sampleRate)
{
}

MemorySound& MemorySound::withLoop(int64_t start, int64_t end)
{
    loopSet = true;
    loopStart = start;
    loopEnd = end;
    return *this;
}

MemorySound& MemorySound::withRootKey(int32_t key)
{
    rootKeySet = true;
    rootKey = key;
    return *this;
}

std::unique_ptr<MemorySound> MemorySound::ramp(int64_t frames, float scale, int32_t sampleRate)
{
    std::vector<float> values(static_cast<size_t>(frames));
    for (int64_t k = 0; k < frames; ++k)
        values[static_cast<size_t>(k)] = static_cast<float>(k) * scale;
    return std::make_unique<MemorySound>(std::move(values), 1, sampleRate);
}

bool MemorySound::open(const std::string&, const ZSharedFile&, int64_t)
{
    opened = true;
    return true;
}

void MemorySound::seek(int64_t frame)
{
    if (opened)
        cursor = std::clamp<int64_t>(frame, 0, getLength());
}

int64_t MemorySound::readFloat(float* output, int64_t frameCount)
{
    if (!opened)
        return 0;
    ++readCalls;
    const int64_t frames = std::min(frameCount, getLength() - cursor);
    std::copy_n(samples.begin() + cursor * channelCount, frames * channelCount, output);
    cursor += frames;
    return frames;
}

int64_t MemorySound::readInt16(int16_t* output, int64_t frameCount)
{
    if (!opened)
        return 0;
    ++readCalls;
    const int64_t frames = std::min(frameCount, getLength() - cursor);
    for (int64_t k = 0; k < frames * channelCount; ++k)
    {
        const float scaled = std::clamp(samples[static_cast<size_t>(cursor * channelCount + k)] * 32768.0f,
                                        -32768.0f, 32767.0f);
        output[k] = static_cast<int16_t>(std::lrint(scaled));
    }
    cursor += frames;
    return frames;
}
