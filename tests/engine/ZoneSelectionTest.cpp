#include <gtest/gtest.h>

#include "support/EngineFixture.h"

namespace
{
struct ThreeZoneCell : EngineFixture
{
    explicit ThreeZoneCell(int selection)
    {
        defaultGroup().settings.zoneSelection = selection;
        for (int k = 0; k < 3; ++k)
            zones[k] = &addConstantZone(defaultGroup(), 0.1f * (k + 1));
    }

    // Index of the zone the next note starts.
    int play(int note)
    {
        const ZVoice* before[32];
        for (size_t k = 0; k < 32; ++k)
            before[k] = instrument.voices[k]->isActive() ? instrument.voices[k].get() : nullptr;
        noteOn(note);
        render(2);
        for (size_t k = 0; k < 32; ++k)
            if (instrument.voices[k]->isActive() && before[k] == nullptr)
            {
                for (int z = 0; z < 3; ++z)
                    if (instrument.voices[k]->getZone() == zones[z])
                        return z;
            }
        return -1;
    }

    ZZone* zones[3] {};
};
} // namespace

TEST(ZoneSelection, RoundRobinAdvancesAcrossTheWholeGroup)
{
    ThreeZoneCell f(1);
    // Starting from lastChoice 0 the order is 1, 2, 0, 1, whatever the note.
    EXPECT_EQ(f.play(60), 1);
    EXPECT_EQ(f.play(61), 2);
    EXPECT_EQ(f.play(40), 0);
    EXPECT_EQ(f.play(60), 1);
}

TEST(ZoneSelection, StackStartsEveryZoneOfTheCell)
{
    ThreeZoneCell f(0);
    f.noteOn(60);
    f.render(2);
    EXPECT_EQ(f.activeVoices(), 3);
    EXPECT_EQ(f.defaultGroup().stackIndex, 0);
    // Outside the group's own range nothing starts even though zones map it.
    f.defaultGroup().settings.highKey = 70;
    f.noteOn(80);
    f.render(2);
    EXPECT_EQ(f.activeVoices(), 3);
}

TEST(ZoneSelection, RandomRobinNeverRepeatsTheLastEntry)
{
    ThreeZoneCell f(2);
    int previous = f.play(60);
    for (int k = 0; k < 200; ++k)
    {
        f.instrument.postEvent(0xB0, 0, 120, 0, 0);  // free the pool
        f.render(200);
        const int chosen = f.play(60);
        ASSERT_NE(chosen, previous);
        ASSERT_GE(chosen, 0);
        previous = chosen;
    }
}

TEST(ZoneSelection, RandomRobinWithOneZonePlaysItEveryTime)
{
    EngineFixture f;
    f.defaultGroup().settings.zoneSelection = 2;
    ZZone& only = f.addConstantZone(f.defaultGroup(), 0.3f);
    for (int k = 0; k < 5; ++k)
    {
        f.noteOn(60);
        f.render(2);
    }
    EXPECT_EQ(f.voicesPlaying(only), 5);
}

TEST(ZoneSelection, TotalRandomCoversTheCellAndFollowsTheSeed)
{
    std::vector<int> firstRun, secondRun;
    for (auto* run : { &firstRun, &secondRun })
    {
        ThreeZoneCell f(3);
        for (int k = 0; k < 30; ++k)
        {
            run->push_back(f.play(60));
            f.instrument.postEvent(0xB0, 0, 120, 0, 0);
            f.render(200);
        }
    }
    EXPECT_EQ(firstRun, secondRun);
    for (int z = 0; z < 3; ++z)
        EXPECT_NE(std::count(firstRun.begin(), firstRun.end(), z), 0);
}
