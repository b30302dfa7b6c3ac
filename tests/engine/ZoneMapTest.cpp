#include <gtest/gtest.h>

#include <vector>

#include "engine/ZZoneMap.h"
#include "support/EngineFixture.h"

namespace
{
struct Bounds
{
    int lowKey, highKey, lowVelocity, highVelocity;
};

ZZoneMap mapOf(const std::vector<Bounds>& zones)
{
    ZZoneMap map;
    for (size_t k = 0; k < zones.size(); ++k)
        map.add(static_cast<uint32_t>(k), zones[k].lowKey, zones[k].highKey, zones[k].lowVelocity, zones[k].highVelocity);
    return map;
}

std::vector<uint32_t> cellOf(const ZZoneMap& map, int note, int velocity)
{
    std::vector<uint32_t> zones;
    for (uint32_t j = 0; j < map.count(note, velocity); ++j)
        zones.push_back(map.at(note, velocity, j));
    return zones;
}

// Zones 0..6: a small square, one key, the whole map, a corner of the square,
// a range above the map, an inverted range and one that starts below it.
const std::vector<Bounds> mixed = {
    { 60, 64, 100, 127 }, { 62, 62, 0, 127 }, { 0, 127, 0, 127 }, { 62, 62, 100, 127 },
    { 130, 140, 0, 127 }, { 70, 60, 0, 127 }, { -5, 3, -10, 200 },
};

struct CellCase
{
    int note, velocity;
    std::vector<uint32_t> zones;
};

class ZoneMapCells : public testing::TestWithParam<CellCase>
{
};

TEST_P(ZoneMapCells, HoldTheZonesOverThemInZoneOrder)
{
    const ZZoneMap map = mapOf(mixed);
    const CellCase& c = GetParam();
    EXPECT_EQ(cellOf(map, c.note, c.velocity), c.zones);
}

INSTANTIATE_TEST_SUITE_P(HandChosen, ZoneMapCells,
                         testing::Values(CellCase { 62, 110, { 0, 1, 2, 3 } }, CellCase { 62, 99, { 1, 2 } },
                                         CellCase { 61, 110, { 0, 2 } }, CellCase { 64, 127, { 0, 2 } },
                                         CellCase { 65, 127, { 2 } }, CellCase { 10, 5, { 2 } },
                                         CellCase { 0, 0, { 2, 6 } }, CellCase { 3, 127, { 2, 6 } },
                                         CellCase { 4, 127, { 2 } }, CellCase { 127, 127, { 2 } },
                                         CellCase { 128, 0, {} }, CellCase { -1, 0, {} }));
} // namespace

TEST(ZoneMap, ZonesOfOneRangeInterleavedWithAnotherKeepZoneOrder)
{
    // Zones 0, 2, 4 over keys 0..63; zones 1, 3 over keys 32..127.
    const ZZoneMap map = mapOf({ { 0, 63, 0, 127 }, { 32, 127, 0, 127 }, { 0, 63, 0, 127 }, { 32, 127, 0, 127 },
                                 { 0, 63, 0, 127 } });
    EXPECT_EQ(cellOf(map, 40, 64), (std::vector<uint32_t> { 0, 1, 2, 3, 4 }));
    EXPECT_EQ(cellOf(map, 10, 64), (std::vector<uint32_t> { 0, 2, 4 }));
    EXPECT_EQ(cellOf(map, 100, 64), (std::vector<uint32_t> { 1, 3 }));
}

TEST(ZoneMap, ClearedMapHoldsNothing)
{
    ZZoneMap map = mapOf(mixed);
    map.clear();
    EXPECT_EQ(map.count(62, 110), 0u);
    map.add(0, 62, 62, 110, 110);
    EXPECT_EQ(cellOf(map, 62, 110), (std::vector<uint32_t> { 0 }));
}

TEST(ZoneMap, TwentyThousandZonesOverOneRangeAreAllInEveryCell)
{
    ZZoneMap map;
    for (uint32_t k = 0; k < 20000; ++k)
        map.add(k, 0, 127, 0, 127);
    EXPECT_EQ(map.count(0, 0), 20000u);
    EXPECT_EQ(map.count(127, 127), 20000u);
    EXPECT_EQ(map.at(64, 64, 0), 0u);
    EXPECT_EQ(map.at(64, 64, 12345), 12345u);
    EXPECT_EQ(map.at(64, 64, 19999), 19999u);
}

TEST(ZoneMap, ManyOverlappingRangesAnswerAsAScanOfEveryZone)
{
    // Zone k from key k mod 128 and velocity 7k mod 128 up to the top.
    std::vector<Bounds> zones;
    for (int k = 0; k < 3000; ++k)
        zones.push_back({ k % 128, 127, (7 * k) % 128, 127 });
    const ZZoneMap map = mapOf(zones);
    const std::pair<int, int> cells[] = { { 0, 0 }, { 5, 40 }, { 64, 64 }, { 127, 127 }, { 127, 0 } };
    for (const auto& [note, velocity] : cells)
    {
        std::vector<uint32_t> scanned;
        for (size_t k = 0; k < zones.size(); ++k)
            if (note >= zones[k].lowKey && velocity >= zones[k].lowVelocity)
                scanned.push_back(static_cast<uint32_t>(k));
        EXPECT_EQ(cellOf(map, note, velocity), scanned) << note << "," << velocity;
    }
}

TEST(ZoneMap, RoundRobinOverOverlappingZonesPlaysThemInZoneOrder)
{
    // At key 60: zones 0 (keys 0..127), 1 (keys 60..61), 2 (keys 0..127).
    // Round robin starts after entry 0, so the cell's entries come 1, 2, 0, 1.
    EngineFixture f;
    ZGroup& group = f.defaultGroup();
    group.settings.zoneSelection = 1;
    ZZone& wide = f.addConstantZone(group, 0.1f);
    ZZone& narrow = f.addConstantZone(group, 0.2f, 60, 61);
    ZZone& wideAgain = f.addConstantZone(group, 0.3f);
    ZRandom random(1);
    EXPECT_EQ(group.chooseZone(60, 100, random), &narrow);
    EXPECT_EQ(group.chooseZone(60, 100, random), &wideAgain);
    EXPECT_EQ(group.chooseZone(60, 100, random), &wide);
    EXPECT_EQ(group.chooseZone(60, 100, random), &narrow);
    // At key 50 the cell holds two entries; the last choice (1) moves on to 0.
    EXPECT_EQ(group.chooseZone(50, 100, random), &wide);
    EXPECT_EQ(group.chooseZone(50, 100, random), &wideAgain);
}
