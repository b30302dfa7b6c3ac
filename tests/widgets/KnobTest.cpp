#include <gtest/gtest.h>

#include "WidgetTestSupport.h"
#include "widgets/CKnob.h"

namespace
{
// A strip of square frames whose frame k is filled with red level k, so a
// painted pixel names the frame that was drawn.
juce::Image numberedStrip(int size, int frames, bool vertical)
{
    juce::Image strip(juce::Image::ARGB, vertical ? size : size * frames, vertical ? size * frames : size, true);
    for (int k = 0; k < frames; ++k)
        strip.clear({ vertical ? 0 : k * size, vertical ? k * size : 0, size, size },
                    juce::Colour(static_cast<juce::uint8>(k), 0x80, 0x40));
    return strip;
}

struct StripCase
{
    const char* name;
    int size, frames;       // the strip: frames of size x size
    bool vertical;
    int promised, frameSize; // geometry given to the knob; 0 derives it from the strip's shape
    int knobWidth;          // for fitToBounds; 0 leaves it off
    double value;
    int expectedFrame;      // -1: light grey, no frame
};
void PrintTo(const StripCase& c, std::ostream* os) { *os << c.name; }

class KnobStripTest : public ::testing::TestWithParam<StripCase> {};

TEST_P(KnobStripTest, ShowsTheFrameOfItsValue)
{
    const StripCase& c = GetParam();
    CKnob knob;
    knob.setRange(0.0, 1.0, 0.0);
    knob.setSize(c.knobWidth > 0 ? c.knobWidth : c.size, c.size);
    const juce::Image strip = numberedStrip(c.size, c.frames, c.vertical);
    if (c.promised == 0)
        knob.setFilmStrip(strip);
    else
        knob.setFilmStrip(strip, c.promised, c.frameSize, c.frameSize, c.vertical);
    knob.setFitToBounds(c.knobWidth > 0);
    knob.setValue(c.value, juce::dontSendNotification);

    const juce::Colour centre = paintComponent(knob).getPixelAt(knob.getWidth() / 2, c.size / 2);
    if (c.expectedFrame < 0)
        EXPECT_EQ(centre, juce::Colours::lightgrey);
    else
        EXPECT_EQ(centre, juce::Colour(static_cast<juce::uint8>(c.expectedFrame), 0x80, 0x40));
}

// The first frame covers the two lowest steps; the last shows only at the top.
INSTANTIATE_TEST_SUITE_P(Strips, KnobStripTest, ::testing::Values(
    StripCase { "vertical40x2560At0", 40, 64, true, 0, 0, 0, 0.0, 0 },
    StripCase { "vertical40x2560AtHalf", 40, 64, true, 0, 0, 0, 0.5, 31 },
    StripCase { "vertical40x2560At1", 40, 64, true, 0, 0, 0, 1.0, 63 },
    StripCase { "verticalSecondStep", 40, 64, true, 0, 0, 0, 2.5 / 64.0, 1 },
    StripCase { "horizontalAtHalf", 30, 10, false, 0, 0, 0, 0.5, 4 },
    StripCase { "horizontalAt1", 30, 10, false, 0, 0, 0, 1.0, 9 },
    StripCase { "squareImageIsOneFrame", 30, 1, true, 0, 0, 0, 1.0, 0 },
    StripCase { "morePromisedThanTheStripHolds", 30, 4, true, 10, 30, 0, 1.0, 3 },
    StripCase { "framesWiderThanTheStrip", 30, 4, true, 4, 40, 0, 0.5, -1 },
    StripCase { "framesWithoutSize", 30, 4, false, 4, 0, 0, 0.5, -1 },
    StripCase { "fitToBounds", 25, 8, false, 1, 200, 25, 1.0, 7 },
    StripCase { "fitToBoundsWiderThanTheStrip", 25, 8, false, 1, 200, 300, 1.0, -1 }),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Knob, WithoutAnImageIsLightGrey)
{
    CKnob knob;
    knob.setSize(20, 20);
    const juce::Image painted = paintComponent(knob);
    EXPECT_EQ(countOpaquePixels(painted, painted.getBounds()), 400);
    EXPECT_EQ(painted.getPixelAt(19, 0).getARGB(), 0xffd3d3d3u);
}
} // namespace
