#include "support/AllocationCounter.h"

#include <cstddef>
#include <cstdlib>
#include <new>

namespace
{
thread_local bool counting = false;
thread_local long counted = 0;

void* tryAllocate(std::size_t size, std::size_t alignment = 0) noexcept
{
    if (counting)
        ++counted;
    if (alignment <= alignof(std::max_align_t))
        return std::malloc(size == 0 ? 1 : size);
    // aligned_alloc wants a size that is a multiple of the alignment.
    return std::aligned_alloc(alignment, (size + alignment - 1) / alignment * alignment);
}

void* allocate(std::size_t size, std::size_t alignment = 0)
{
    if (void* memory = tryAllocate(size, alignment))
        return memory;
    throw std::bad_alloc();
}
} // namespace

// Every form of the global operators, so each allocation is counted and every
// block goes back to the allocator it came from.
void* operator new(std::size_t size) { return allocate(size); }
void* operator new[](std::size_t size) { return allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return tryAllocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return tryAllocate(size); }
void* operator new(std::size_t size, std::align_val_t alignment) { return allocate(size, static_cast<std::size_t>(alignment)); }
void* operator new[](std::size_t size, std::align_val_t alignment) { return allocate(size, static_cast<std::size_t>(alignment)); }
void* operator new(std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept
{
    return tryAllocate(size, static_cast<std::size_t>(alignment));
}
void* operator new[](std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept
{
    return tryAllocate(size, static_cast<std::size_t>(alignment));
}
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete[](void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete[](void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete(void* memory, const std::nothrow_t&) noexcept { std::free(memory); }
void operator delete[](void* memory, const std::nothrow_t&) noexcept { std::free(memory); }
void operator delete(void* memory, std::align_val_t) noexcept { std::free(memory); }
void operator delete[](void* memory, std::align_val_t) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t, std::align_val_t) noexcept { std::free(memory); }
void operator delete[](void* memory, std::size_t, std::align_val_t) noexcept { std::free(memory); }
void operator delete(void* memory, std::align_val_t, const std::nothrow_t&) noexcept { std::free(memory); }
void operator delete[](void* memory, std::align_val_t, const std::nothrow_t&) noexcept { std::free(memory); }

AllocationCounter::AllocationCounter()
{
    counted = 0;
    counting = true;
}

AllocationCounter::~AllocationCounter()
{
    counting = false;
}

long AllocationCounter::allocations() const
{
    return counted;
}
