#include "engine/ZZoneMap.h"

#include <algorithm>

void ZZoneMap::add(uint32_t zone, int lowKey, int highKey, int lowVelocity, int highVelocity)
{
    // Ranges are clamped to the map, so a stored range past 0..127 cannot
    // reach outside it.
    const int keyFrom = std::clamp(lowKey, 0, 128);
    const int keyTo = std::clamp(highKey, -1, 127);
    const int velocityFrom = std::clamp(lowVelocity, 0, 128);
    const int velocityTo = std::clamp(highVelocity, -1, 127);
    if (keyFrom > keyTo || velocityFrom > velocityTo)
        return;

    const uint32_t bounds = static_cast<uint32_t>(keyFrom) << 24 | static_cast<uint32_t>(keyTo) << 16
                          | static_cast<uint32_t>(velocityFrom) << 8 | static_cast<uint32_t>(velocityTo);
    const auto [found, isNew] = rangeByBounds.try_emplace(bounds, static_cast<uint32_t>(ranges.size()));
    if (isNew)
    {
        ranges.push_back(Range { static_cast<uint8_t>(velocityFrom), static_cast<uint8_t>(velocityTo), {} });
        for (int key = keyFrom; key <= keyTo; ++key)
            rangesAtKey[static_cast<size_t>(key)].push_back(found->second);
    }
    ranges[found->second].zones.push_back(zone);
}

void ZZoneMap::clear()
{
    ranges.clear();
    rangeByBounds.clear();
    for (auto& list : rangesAtKey)
        list.clear();
}

uint32_t ZZoneMap::count(int note, int velocity) const
{
    if (note < 0 || note > 127)
        return 0;
    uint32_t total = 0;
    for (const uint32_t r : rangesAtKey[static_cast<size_t>(note)])
        if (holds(ranges[r], velocity))
            total += static_cast<uint32_t>(ranges[r].zones.size());
    return total;
}

uint32_t ZZoneMap::at(int note, int velocity, uint32_t j) const
{
    const std::vector<uint32_t>& here = rangesAtKey[static_cast<size_t>(note & 0x7F)];
    const Range* only = nullptr;
    uint32_t matching = 0;
    uint32_t highest = 0;
    for (const uint32_t r : here)
        if (holds(ranges[r], velocity))
        {
            only = &ranges[r];
            ++matching;
            highest = std::max(highest, ranges[r].zones.back());
        }
    if (matching == 1)
        return only->zones[j];

    // The j-th of several ascending lists merged: the smallest zone index with
    // more than j indices at or below it.
    uint32_t low = 0, high = highest;
    while (low < high)
    {
        const uint32_t middle = low + (high - low) / 2;
        uint32_t atOrBelow = 0;
        for (const uint32_t r : here)
            if (holds(ranges[r], velocity))
            {
                const std::vector<uint32_t>& zones = ranges[r].zones;
                atOrBelow += static_cast<uint32_t>(std::upper_bound(zones.begin(), zones.end(), middle) - zones.begin());
            }
        if (atOrBelow > j)
            high = middle;
        else
            low = middle + 1;
    }
    return low;
}
