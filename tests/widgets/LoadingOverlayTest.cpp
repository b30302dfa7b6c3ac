#include <limits>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "WidgetTestSupport.h"
#include "widgets/CLoadingComponent.h"
#include "widgets/CLookAndFeel.h"
#include "widgets/CSpinner.h"

namespace
{
// The middle of petal k of a 50 x 50 spinner: 18.5 pixels from the pivot
// (25, 24.88), turned k twelfths clockwise from straight down.
juce::Point<int> petalMiddle(int k)
{
    const double angle = k * juce::MathConstants<double>::twoPi / 12.0;
    return { juce::roundToInt(25.0 - 18.5 * std::sin(angle)), juce::roundToInt(24.88 + 18.5 * std::cos(angle)) };
}

TEST(Spinner, RingOfTwelveFaintPetalsOfA50x50Spinner)
{
    CSpinner spinner;
    spinner.setSize(50, 50);
    const juce::Image painted = paintComponent(spinner);

    // 50 / 11 wide, 50 / 3.8 high, centred at the bottom; the pivot lies a
    // petal height / 1.1 above the petal's top.
    const juce::Rectangle<float> petal = spinner.getPetalBounds();
    EXPECT_NEAR(petal.getWidth(), 4.5455f, 1e-4f);
    EXPECT_NEAR(petal.getHeight(), 13.1579f, 1e-4f);
    EXPECT_NEAR(petal.getX(), 22.7273f, 1e-4f);
    EXPECT_NEAR(petal.getY(), 36.8421f, 1e-4f);
    EXPECT_NEAR(spinner.getPivot().x, 25.0f, 1e-4f);
    EXPECT_NEAR(spinner.getPivot().y, 24.8804f, 1e-4f);
    EXPECT_EQ(spinner.getNumAngles(), 13);

    for (int k = 0; k < 12; ++k)
        EXPECT_NEAR(painted.getPixelAt(petalMiddle(k).x, petalMiddle(k).y).getAlpha(), 0x4c, 2) << "petal " << k;
    EXPECT_EQ(painted.getPixelAt(25, 25).getAlpha(), 0) << "the middle of the ring is empty";
}

TEST(Spinner, StepsTheDarkPetalOverIndices1To12AndWraps)
{
    CSpinner spinner;
    spinner.setSize(50, 50);
    paintComponent(spinner);
    EXPECT_EQ(spinner.getCurrentIndex(), 0);
    std::vector<int> visited;
    for (int i = 0; i < 25; ++i)
    {
        spinner.step();
        visited.push_back(spinner.getCurrentIndex());
    }
    EXPECT_EQ(visited, (std::vector<int> { 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 1 }));
    EXPECT_EQ(spinner.getNumChildComponents(), 0) << "off the screen no fading image is left behind";

    // The dark petal of index 3, a quarter turn: only the petal on the left.
    auto dark = spinner.createProgressPetal(3);
    dark->setBounds(spinner.getLocalBounds());
    const juce::Image painted = paintComponent(*dark);
    EXPECT_NEAR(painted.getPixelAt(petalMiddle(3).x, petalMiddle(3).y).getAlpha(), 0xcc, 2);
    EXPECT_EQ(countOpaquePixels(painted, { 0, 0, 50, 50 }), countOpaquePixels(painted, { 0, 20, 14, 10 }));
}

TEST(Spinner, WithoutASizeRunsAndStepsSafely)
{
    CSpinner spinner;
    EXPECT_FALSE(spinner.isRunning());
    spinner.setVisible(true);
    EXPECT_TRUE(spinner.isRunning());
    for (int i = 0; i < 3; ++i)
        spinner.step();
    EXPECT_EQ(spinner.getCurrentIndex(), 3);
    EXPECT_EQ(spinner.getNumChildComponents(), 0);
    EXPECT_EQ(countOpaquePixels(paintComponent(spinner), { 0, 0, 1, 1 }), 0);
}

TEST(LoadingOverlay, LaysOutSpinnerTextAndBar)
{
    CLoadingComponent overlay;
    overlay.setSize(600, 250);
    EXPECT_EQ(overlay.getSpinner().getBounds(), juce::Rectangle<int>(275, 62, 50, 50));
    EXPECT_EQ(overlay.getHintLabel().getBounds(), juce::Rectangle<int>(0, 122, 600, 50));
    EXPECT_EQ(overlay.getProgressBar().getBounds(), juce::Rectangle<int>(50, 182, 500, 25));
    EXPECT_EQ(overlay.getHintLabel().getText(), "Please wait...");
    EXPECT_EQ(overlay.getHintLabel().getName(), "Hint");
    EXPECT_TRUE(overlay.getProgressBar().isVisible() && overlay.getHintLabel().isVisible());

    overlay.setSize(60, 40);
    EXPECT_EQ(overlay.getProgressBar().getWidth(), 0) << "narrower than its margins";
}

TEST(LoadingOverlay, HidingItStopsTheSpinnerAndShowingRestartsIt)
{
    CLoadingComponent overlay;
    overlay.setSize(600, 250);
    EXPECT_FALSE(overlay.getSpinner().isRunning()) << "not running before the overlay is shown";
    for (const bool shown : { true, false, true })
    {
        overlay.setVisible(shown);
        EXPECT_EQ(overlay.getSpinner().isRunning(), shown);
    }
}

TEST(LoadingOverlay, ProgressFromTheLoadingThreadFillsTheBar)
{
    CLookAndFeel look;
    CLoadingComponent overlay;
    overlay.setLookAndFeel(&look);
    overlay.setSize(600, 250);
    EXPECT_EQ(overlay.getShownProgress(), -1.0);

    // Read while it is written, as the message thread does during a load.
    std::thread loader([&overlay] {
        for (int i = 0; i <= 1000; ++i)
            overlay.setProgress(i / 2000.0);
    });
    for (int i = 0; i < 1000; ++i)
        overlay.pollProgress();
    loader.join();
    overlay.pollProgress();
    EXPECT_EQ(overlay.getShownProgress(), 0.5);

    // The 500-pixel bar is filled to 250, its background colour beyond.
    runProgressBarTimer(overlay.getProgressBar());
    const juce::Image bar = paintComponent(overlay.getProgressBar());
    for (const auto& [x, filled] : { std::pair(60, true), std::pair(240, true), std::pair(262, false), std::pair(440, false) })
        EXPECT_EQ(bar.getPixelAt(x, 3).getARGB() != 0xff00ffffu, filled) << x;
    overlay.setLookAndFeel(nullptr);

    for (const double bad : { std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity() })
    {
        overlay.setProgress(bad);
        overlay.pollProgress();
        EXPECT_EQ(overlay.getShownProgress(), -1.0) << "shown as busy";
    }
}

TEST(LoadingOverlay, TakesThePlayerColour)
{
    CLoadingComponent overlay;
    overlay.setSize(600, 250);
    EXPECT_EQ(paintComponent(overlay).getPixelAt(5, 5).getARGB(), 0xffd3d3d3u);

    // A dark colour: text and bar are lightened towards white.
    overlay.setPlayerColour(juce::Colour(0xff203040));
    EXPECT_EQ(paintComponent(overlay).getPixelAt(5, 5).getARGB(), 0xff203040u);
    EXPECT_NEAR(overlay.getHintLabel().findColour(juce::Label::textColourId).getRed(), 0x20 * 0.3 + 255 * 0.7, 4.0);
    EXPECT_NEAR(overlay.getProgressBar().findColour(juce::ProgressBar::foregroundColourId).getGreen(),
                0x30 * 0.5 + 255 * 0.5, 4.0);
    EXPECT_EQ(overlay.getProgressBar().findColour(juce::ProgressBar::backgroundColourId).getARGB(), 0xff203040u);
}
} // namespace
