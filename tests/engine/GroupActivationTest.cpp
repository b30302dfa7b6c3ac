#include <gtest/gtest.h>

#include <algorithm>

#include "support/EngineFixture.h"

namespace
{
bool isActive(const ZInstrument& instrument, const ZGroup& group)
{
    return std::find(instrument.activeGroups.begin(), instrument.activeGroups.end(), &group)
        != instrument.activeGroups.end();
}
} // namespace

TEST(GroupActivation, KeySwitchEmptiesTheActiveSetAndActivatesItsGroups)
{
    EngineFixture f;
    ZGroup& always = f.defaultGroup();
    ZGroup& legatoA = f.addGroup("A");
    ZGroup& legatoB = f.addGroup("B");
    ZGroup& staccato = f.addGroup("C");
    legatoA.settings.activation = legatoB.settings.activation = staccato.settings.activation = 2;
    legatoA.settings.activationNote = legatoB.settings.activationNote = 24;
    staccato.settings.activationNote = 25;
    f.instrument.activateGroup(&staccato);
    ZZone& staccatoSwitchZone = f.addConstantZone(staccato, 0.1f, 24, 24);

    f.noteOn(24);
    f.render(8);
    // Activation runs before the trigger: the switch emptied the set (the
    // earlier "Always" group with it) before any zone was chosen.
    EXPECT_FALSE(isActive(f.instrument, staccato));
    EXPECT_TRUE(isActive(f.instrument, legatoA));
    EXPECT_TRUE(isActive(f.instrument, legatoB));
    EXPECT_EQ(staccato.settings.active, 0);
    EXPECT_EQ(f.voicesPlaying(staccatoSwitchZone), 0);
    EXPECT_FALSE(isActive(f.instrument, always));

    // A note that is not a switch leaves switch groups as they are; "Always"
    // comes back with it.
    f.noteOn(60);
    f.render(8);
    EXPECT_TRUE(isActive(f.instrument, always));
    EXPECT_TRUE(isActive(f.instrument, legatoA));
    EXPECT_FALSE(isActive(f.instrument, staccato));

    f.noteOn(25, 0);  // a note-off as velocity 0 still switches
    f.render(8);
    EXPECT_TRUE(isActive(f.instrument, staccato));
    EXPECT_FALSE(isActive(f.instrument, legatoA));
}

TEST(GroupActivation, KeySwitchNotePlaysGroupsActiveAfterTheSwitch)
{
    EngineFixture f;
    ZGroup& switched = f.defaultGroup();
    switched.settings.activation = 2;
    switched.settings.activationNote = 36;
    ZGroup& always = f.addGroup("Always after the switch");
    ZZone& switchedZone = f.addConstantZone(switched, 0.2f, 36, 36);
    ZZone& alwaysZone = f.addConstantZone(always, 0.1f, 36, 36);
    f.noteOn(36);
    f.render(8);
    // "Always" comes after the switch group, so it is active again by the time
    // zones are chosen: the switch note plays both.
    EXPECT_EQ(f.voicesPlaying(switchedZone), 1);
    EXPECT_EQ(f.voicesPlaying(alwaysZone), 1);
}

TEST(GroupActivation, ChannelModeFollowsEveryEventIncludingSystemMessages)
{
    EngineFixture f;
    ZGroup& channelFive = f.defaultGroup();
    channelFive.settings.activation = 1;
    channelFive.settings.activationChannel = 5;
    ZZone& zone = f.addConstantZone(channelFive, 0.5f);

    f.noteOn(60, 100, 5);
    f.render(8);
    EXPECT_TRUE(isActive(f.instrument, channelFive));
    EXPECT_EQ(f.voicesPlaying(zone), 1);

    f.instrument.postEvent(0xF0, 0x8, 0, 0, 0);  // timing clock: counts as channel 8
    f.render(8);
    EXPECT_FALSE(isActive(f.instrument, channelFive));

    f.noteOn(62, 100, 3);
    f.render(8);
    EXPECT_EQ(f.activeVoices(), 1);  // channel 3 plays nothing
    f.noteOn(64, 100, 5);
    f.render(8);
    EXPECT_TRUE(isActive(f.instrument, channelFive));
    EXPECT_EQ(f.activeVoices(), 2);
}

TEST(GroupActivation, ControllerRangeProgramAndBypass)
{
    EngineFixture f;
    ZGroup& byController = f.defaultGroup();
    byController.settings.activation = 3;
    byController.settings.activationController = 20;
    byController.settings.activationLow = 10;
    byController.settings.activationHigh = 20;
    ZGroup& byProgram = f.addGroup("Program");
    byProgram.settings.activation = 4;
    byProgram.settings.activationProgram = 7;
    ZGroup& bypassed = f.addGroup("Bypassed");
    f.instrument.activateGroup(&bypassed);
    bypassed.settings.bypass = 1;
    ZGroup& manual = f.addGroup("Manual");
    manual.settings.activation = 5;
    f.instrument.activateGroup(&manual);

    f.controller(20, 15);
    f.render(4);
    // Activation ran before the controller value was stored.
    EXPECT_FALSE(isActive(f.instrument, byController));
    f.controller(21, 0);
    f.render(4);
    EXPECT_TRUE(isActive(f.instrument, byController));
    EXPECT_FALSE(isActive(f.instrument, byProgram));
    EXPECT_FALSE(isActive(f.instrument, bypassed));
    EXPECT_TRUE(isActive(f.instrument, manual));

    f.instrument.postEvent(0xC0, 0, 7, 0, 0);
    f.controller(20, 21, 0);
    f.render(4);
    EXPECT_TRUE(isActive(f.instrument, byProgram));
    f.controller(21, 0);
    f.render(4);
    EXPECT_FALSE(isActive(f.instrument, byController));
    EXPECT_TRUE(isActive(f.instrument, manual));
}

TEST(GroupActivation, ActiveSetChangesWithoutAllocating)
{
    EngineFixture f;
    for (int k = 0; k < 20; ++k)
        f.addGroup("G" + std::to_string(k)).settings.activation = 1;
    const size_t capacity = f.instrument.activeGroups.capacity();
    for (int channel = 0; channel < 16; ++channel)
        f.noteOn(60, 100, channel);
    f.render(8);
    EXPECT_EQ(f.instrument.activeGroups.capacity(), capacity);
}
