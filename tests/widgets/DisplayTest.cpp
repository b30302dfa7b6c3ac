// Widget behaviour that JUCE shows only for components on a screen: keyboard
// focus and the desktop animator's fading images. Run on a virtual X server.
#include <gtest/gtest.h>

#include "WidgetTestSupport.h"
#include "widgets/CLoadingComponent.h"
#include "widgets/CLookAndFeel.h"
#include "widgets/CSpinner.h"

namespace
{
// A window on the desktop holding the components under test.
class TestWindow : public juce::Component
{
public:
    explicit TestWindow(int width, int height)
    {
        setSize(width, height);
        addToDesktop(0);
        setVisible(true);
    }
    ~TestWindow() override { removeFromDesktop(); }
};

TEST(ComboOnScreen, FocusedBoxHasATwoPixelOutlineAndAStrongerButton)
{
    CLookAndFeel look;
    TestWindow window(120, 60);
    window.setLookAndFeel(&look);
    juce::ComboBox box, other;
    for (juce::ComboBox* b : { &box, &other })
    {
        b->setColour(juce::ComboBox::backgroundColourId, juce::Colours::transparentBlack);
        b->setColour(juce::ComboBox::outlineColourId, juce::Colours::blue);
        b->setColour(juce::ComboBox::buttonColourId, juce::Colour::fromHSV(0.3f, 0.5f, 0.8f, 1.0f));
        window.addAndMakeVisible(*b);
    }
    box.setBounds(0, 0, 100, 24);
    other.setBounds(0, 30, 100, 24);

    other.grabKeyboardFocus();
    ASSERT_TRUE(other.hasKeyboardFocus(false)) << "the virtual display gave no keyboard focus";
    const juce::Image unfocused = paintComponent(box);
    box.grabKeyboardFocus();
    ASSERT_TRUE(box.hasKeyboardFocus(false));
    const juce::Image focused = paintComponent(box);
    window.setLookAndFeel(nullptr);

    for (const auto& [x, y] : { std::pair(0, 12), std::pair(1, 12), std::pair(50, 1), std::pair(50, 22) })
        EXPECT_EQ(focused.getPixelAt(x, y).getARGB(), 0xff0000ffu) << x << ", " << y;
    EXPECT_EQ(focused.getPixelAt(2, 12).getAlpha(), 0);
    EXPECT_EQ(unfocused.getPixelAt(0, 12).getARGB(), 0xff0000ffu);
    EXPECT_EQ(unfocused.getPixelAt(1, 12).getAlpha(), 0);
    EXPECT_EQ(unfocused.getPixelAt(50, 22).getAlpha(), 0);

    // Saturation x 1.3 with the focus, x 0.9 without.
    EXPECT_GT(focused.getPixelAt(83, 11).getSaturation(), unfocused.getPixelAt(83, 11).getSaturation() + 0.1f);
}

TEST(SpinnerOnScreen, EachStepLeavesAFadingImageOfTheDarkPetal)
{
    TestWindow window(600, 250);
    CLoadingComponent overlay;
    overlay.setBounds(0, 0, 600, 250);
    window.addAndMakeVisible(overlay);
    CSpinner& spinner = overlay.getSpinner();
    ASSERT_TRUE(spinner.isShowing());
    EXPECT_TRUE(spinner.isRunning());
    paintComponent(spinner);

    spinner.step();
    ASSERT_EQ(spinner.getNumChildComponents(), 1);
    juce::Component* trail = spinner.getChildComponent(0);
    EXPECT_EQ(dynamic_cast<CSpinner::ProgressPetal*>(trail), nullptr) << "the petal itself is gone";
    EXPECT_EQ(trail->getBounds(), spinner.getLocalBounds());

    // Index 1 is a twelfth of a turn clockwise from straight down.
    const juce::Image painted = paintComponent(spinner);
    const double angle = juce::MathConstants<double>::twoPi / 12.0;
    const int x = juce::roundToInt(25.0 - 18.5 * std::sin(angle));
    const int y = juce::roundToInt(24.88 + 18.5 * std::cos(angle));
    EXPECT_GT(painted.getPixelAt(x, y).getAlpha(), 0xb0);
    EXPECT_LT(painted.getPixelAt(25, 43).getAlpha(), 0x60) << "the resting petal stays faint";

    spinner.step();
    EXPECT_EQ(spinner.getNumChildComponents(), 2) << "the trail holds the earlier steps while they fade";

    overlay.setVisible(false);
    EXPECT_FALSE(spinner.isRunning());
}
} // namespace
