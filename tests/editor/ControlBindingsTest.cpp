// The tables that say what each layout control does, checked against values
// worked out by hand from the tables' rules.

#include <cmath>
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "editor/ControlBindings.h"
#include "engine/ZInstrument.h"

using namespace ControlBindings;
using Kind = CEngineEdit::Kind;
using Then = CEngineEdit::Then;

namespace
{
// ---------------------------------------------------------------- group masks
struct MaskCase
{
    const char* mask;
    int groupCount;
    int current;
    std::vector<int> expected;
};

class GroupMask : public ::testing::TestWithParam<MaskCase>
{
};

TEST_P(GroupMask, AddressesTheGroupsOfItsBitsOrElseTheCurrentGroup)
{
    const MaskCase& c = GetParam();
    EXPECT_EQ(groupsForMask(c.mask, c.groupCount, c.current), c.expected) << "mask \"" << c.mask << "\"";
}

INSTANTIATE_TEST_SUITE_P(Examples, GroupMask,
    ::testing::Values(MaskCase { "5", 4, 1, { 0, 2 } },           // 101 in binary
                      MaskCase { "", 4, 1, { 1 } },               // no mask: the current group
                      MaskCase { "abc", 4, 3, { 3 } },            // no digits
                      MaskCase { "1,0", 4, 0, { 1, 3 } },         // reads as 10 = 1010
                      MaskCase { "16", 4, 2, { 2 } },             // bit 4 only: beyond the list
                      MaskCase { "-5", 4, 1, { 0, 2 } },          // the sign leaves the bits alone
                      MaskCase { "3", 1, 0, { 0 } },              // bit 1 names no group
                      MaskCase { "", 0, -1, { -1 } },             // no groups at all, no current group
                      MaskCase { "7", 0, -1, { -1 } },
                      MaskCase { "255", 8, 0, { 0, 1, 2, 3, 4, 5, 6, 7 } }));

TEST(GroupMaskLength, AVeryLongMaskIsReadInTimeAndByAllItsDigits)
{
    // 5 after 200000 zeros is still 5; 10^200000 has no low bits at all.
    const juce::String fives = juce::String::repeatedString("0", 200000) + "5";
    EXPECT_EQ(groupsForMask(fives, 4, 1), (std::vector<int> { 0, 2 }));
    const juce::String power = "1" + juce::String::repeatedString("0", 200000);
    EXPECT_EQ(groupsForMask(power, 4, 1), (std::vector<int> { 1 }));
    // 10 = 1010, 100 = 1100100: with 8 groups, 100 names groups 2, 5 and 6.
    EXPECT_EQ(groupsForMask("100", 8, 0), (std::vector<int> { 2, 5, 6 }));
}

// ------------------------------------------------------------------- knob ids
struct KnobIdCase
{
    juce::var controlId;
    int expected;
};

class KnobIds : public ::testing::TestWithParam<KnobIdCase>
{
};

TEST_P(KnobIds, NameTheirBindingOrNone)
{
    EXPECT_EQ(knobId(GetParam().controlId), GetParam().expected) << GetParam().controlId.toString();
}

INSTANTIATE_TEST_SUITE_P(Table, KnobIds,
    ::testing::Values(KnobIdCase { 1, 1 }, KnobIdCase { 2, 2 }, KnobIdCase { 10, 10 }, KnobIdCase { "2", 2 },
                      KnobIdCase { 11, 0 }, KnobIdCase { 99, 0 }, KnobIdCase { 100, 100 }, KnobIdCase { 106, 106 },
                      KnobIdCase { 107, 0 }, KnobIdCase { 199, 0 }, KnobIdCase { 200, 200 }, KnobIdCase { 327, 327 },
                      KnobIdCase { 455, 455 }, KnobIdCase { 456, 0 }, KnobIdCase { 100000, 0 }, KnobIdCase { -1, 0 },
                      KnobIdCase { 0, 0 }, KnobIdCase { juce::var(), 0 }, KnobIdCase { "abc", 0 }));

// --------------------------------------------------------- knob stored values
struct KnobStoreCase
{
    int id;
    double x;
    Kind kind;
    size_t offset;
    bool integer;
    double expected;
    Then then;
};

class KnobStores : public ::testing::TestWithParam<KnobStoreCase>
{
};

TEST_P(KnobStores, StoreTheTablesValueAndNameItsFollowUp)
{
    const KnobStoreCase& c = GetParam();
    const CEngineEdit edit = knobEdit(c.id, c.x, 3);
    EXPECT_EQ(edit.kind, c.kind);
    EXPECT_EQ(edit.offset, c.offset);
    EXPECT_EQ(edit.then, c.then);
    if (c.integer)
        EXPECT_EQ(edit.storedInt(), static_cast<int32_t>(c.expected));
    else
        EXPECT_NEAR(edit.storedFloat(), c.expected, 1e-5);
    if (c.kind == Kind::groupField)
        EXPECT_EQ(edit.group, 3);
}

#define IFIELD(f) Kind::instrumentField, offsetof(InstrumentSettings, f)
#define GFIELD(f) Kind::groupField, offsetof(GroupSettings, f)

INSTANTIATE_TEST_SUITE_P(Table, KnobStores,
    ::testing::Values(
        KnobStoreCase { 1, 0.25, IFIELD(glideTime), false, 250.0, Then::nothing },
        KnobStoreCase { 2, 0.5, IFIELD(volume), false, -12.0, Then::applySettings },
        KnobStoreCase { 2, 1.0, IFIELD(volume), false, 6.0, Then::applySettings },
        KnobStoreCase { 2, 0.0, IFIELD(volume), false, -30.0, Then::applySettings },
        KnobStoreCase { 3, 0.75, IFIELD(pan), false, 0.5, Then::applySettings },
        KnobStoreCase { 3, 0.0, IFIELD(pan), false, -1.0, Then::applySettings },
        KnobStoreCase { 4, 0.0, IFIELD(lfoRate), false, 0.02, Then::applySettings },
        KnobStoreCase { 4, 1.0, IFIELD(lfoRate), false, 20.02, Then::applySettings },
        KnobStoreCase { 5, 0.3, IFIELD(lfoDepth), false, 0.3, Then::nothing },
        KnobStoreCase { 6, 0.6, IFIELD(reverbSend), false, 0.6, Then::nothing },
        KnobStoreCase { 7, 0.25, IFIELD(velocityFloor), true, -45, Then::applySettings },
        KnobStoreCase { 7, 0.999, IFIELD(velocityFloor), true, 0, Then::applySettings },  // -0.06 toward zero
        KnobStoreCase { 7, 0.0, IFIELD(velocityFloor), true, -60, Then::applySettings },
        KnobStoreCase { 8, 0.5, IFIELD(velocityTop), true, -15, Then::applySettings },
        KnobStoreCase { 8, 0.1, IFIELD(velocityTop), true, -27, Then::applySettings },
        KnobStoreCase { 10, 0.4, IFIELD(filterCutoff), false, 0.4, Then::applySettings },
        KnobStoreCase { 100, 0.5, GFIELD(volume), false, -12.0, Then::updateZones },
        KnobStoreCase { 101, 1.0, GFIELD(attackScale), false, 2.0, Then::updateZones },
        KnobStoreCase { 102, 0.25, GFIELD(decayScale), false, 0.5, Then::updateZones },
        KnobStoreCase { 103, 0.5, GFIELD(sustainScale), false, 1.0, Then::updateZones },
        KnobStoreCase { 104, 0.75, GFIELD(releaseScale), false, 1.5, Then::updateZones },
        KnobStoreCase { 105, 0.2, GFIELD(releaseTriggerDecay), false, 200.0, Then::updateZones },
        KnobStoreCase { 106, 0.25, GFIELD(pan), false, -0.5, Then::updateZones }));

TEST(KnobStoresNothing, ForControllersAndIdsWithoutABinding)
{
    for (int id : { 0, 11, 99, 107, 200, 455 })
        EXPECT_EQ(knobEdit(id, 0.5).kind, Kind::none) << id;
}

TEST(BendKnob, MovesTheBendByWholeCentsOfTheRange)
{
    const CEngineEdit edit = knobEdit(9, 1.0);
    EXPECT_EQ(edit.kind, Kind::bend);
    EXPECT_FLOAT_EQ(edit.value, 1.0f);
    EXPECT_FLOAT_EQ(knobEdit(9, 0.5).value, 0.0f);
    EXPECT_FLOAT_EQ(knobEdit(9, 0.0).value, -1.0f);
    // Range 2 at full bend: 200 cents, 2^(200/1200) = 1.122462...
    EXPECT_NEAR(bendTargetFor(1.0f, 2), 1.1224620483, 1e-6);
    EXPECT_FLOAT_EQ(bendTargetFor(0.0f, 2), 1.0f);
    EXPECT_NEAR(bendTargetFor(-1.0f, 12), 0.5, 1e-6);
    // 36 semitones lie beyond the table: 2^3.
    EXPECT_NEAR(bendTargetFor(1.0f, 36), 8.0, 1e-5);
}

TEST(ControllerKnob, PostsItsControllerWithTheValueRoundedHalfAway)
{
    EXPECT_EQ(knobController(207, 0.5).number, 7);
    EXPECT_EQ(knobController(207, 0.5).value, 64);  // 63.5
    EXPECT_EQ(knobController(207, 1.0).value, 127);
    EXPECT_EQ(knobController(200, 0.0).value, 0);
    EXPECT_EQ(knobController(327, 0.0).number, 127);
    EXPECT_EQ(knobController(455, 0.0).number, 255);
}

// ------------------------------------------------------------- knob positions
class KnobPositions : public ::testing::Test
{
protected:
    KnobPositions()
    {
        settings = ZInstrument::defaultSettings();
        group = ZGroup::defaultSettings();
    }
    InstrumentSettings settings;
    GroupSettings group;
};

TEST_F(KnobPositions, AreTheInverseOfTheStoredValues)
{
    settings.volume = 0.0f;
    EXPECT_NEAR(knobPosition(2, settings, nullptr, 0.0f), 5.0 / 6.0, 1e-9);
    settings.lfoRate = 0.02f;
    EXPECT_NEAR(knobPosition(4, settings, nullptr, 0.0f), 0.001, 1e-7);
    settings.velocityFloor = -45;
    EXPECT_DOUBLE_EQ(knobPosition(7, settings, nullptr, 0.0f), 0.25);
    settings.velocityTop = -15;
    EXPECT_DOUBLE_EQ(knobPosition(8, settings, nullptr, 0.0f), 0.5);
    settings.glideTime = 500.0f;
    EXPECT_DOUBLE_EQ(knobPosition(1, settings, nullptr, 0.0f), 0.5);
    settings.pan = -1.0f;
    EXPECT_DOUBLE_EQ(knobPosition(3, settings, nullptr, 0.0f), 0.0);
    EXPECT_DOUBLE_EQ(knobPosition(9, settings, nullptr, 0.0f), 0.5);
    EXPECT_DOUBLE_EQ(knobPosition(9, settings, nullptr, 1.0f), 1.0);

    group.attackScale = 2.0f;
    EXPECT_DOUBLE_EQ(knobPosition(101, settings, &group, 0.0f), 1.0);
    group.releaseTriggerDecay = 250.0f;
    EXPECT_DOUBLE_EQ(knobPosition(105, settings, &group, 0.0f), 0.25);
    group.volume = -12.0f;
    EXPECT_DOUBLE_EQ(knobPosition(100, settings, &group, 0.0f), 0.5);
}

TEST_F(KnobPositions, AreZeroForGroupIdsWithoutAGroupAndForControllers)
{
    group.attackScale = 2.0f;
    EXPECT_DOUBLE_EQ(knobPosition(101, settings, nullptr, 0.0f), 0.0);
    EXPECT_DOUBLE_EQ(knobPosition(207, settings, &group, 0.0f), 0.0);
    EXPECT_DOUBLE_EQ(knobPosition(0, settings, &group, 0.0f), 0.0);
}

// ------------------------------------------------------------------ combo boxes
struct ComboCase
{
    int id;
    int index;
    Kind kind;
    size_t offset;
    int32_t expected;
    Then then;
};

class ComboStores : public ::testing::TestWithParam<ComboCase>
{
};

TEST_P(ComboStores, StoreTheItemIndex)
{
    const ComboCase& c = GetParam();
    const CEngineEdit edit = comboEdit(c.id, c.index, 1);
    EXPECT_EQ(edit.kind, c.kind);
    EXPECT_EQ(edit.offset, c.offset);
    EXPECT_EQ(edit.storedInt(), c.expected);
    EXPECT_EQ(edit.then, c.then);
}

INSTANTIATE_TEST_SUITE_P(Table, ComboStores,
    ::testing::Values(ComboCase { 1, 2, IFIELD(interpolation), 2, Then::nothing },
                      ComboCase { 2, 1, IFIELD(velocityCurve), 1, Then::nothing },
                      ComboCase { 3, 2, IFIELD(voiceMode), 2, Then::nothing },
                      ComboCase { 4, 3, IFIELD(lfoShape), 3, Then::applySettings },  // "Square"
                      ComboCase { 5, 3, IFIELD(lfoDestination), 3, Then::nothing },
                      ComboCase { 6, 1, IFIELD(lfoDepthSource), 1, Then::nothing },
                      ComboCase { 7, 2, IFIELD(filterType), 2, Then::applySettings },
                      ComboCase { 100, 5, GFIELD(activation), 5, Then::nothing },
                      ComboCase { 101, 3, GFIELD(zoneSelection), 3, Then::nothing },
                      ComboCase { 102, 15, GFIELD(output), 15, Then::nothing },   // "16"
                      ComboCase { 102, 0, GFIELD(output), 0, Then::nothing },
                      ComboCase { 102, 40, GFIELD(output), 15, Then::nothing })); // never past output 16

TEST(ComboStoresNothing, WithoutASelectionOrATable)
{
    EXPECT_EQ(comboEdit(4, -1).kind, Kind::none);
    EXPECT_EQ(comboEdit(102, -1, 0).kind, Kind::none);
    EXPECT_EQ(comboEdit(0, 2).kind, Kind::none);
    EXPECT_EQ(comboId(8), 0);
    EXPECT_EQ(comboId(200), 0);
    EXPECT_EQ(comboId("4"), 4);
}

TEST(ComboValues, ShowTheEngineChoiceOrLeaveTheBox)
{
    InstrumentSettings settings = ZInstrument::defaultSettings();
    GroupSettings group = ZGroup::defaultSettings();
    settings.lfoShape = 3;
    group.output = 7;
    EXPECT_EQ(comboValue(4, settings, nullptr), 3);
    EXPECT_EQ(comboValue(102, settings, &group), 7);
    EXPECT_FALSE(comboValue(102, settings, nullptr).has_value());
    EXPECT_FALSE(comboValue(8, settings, &group).has_value());
}

// --------------------------------------------------------------------- buttons
struct ButtonCase
{
    juce::var controlId;
    ButtonAction expected;
};

class ButtonActions : public ::testing::TestWithParam<ButtonCase>
{
};

TEST_P(ButtonActions, FollowTheTable)
{
    EXPECT_EQ(buttonAction(GetParam().controlId), GetParam().expected) << GetParam().controlId.toString();
}

INSTANTIATE_TEST_SUITE_P(Table, ButtonActions,
    ::testing::Values(ButtonCase { 1, ButtonAction::instrumentMenu }, ButtonCase { 2, ButtonAction::groupMenu },
                      ButtonCase { 3, ButtonAction::loadFile }, ButtonCase { 4, ButtonAction::previousInstrument },
                      ButtonCase { 5, ButtonAction::nextInstrument }, ButtonCase { 6, ButtonAction::previousGroup },
                      ButtonCase { 7, ButtonAction::nextGroup }, ButtonCase { 8, ButtonAction::information },
                      ButtonCase { 9, ButtonAction::killVoices }, ButtonCase { 10, ButtonAction::note },
                      ButtonCase { 100, ButtonAction::releaseTrigger }, ButtonCase { 101, ButtonAction::bypass },
                      ButtonCase { 102, ButtonAction::groupActive }, ButtonCase { 0, ButtonAction::none },
                      ButtonCase { 11, ButtonAction::none }, ButtonCase { 103, ButtonAction::none },
                      ButtonCase { "-5", ButtonAction::none }, ButtonCase { "https://zarvo.invalid/", ButtonAction::link },
                      ButtonCase { juce::var(), ButtonAction::none }));

TEST(ButtonToggles, ShowTheFirstTargetGroup)
{
    GroupSettings group = ZGroup::defaultSettings();
    group.releaseTrigger = 1;
    group.bypass = 0;
    group.active = 1;
    EXPECT_EQ(buttonToggle(ButtonAction::releaseTrigger, &group), true);
    EXPECT_EQ(buttonToggle(ButtonAction::bypass, &group), false);
    EXPECT_EQ(buttonToggle(ButtonAction::groupActive, &group), true);
    EXPECT_FALSE(buttonToggle(ButtonAction::groupActive, nullptr).has_value());
    EXPECT_FALSE(buttonToggle(ButtonAction::note, &group).has_value());
}

TEST(GroupButtons, StoreTheToggleOrSwitchTheGroup)
{
    const CEngineEdit on = buttonGroupEdit(ButtonAction::releaseTrigger, true, 2);
    EXPECT_EQ(on.kind, Kind::groupField);
    EXPECT_EQ(on.offset, offsetof(GroupSettings, releaseTrigger));
    EXPECT_EQ(on.storedInt(), 1);
    EXPECT_EQ(on.group, 2);
    EXPECT_EQ(buttonGroupEdit(ButtonAction::bypass, false, 0).storedInt(), 0);
    EXPECT_EQ(buttonGroupEdit(ButtonAction::groupActive, true, 1).kind, Kind::activateGroup);
    EXPECT_EQ(buttonGroupEdit(ButtonAction::groupActive, false, 1).kind, Kind::deactivateGroup);
}

TEST(GroupSelection, PastEitherEndOfTheListSelectsNothing)
{
    EXPECT_EQ(selectGroupEdit(-1, 3).kind, Kind::none);  // "previous" on the first group
    EXPECT_EQ(selectGroupEdit(3, 3).kind, Kind::none);   // "next" on the last group
    EXPECT_EQ(selectGroupEdit(0, 0).kind, Kind::none);
    const CEngineEdit last = selectGroupEdit(2, 3);
    EXPECT_EQ(last.kind, Kind::selectGroup);
    EXPECT_EQ(last.group, 2);
}

// ---------------------------------------------------------------- note buttons
using Send = NoteStep::Send;

TEST(ToggleNoteButton, LatchesOnThenOff)
{
    EXPECT_EQ(toggleNoteClicked(true).send, Send::noteOn);
    EXPECT_EQ(toggleNoteClicked(false).send, Send::noteOff);
    EXPECT_FALSE(toggleNoteClicked(true).showOnKeyboard);
}

TEST(MomentaryNoteButton, SendsOnAtPressAndOffAtRelease)
{
    const NoteStep press = momentaryNoteChanged(60, true, false, false);
    EXPECT_EQ(press.send, Send::noteOn);
    EXPECT_TRUE(press.showOnKeyboard);
    EXPECT_TRUE(press.wasDown);

    // Released, or dragged off the button: both leave the down state.
    const NoteStep release = momentaryNoteChanged(60, false, press.wasDown, false);
    EXPECT_EQ(release.send, Send::noteOff);
    EXPECT_TRUE(release.showOnKeyboard);
    EXPECT_FALSE(release.wasDown);

    // Hovering without having pressed sends nothing.
    const NoteStep hover = momentaryNoteChanged(60, false, false, false);
    EXPECT_EQ(hover.send, Send::nothing);
    EXPECT_FALSE(hover.wasDown);
}

TEST(MomentaryNoteButton, SendsNothingWhileReflectingOrForNotesOutsideOneTo127)
{
    EXPECT_EQ(momentaryNoteChanged(60, true, false, true).send, Send::nothing);
    EXPECT_EQ(momentaryNoteChanged(60, false, true, true).send, Send::nothing);
    EXPECT_TRUE(momentaryNoteChanged(60, false, true, true).wasDown);  // kept for the real release
    EXPECT_EQ(momentaryNoteChanged(0, true, false, false).send, Send::nothing);
    EXPECT_EQ(momentaryNoteChanged(128, true, false, false).send, Send::nothing);
    EXPECT_EQ(momentaryNoteChanged(127, true, false, false).send, Send::noteOn);
    EXPECT_EQ(momentaryNoteChanged(1, true, false, false).send, Send::noteOn);
}

TEST(KeyboardNotes, TakeVelocityAndChannelBytes)
{
    EXPECT_EQ(keyboardVelocity(1.0f), 127);
    EXPECT_EQ(keyboardVelocity(0.5f), 63);  // 63.5 toward zero
    EXPECT_EQ(keyboardVelocity(0.0f), 0);
    EXPECT_EQ(keyboardChannel(1), 0);
    EXPECT_EQ(keyboardChannel(16), 15);
    EXPECT_EQ(keyboardChannel(17), 0);
}

// ---------------------------------------------------------------------- meters
struct MeterCase
{
    float peak;
    float expectedDb;
};

class MeterLevels : public ::testing::TestWithParam<MeterCase>
{
};

TEST_P(MeterLevels, AreTheDecibelsOfThePeakDownToMinus100)
{
    EXPECT_NEAR(meterLevel(GetParam().peak), GetParam().expectedDb, 1e-4) << GetParam().peak;
}

INSTANTIATE_TEST_SUITE_P(Peaks, MeterLevels,
    ::testing::Values(MeterCase { 1.0f, 0.0f }, MeterCase { 0.001f, -60.0f }, MeterCase { 0.1f, -20.0f },
                      MeterCase { 0.5f, -6.0206f }, MeterCase { 2.0f, 6.0206f }, MeterCase { 0.0f, -100.0f },
                      MeterCase { -0.5f, -100.0f }, MeterCase { 1e-6f, -100.0f }, MeterCase { 1e-5f, -100.0f },
                      MeterCase { std::nanf(""), -100.0f }));

TEST(MeterEntries, AreTheControlIdLessOneFromOneTo34)
{
    EXPECT_EQ(meterEntry(1, 34), 0);
    EXPECT_EQ(meterEntry(3, 34), 2);
    EXPECT_EQ(meterEntry(34, 34), 33);
    EXPECT_EQ(meterEntry(0, 34), -1);
    EXPECT_EQ(meterEntry(35, 34), -1);
    EXPECT_EQ(meterEntry(-3, 34), -1);
}
} // namespace
