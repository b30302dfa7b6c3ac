#pragma once
// The events waiting for the next block. Any thread appends; only the audio
// thread takes them, at the first sample of a block. Neither side locks or
// waits: an append claims its cell with one compare-and-swap and then
// publishes the event; taking stops at the first cell whose append is not yet
// published, so that event and every later one wait, in order, for the next
// block. Events come out in the order their appends claimed cells. A full
// queue refuses the append (the event is dropped) instead of growing.

#include <atomic>
#include <cstddef>
#include <memory>
#include <vector>

#include "engine/ZEvent.h"

class ZEventQueue
{
public:
    // Capacity is rounded up to a power of two.
    explicit ZEventQueue(size_t capacity);
    ZEventQueue(const ZEventQueue&) = delete;
    ZEventQueue& operator=(const ZEventQueue&) = delete;

    // Any thread. False when the queue is full.
    bool push(const ZEvent& event) noexcept;

    // The taking thread only: appends every published event to `out`, in
    // order, as far as out's spare capacity goes (so it never allocates).
    void takeInto(std::vector<ZEvent>& out) noexcept;

    // Events appended and not yet taken; exact only while nobody appends.
    size_t size() const noexcept;
    size_t capacity() const noexcept { return mask + 1; }

private:
    struct Cell
    {
        // The append count that may write this cell next (free), or one more
        // than the count that wrote it (published).
        std::atomic<size_t> sequence;
        ZEvent event;
    };

    const size_t mask;
    const std::unique_ptr<Cell[]> cells;
    std::atomic<size_t> appended { 0 };
    std::atomic<size_t> taken { 0 };
};
