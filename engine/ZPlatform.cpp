#include "engine/ZPlatform.h"

#include <cerrno>
#include <chrono>

#include <sys/mman.h>

ZSemaphore::ZSemaphore(int initialCount, int maximumCount) : maximum(maximumCount)
{
    sem_init(&semaphore, 0, static_cast<unsigned>(initialCount));
}

ZSemaphore::~ZSemaphore()
{
    sem_destroy(&semaphore);
}

bool ZSemaphore::release()
{
    // Two releases racing at the ceiling may pass it by one; the count only
    // bounds how many wake-ups are queued.
    if (count() >= maximum)
        return false;
    return sem_post(&semaphore) == 0;
}

void ZSemaphore::acquire()
{
    while (sem_wait(&semaphore) != 0 && errno == EINTR)
    {
    }
}

int ZSemaphore::count() const
{
    int value = 0;
    sem_getvalue(&semaphore, &value);
    return value;
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

void adviseLargePages([[maybe_unused]] void* begin, [[maybe_unused]] size_t bytes)
{
#if defined(MADV_HUGEPAGE)
    constexpr uintptr_t largePage = uintptr_t { 2 } << 20;
    const auto start = reinterpret_cast<uintptr_t>(begin);
    const uintptr_t first = (start + largePage - 1) & ~(largePage - 1);
    const uintptr_t end = (start + bytes) & ~(largePage - 1);
    if (begin != nullptr && end > first)
        ::madvise(reinterpret_cast<void*>(first), end - first, MADV_HUGEPAGE);
#endif
}
