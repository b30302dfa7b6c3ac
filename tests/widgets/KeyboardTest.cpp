#include <gtest/gtest.h>

#include "widgets/CPlayerKeyboard.h"

namespace
{
struct LabelCase
{
    bool labels;
    int middleCOctave;
    int note;
    const char* expected;
};

class KeyboardLabelTest : public ::testing::TestWithParam<LabelCase> {};

TEST_P(KeyboardLabelTest, NamesOnlyTheCKeys)
{
    const LabelCase& c = GetParam();
    juce::MidiKeyboardState state;
    CPlayerKeyboard keyboard(state, juce::MidiKeyboardComponent::horizontalKeyboard);
    keyboard.setLabelCKeys(c.labels);
    keyboard.setOctaveForMiddleC(c.middleCOctave);
    EXPECT_EQ(keyboard.getWhiteNoteText(c.note), juce::String(c.expected));
}

INSTANTIATE_TEST_SUITE_P(Notes, KeyboardLabelTest, ::testing::Values(
    LabelCase { true, 3, 60, "C3" },
    LabelCase { true, 3, 36, "C1" },
    LabelCase { true, 3, 62, "" },
    LabelCase { true, 3, 59, "" },
    LabelCase { true, 3, 0, "C-2" },
    LabelCase { true, 3, 120, "C8" },
    LabelCase { true, 4, 60, "C4" },
    LabelCase { true, 5, 36, "C3" },
    LabelCase { false, 3, 60, "" },
    LabelCase { false, 3, 36, "" }));

TEST(Keyboard, LabelsCKeysUntilToldOtherwise)
{
    juce::MidiKeyboardState state;
    CPlayerKeyboard keyboard(state, juce::MidiKeyboardComponent::horizontalKeyboard);
    EXPECT_TRUE(keyboard.getLabelCKeys());
    EXPECT_EQ(keyboard.getWhiteNoteText(48), "C2");
}

TEST(Keyboard, WithoutLabelsNoKeyHasText)
{
    juce::MidiKeyboardState state;
    CPlayerKeyboard keyboard(state, juce::MidiKeyboardComponent::horizontalKeyboard);
    keyboard.setLabelCKeys(false);
    for (int note = 0; note < 128; ++note)
        EXPECT_TRUE(keyboard.getWhiteNoteText(note).isEmpty()) << "note " << note;
}
} // namespace
