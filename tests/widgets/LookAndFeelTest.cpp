#include <gtest/gtest.h>

#include "WidgetTestSupport.h"
#include "widgets/CLookAndFeel.h"

namespace
{
TEST(LookAndFeel, SetsItsFourColours)
{
    const CLookAndFeel look;
    const std::pair<int, juce::uint32> colours[] = {
        { juce::TextButton::buttonColourId, 0xfffffafa },
        { juce::ScrollBar::thumbColourId, 0xffd3d3d3 },
        { juce::ProgressBar::backgroundColourId, 0xff00ffff },
        { juce::ProgressBar::foregroundColourId, 0xff87ceeb },
    };
    for (const auto& [id, argb] : colours)
        EXPECT_EQ(look.findColour(id).getARGB(), argb) << std::hex << id;
}

TEST(LookAndFeel, MenuBarIsPlainLightGrey)
{
    CLookAndFeel look;
    juce::MenuBarComponent bar;
    juce::Image image(juce::Image::ARGB, 50, 20, true);
    {
        juce::Graphics g(image);
        look.drawMenuBarBackground(g, 50, 20, true, bar);
    }
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 50; ++x)
            ASSERT_EQ(image.getPixelAt(x, y).getARGB(), 0xffd3d3d3u) << x << ", " << y;
}

// A 100 x 24 combo box drawn over nothing, with its button in the 20 x 24
// area at the right: arrows in the middle of it, its face around them.
struct ComboCase
{
    const char* name;
    bool enabled;
    bool buttonDown;
    juce::uint32 buttonColour;
    bool expectArrows;
    int minFaceAlpha;
    int maxFaceAlpha;
};

void PrintTo(const ComboCase& c, std::ostream* os) { *os << c.name; }

class ComboLookTest : public ::testing::TestWithParam<ComboCase> {};

TEST_P(ComboLookTest, DrawsButtonFaceAndArrows)
{
    const ComboCase& c = GetParam();
    CLookAndFeel look;
    juce::ComboBox box;
    box.setLookAndFeel(&look);
    box.setColour(juce::ComboBox::backgroundColourId, juce::Colours::transparentBlack);
    box.setColour(juce::ComboBox::outlineColourId, juce::Colours::blue);
    box.setColour(juce::ComboBox::arrowColourId, juce::Colours::red);
    box.setColour(juce::ComboBox::buttonColourId, juce::Colour(c.buttonColour));
    box.setSize(100, 24);
    box.setEnabled(c.enabled);

    juce::Image painted(juce::Image::ARGB, 100, 24, true);
    {
        juce::Graphics g(painted);
        look.drawComboBox(g, 100, 24, c.buttonDown, 80, 0, 20, 24, box);
    }
    box.setLookAndFeel(nullptr);

    // Without the keyboard focus the outline is one pixel.
    EXPECT_EQ(painted.getPixelAt(0, 12).getARGB(), 0xff0000ffu);
    EXPECT_EQ(painted.getPixelAt(1, 12).getAlpha(), 0);
    EXPECT_EQ(painted.getPixelAt(50, 12).getAlpha(), 0);

    EXPECT_EQ(painted.getPixelAt(90, 8) == juce::Colours::red, c.expectArrows);
    EXPECT_EQ(painted.getPixelAt(90, 16) == juce::Colours::red, c.expectArrows);

    const int face = painted.getPixelAt(83, 11).getAlpha();
    EXPECT_GE(face, c.minFaceAlpha);
    EXPECT_LE(face, c.maxFaceAlpha);
}

INSTANTIATE_TEST_SUITE_P(States, ComboLookTest, ::testing::Values(
    ComboCase { "enabled", true, false, 0xff40a040, true, 200, 255 },
    ComboCase { "pressed", true, true, 0xff40a040, true, 200, 255 },
    ComboCase { "disabledIsHalfTransparentWithoutArrows", false, false, 0xff40a040, false, 100, 140 },
    // Pressing darkens a face, which would give a transparent one a shadow.
    ComboCase { "transparentButtonHasNoFace", true, false, 0x0040a040, true, 0, 0 },
    ComboCase { "transparentButtonPressedHasNoFace", true, true, 0x0040a040, true, 0, 0 },
    ComboCase { "disabledTransparentButton", false, false, 0x00ffffff, false, 0, 0 }),
    [](const auto& info) { return std::string(info.param.name); });
} // namespace
