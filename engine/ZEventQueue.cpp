#include "engine/ZEventQueue.h"

#include <bit>
#include <cstdint>

ZEventQueue::ZEventQueue(size_t capacity)
    : mask(std::bit_ceil(capacity < 2 ? size_t { 2 } : capacity) - 1), cells(new Cell[mask + 1])
{
    for (size_t k = 0; k <= mask; ++k)
        cells[k].sequence.store(k, std::memory_order_relaxed);
}

bool ZEventQueue::push(const ZEvent& event) noexcept
{
    size_t position = appended.load(std::memory_order_relaxed);
    Cell* cell;
    for (;;)
    {
        cell = &cells[position & mask];
        const size_t sequence = cell->sequence.load(std::memory_order_acquire);
        const auto lead = static_cast<std::ptrdiff_t>(sequence - position);
        if (lead == 0)
        {
            if (appended.compare_exchange_weak(position, position + 1, std::memory_order_relaxed))
                break;
        }
        else if (lead < 0)
            return false;  // the cell still holds an event not taken: full
        else
            position = appended.load(std::memory_order_relaxed);
    }
    cell->event = event;
    cell->sequence.store(position + 1, std::memory_order_release);
    return true;
}

void ZEventQueue::takeInto(std::vector<ZEvent>& out) noexcept
{
    size_t position = taken.load(std::memory_order_relaxed);
    while (out.size() < out.capacity())
    {
        Cell& cell = cells[position & mask];
        if (cell.sequence.load(std::memory_order_acquire) != position + 1)
            break;  // empty, or an append still under way
        out.push_back(cell.event);
        cell.sequence.store(position + mask + 1, std::memory_order_release);
        ++position;
    }
    taken.store(position, std::memory_order_relaxed);
}

size_t ZEventQueue::size() const noexcept
{
    return appended.load(std::memory_order_relaxed) - taken.load(std::memory_order_relaxed);
}
