#include "engine/StoredFieldRanges.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace
{
// Channel tags are stored in a byte: 0 means any channel, 1..16 a channel.
constexpr int64_t largestChannelTag = 255;
} // namespace

float keyTrackingSemitones(int note, int32_t rootKey) noexcept
{
    return static_cast<float>(static_cast<int64_t>(note) - static_cast<int64_t>(rootKey));
}

int channelTagOfActivationChannel(int32_t activationChannel) noexcept
{
    return static_cast<int>(std::clamp<int64_t>(static_cast<int64_t>(activationChannel) + 1, 0, largestChannelTag));
}

int releaseTriggerVelocity(int velocity, double elapsedMs, float decayMs) noexcept
{
    if (!(elapsedMs < decayMs))
        return 0;
    const double falling = (1.0 - elapsedMs / decayMs) * velocity;
    if (std::isnan(falling))
        return 0;
    return static_cast<int>(std::clamp(falling, static_cast<double>(INT_MIN), static_cast<double>(INT_MAX)));
}
