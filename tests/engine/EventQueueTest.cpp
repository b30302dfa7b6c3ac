// The event queue on its own: several threads appending while the audio
// thread takes, a full queue, and a queue that wraps around many times.

#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "engine/ZEventQueue.h"

namespace
{
ZEvent numbered(int producer, int sequence)
{
    return ZEvent { 0xB0, static_cast<uint8_t>(producer), 0, 0, sequence };
}
} // namespace

TEST(EventQueue, ConcurrentAppendsArriveOnceEachInTheirOwnOrder)
{
    constexpr int producers = 3;
    constexpr int perProducer = 20000;
    ZEventQueue queue(1024);
    std::vector<std::thread> threads;
    for (int p = 0; p < producers; ++p)
        threads.emplace_back([&queue, p] {
            for (int k = 0; k < perProducer;)
                if (queue.push(numbered(p, k)))
                    ++k;
                else
                    std::this_thread::yield();  // full: the taker catches up
        });

    std::vector<int> next(producers, 0);
    std::vector<ZEvent> block;
    block.reserve(256);
    int received = 0;
    while (received < producers * perProducer)
    {
        block.clear();
        queue.takeInto(block);
        for (const ZEvent& event : block)
        {
            ASSERT_LT(event.data1, producers);
            ASSERT_EQ(event.position, next[event.data1]) << "producer " << int(event.data1);
            ++next[event.data1];
        }
        received += static_cast<int>(block.size());
    }
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(queue.size(), 0u);
}

TEST(EventQueue, AFullQueueRefusesAndTakingMakesRoomAgain)
{
    ZEventQueue queue(8);
    EXPECT_EQ(queue.capacity(), 8u);
    std::vector<ZEvent> out;
    out.reserve(8);
    for (int round = 0; round < 100; ++round)  // wraps the cells many times over
    {
        for (int k = 0; k < 8; ++k)
            ASSERT_TRUE(queue.push(numbered(0, round * 8 + k)));
        EXPECT_FALSE(queue.push(numbered(0, -1)));
        out.clear();
        queue.takeInto(out);
        ASSERT_EQ(out.size(), 8u);
        for (int k = 0; k < 8; ++k)
            ASSERT_EQ(out[static_cast<size_t>(k)].position, round * 8 + k);
    }
}

TEST(EventQueue, TakingStopsAtTheSpareCapacityAndKeepsTheRest)
{
    ZEventQueue queue(16);
    for (int k = 0; k < 10; ++k)
        queue.push(numbered(0, k));
    std::vector<ZEvent> out;
    out.reserve(4);
    queue.takeInto(out);
    ASSERT_EQ(out.size(), 4u);
    EXPECT_EQ(queue.size(), 6u);
    out.clear();
    queue.takeInto(out);
    EXPECT_EQ(out.front().position, 4);
}
