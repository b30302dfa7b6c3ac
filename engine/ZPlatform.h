#pragma once
// The few operating-system services the engine needs: a mutex, a counting
// semaphore, a thread, a monotonic millisecond clock, a seeded generator and
// large pages for sample memory.
// Clock and generator are interfaces so tests and the offline renderer can make
// a render repeatable.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

#include <semaphore.h>

class ZMutex
{
public:
    void lock() { m.lock(); }
    void unlock() { m.unlock(); }

private:
    std::mutex m;
};

class ZScopedLock
{
public:
    explicit ZScopedLock(ZMutex& mutexToHold) : held(mutexToHold) { held.lock(); }
    ~ZScopedLock() { held.unlock(); }
    ZScopedLock(const ZScopedLock&) = delete;
    ZScopedLock& operator=(const ZScopedLock&) = delete;

private:
    ZMutex& held;
};

// Counting semaphore with a ceiling: a release that would pass the maximum is
// refused. Releasing takes no lock, so the audio thread may release it.
class ZSemaphore
{
public:
    ZSemaphore(int initialCount, int maximumCount);
    ~ZSemaphore();
    ZSemaphore(const ZSemaphore&) = delete;
    ZSemaphore& operator=(const ZSemaphore&) = delete;

    bool release();  // false when the count is already at its maximum
    void acquire();  // waits without time-out
    int count() const;

private:
    mutable sem_t semaphore;
    const int maximum;
};

class ZThread
{
public:
    ZThread() = default;
    ~ZThread();
    ZThread(const ZThread&) = delete;
    ZThread& operator=(const ZThread&) = delete;

    void start(std::function<void()> body);
    void join();
    bool isRunning() const { return worker.joinable(); }

private:
    std::thread worker;
};

// Milliseconds of a monotonic clock.
class ZClock
{
public:
    virtual ~ZClock() = default;
    virtual double nowMilliseconds() = 0;
};

// The operating system's millisecond clock (whole milliseconds, monotonic).
class ZSystemClock final : public ZClock
{
public:
    double nowMilliseconds() override;
    static ZSystemClock& shared();
};

// A clock that only moves when told to: tests and offline rendering.
class ZManualClock final : public ZClock
{
public:
    double nowMilliseconds() override { return now.load(std::memory_order_relaxed); }
    void set(double milliseconds) { now.store(milliseconds, std::memory_order_relaxed); }
    void advance(double milliseconds) { set(nowMilliseconds() + milliseconds); }

private:
    std::atomic<double> now { 0.0 };
};

// A rand()-like generator: values 0..32767 from a linear congruential sequence.
class ZRandom
{
public:
    static constexpr int maxValue = 32767;

    explicit ZRandom(uint32_t seed = 1) : state(seed) {}
    void seed(uint32_t newSeed) { state.store(newSeed, std::memory_order_relaxed); }
    int next();

    // The process-wide generator, seeded with the time when the first
    // instrument of the process is constructed.
    static ZRandom& shared();

private:
    std::atomic<uint32_t> state;
};

// Advises the system to back the whole large pages inside [begin, begin +
// bytes) with large pages; nothing where it has none.
void adviseLargePages(void* begin, size_t bytes);
