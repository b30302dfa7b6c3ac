#include <gtest/gtest.h>

#include <atomic>

#include "engine/ZPlatform.h"

TEST(Platform, SemaphoreCountsUpToItsCeiling)
{
    ZSemaphore semaphore(0, 999);
    for (int k = 0; k < 999; ++k)
        ASSERT_TRUE(semaphore.release());
    EXPECT_FALSE(semaphore.release());
    EXPECT_EQ(semaphore.count(), 999);
    semaphore.acquire();
    EXPECT_EQ(semaphore.count(), 998);
    EXPECT_TRUE(semaphore.release());
}

TEST(Platform, SemaphoreWakesAWaitingThread)
{
    ZSemaphore semaphore(0, 999);
    std::atomic<int> woken { 0 };
    ZThread waiter;
    waiter.start([&] {
        semaphore.acquire();
        semaphore.acquire();
        woken = 2;
    });
    semaphore.release();
    semaphore.release();
    waiter.join();
    EXPECT_EQ(woken.load(), 2);
    EXPECT_FALSE(waiter.isRunning());
}

TEST(Platform, SeededGeneratorsRepeatAndStayInRange)
{
    ZRandom a(7), b(7), c(8);
    bool differs = false;
    for (int k = 0; k < 1000; ++k)
    {
        const int x = a.next();
        ASSERT_EQ(x, b.next());
        ASSERT_GE(x, 0);
        ASSERT_LE(x, ZRandom::maxValue);
        differs = differs || x != c.next();
    }
    EXPECT_TRUE(differs);
}

TEST(Platform, ManualClockMovesOnlyWhenTold)
{
    ZManualClock clock;
    EXPECT_EQ(clock.nowMilliseconds(), 0.0);
    clock.set(12.5);
    clock.advance(0.5);
    EXPECT_EQ(clock.nowMilliseconds(), 13.0);
    const double a = ZSystemClock::shared().nowMilliseconds();
    EXPECT_GE(ZSystemClock::shared().nowMilliseconds(), a);
}
