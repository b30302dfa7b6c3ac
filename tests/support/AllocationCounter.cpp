#include "support/AllocationCounter.h"

#include <cstdlib>
#include <new>

namespace
{
thread_local bool counting = false;
thread_local long counted = 0;

void* allocate(std::size_t size)
{
    if (counting)
        ++counted;
    if (void* memory = std::malloc(size == 0 ? 1 : size))
        return memory;
    throw std::bad_alloc();
}
} // namespace

void* operator new(std::size_t size) { return allocate(size); }
void* operator new[](std::size_t size) { return allocate(size); }
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete[](void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete[](void* memory, std::size_t) noexcept { std::free(memory); }

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
