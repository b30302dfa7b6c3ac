#include "engine/ZStreamingThread.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <vector>

#include "engine/ZPlatform.h"

namespace
{
struct StreamingState
{
    // Held while the thread serves the instruments and while one is added or
    // removed, so an instrument never goes away under its own service.
    std::mutex listMutex;
    std::vector<ZSEThreadClient*> live;
    ZSemaphore requests { 0, 999 };
    std::atomic<bool> stopRequested { false };
    ZThread thread;
};

// Never destroyed: a thread still serving at process exit must not be joined
// by a static destructor.
StreamingState& state()
{
    static StreamingState* const shared = new StreamingState;
    return *shared;
}

void serveUntilStopped()
{
    StreamingState& s = state();
    for (;;)
    {
        s.requests.acquire();
        if (s.stopRequested.load(std::memory_order_acquire))
            return;
        std::lock_guard<std::mutex> guard(s.listMutex);
        for (ZSEThreadClient* instrument : s.live)
            instrument->serviceStreams();
    }
}
} // namespace

namespace ZStreamingThread
{
bool registerInstrument(ZSEThreadClient* instrument)
{
    StreamingState& s = state();
    std::lock_guard<std::mutex> guard(s.listMutex);
    s.live.push_back(instrument);
    if (s.live.size() != 1)
        return false;
    s.stopRequested.store(false, std::memory_order_release);
    s.thread.start(serveUntilStopped);
    return true;
}

void unregisterInstrument(ZSEThreadClient* instrument)
{
    StreamingState& s = state();
    bool last = false;
    {
        std::lock_guard<std::mutex> guard(s.listMutex);
        s.live.erase(std::remove(s.live.begin(), s.live.end(), instrument), s.live.end());
        last = s.live.empty();
        if (last)
        {
            s.stopRequested.store(true, std::memory_order_release);
            // A refused release still leaves the count above zero, so the
            // thread wakes either way.
            s.requests.release();
        }
    }
    if (last)
        s.thread.join();
}

bool wake()
{
    return state().requests.release();
}

void waitForService()
{
    std::lock_guard<std::mutex> guard(state().listMutex);
}

int liveInstrumentCount()
{
    StreamingState& s = state();
    std::lock_guard<std::mutex> guard(s.listMutex);
    return static_cast<int>(s.live.size());
}

bool isRunning()
{
    StreamingState& s = state();
    std::lock_guard<std::mutex> guard(s.listMutex);
    return s.thread.isRunning();
}
} // namespace ZStreamingThread
