#include <cmath>
#include <limits>
#include <vector>

#include <gtest/gtest.h>

#include "WidgetTestSupport.h"
#include "widgets/RFader.h"
#include "widgets/RFaderDelegate.h"

namespace
{
struct Call
{
    float value;
    bool isFinal;
    bool operator==(const Call& other) const
    {
        return std::abs(value - other.value) < 1e-6f && isFinal == other.isFinal;
    }
};

class RecordingDelegate : public RFaderDelegate
{
public:
    void faderValueChanged(RFader* fader, bool isFinal) override { calls.push_back({ fader->getValue(), isFinal }); }
    std::vector<Call> calls;
};

void PrintTo(const Call& call, std::ostream* os) { *os << "{" << call.value << (call.isFinal ? ", final}" : ", drag}"); }

// One user action on a fader, at a position along its axis.
struct Action
{
    enum Kind { press, drag, release, doubleClick, wheel } kind;
    float at;
};

struct FaderCase
{
    const char* name;
    bool vertical;
    float startValue;
    std::vector<Action> actions;
    float expectedValue;
    std::vector<Call> expectedCalls;
};

void PrintTo(const FaderCase& c, std::ostream* os) { *os << c.name; }

// A 20 x 10 thumb in a 20 x 110 fader (or 110 x 20 lying down): 100 pixels of
// travel, so a position along the axis reads directly as hundredths.
class FaderMouseTest : public ::testing::TestWithParam<FaderCase> {};

TEST_P(FaderMouseTest, MovesAndTellsItsDelegate)
{
    const FaderCase& c = GetParam();
    RFader fader(c.vertical ? solidImage(20, 10, juce::Colours::red) : solidImage(10, 20, juce::Colours::red));
    fader.setVertical(c.vertical);
    fader.setSize(c.vertical ? 20 : 110, c.vertical ? 110 : 20);
    fader.setValue(c.startValue);
    RecordingDelegate delegate;
    fader.setDelegate(&delegate);

    const auto point = [&](float along) { return c.vertical ? juce::Point<float>(10, along) : juce::Point<float>(along, 10); };
    juce::Point<float> down;
    for (const Action& action : c.actions)
    {
        switch (action.kind)
        {
        case Action::press:
            down = point(action.at);
            fader.mouseDown(mouseEventOn(fader, down, down));
            break;
        case Action::drag: fader.mouseDrag(mouseEventOn(fader, point(action.at), down)); break;
        case Action::release: fader.mouseUp(mouseEventOn(fader, point(action.at), down)); break;
        case Action::doubleClick: fader.mouseDoubleClick(mouseEventOn(fader, point(action.at), point(action.at), 2)); break;
        case Action::wheel:
        {
            juce::MouseWheelDetails details {};
            (c.vertical ? details.deltaY : details.deltaX) = action.at;
            fader.mouseWheelMove(mouseEventOn(fader, point(50), point(50)), details);
            break;
        }
        }
    }
    EXPECT_FLOAT_EQ(fader.getValue(), c.expectedValue);
    EXPECT_EQ(delegate.calls, c.expectedCalls);
}

using A = Action;
INSTANTIATE_TEST_SUITE_P(Actions, FaderMouseTest, ::testing::Values(
    // Value 1: the thumb covers 0 to 10 from the top.
    FaderCase { "pressBesideJumpsOnRelease", true, 1.0f, { { A::press, 80 }, { A::release, 80 } }, 0.2f, { { 0.2f, true } } },
    FaderCase { "pressBesideJumpsToTheReleasePoint", true, 1.0f, { { A::press, 80 }, { A::drag, 60 }, { A::release, 60 } },
                0.4f, { { 0.4f, true } } },
    FaderCase { "pressOnThumbChangesNothing", true, 1.0f, { { A::press, 5 }, { A::release, 5 } }, 1.0f, {} },
    FaderCase { "thumbEdgeCounts", true, 1.0f, { { A::press, 10 }, { A::release, 10 } }, 1.0f, {} },
    FaderCase { "dragOnThumb", true, 1.0f, { { A::press, 5 }, { A::drag, 35 }, { A::release, 35 } },
                0.7f, { { 0.7f, false } } },
    // Value 0.5: the thumb covers 50 to 60.
    FaderCase { "dragFromTheMiddleUp", true, 0.5f, { { A::press, 55 }, { A::drag, 45 }, { A::drag, 30 } },
                0.75f, { { 0.6f, false }, { 0.75f, false } } },
    FaderCase { "dragPastTheBottomStaysAt0", true, 1.0f, { { A::press, 5 }, { A::drag, 150 }, { A::drag, 160 }, { A::release, 160 } },
                0.0f, { { 0.0f, false }, { 0.0f, false } } },
    FaderCase { "dragPastTheTopStaysAt1", true, 0.5f, { { A::press, 55 }, { A::drag, -20 }, { A::drag, -40 } },
                1.0f, { { 1.0f, false }, { 1.0f, false } } },
    FaderCase { "doubleClickRestoresTheTop", true, 0.3f, { { A::doubleClick, 40 } }, 1.0f, { { 1.0f, true } } },
    FaderCase { "doubleClickAtTheDefaultIsSilent", true, 1.0f, { { A::doubleClick, 5 } }, 1.0f, {} },
    FaderCase { "wheelUp", true, 0.5f, { { A::wheel, 0.25f } }, 0.75f, { { 0.75f, true } } },
    FaderCase { "wheelPastTheTop", true, 0.9f, { { A::wheel, 0.5f } }, 1.0f, { { 1.0f, true } } },
    // Lying down, value 0 puts the thumb at 0 to 10 from the left.
    FaderCase { "horizontalPressBeside", false, 0.0f, { { A::press, 80 }, { A::release, 80 } }, 0.8f, { { 0.8f, true } } },
    FaderCase { "horizontalDrag", false, 0.0f, { { A::press, 5 }, { A::drag, 35 } }, 0.3f, { { 0.3f, false } } },
    FaderCase { "horizontalWheel", false, 0.5f, { { A::wheel, -0.25f } }, 0.25f, { { 0.25f, true } } }),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Fader, ValueSetByTheEditorIsClampedAndSilent)
{
    RFader fader(solidImage(20, 10, juce::Colours::red));
    EXPECT_EQ(fader.getValue(), 1.0f) << "starts at the top";
    RecordingDelegate delegate;
    fader.setDelegate(&delegate);
    for (const auto& [set, expected] : { std::pair(1.5f, 1.0f), std::pair(-0.5f, 0.0f),
                                         std::pair(std::numeric_limits<float>::quiet_NaN(), 0.0f) })
    {
        fader.setValue(set);
        EXPECT_EQ(fader.getValue(), expected);
    }
    EXPECT_TRUE(delegate.calls.empty());
}

TEST(Fader, DrawsTheThumbAtItsValueAndNoneWhenDisabled)
{
    juce::Component parent;
    RFader fader(solidImage(20, 10, juce::Colours::red));
    parent.addAndMakeVisible(fader);
    fader.setSize(20, 110);
    fader.setValue(0.5f);
    const juce::Rectangle<int> all(0, 0, 20, 110);
    EXPECT_EQ(countOpaquePixels(paintComponent(fader), all), 200);
    EXPECT_EQ(countOpaquePixels(paintComponent(fader), { 0, 50, 20, 10 }), 200);

    fader.setEnabled(false);
    EXPECT_EQ(countOpaquePixels(paintComponent(fader), all), 0);
    fader.setEnabled(true);
    parent.setEnabled(false);
    EXPECT_EQ(countOpaquePixels(paintComponent(fader), all), 0);

    RFader withoutThumb { juce::Image() };
    withoutThumb.setSize(20, 110);
    EXPECT_EQ(countOpaquePixels(paintComponent(withoutThumb), all), 0);
}

TEST(Fader, WithoutTravelIgnoresTheMouseButStillTakesItsDefault)
{
    // A thumb as tall as the fader, and one taller: no travel to move along.
    for (const int faderHeight : { 10, 6 })
    {
        RFader fader(solidImage(20, 10, juce::Colours::red));
        fader.setSize(20, faderHeight);
        fader.setValue(0.5f);
        RecordingDelegate delegate;
        fader.setDelegate(&delegate);
        for (const float pressed : { 3.0f, 40.0f })
        {
            const juce::Point<float> down(10, pressed);
            fader.mouseDown(mouseEventOn(fader, down, down));
            fader.mouseDrag(mouseEventOn(fader, { 10, 8 }, down));
            fader.mouseUp(mouseEventOn(fader, { 10, 8 }, down));
        }
        EXPECT_EQ(fader.getValue(), 0.5f);
        EXPECT_TRUE(delegate.calls.empty());
        EXPECT_GT(countOpaquePixels(paintComponent(fader), { 0, 0, 20, faderHeight }), 0);

        fader.mouseDoubleClick(mouseEventOn(fader, { 10, 3 }, { 10, 3 }, 2));
        EXPECT_EQ(delegate.calls, (std::vector<Call> { { 1.0f, true } }));
    }
}
} // namespace
