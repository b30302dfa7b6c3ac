#pragma once
// The sample memory of a zone, sized before its frames are read into it.
//
// Hundreds of megabytes of fresh memory filled page by page cost several times
// more than reading the same bytes from the page cache, so a block that spans
// large pages asks the system for them (where it has them; elsewhere this is a
// plain resize). The values start as zeros either way.

#include <cstddef>
#include <vector>

#include "engine/ZPlatform.h"

// Makes `values` hold `count` zeros, in a block that may use large pages.
template <typename Sample>
void sizeSampleMemory(std::vector<Sample>& values, size_t count)
{
    values.clear();
    if (values.capacity() < count)
    {
        std::vector<Sample>().swap(values);
        values.reserve(count);
        adviseLargePages(values.data(), count * sizeof(Sample));
    }
    values.assign(count, Sample {});
}
