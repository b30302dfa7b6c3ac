#include "RenderLength.h"

#include <algorithm>
#include <cmath>

int64_t framesWithTail(std::optional<int64_t> lastEventSample, double tailSeconds, int64_t sampleRate)
{
    const int64_t covered = lastEventSample ? *lastEventSample + 1 : 0;
    return covered + std::llround(tailSeconds * static_cast<double>(sampleRate));
}

SilenceEnd::SilenceEnd(std::optional<int64_t> lastEventSample, double levelDb, int64_t sampleRate,
                       double limitSeconds)
    : from(lastEventSample ? *lastEventSample + 1 : 0), secondFrames(sampleRate),
      limitFrames(from + std::llround(limitSeconds * static_cast<double>(sampleRate))),
      level(static_cast<float>(std::pow(10.0, levelDb / 20.0))), end(from + sampleRate)
{
}

std::optional<int64_t> SilenceEnd::feed(const float* const* channels, int channelCount, int64_t start, int count)
{
    for (int f = 0; f < count; ++f)
    {
        const int64_t frame = start + f;
        if (frame >= end || frame >= limitFrames)
            break;
        if (frame < from)
            continue;
        for (int c = 0; c < channelCount; ++c)
            if (std::fabs(channels[c][f]) >= level)
            {
                end = frame + 1 + secondFrames;
                break;
            }
    }
    const int64_t stop = std::min(end, limitFrames);
    if (start + count < stop)
        return std::nullopt;
    stoppedAtLimit = end > limitFrames;
    return stop;
}
