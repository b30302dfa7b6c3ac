#include "PlayerSurfaceFixture.h"

#include "widgets/RLevelMeter.h"

namespace
{
std::string layoutWith(const std::string& element)
{
    return "<Player>" + element + "</Player>";
}
} // namespace

// Keyboard key ranges ("4") and channels ("2").
struct KeyboardCase
{
    const char* attributes;
    int low;
    int high;
    int channel;
};

class KeyboardAttributeTest : public PlayerSurfaceTest, public ::testing::WithParamInterface<KeyboardCase>
{
};

TEST_P(KeyboardAttributeTest, RangeAndChannel)
{
    load(layoutWith(std::string("<keyboard ") + GetParam().attributes + "/>"));
    ASSERT_EQ(surface->keyboards.size(), 1);
    const auto& keyboard = *surface->keyboards[0];
    EXPECT_EQ(keyboard.getRangeStart(), GetParam().low);
    EXPECT_EQ(keyboard.getRangeEnd(), GetParam().high);
    EXPECT_EQ(keyboard.getMidiChannel(), GetParam().channel);
}

INSTANTIATE_TEST_SUITE_P(Table, KeyboardAttributeTest,
                         ::testing::Values(KeyboardCase { "4=\"60\"", 60, 0, 1 },
                                           KeyboardCase { "4=\"36,95\"", 36, 95, 1 },
                                           KeyboardCase { "4=\"-4,300\"", 0, 127, 1 },
                                           KeyboardCase { "4=\"48,72\" 2=\"0\"", 48, 72, 1 },
                                           KeyboardCase { "2=\"20\"", 0, 127, 16 },
                                           KeyboardCase { "2=\"5\"", 0, 127, 5 },
                                           KeyboardCase { "2=\"16\"", 0, 127, 16 },
                                           KeyboardCase { "2=\"-3\"", 0, 127, 1 }));

TEST_F(PlayerSurfaceTest, KeyRangeTextIsStoredAsWritten)
{
    load(layoutWith("<keyboard 4=\"60\"/><keyboard 4=\"\"/>"));
    ASSERT_EQ(surface->keyboards.size(), 2);
    EXPECT_EQ(surface->keyboards[0]->getProperties()["4"], juce::var("60"));
    EXPECT_FALSE(surface->keyboards[1]->getProperties().contains("4"));
}

TEST_F(PlayerSurfaceTest, KeyboardsLabelCKeysOnlyWhenAsked)
{
    load(layoutWith("<keyboard/><keyboard 3=\"yes\"/>"));
    ASSERT_EQ(surface->keyboards.size(), 2);
    EXPECT_FALSE(surface->keyboards[0]->getLabelCKeys());
    EXPECT_TRUE(surface->keyboards[1]->getLabelCKeys());
    EXPECT_EQ(surface->keyboards[1]->getProperties()["3"], juce::var(true));
}

// Control id ("2") and group mask ("9") as properties.
struct IdCase
{
    const char* attributes;
    juce::var id;    // void: no property
    juce::var mask;  // void: no property
};

class ControlIdTest : public PlayerSurfaceTest, public ::testing::WithParamInterface<IdCase>
{
};

TEST_P(ControlIdTest, StoredAsTheRulesSay)
{
    load(layoutWith(std::string("<knob ") + GetParam().attributes + "/>"));
    const auto& properties = onlyWidget().getProperties();
    EXPECT_EQ(properties.contains("2"), ! GetParam().id.isVoid());
    if (! GetParam().id.isVoid())
    {
        EXPECT_EQ(properties["2"], GetParam().id);
        EXPECT_EQ(properties["2"].isString(), GetParam().id.isString());
    }
    EXPECT_EQ(properties.contains("9"), ! GetParam().mask.isVoid());
    if (! GetParam().mask.isVoid())
        EXPECT_EQ(properties["9"].toString(), GetParam().mask.toString());
}

INSTANTIATE_TEST_SUITE_P(Table, ControlIdTest,
                         ::testing::Values(IdCase { "2=\"7\"", 7, {} },
                                           IdCase { "2=\"0\"", 0, {} },
                                           IdCase { "2=\"-5\"", "-5", {} },
                                           IdCase { "2=\"abc\"", 0, {} },
                                           IdCase { "2=\"\"", 0, {} },  // present, and reads as 0
                                           IdCase { "", {}, {} },
                                           IdCase { "9=\"-1\"", {}, {} },
                                           IdCase { "9=\"5\"", {}, "5" },
                                           IdCase { "2=\"101\" 9=\"1,0\"", 101, "1,0" }));

// Colours: hex text with anything else skipped, stored back as short hex.
struct ColourCase
{
    const char* text;
    juce::uint32 argb;
    const char* stored;
};

class ColourAttributeTest : public PlayerSurfaceTest, public ::testing::WithParamInterface<ColourCase>
{
};

TEST_P(ColourAttributeTest, ParsedAndStored)
{
    // 16777957 is the label text colour id 0x1000281 plus 100.
    load(layoutWith(std::string("<Label 16777957=\"") + GetParam().text + "\"/>"));
    ASSERT_EQ(surface->labels.size(), 1);
    EXPECT_EQ(surface->labels[0]->findColour(juce::Label::textColourId).getARGB(), GetParam().argb);
    EXPECT_EQ(surface->labels[0]->getProperties()["16777957"], juce::var(GetParam().stored));
}

INSTANTIATE_TEST_SUITE_P(Table, ColourAttributeTest,
                         ::testing::Values(ColourCase { "ff00ff00", 0xff00ff00, "ff00ff00" },
                                           ColourCase { "#ff102030", 0xff102030, "ff102030" },
                                           ColourCase { "000000ff", 0x000000ff, "ff" },
                                           ColourCase { "ff", 0x000000ff, "ff" },
                                           ColourCase { "FF00ABCD", 0xff00abcd, "ff00abcd" },
                                           ColourCase { "123456789", 0x23456789, "23456789" }));

TEST_F(PlayerSurfaceTest, EveryColourAttributeLandsOnItsId)
{
    std::string attributes;
    for (size_t i = 0; i < CPlayerGUI::layoutColourIds.size(); ++i)
        attributes += " " + std::to_string(CPlayerGUI::layoutColourIds[i] + 100) + "=\"ff0000" + std::to_string(10 + i) + "\"";
    load(layoutWith("<Combo" + attributes + "/>"));
    for (size_t i = 0; i < CPlayerGUI::layoutColourIds.size(); ++i)
        EXPECT_EQ(onlyWidget().findColour(CPlayerGUI::layoutColourIds[i]).getARGB(),
                  0xff000000u + static_cast<juce::uint32>(std::stoul(std::to_string(10 + i), nullptr, 16)));
    EXPECT_EQ(CPlayerGUI::layoutColourIds[0], 0x1001312);
    EXPECT_EQ(CPlayerGUI::layoutColourIds[4] + 100, 16777957);
    EXPECT_EQ(CPlayerGUI::layoutColourIds[14] + 100, 16780132);
}

TEST_F(PlayerSurfaceTest, ALabelWithoutJustificationIsTopLeft)
{
    load(layoutWith("<Label/><Label 5=\"36\"/>"));
    ASSERT_EQ(surface->labels.size(), 2);
    EXPECT_EQ(surface->labels[0]->getJustificationType().getFlags(), 0);
    EXPECT_EQ(surface->labels[0]->getProperties()["5"], juce::var(0));
    EXPECT_EQ(surface->labels[1]->getJustificationType(), juce::Justification::centred);
}

TEST_F(PlayerSurfaceTest, FontAndCaptionOfALabel)
{
    load(layoutWith("<Label 6=\"DejaVu Serif\" 7=\"17.5\" 8=\"Strings\"/><Label/>"));
    ASSERT_EQ(surface->labels.size(), 2);
    EXPECT_EQ(surface->labels[0]->getFont().getTypefaceName(), "DejaVu Serif");
    EXPECT_FLOAT_EQ(surface->labels[0]->getFont().getHeight(), 17.5f);
    EXPECT_EQ(surface->labels[0]->getText(), "Strings");
    EXPECT_EQ(surface->labels[0]->getProperties()["7"], juce::var(17.5));
    const auto& plain = surface->labels[1]->getProperties();
    EXPECT_EQ(plain["6"], juce::var("<Sans-Serif>"));
    EXPECT_EQ(plain["7"], juce::var(12.0));
    EXPECT_EQ(plain["8"], juce::var(""));
    EXPECT_FLOAT_EQ(surface->labels[1]->getFont().getHeight(), 12.0f);
}

TEST_F(PlayerSurfaceTest, LayoutBytesAboveAsciiAreOneCharacterEach)
{
    // "é" in UTF-8 is the two bytes C3 A9; the declaration does not matter.
    load("<?xml version=\"1.0\" encoding=\"UTF-8\"?><Player><Label 8=\"caf\xc3\xa9\"/></Player>");
    ASSERT_EQ(surface->labels.size(), 1);
    const juce::String text = surface->labels[0]->getText();
    ASSERT_EQ(text.length(), 5);
    EXPECT_EQ(text[3], static_cast<juce::juce_wchar>(0xc3));
    EXPECT_EQ(text[4], static_cast<juce::juce_wchar>(0xa9));
}

// Buttons: caption, toggling, note number.
TEST_F(PlayerSurfaceTest, ButtonCaptionToggleAndNoteNumber)
{
    load(layoutWith("<Button 8=\"Go\" 3=\"1\" 10=\"0\"/><Button 10=\"64\"/><Button 1=\"0\" 10=\"\"/>"));
    ASSERT_EQ(surface->buttons.size(), 3);
    EXPECT_EQ(surface->buttons[0]->getButtonText(), "Go");
    EXPECT_TRUE(surface->buttons[0]->getClickingTogglesState());
    EXPECT_EQ(surface->buttons[0]->getProperties()["10"], juce::var(60));
    EXPECT_FALSE(surface->buttons[1]->getClickingTogglesState());
    EXPECT_EQ(surface->buttons[1]->getProperties()["10"], juce::var(64));
    EXPECT_FALSE(surface->buttons[2]->getProperties().contains("10"));
    EXPECT_EQ(surface->buttons[2]->getName(), "button");
    EXPECT_EQ(surface->buttons[2]->getProperties()["1"], juce::var(0));
    EXPECT_FALSE(surface->buttons[1]->getProperties().contains("1"));
}

TEST_F(PlayerSurfaceTest, EveryWidgetCarriesTheCommonProperties)
{
    load(layoutWith("<Label/><keyboard/><knob/><Combo/><Button/><fader 1=\"1\"/><meter/>"));
    ASSERT_EQ(surface->widgets.size(), 7);
    for (auto* widget : surface->widgets)
    {
        const auto& properties = widget->getProperties();
        EXPECT_EQ(properties["3"], juce::var(false));
        EXPECT_EQ(properties["6"], juce::var("<Sans-Serif>"));
        EXPECT_EQ(properties["7"], juce::var(12.0));
        EXPECT_EQ(properties["8"], juce::var(""));
        EXPECT_FALSE(properties.contains("2"));
        EXPECT_FALSE(properties.contains("9"));
    }
}

TEST_F(PlayerSurfaceTest, AMeterSwitchesToItsSecondModeWithTheOption)
{
    load(layoutWith("<meter 3=\"true\" width=\"2\" height=\"14\"/>"));
    EXPECT_EQ(onlyWidget().getProperties()["3"], juce::var(true));
}

TEST_F(PlayerSurfaceTest, ComboBoxesAreFilledFromTheirControlId)
{
    load(layoutWith("<Combo 2=\"102\"/><Combo 2=\"4\"/><Combo 2=\"8\"/><Combo/><Combo 2=\"100\"/>"));
    ASSERT_EQ(surface->comboBoxes.size(), 5);
    auto& outputs = *surface->comboBoxes[0];
    ASSERT_EQ(outputs.getNumItems(), 16);
    EXPECT_EQ(outputs.getItemText(0), "1");
    EXPECT_EQ(outputs.getItemText(15), "16");
    EXPECT_EQ(outputs.getItemId(15), 16);
    EXPECT_EQ(surface->comboBoxes[1]->getNumItems(), 5);
    EXPECT_EQ(surface->comboBoxes[1]->getItemText(3), "Square");
    EXPECT_EQ(surface->comboBoxes[2]->getNumItems(), 0);
    EXPECT_EQ(surface->comboBoxes[3]->getNumItems(), 0);
    EXPECT_EQ(surface->comboBoxes[4]->getItemText(5), "Manual");
    EXPECT_EQ(surface->comboBoxes[4]->getItemId(0), 1);
}
