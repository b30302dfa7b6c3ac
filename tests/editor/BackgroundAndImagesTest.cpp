#include "PlayerSurfaceFixture.h"

#include "editor/PlayerImages.h"

TEST(PlayerImagesTest, BuiltInPicturesHaveTheirSizesAndAlpha)
{
    const juce::Image background = PlayerImages::defaultBackgroundImage();
    const juce::Image button = PlayerImages::defaultButtonImage();
    const juce::Image meter = PlayerImages::defaultMeterImage();
    EXPECT_EQ(background.getBounds(), juce::Rectangle<int>(0, 0, 593, 242));
    EXPECT_EQ(button.getBounds(), juce::Rectangle<int>(0, 0, 34, 17));
    EXPECT_EQ(meter.getBounds(), juce::Rectangle<int>(0, 0, 2, 14));
    EXPECT_TRUE(background.hasAlphaChannel() && button.hasAlphaChannel() && meter.hasAlphaChannel());
}

TEST(PlayerImagesTest, TheButtonIsDimOnTheLeftAndLitRedOnTheRight)
{
    const juce::Image button = PlayerImages::defaultButtonImage();
    const juce::Colour dim = button.getPixelAt(4, 8);
    const juce::Colour lit = button.getPixelAt(17 + 4, 8);
    EXPECT_GT(lit.getRed(), 150);
    EXPECT_GT(lit.getRed(), 2 * lit.getGreen());
    EXPECT_LT(dim.getBrightness(), lit.getBrightness());
    EXPECT_LT(dim.getRed(), 2 * dim.getGreen());
}

TEST(PlayerImagesTest, TheMeterIsALightGreyBarWithFaintGapsEveryThirdRow)
{
    const juce::Image meter = PlayerImages::defaultMeterImage();
    for (int y = 0; y < 14; ++y)
        for (int x = 0; x < 2; ++x)
        {
            const juce::Colour pixel = meter.getPixelAt(x, y);
            if (y % 3 == 2)
                EXPECT_LT(pixel.getAlpha(), 128) << y;
            else
            {
                EXPECT_EQ(pixel.getAlpha(), 255) << y;
                EXPECT_GT(pixel.getBrightness(), 0.75f) << y;
                EXPECT_LT(pixel.getSaturation(), 0.05f) << y;
            }
        }
}

TEST_F(PlayerSurfaceTest, AnImageButtonWithoutItsImageShowsTheBuiltInHalves)
{
    load("<Player><Button 1=\"0\" x=\"3\" y=\"4\" width=\"24\" height=\"22\"/></Player>");
    auto* button = dynamic_cast<juce::ImageButton*>(&onlyWidget());
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->getBounds(), juce::Rectangle<int>(3, 4, 24, 22));
    const juce::Image builtIn = PlayerImages::defaultButtonImage();
    const juce::Image normal = button->getNormalImage();
    const juce::Image pressed = button->getDownImage();
    ASSERT_EQ(normal.getBounds(), juce::Rectangle<int>(0, 0, 17, 17));
    ASSERT_EQ(pressed.getBounds(), juce::Rectangle<int>(0, 0, 17, 17));
    for (int y = 0; y < 17; ++y)
        for (int x = 0; x < 17; ++x)
        {
            ASSERT_EQ(normal.getPixelAt(x, y), builtIn.getPixelAt(x, y));
            ASSERT_EQ(pressed.getPixelAt(x, y), builtIn.getPixelAt(17 + x, y));
        }
}

TEST_F(PlayerSurfaceTest, AMeterWithoutImageNumberShowsTheBuiltInBar)
{
    load("<Player><meter x=\"0\" y=\"0\" width=\"2\" height=\"14\"/></Player>");
    ASSERT_EQ(surface->meters.size(), 1);
    auto& meter = *surface->meters[0];
    EXPECT_EQ(meter.getProperties()["1"], juce::var(-1));
    meter.setLevel(0.0f);
    const juce::Image painted = paintComponent(meter);
    const juce::Image builtIn = PlayerImages::defaultMeterImage();
    for (int y = 0; y < 14; ++y)
        EXPECT_EQ(painted.getPixelAt(1, y), builtIn.getPixelAt(1, y)) << y;
}

TEST_F(PlayerSurfaceTest, AMeterShowsTheLayoutImageItNames)
{
    load("<Player><Images><2>" + pngElementText(4, 10, juce::Colours::orange).toStdString()
         + "</2></Images><meter 1=\"2\" width=\"4\" height=\"10\"/></Player>");
    ASSERT_EQ(surface->meters.size(), 1);
    surface->meters[0]->setLevel(0.0f);
    EXPECT_EQ(paintComponent(*surface->meters[0]).getPixelAt(2, 5), juce::Colours::orange);
}

// The background: built-in without stored bytes, none for too few or bad ones.
struct BackgroundCase
{
    const char* name;
    std::vector<uint8_t> bytes;
    int expectedWidth;  // 0: no background image
};

class BackgroundTest : public PlayerSurfaceTest, public ::testing::WithParamInterface<BackgroundCase>
{
};

TEST_P(BackgroundTest, ChosenFromTheStoredBytes)
{
    instrument.backgroundImageData = GetParam().bytes;
    load("<Player/>");
    EXPECT_EQ(surface->backgroundImage.getWidth(), GetParam().expectedWidth);
    EXPECT_EQ(surface->backgroundImage.isValid(), GetParam().expectedWidth > 0);
}

namespace
{
std::vector<uint8_t> storedPng(int width, int height)
{
    const juce::MemoryBlock block = pngBytes(width, height, juce::Colours::green);
    const auto* data = static_cast<const uint8_t*>(block.getData());
    return { data, data + block.getSize() };
}
} // namespace

INSTANTIATE_TEST_SUITE_P(Table, BackgroundTest,
                         ::testing::Values(BackgroundCase { "none", {}, 593 },
                                           BackgroundCase { "oneByte", { 0x89 }, 0 },
                                           BackgroundCase { "fourBytes", { 0x89, 'P', 'N', 'G' }, 0 },
                                           BackgroundCase { "garbage", { 1, 2, 3, 4, 5, 6, 7, 8, 9 }, 0 },
                                           BackgroundCase { "png", storedPng(31, 7), 31 }),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(PlayerSurfaceTest, PaintFillsThePlayerColourAndStretchesTheBackground)
{
    instrument.settings.playerColour = 0xff204060;
    instrument.backgroundImageData = storedPng(10, 5);  // green, stretched over all
    load("<Player width=\"40\" height=\"20\"/>");
    const juce::Colour stretched = paintComponent(*surface).getPixelAt(20, 10);
    EXPECT_EQ(stretched.getAlpha(), 255);
    EXPECT_NEAR(stretched.getGreen(), 0x80, 2);
    EXPECT_EQ(stretched.getRed(), 0);

    instrument.backgroundImageData = { 1, 2, 3 };
    load("<Player width=\"40\" height=\"20\"/>");
    EXPECT_EQ(paintComponent(*surface).getPixelAt(20, 10), juce::Colour(0xff204060));
    EXPECT_EQ(surface->findColour(juce::Slider::backgroundColourId), juce::Colour(0xff204060));
}

TEST(PlayerSurfaceConstructionTest, StartsEmptyOpaqueAndLightGrey)
{
    juce::MidiKeyboardState state;
    CPlayerGUI surface(nullptr, state, {});
    EXPECT_EQ(surface.getWidth(), 0);
    EXPECT_EQ(surface.getHeight(), 0);
    EXPECT_TRUE(surface.isOpaque());
    EXPECT_EQ(surface.findColour(juce::Slider::backgroundColourId), juce::Colour(0xffd3d3d3));
    EXPECT_EQ(surface.playerColour(), juce::Colour(0xffd3d3d3));
}

TEST_F(PlayerSurfaceTest, APlayerColourWithAlphaColoursThePopupHighlight)
{
    auto& lookAndFeel = juce::LookAndFeel::getDefaultLookAndFeel();
    instrument.settings.playerColour = 0xfff0f0f0;
    load("<Player/>");
    EXPECT_EQ(lookAndFeel.findColour(juce::PopupMenu::highlightedBackgroundColourId), juce::Colour(0xfff0f0f0));
    EXPECT_EQ(lookAndFeel.findColour(juce::PopupMenu::highlightedTextColourId), juce::Colours::black);

    instrument.settings.playerColour = 0xff101010;
    load("<Player/>");
    EXPECT_EQ(lookAndFeel.findColour(juce::PopupMenu::highlightedTextColourId), juce::Colours::white);

    instrument.settings.playerColour = 0x00ff0000;  // transparent: left as it was
    load("<Player/>");
    EXPECT_EQ(lookAndFeel.findColour(juce::PopupMenu::highlightedBackgroundColourId), juce::Colour(0xff101010));
    EXPECT_EQ(surface->findColour(juce::Slider::backgroundColourId), juce::Colour(0x00ff0000));
}
