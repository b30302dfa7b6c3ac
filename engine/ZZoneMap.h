#pragma once
#include <array>
#include <cstdint>
#include <unordered_map>
#include <vector>

// Which zones of a group answer a key and velocity: the zones whose ranges
// hold the cell, in the order they were added.
//
// Zones are kept by range: every distinct (clamped) key and velocity range
// holds the indices of its zones, and every key the ranges that reach it.
// Adding a zone costs one look-up plus, for a range not seen before, one entry
// per key it spans, so a group of many zones over one range (round robins,
// layers) builds in time linear in its zones, and the map never holds one
// entry per zone and cell.
class ZZoneMap
{
public:
    // Adds the zone with index `zone` (one above every index added before)
    // over its key and velocity range as stored; a range that holds no cell
    // of the 128 x 128 map adds nothing.
    void add(uint32_t zone, int lowKey, int highKey, int lowVelocity, int highVelocity);
    void clear();

    // How many zones the cell holds, and the index of its j-th one (j below
    // that count), in zone order.
    uint32_t count(int note, int velocity) const;
    uint32_t at(int note, int velocity, uint32_t j) const;

private:
    struct Range
    {
        uint8_t velocityFrom;
        uint8_t velocityTo;
        std::vector<uint32_t> zones;  // ascending
    };

    bool holds(const Range& range, int velocity) const
    {
        return velocity >= range.velocityFrom && velocity <= range.velocityTo;
    }

    std::vector<Range> ranges;
    std::unordered_map<uint32_t, uint32_t> rangeByBounds;
    std::array<std::vector<uint32_t>, 128> rangesAtKey;
};
