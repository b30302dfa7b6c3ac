#include <gtest/gtest.h>

#include "WidgetTestSupport.h"
#include "widgets/CKnob.h"

namespace
{
// A strip whose frame k is filled with red level k, so a painted pixel names
// the frame that was drawn.
juce::Image numberedStrip(int frameSize, int frames, bool vertical)
{
    juce::Image strip(juce::Image::ARGB, vertical ? frameSize : frameSize * frames,
                      vertical ? frameSize * frames : frameSize, true);
    for (int k = 0; k < frames; ++k)
    {
        const juce::Rectangle<int> frame = vertical ? juce::Rectangle<int>(0, k * frameSize, frameSize, frameSize)
                                                    : juce::Rectangle<int>(k * frameSize, 0, frameSize, frameSize);
        strip.clear(frame, juce::Colour(static_cast<juce::uint8>(k), 0x80, 0x40));
    }
    return strip;
}

// The frame a knob shows, or -1 for the light grey of a knob without frames.
int shownFrame(CKnob& knob)
{
    const juce::Colour centre = paintComponent(knob).getPixelAt(knob.getWidth() / 2, knob.getHeight() / 2);
    if (centre == juce::Colours::lightgrey)
        return -1;
    return centre.getGreen() == 0x80 ? centre.getRed() : -2;
}

void setUpKnob(CKnob& knob, int size)
{
    knob.setSliderStyle(juce::Slider::RotaryVerticalDrag);
    knob.setTextBoxStyle(juce::Slider::NoTextBox, true, 0, 0);
    knob.setRange(0.0, 1.0, 0.0);
    knob.setSize(size, size);
}

struct StripCase
{
    const char* name;
    int frameSize;
    int frames;
    bool vertical;
    double value;
    int expectedFrame;
};

void PrintTo(const StripCase& c, std::ostream* os) { *os << c.name; }

class KnobStripTest : public ::testing::TestWithParam<StripCase> {};

TEST_P(KnobStripTest, ShowsTheFrameOfItsValue)
{
    const StripCase& c = GetParam();
    CKnob knob;
    setUpKnob(knob, c.frameSize);
    knob.setFilmStrip(numberedStrip(c.frameSize, c.frames, c.vertical));
    knob.setValue(c.value, juce::dontSendNotification);
    EXPECT_EQ(shownFrame(knob), c.expectedFrame);
}

// 64 frames: the first frame covers the two lowest steps, the last shows only
// at the top of the range.
INSTANTIATE_TEST_SUITE_P(Strips, KnobStripTest, ::testing::Values(
    StripCase { "vertical40x2560At0", 40, 64, true, 0.0, 0 },
    StripCase { "vertical40x2560AtHalf", 40, 64, true, 0.5, 31 },
    StripCase { "vertical40x2560At1", 40, 64, true, 1.0, 63 },
    StripCase { "verticalSecondStep", 40, 64, true, 2.5 / 64.0, 1 },
    StripCase { "verticalJustBelowTop", 40, 64, true, 63.9 / 64.0, 62 },
    StripCase { "horizontalAt0", 30, 10, false, 0.0, 0 },
    StripCase { "horizontalAtHalf", 30, 10, false, 0.5, 4 },
    StripCase { "horizontalAt1", 30, 10, false, 1.0, 9 },
    StripCase { "squareImageIsOneFrame", 30, 1, true, 1.0, 0 }),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Knob, WithoutAnImageIsLightGrey)
{
    CKnob knob;
    setUpKnob(knob, 20);
    const juce::Image painted = paintComponent(knob);
    for (const auto& p : { juce::Point<int>(0, 0), juce::Point<int>(19, 19), juce::Point<int>(10, 3) })
        EXPECT_EQ(painted.getPixelAt(p.x, p.y).getARGB(), 0xffd3d3d3u);

    knob.setFilmStrip(juce::Image());
    EXPECT_EQ(shownFrame(knob), -1);
}

TEST(Knob, StripWithoutAWholeFrameIsLightGrey)
{
    // Frames promised wider or taller than the strip itself.
    CKnob knob;
    setUpKnob(knob, 40);
    knob.setFilmStrip(numberedStrip(30, 4, false), 4, 40, 40, false);
    EXPECT_EQ(shownFrame(knob), -1);
    knob.setFilmStrip(numberedStrip(30, 4, true), 4, 40, 40, true);
    EXPECT_EQ(shownFrame(knob), -1);
    knob.setFilmStrip(numberedStrip(30, 4, true), 4, 0, 0, true);
    EXPECT_EQ(shownFrame(knob), -1);
}

TEST(Knob, NeverDrawsPastTheEndOfTheStrip)
{
    // Ten frames promised, four in the image: the top of the range shows the
    // last frame that exists.
    CKnob knob;
    setUpKnob(knob, 30);
    knob.setFilmStrip(numberedStrip(30, 4, true), 10, 30, 30, true);
    knob.setValue(1.0, juce::dontSendNotification);
    EXPECT_EQ(shownFrame(knob), 3);
    knob.setValue(0.25, juce::dontSendNotification);
    EXPECT_EQ(shownFrame(knob), 1);
}

TEST(Knob, FitToBoundsTakesTheFrameSizeFromTheComponent)
{
    // Eight frames of 25 x 25 side by side; the knob is one frame in size.
    CKnob knob;
    setUpKnob(knob, 25);
    knob.setFilmStrip(numberedStrip(25, 8, false), 1, 200, 25, true);
    knob.setFitToBounds(true);
    knob.setValue(1.0, juce::dontSendNotification);
    EXPECT_EQ(shownFrame(knob), 7);

    // A knob wider than the strip finds no whole frame in it.
    knob.setSize(300, 25);
    EXPECT_EQ(shownFrame(knob), -1);
}
} // namespace
