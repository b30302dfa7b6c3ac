#include "engine/ZPlatform.h"

#include <chrono>

ZSemaphore::ZSemaphore(int initialCount, int maximumCount)
    : current(initialCount), maximum(maximumCount)
{
}

bool ZSemaphore::release()
{
    {
        std::lock_guard<std::mutex> guard(m);
        if (current >= maximum)
            return false;
        ++current;
    }
    available.notify_one();
    return true;
}

void ZSemaphore::acquire()
{
    std::unique_lock<std::mutex> guard(m);
    available.wait(guard, [this] { return current > 0; });
    --current;
}

int ZSemaphore::count() const
{
    std::lock_guard<std::mutex> guard(m);
    return current;
}

ZThread::~ZThread()
{
    join();
}

void ZThread::start(std::function<void()> body)
{
    join();
    worker = std::thread(std::move(body));
}

void ZThread::join()
{
    if (worker.joinable())
        worker.join();
}

double ZSystemClock::nowMilliseconds()
{
    using namespace std::chrono;
    return static_cast<double>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

ZSystemClock& ZSystemClock::shared()
{
    static ZSystemClock clock;
    return clock;
}

int ZRandom::next()
{
    uint32_t previous = state.load(std::memory_order_relaxed);
    uint32_t following;
    do
        following = previous * 214013u + 2531011u;
    while (!state.compare_exchange_weak(previous, following, std::memory_order_relaxed));
    return static_cast<int>((following >> 16) & 0x7FFF);
}

ZRandom& ZRandom::shared()
{
    static ZRandom generator;
    return generator;
}
