#include "engine/SampleMemory.h"

#include <sys/mman.h>

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
