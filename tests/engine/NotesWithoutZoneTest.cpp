// The count of notes that found no zone: note-ons for which no active group
// holds a zone at their key and velocity. Key switches and note-offs are not
// counted; a load (clear) starts the count again.

#include <gtest/gtest.h>

#include "support/EngineFixture.h"

namespace
{
struct Played
{
    const char* what;
    int note;
    int velocity;
    uint64_t counted;  // by this note alone
};

class NotesWithoutZone : public testing::TestWithParam<Played>
{
};
} // namespace

TEST_P(NotesWithoutZone, CountsOnlyNoteOnsThatNoActiveGroupCanPlay)
{
    const Played played = GetParam();
    EngineFixture f;
    f.addConstantZone(f.defaultGroup(), 0.1f, 60, 64, 1, 100);
    ZGroup& releases = f.addGroup("Releases");
    releases.settings.releaseTrigger = 1;
    f.addConstantZone(releases, 0.1f, 70, 70);
    f.instrument.activateGroup(&releases);
    ZGroup& switched = f.addGroup("Switched");
    switched.settings.activation = 2;  // by note
    switched.settings.activationNote = 24;

    f.noteOn(played.note, played.velocity);
    f.render(8);
    EXPECT_EQ(f.instrument.notesThatFoundNoZone(), played.counted);
}

INSTANTIATE_TEST_SUITE_P(
    Notes, NotesWithoutZone,
    testing::Values(Played { "inside", 60, 50, 0 }, Played { "topKeyAndVelocity", 64, 100, 0 },
                    Played { "keyAbove", 65, 50, 1 }, Played { "keyBelow", 59, 50, 1 },
                    Played { "velocityAbove", 60, 101, 1 }, Played { "noteOffAsVelocity0", 65, 0, 0 },
                    Played { "releaseTriggerZone", 70, 50, 0 }, Played { "keySwitch", 24, 50, 0 }),
    [](const testing::TestParamInfo<Played>& info) { return std::string(info.param.what); });

TEST(NotesWithoutZoneCount, AddsUpAndStartsAgainAtClear)
{
    EngineFixture f;
    f.addConstantZone(f.defaultGroup(), 0.1f, 60, 60);
    for (int note : { 61, 60, 62, 61 })
        f.noteOn(note);
    f.render(8);
    EXPECT_EQ(f.instrument.notesThatFoundNoZone(), 3u);
    f.instrument.clear();
    EXPECT_EQ(f.instrument.notesThatFoundNoZone(), 0u);
    f.noteOn(60);  // no groups at all now
    f.render(8);
    EXPECT_EQ(f.instrument.notesThatFoundNoZone(), 1u);
}
