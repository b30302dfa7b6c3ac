#include "engine/ZThreadCheck.h"

#include <cstdio>
#include <cstdlib>

namespace
{
void abortWithMessage(const char* operation)
{
    std::fprintf(stderr, "thread contract broken: %s\n", operation);
    std::abort();
}

std::atomic<ZRenderingThread::FailureHandler> failureHandler { abortWithMessage };
} // namespace

void ZRenderingThread::enter() noexcept
{
    const std::thread::id self = std::this_thread::get_id();
    const std::thread::id before = inside.exchange(self, std::memory_order_acq_rel);
    ZSP_THREAD_CHECK(before == std::thread::id() || before == self, "ZInstrument::process entered by a second thread");
    (void)before;
    renderer.store(self, std::memory_order_relaxed);
}

void ZRenderingThread::leave() noexcept
{
    inside.store(std::thread::id(), std::memory_order_release);
}

void ZRenderingThread::claim() noexcept
{
    ZSP_THREAD_CHECK(noOtherIsRendering(), "a block started while another thread renders");
    renderer.store(std::this_thread::get_id(), std::memory_order_relaxed);
}

bool ZRenderingThread::isRendererOrNone() const noexcept
{
    const std::thread::id last = renderer.load(std::memory_order_relaxed);
    return last == std::thread::id() || last == std::this_thread::get_id();
}

bool ZRenderingThread::noOtherIsRendering() const noexcept
{
    const std::thread::id now = inside.load(std::memory_order_acquire);
    return now == std::thread::id() || now == std::this_thread::get_id();
}

void ZRenderingThread::setFailureHandler(FailureHandler handler) noexcept
{
    failureHandler.store(handler != nullptr ? handler : abortWithMessage);
}

void ZRenderingThread::fail(const char* operation) noexcept
{
    failureHandler.load()(operation);
}
