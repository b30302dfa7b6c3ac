#include <limits>
#include <memory>

#include <gtest/gtest.h>

#include "WidgetTestSupport.h"
#include "widgets/RLevelMeter.h"
#include "widgets/RLevelMeterDriver.h"

namespace
{
void tick(int times = 1)
{
    for (int i = 0; i < times; ++i)
        RLevelMeterDriver::getInstance()->timerCallback();
}

// A 4 x 20 opaque meter, or nothing left of it when the test ends.
std::unique_ptr<RLevelMeter> makeMeter(bool fade = false)
{
    auto meter = std::make_unique<RLevelMeter>(solidImage(4, 20, juce::Colours::green));
    meter->setFadeMode(fade);
    return meter;
}

int litRows(const juce::Image& painted)
{
    int rows = 0;
    for (int y = 0; y < painted.getHeight(); ++y)
        rows += painted.getPixelAt(1, y).getAlpha() > 0 ? 1 : 0;
    return rows;
}

struct LevelCase
{
    const char* name;
    int ticks;          // falls of 1 dB from the start at 0 dB
    float raisedTo;     // then a level set by the editor (NaN, which the meter ignores, for none)
    int expectedLitRows;
    int expectedFadeAlpha;
};

void PrintTo(const LevelCase& c, std::ostream* os) { *os << c.name; }

constexpr float none = std::numeric_limits<float>::quiet_NaN();

class MeterLevelTest : public ::testing::TestWithParam<LevelCase> {};

TEST_P(MeterLevelTest, LightsFromTheBottomOrFades)
{
    const LevelCase& c = GetParam();
    auto bar = makeMeter(false);
    auto fade = makeMeter(true);
    tick(c.ticks);
    bar->setLevel(c.raisedTo);
    fade->setLevel(c.raisedTo);

    const juce::Image barImage = paintComponent(*bar);
    EXPECT_EQ(litRows(barImage), c.expectedLitRows);
    if (c.expectedLitRows > 0)
        EXPECT_GT(barImage.getPixelAt(1, 19).getAlpha(), 0) << "the lit part starts at the bottom";

    const juce::Image fadeImage = paintComponent(*fade);
    EXPECT_NEAR(fadeImage.getPixelAt(1, 0).getAlpha(), c.expectedFadeAlpha, 1);
    EXPECT_NEAR(fadeImage.getPixelAt(2, 19).getAlpha(), c.expectedFadeAlpha, 1);
}

// The floor is -30 dB: -15 dB is half way, the floor and below are empty.
INSTANTIATE_TEST_SUITE_P(Levels, MeterLevelTest, ::testing::Values(
    LevelCase { "newMeterIsFull", 0, none, 20, 255 },
    LevelCase { "minus15IsHalf", 15, none, 10, 128 },
    LevelCase { "minus6", 6, none, 16, 204 },
    LevelCase { "floorIsEmpty", 30, none, 0, 0 },
    LevelCase { "belowTheFloorIsEmpty", 31, none, 0, 0 },
    LevelCase { "raisedBackTo0", 31, 0.0f, 20, 255 },
    LevelCase { "raisedToMinus15", 31, -15.0f, 10, 128 },
    LevelCase { "aLowerLevelDoesNotPullItDown", 3, -20.0f, 18, 230 },
    LevelCase { "aboveZeroIsFull", 10, 6.0f, 20, 255 },
    LevelCase { "infinityIsFull", 10, std::numeric_limits<float>::infinity(), 20, 255 },
    LevelCase { "minusInfinityIsIgnored", 15, -std::numeric_limits<float>::infinity(), 10, 128 },
    LevelCase { "farBelowIsIgnored", 31, -100.0f, 0, 0 }),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Meter, FallsFrom0ToMinus31In31TicksAndStays)
{
    auto meter = makeMeter();
    EXPECT_EQ(meter->getLevel(), 0.0f);
    for (int t = 1; t <= 31; ++t)
    {
        tick();
        ASSERT_EQ(meter->getLevel(), static_cast<float>(-t)) << "after tick " << t;
    }
    tick(5);
    EXPECT_EQ(meter->getLevel(), -31.0f);

    // An infinite level shows full and falls again like any other.
    meter->setLevel(std::numeric_limits<float>::infinity());
    tick();
    EXPECT_EQ(meter->getLevel(), -1.0f);
}

TEST(Meter, TakesTheSizeOfItsImageAndDrawsNothingWithoutOne)
{
    const RLevelMeter meter(solidImage(2, 14, juce::Colours::lightgrey));
    EXPECT_EQ(meter.getBounds(), juce::Rectangle<int>(0, 0, 2, 14));
    RLevelMeter empty { juce::Image() };
    empty.setSize(4, 20);
    EXPECT_EQ(countOpaquePixels(paintComponent(empty), { 0, 0, 4, 20 }), 0);
}

TEST(MeterDriver, RunsFromTheFirstMeterToTheLast)
{
    ASSERT_EQ(RLevelMeterDriver::getInstance()->getNumMeters(), 0) << "an earlier test left a meter behind";
    EXPECT_FALSE(RLevelMeterDriver::getInstance()->isTimerRunning());

    auto first = makeMeter();
    EXPECT_TRUE(RLevelMeterDriver::getInstance()->isTimerRunning());
    EXPECT_EQ(RLevelMeterDriver::getInstance()->getTimerInterval(), 50);
    auto second = makeMeter();
    EXPECT_EQ(RLevelMeterDriver::getInstance()->getNumMeters(), 2);

    first.reset();
    EXPECT_TRUE(RLevelMeterDriver::getInstance()->isTimerRunning());
    tick(4);
    EXPECT_EQ(second->getLevel(), -4.0f) << "the remaining meter still falls";
    second.reset();
    EXPECT_FALSE(RLevelMeterDriver::getInstance()->isTimerRunning());
    EXPECT_EQ(RLevelMeterDriver::getInstance()->getNumMeters(), 0);

    auto again = makeMeter();
    EXPECT_TRUE(RLevelMeterDriver::getInstance()->isTimerRunning());
}
} // namespace
