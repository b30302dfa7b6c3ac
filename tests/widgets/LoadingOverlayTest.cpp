#include <limits>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "WidgetTestSupport.h"
#include "widgets/CLoadingComponent.h"
#include "widgets/CSpinner.h"

namespace
{
TEST(Spinner, PetalOfA50x50Spinner)
{
    CSpinner spinner;
    spinner.setSize(50, 50);
    paintComponent(spinner);

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
}

TEST(Spinner, PaintsARingOfTwelveFaintPetals)
{
    CSpinner spinner;
    spinner.setSize(50, 50);
    const juce::Image painted = paintComponent(spinner);

    // About the pivot (25, 24.9), the petal's middle lies 18.5 pixels away.
    for (int k = 0; k < 12; ++k)
    {
        const double angle = k * juce::MathConstants<double>::twoPi / 12.0;
        const int x = juce::roundToInt(25.0 - 18.5 * std::sin(angle));
        const int y = juce::roundToInt(24.88 + 18.5 * std::cos(angle));
        EXPECT_NEAR(painted.getPixelAt(x, y).getAlpha(), 0x4c, 2) << "petal " << k;
    }
    EXPECT_EQ(painted.getPixelAt(25, 25).getAlpha(), 0) << "the middle of the ring is empty";
    EXPECT_EQ(painted.getPixelAt(1, 1).getAlpha(), 0);
}

TEST(Spinner, MovingPetalIsDarkAtItsAngle)
{
    CSpinner spinner;
    spinner.setSize(50, 50);
    paintComponent(spinner);

    // Index 3 is a quarter turn clockwise: the petal points to the left.
    auto petal = spinner.createProgressPetal(3);
    petal->setBounds(spinner.getLocalBounds());
    const juce::Image painted = paintComponent(*petal);
    EXPECT_NEAR(painted.getPixelAt(6, 25).getAlpha(), 0xcc, 2);
    EXPECT_EQ(painted.getPixelAt(25, 43).getAlpha(), 0);
    EXPECT_EQ(countOpaquePixels(painted, { 0, 0, 50, 50 }), countOpaquePixels(painted, { 0, 20, 14, 10 }))
        << "nothing drawn outside the one petal";
}

TEST(Spinner, StepsOverIndices1To12AndWraps)
{
    CSpinner spinner;
    spinner.setSize(50, 50);
    EXPECT_EQ(spinner.getCurrentIndex(), 0);
    std::vector<int> visited;
    for (int i = 0; i < 25; ++i)
    {
        spinner.step();
        visited.push_back(spinner.getCurrentIndex());
    }
    const std::vector<int> expected { 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 1 };
    EXPECT_EQ(visited, expected);
    EXPECT_EQ(spinner.getNumChildComponents(), 0) << "off the screen no faded petal is left behind";
}

TEST(Spinner, WithoutASizeStepsSafely)
{
    juce::Component parent;
    CSpinner spinner;
    parent.addChildComponent(spinner);
    parent.setVisible(true);
    spinner.setVisible(true);
    EXPECT_TRUE(spinner.isRunning());
    for (int i = 0; i < 3; ++i)
        spinner.step();
    EXPECT_EQ(spinner.getCurrentIndex(), 3);
    EXPECT_EQ(spinner.getNumChildComponents(), 0);
    EXPECT_EQ(countOpaquePixels(paintComponent(spinner), { 0, 0, 1, 1 }), 0);
}

TEST(Spinner, RunsOnlyWhileVisible)
{
    CSpinner spinner;
    EXPECT_FALSE(spinner.isRunning());
    spinner.setVisible(true);
    EXPECT_TRUE(spinner.isRunning());
    spinner.setVisible(false);
    EXPECT_FALSE(spinner.isRunning());
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
    EXPECT_EQ(overlay.getHintLabel().getJustificationType(), juce::Justification::centred);
    for (juce::Component* child : { static_cast<juce::Component*>(&overlay.getSpinner()),
                                    static_cast<juce::Component*>(&overlay.getHintLabel()),
                                    static_cast<juce::Component*>(&overlay.getProgressBar()) })
    {
        EXPECT_TRUE(child->isVisible());
        EXPECT_EQ(child->getParentComponent(), &overlay);
    }

    // Narrower than its margins: nothing negative, nothing thrown.
    overlay.setSize(60, 40);
    EXPECT_EQ(overlay.getProgressBar().getWidth(), 0);
}

TEST(LoadingOverlay, HidingItStopsTheSpinnerAndShowingRestartsIt)
{
    CLoadingComponent overlay;
    overlay.setSize(600, 250);
    EXPECT_FALSE(overlay.getSpinner().isRunning()) << "not running before the overlay is shown";
    overlay.setVisible(true);
    EXPECT_TRUE(overlay.getSpinner().isRunning());
    overlay.setVisible(false);
    EXPECT_FALSE(overlay.getSpinner().isRunning());
    overlay.setVisible(true);
    EXPECT_TRUE(overlay.getSpinner().isRunning());
}

TEST(LoadingOverlay, ProgressFromAnotherThreadReachesTheBar)
{
    CLoadingComponent overlay;
    EXPECT_EQ(overlay.getProgress(), -1.0);
    EXPECT_EQ(overlay.getShownProgress(), -1.0);

    std::thread loader([&overlay] {
        for (int i = 0; i <= 1000; ++i)
            overlay.setProgress(i / 2000.0);
    });
    for (int i = 0; i < 1000; ++i)
        overlay.pollProgress();
    loader.join();
    overlay.pollProgress();
    EXPECT_EQ(overlay.getShownProgress(), 0.5);

    for (const double bad : { std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity() })
    {
        overlay.setProgress(bad);
        overlay.pollProgress();
        EXPECT_EQ(overlay.getShownProgress(), -1.0) << "shown as busy";
    }
}

TEST(LoadingOverlay, PaintsItsBackgroundAndTakesThePlayerColour)
{
    CLoadingComponent overlay;
    overlay.setSize(600, 250);
    EXPECT_EQ(paintComponent(overlay).getPixelAt(5, 5).getARGB(), 0xffd3d3d3u);

    overlay.setPlayerColour(juce::Colour(0xff203040));
    EXPECT_EQ(paintComponent(overlay).getPixelAt(5, 5).getARGB(), 0xff203040u);
    // A dark colour: text and bar are lightened towards white.
    const juce::Colour text = overlay.getHintLabel().findColour(juce::Label::textColourId);
    EXPECT_NEAR(text.getRed(), 0x20 * 0.3 + 255 * 0.7, 4.0);
    EXPECT_NEAR(text.getBlue(), 0x40 * 0.3 + 255 * 0.7, 4.0);
    const juce::Colour bar = overlay.getProgressBar().findColour(juce::ProgressBar::foregroundColourId);
    EXPECT_NEAR(bar.getGreen(), 0x30 * 0.5 + 255 * 0.5, 4.0);
    EXPECT_EQ(overlay.getProgressBar().findColour(juce::ProgressBar::backgroundColourId).getARGB(), 0xff203040u);
}
} // namespace
