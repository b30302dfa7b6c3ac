#pragma once
#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>

// Short MIDI events handed from the audio thread to the message thread without
// allocating or locking: a fixed ring for one producer (the block callback)
// and one consumer (the editor's timer). When the ring is full new events are
// dropped; neither side ever waits.
class CMidiEventQueue
{
public:
    static constexpr size_t capacity = 1024;

    struct Event
    {
        uint8_t bytes[3] = {};
        uint8_t size = 0;
        int32_t samplePosition = 0;  // within the block the event came in
    };

    // Producer only. False when the ring is full and the event was dropped.
    bool push(const uint8_t* data, int size, int samplePosition) noexcept
    {
        const size_t write = writeIndex.load(std::memory_order_relaxed);
        const size_t next = (write + 1) % slots;
        if (next == readIndex.load(std::memory_order_acquire))
            return false;
        Event& event = ring[write];
        event.size = static_cast<uint8_t>(size < 0 ? 0 : (size > 3 ? 3 : size));
        for (size_t k = 0; k < 3; ++k)
            event.bytes[k] = k < event.size ? data[k] : 0;
        event.samplePosition = samplePosition;
        writeIndex.store(next, std::memory_order_release);
        return true;
    }

    // Consumer only. False when the ring is empty.
    bool pop(Event& event) noexcept
    {
        const size_t read = readIndex.load(std::memory_order_relaxed);
        if (read == writeIndex.load(std::memory_order_acquire))
            return false;
        event = ring[read];
        readIndex.store((read + 1) % slots, std::memory_order_release);
        return true;
    }

private:
    // One slot stays free to tell a full ring from an empty one.
    static constexpr size_t slots = capacity + 1;
    std::array<Event, slots> ring {};
    std::atomic<size_t> writeIndex { 0 };
    std::atomic<size_t> readIndex { 0 };
};
