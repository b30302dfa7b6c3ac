#pragma once
// Debug checks of the instrument's thread contract (ZInstrument.h). The thread
// inside ZInstrument::process is the audio thread. Operations that only the
// block loop may run check that they are called on the thread that renders,
// or while no other thread does; structural changes (clear, the voice pool,
// the sample rate) check that no other thread is rendering. Builds with
// ZSP_THREAD_CHECKS (debug and sanitizer builds) run the checks; a failure
// names the operation on standard error and aborts. Other builds compile the
// checks away.

#include <atomic>
#include <thread>

class ZRenderingThread
{
public:
    // ZInstrument::process: the calling thread renders until leave(). A second
    // thread entering while one renders fails the check.
    void enter() noexcept;
    void leave() noexcept;
    // The start of a host's block, before the changes it brings reach the
    // voices: hosts may move their audio thread, and the thread that starts a
    // block renders from then on.
    void claim() noexcept;

    // True on the thread that rendered last, and before any block was rendered.
    bool isRendererOrNone() const noexcept;
    // True unless a thread other than the caller is rendering right now.
    bool noOtherIsRendering() const noexcept;

    using FailureHandler = void (*)(const char* operation);
    // Tests replace the abort; null restores it.
    static void setFailureHandler(FailureHandler handler) noexcept;
    static void fail(const char* operation) noexcept;

private:
    std::atomic<std::thread::id> renderer {};
    std::atomic<std::thread::id> inside {};
};

#if defined(ZSP_THREAD_CHECKS) && ZSP_THREAD_CHECKS
#define ZSP_THREAD_CHECK(condition, operation) ((condition) ? (void)0 : ZRenderingThread::fail(operation))
#else
#define ZSP_THREAD_CHECK(condition, operation) ((void)0)
#endif
