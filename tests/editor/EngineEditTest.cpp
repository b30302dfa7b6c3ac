// The window's edits as the engine receives them: stored field by field,
// followed by their recomputation, group by group, and the copies of the
// engine the window reads.

#include <cstring>

#include <gtest/gtest.h>

#include "editor/ControlBindings.h"
#include "engine/ZInstrument.h"
#include "processor/CEngineEdit.h"
#include "processor/CEngineView.h"
#include "support/MemorySound.h"

namespace
{
class EngineEdits : public ::testing::Test
{
protected:
    EngineEdits()
    {
        instrument.clear();
        for (int g = 0; g < 3; ++g)
        {
            ZGroup* group = instrument.addGroup("G" + std::to_string(g));
            auto* zone = new ZZone(&instrument, std::make_unique<MemorySound>(std::vector<float>(64, 0.5f), 1));
            zone->settings.attack = 10.0f;
            group->addZone(zone);
            zone->updateDerived();
        }
        instrument.activateGroup(group(0));
        instrument.activateGroup(group(1));
        instrument.currentGroup = group(1);
    }

    ZGroup* group(int index) { return instrument.groups[static_cast<size_t>(index)].get(); }
    float attackCoefficient(int index) { return group(index)->zones.front()->attackCoefficient; }

    ZInstrument instrument;
};

TEST_F(EngineEdits, AKnobWithMask5ChangesGroups0And2AndRecomputesTheirZones)
{
    const float before = attackCoefficient(0);
    for (int target : ControlBindings::groupsForMask("5", 3, 1))
        applyEngineEdit(instrument, ControlBindings::knobEdit(101, 1.0, target));
    EXPECT_FLOAT_EQ(group(0)->settings.attackScale, 2.0f);
    EXPECT_FLOAT_EQ(group(1)->settings.attackScale, 1.0f);
    EXPECT_FLOAT_EQ(group(2)->settings.attackScale, 2.0f);
    // Twice the attack time: a coefficient closer to 0 (a slower rise).
    EXPECT_LT(attackCoefficient(0), before);
    EXPECT_LT(attackCoefficient(2), before);
    EXPECT_FLOAT_EQ(attackCoefficient(1), before);
}

TEST_F(EngineEdits, AKnobWithoutMaskChangesOnlyTheCurrentGroup)
{
    for (int target : ControlBindings::groupsForMask("", 3, 1))
        applyEngineEdit(instrument, ControlBindings::knobEdit(101, 0.25, target));
    EXPECT_FLOAT_EQ(group(0)->settings.attackScale, 1.0f);
    EXPECT_FLOAT_EQ(group(1)->settings.attackScale, 0.5f);
    EXPECT_FLOAT_EQ(group(2)->settings.attackScale, 1.0f);
}

TEST_F(EngineEdits, InstrumentKnobsStoreTheirField)
{
    applyEngineEdit(instrument, ControlBindings::knobEdit(2, 0.5));
    EXPECT_FLOAT_EQ(instrument.settings.volume, -12.0f);
    applyEngineEdit(instrument, ControlBindings::knobEdit(7, 0.25));
    EXPECT_EQ(instrument.settings.velocityFloor, -45);
    applyEngineEdit(instrument, ControlBindings::comboEdit(4, 3));
    EXPECT_EQ(instrument.settings.lfoShape, 3);
}

TEST_F(EngineEdits, TheBendKnobSetsPositionAndTarget)
{
    applyEngineEdit(instrument, ControlBindings::knobEdit(9, 1.0));
    EXPECT_FLOAT_EQ(instrument.bendPosition, 1.0f);
    EXPECT_NEAR(instrument.bendTarget, 1.1224620483, 1e-6);  // the engine's range of 2 semitones
    applyEngineEdit(instrument, ControlBindings::knobEdit(9, 0.5));
    EXPECT_FLOAT_EQ(instrument.bendTarget, 1.0f);
}

TEST_F(EngineEdits, SelectingAGroupLeavesItAloneActiveAndCurrent)
{
    applyEngineEdit(instrument, ControlBindings::selectGroupEdit(2, 3));
    ASSERT_EQ(instrument.activeGroups.size(), 1u);
    EXPECT_EQ(instrument.activeGroups.front(), group(2));
    EXPECT_EQ(instrument.currentGroup, group(2));
    EXPECT_EQ(group(0)->settings.active, 0);
    EXPECT_EQ(group(1)->settings.active, 0);
    EXPECT_EQ(group(2)->settings.active, 1);
}

TEST_F(EngineEdits, GroupButtonsSwitchGroupsAndStoreTheirToggle)
{
    using ControlBindings::ButtonAction;
    applyEngineEdit(instrument, ControlBindings::buttonGroupEdit(ButtonAction::groupActive, false, 0));
    applyEngineEdit(instrument, ControlBindings::buttonGroupEdit(ButtonAction::groupActive, true, 2));
    EXPECT_EQ(group(0)->settings.active, 0);
    EXPECT_EQ(group(2)->settings.active, 1);
    EXPECT_EQ(instrument.activeGroups.size(), 2u);
    applyEngineEdit(instrument, ControlBindings::buttonGroupEdit(ButtonAction::bypass, true, 1));
    EXPECT_EQ(group(1)->settings.bypass, 1);
}

TEST_F(EngineEdits, EditsForGroupsOrFieldsThatDoNotExistChangeNothing)
{
    const InstrumentSettings before = instrument.settings;
    applyEngineEdit(instrument, ControlBindings::knobEdit(101, 1.0, 3));
    applyEngineEdit(instrument, ControlBindings::knobEdit(101, 1.0, -1));
    applyEngineEdit(instrument, CEngineEdit::groups(CEngineEdit::Kind::selectGroup, 7));
    applyEngineEdit(instrument, CEngineEdit::groups(CEngineEdit::Kind::activateGroup, -2));
    applyEngineEdit(instrument, CEngineEdit::floatField(CEngineEdit::Kind::instrumentField, sizeof(InstrumentSettings),
                                                        1.0f, CEngineEdit::Then::nothing));
    applyEngineEdit(instrument, CEngineEdit::floatField(CEngineEdit::Kind::groupField, 2, 1.0f,
                                                        CEngineEdit::Then::nothing, 0));
    EXPECT_EQ(std::memcmp(&before, &instrument.settings, sizeof before), 0);
    EXPECT_EQ(instrument.activeGroups.size(), 2u);
    for (int g = 0; g < 3; ++g)
        EXPECT_FLOAT_EQ(group(g)->settings.attackScale, 1.0f);
}

TEST(EngineEditQueue, KeepsOrderAndRefusesWhenFull)
{
    auto queue = std::make_unique<CEngineEditQueue>();
    for (size_t k = 0; k < CEngineEditQueue::capacity; ++k)
        EXPECT_TRUE(queue->push(CEngineEdit::groups(CEngineEdit::Kind::selectGroup, static_cast<int>(k))));
    EXPECT_FALSE(queue->push(CEngineEdit::groups(CEngineEdit::Kind::selectGroup, -5)));
    CEngineEdit edit;
    for (size_t k = 0; k < CEngineEditQueue::capacity; ++k)
    {
        ASSERT_TRUE(queue->pop(edit));
        EXPECT_EQ(edit.group, static_cast<int>(k));
    }
    EXPECT_FALSE(queue->pop(edit));
    EXPECT_TRUE(queue->isEmpty());
}

TEST_F(EngineEdits, TheViewCopiesSettingsGroupsAndTheCurrentGroup)
{
    CEngineView view;
    view.fitGroups(instrument);
    instrument.settings.volume = -7.0f;
    group(2)->settings.output = 5;
    view.capture(instrument);
    EXPECT_FLOAT_EQ(view.settings.volume, -7.0f);
    ASSERT_EQ(view.groups.size(), 3u);
    EXPECT_EQ(view.groups[2].output, 5);
    EXPECT_EQ(view.currentGroup, 1);
    EXPECT_EQ(view.groups[0].active, 1);
    EXPECT_EQ(view.groups[2].active, 0);
    EXPECT_EQ(view.serial, 1u);

    // Without room for the groups (the audio thread never makes any) it
    // copies the settings only.
    CEngineView bare;
    bare.capture(instrument);
    EXPECT_TRUE(bare.groups.empty());
    EXPECT_EQ(bare.currentGroup, -1);
}
} // namespace
