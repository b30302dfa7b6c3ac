// How long a render is: a fixed tail counted to the sample, or until the
// outputs have stayed below a level for a second.

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "RenderLength.h"

TEST(RenderLength, AFixedTailFollowsTheLastEventsSampleToTheSample)
{
    struct Case
    {
        std::optional<int64_t> lastEvent;
        double tail;
        int64_t rate;
        int64_t frames;
    };
    for (const Case& c : {
             Case { 22050, 2.0, 44100, 22051 + 88200 },
             Case { 92610, 0.5, 44100, 92611 + 22050 },
             Case { 0, 1.0 / 3.0, 1000, 1 + 333 },   // 333.33 samples
             Case { 9, 0.0005, 1000, 10 + 1 },       // half a sample rounds up
             Case { std::nullopt, 0.01, 44100, 441 },
             Case { std::nullopt, 0.0, 44100, 0 },
             Case { 99, 0.0, 44100, 100 },           // the last event's own sample is always rendered
         })
        EXPECT_EQ(framesWithTail(c.lastEvent, c.tail, c.rate), c.frames) << c.frames;
}

namespace
{
// Feeds a stereo signal in blocks until the end is known.
struct Ending
{
    int64_t frames;
    bool atLimit;
};

Ending untilSilent(std::optional<int64_t> lastEvent, double levelDb, int64_t rate,
                   const std::function<std::pair<float, float>(int64_t)>& signal, int blockSize)
{
    SilenceEnd silence(lastEvent, levelDb, rate, 60.0);
    std::vector<float> left(static_cast<size_t>(blockSize));
    std::vector<float> right(static_cast<size_t>(blockSize));
    const float* channels[] = { left.data(), right.data() };
    for (int64_t start = 0;; start += blockSize)
    {
        for (int f = 0; f < blockSize; ++f)
            std::tie(left[static_cast<size_t>(f)], right[static_cast<size_t>(f)]) = signal(start + f);
        if (const auto end = silence.feed(channels, 2, start, blockSize))
            return { *end, silence.reachedLimit() };
    }
}

std::function<std::pair<float, float>(int64_t)> clicksAt(std::vector<std::pair<int64_t, std::pair<float, float>>> clicks)
{
    return [clicks](int64_t frame) {
        for (const auto& [at, value] : clicks)
            if (at == frame)
                return value;
        return std::pair { 0.0f, 0.0f };
    };
}
} // namespace

TEST(RenderLength, UntilSilentEndsOneSecondAfterTheLastFrameAtTheLevel)
{
    // Rate 1000 Hz and a level of -60 dB (0.001), the last event at frame 99.
    struct Case
    {
        const char* what;
        std::vector<std::pair<int64_t, std::pair<float, float>>> clicks;
        int64_t frames;
    };
    const Case cases[] = {
        { "silent after the event: a one-second tail", {}, 100 + 1000 },
        { "a loud frame at 500", { { 500, { 0.5f, 0.0f } } }, 501 + 1000 },
        { "the right channel counts as well", { { 700, { 0.0f, -0.25f } } }, 701 + 1000 },
        { "exactly the level is not below it", { { 300, { 0.001f, 0.0f } } }, 301 + 1000 },
        { "just below the level is silence", { { 300, { 0.00099f, 0.0f } } }, 100 + 1000 },
        { "sound before the last event does not count", { { 50, { 0.9f, 0.9f } } }, 100 + 1000 },
        { "a frame after the end no longer matters", { { 400, { 0.5f, 0.5f } }, { 1402, { 0.5f, 0.5f } } }, 401 + 1000 },
    };
    for (const Case& c : cases)
        for (int blockSize : { 1, 7, 512 })
        {
            SCOPED_TRACE(std::string(c.what) + ", blocks of " + std::to_string(blockSize));
            const Ending ending = untilSilent(99, -60.0, 1000, clicksAt(c.clicks), blockSize);
            EXPECT_EQ(ending.frames, c.frames);
            EXPECT_FALSE(ending.atLimit);
        }
}

TEST(RenderLength, UntilSilentStopsAtItsLimitWhenTheSoundNeverDiesAway)
{
    const Ending held = untilSilent(99, -80.0, 1000, [](int64_t) { return std::pair { 0.5f, 0.5f }; }, 64);
    EXPECT_EQ(held.frames, 100 + 60 * 1000);
    EXPECT_TRUE(held.atLimit);
    // Without events the second of silence counts from the start.
    EXPECT_EQ(untilSilent(std::nullopt, -80.0, 1000, clicksAt({}), 64).frames, 1000);
}
