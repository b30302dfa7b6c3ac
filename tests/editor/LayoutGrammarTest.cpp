#include "PlayerSurfaceFixture.h"

#include "widgets/CKnob.h"

// The document element's name in any case.
class PlayerTagTest : public PlayerSurfaceTest, public ::testing::WithParamInterface<const char*>
{
};

TEST_P(PlayerTagTest, AnyCaseOfPlayerIsTheRootAndTheDefaultSizeIs600By250)
{
    load(std::string("<") + GetParam() + "><label/></" + GetParam() + ">");
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(surface->getWidth(), 600);
    EXPECT_EQ(surface->getHeight(), 250);
    EXPECT_EQ(surface->labels.size(), 1);
}

INSTANTIATE_TEST_SUITE_P(Cases, PlayerTagTest, ::testing::Values("Player", "player", "PLAYER", "pLaYeR"));

TEST_F(PlayerSurfaceTest, WidthAndHeightOfThePlayerSizeTheSurface)
{
    surface->setTopLeftPosition(7, 9);
    load("<Player width=\"320\" height=\"111\"/>");
    EXPECT_EQ(surface->getBounds(), juce::Rectangle<int>(7, 9, 320, 111));
}

TEST_F(PlayerSurfaceTest, AnotherRootShowsNoPlayerNodeAndBuildsNothing)
{
    load("<Player width=\"300\" height=\"100\"><label/></Player>");
    load("<Players><label/></Players>");
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].title, "Zarvo Sampler Player");
    EXPECT_EQ(messages[0].message, "No Player Node found");
    EXPECT_TRUE(surface->widgets.isEmpty());
    EXPECT_EQ(surface->getNumChildComponents(), 0);
    EXPECT_EQ(surface->getWidth(), 300);  // the size of the layout before
    EXPECT_TRUE(surface->backgroundImage.isValid());
}

TEST_F(PlayerSurfaceTest, MalformedTextShowsTheParserError)
{
    load("<Player width=\"300\" height=\"100\"><label/></Player>");
    load("<Player><label x=\"1></Player>");
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].title, "Layout XML Format Error");
    EXPECT_TRUE(messages[0].message.isNotEmpty());
    EXPECT_TRUE(surface->widgets.isEmpty());
    EXPECT_EQ(surface->getHeight(), 100);
}

TEST_F(PlayerSurfaceTest, OnlyDirectChildrenOfThePlayerMakeWidgets)
{
    load("<Player><label><knob/><Button/></label>text<Unknown/><group><knob/></group></Player>");
    EXPECT_EQ(surface->widgets.size(), 1);
    EXPECT_EQ(surface->labels.size(), 1);
    EXPECT_TRUE(surface->sliders.isEmpty());
    EXPECT_TRUE(surface->buttons.isEmpty());
}

// Every element kind, written without position or size.
class WidgetWithoutBoundsTest : public PlayerSurfaceTest, public ::testing::WithParamInterface<const char*>
{
};

TEST_P(WidgetWithoutBoundsTest, SitsAtTheOriginWith50By50)
{
    load(std::string("<Player><Images><3>") + pngElementText(40, 10, juce::Colours::red).toStdString() + "</3></Images>"
         + GetParam() + "</Player>");
    EXPECT_EQ(onlyWidget().getBounds(), juce::Rectangle<int>(0, 0, 50, 50));
    EXPECT_TRUE(onlyWidget().isVisible());
    EXPECT_EQ(onlyWidget().getParentComponent(), surface.get());
}

INSTANTIATE_TEST_SUITE_P(Elements, WidgetWithoutBoundsTest,
                         ::testing::Values("<Label/>", "<keyboard/>", "<knob/>", "<knob 1=\"3\"/>", "<knob 1=\"8\"/>",
                                           "<Combo/>", "<Combo 2=\"4\"/>", "<Button/>", "<Button 1=\"3\"/>",
                                           "<Button 1=\"8\"/>", "<fader 1=\"3\"/>", "<fader 1=\"8\"/>", "<meter/>",
                                           "<meter 1=\"3\"/>"));

TEST_F(PlayerSurfaceTest, EachElementLandsInItsOwnList)
{
    load("<Player><LABEL/><Keyboard/><KNOB/><knob 1=\"0\"/><combo/><button/><button 1=\"0\"/><Fader 1=\"0\"/>"
         "<fader/><Meter/></Player>");
    EXPECT_EQ(surface->labels.size(), 1);
    EXPECT_EQ(surface->keyboards.size(), 1);
    EXPECT_EQ(surface->sliders.size(), 2);
    EXPECT_EQ(surface->comboBoxes.size(), 1);
    EXPECT_EQ(surface->buttons.size(), 2);
    EXPECT_EQ(surface->faders.size(), 1);  // the fader without an image makes nothing
    EXPECT_EQ(surface->meters.size(), 1);
    EXPECT_EQ(surface->widgets.size(), 9);
}

TEST_F(PlayerSurfaceTest, LaterElementsLieInFront)
{
    load("<Player><label/><knob/><Button/></Player>");
    ASSERT_EQ(surface->getNumChildComponents(), 3);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(surface->getChildComponent(i), surface->widgets[i]);
}

TEST_F(PlayerSurfaceTest, PlainKnobWithoutImageNumberAndFilmStripKnobWithOne)
{
    load("<Player><knob 1=\"2\"/><knob/></Player>");
    ASSERT_EQ(surface->sliders.size(), 2);
    auto* filmStrip = dynamic_cast<CKnob*>(surface->sliders[0]);
    ASSERT_NE(filmStrip, nullptr);
    EXPECT_EQ(filmStrip->getProperties()["1"], juce::var(2));
    EXPECT_EQ(dynamic_cast<CKnob*>(surface->sliders[1]), nullptr);
    EXPECT_FALSE(surface->sliders[1]->getProperties().contains("1"));
    for (auto* knob : surface->sliders)
    {
        EXPECT_EQ(knob->getSliderStyle(), juce::Slider::RotaryVerticalDrag);
        EXPECT_EQ(knob->getTextBoxPosition(), juce::Slider::NoTextBox);
        EXPECT_EQ(knob->getMinimum(), 0.0);
        EXPECT_EQ(knob->getMaximum(), 1.0);
        EXPECT_EQ(knob->getInterval(), 0.0);
    }
}

TEST_F(PlayerSurfaceTest, AFaderWithoutImageNumberIsDropped)
{
    load("<Player><fader x=\"5\"/><fader 1=\"4\" x=\"6\"/></Player>");
    ASSERT_EQ(surface->faders.size(), 1);
    EXPECT_EQ(surface->widgets.size(), 1);
    EXPECT_EQ(surface->faders[0]->getX(), 6);
    EXPECT_EQ(surface->faders[0]->getProperties()["1"], juce::var(4));
}

TEST_F(PlayerSurfaceTest, ImagesAreNamedByTheNumberOfTheirTag)
{
    load("<Player><Images><7>" + pngElementText(30, 10, juce::Colours::red).toStdString() + "</7><12>"
         + pngElementText(12, 5, juce::Colours::blue).toStdString() + "</12></Images></Player>");
    ASSERT_EQ(surface->images.size(), 2);
    EXPECT_EQ(surface->images[0].getProperties()->getWithDefault("path", {}).toString(), "7");
    EXPECT_EQ(surface->findImage(7).getWidth(), 30);
    EXPECT_EQ(surface->findImage(12).getWidth(), 12);
    EXPECT_FALSE(surface->findImage(8).isValid());
    EXPECT_TRUE(surface->widgets.isEmpty());
}

TEST_F(PlayerSurfaceTest, DuplicateNumbersFindTheFirstAndLetterNamesReadAsZero)
{
    load("<Player><Images><5>" + pngElementText(10, 4, juce::Colours::red).toStdString() + "</5><5>"
         + pngElementText(20, 4, juce::Colours::green).toStdString() + "</5><abc>"
         + pngElementText(30, 4, juce::Colours::blue).toStdString() + "</abc></Images></Player>");
    ASSERT_EQ(surface->images.size(), 3);
    EXPECT_EQ(surface->findImage(5).getWidth(), 10);
    EXPECT_EQ(surface->findImage(0).getWidth(), 30);
    EXPECT_EQ(surface->images[2].getProperties()->getWithDefault("path", {}).toString(), "abc");
}

TEST_F(PlayerSurfaceTest, ImagesAfterAWidgetAreNotFoundByIt)
{
    load("<Player><Button 1=\"3\"/><Images><3>" + pngElementText(40, 10, juce::Colours::red).toStdString()
         + "</3></Images><Button 1=\"3\"/></Player>");
    ASSERT_EQ(surface->buttons.size(), 2);
    auto* before = dynamic_cast<juce::ImageButton*>(surface->buttons[0]);
    auto* after = dynamic_cast<juce::ImageButton*>(surface->buttons[1]);
    ASSERT_NE(before, nullptr);
    ASSERT_NE(after, nullptr);
    EXPECT_EQ(before->getNormalImage().getWidth(), 17);  // the built-in button's half
    EXPECT_EQ(after->getNormalImage().getWidth(), 20);
    EXPECT_EQ(after->getNormalImage().getHeight(), 10);
    EXPECT_EQ(after->getNormalImage().getPixelAt(3, 3), juce::Colours::red);
    EXPECT_EQ(after->getDownImage().getWidth(), 20);
}

TEST_F(PlayerSurfaceTest, ImageElementsThatDoNotDecodeAreSkipped)
{
    load("<Player><Images><1>4.abcd</1><2>not base 64</2><3>40.zzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzz</3>"
         "<4></4><5>-20.abc</5><6>2000000000.abcdef</6><7>"
         + pngElementText(6, 6, juce::Colours::red).toStdString() + "</7></Images></Player>");
    ASSERT_EQ(surface->images.size(), 1);
    EXPECT_EQ(surface->findImage(7).getWidth(), 6);
}

TEST_F(PlayerSurfaceTest, AKnobWithoutItsImageStillBuildsAndPaints)
{
    load("<Player><knob 1=\"9\" x=\"2\" y=\"3\" width=\"20\" height=\"20\"/></Player>");
    ASSERT_EQ(surface->sliders.size(), 1);
    EXPECT_EQ(surface->sliders[0]->getBounds(), juce::Rectangle<int>(2, 3, 20, 20));
    paintComponent(*surface);
}

TEST_F(PlayerSurfaceTest, LoadingTheSameLayoutTwiceLeavesOneSetOfWidgets)
{
    load(defaultLayoutXml);
    load(defaultLayoutXml);
    EXPECT_EQ(surface->widgets.size(), 12);
    EXPECT_EQ(surface->getNumChildComponents(), 12);
    EXPECT_EQ(surface->labels.size(), 2);
    EXPECT_EQ(surface->keyboards.size(), 1);
    EXPECT_EQ(surface->sliders.size(), 6);
    EXPECT_EQ(surface->buttons.size(), 1);
    EXPECT_EQ(surface->meters.size(), 2);
}

TEST_F(PlayerSurfaceTest, TheDefaultLayout)
{
    load(defaultLayoutXml);
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(surface->getWidth(), 593);
    EXPECT_EQ(surface->getHeight(), 242);
    ASSERT_EQ(surface->sliders.size(), 6);
    const int ids[] = { 101, 102, 103, 104, 2, 3 };
    for (int i = 0; i < 6; ++i)
    {
        EXPECT_EQ(surface->sliders[i]->getProperties()["2"], juce::var(ids[i]));
        EXPECT_EQ(surface->sliders[i]->findColour(juce::Slider::rotarySliderOutlineColourId), juce::Colour(0x66dfc4c4));
        EXPECT_EQ(surface->sliders[i]->findColour(juce::Slider::rotarySliderFillColourId), juce::Colour(0x7fdadadc));
    }
    ASSERT_EQ(surface->keyboards.size(), 1);
    EXPECT_EQ(surface->keyboards[0]->getRangeStart(), 36);
    EXPECT_EQ(surface->keyboards[0]->getRangeEnd(), 95);
    ASSERT_EQ(surface->meters.size(), 2);
    EXPECT_EQ(surface->meters[1]->getProperties()["1"], juce::var(-1));
    EXPECT_EQ(surface->meters[1]->getBounds(), juce::Rectangle<int>(485, 67, 2, 14));
    EXPECT_EQ(surface->labels[0]->findColour(juce::Label::textColourId), juce::Colours::white);
}

TEST_F(PlayerSurfaceTest, ClearWidgetsEmptiesEveryList)
{
    load("<Player><Images><1>" + pngElementText(4, 4, juce::Colours::red).toStdString()
         + "</1></Images><label/><keyboard/><knob/><Combo/><Button/><fader 1=\"1\"/><meter/></Player>");
    surface->removeAllChildren();
    surface->clearWidgets();
    EXPECT_TRUE(surface->widgets.isEmpty());
    EXPECT_TRUE(surface->images.isEmpty());
    EXPECT_TRUE(surface->labels.isEmpty() && surface->keyboards.isEmpty() && surface->sliders.isEmpty()
                && surface->comboBoxes.isEmpty() && surface->buttons.isEmpty() && surface->faders.isEmpty()
                && surface->meters.isEmpty());
}

TEST_F(PlayerSurfaceTest, TheSurfaceSizeStaysDrawable)
{
    load("<Player width=\"100000\" height=\"-20\"/>");
    EXPECT_EQ(surface->getWidth(), CPlayerGUI::maximumSide);
    EXPECT_EQ(surface->getHeight(), 0);

    // Its widgets too: painting a label 216,782,197 pixels high made JUCE ask
    // for gigabytes.
    load("<Player><label x=\"-20000\" y=\"30000\" width=\"286\" height=\"216782197\"/>"
         "<knob x=\"5\" y=\"6\" width=\"-3\" height=\"8192\"/></Player>");
    ASSERT_EQ(surface->widgets.size(), 2);
    EXPECT_EQ(surface->widgets[0]->getBounds(), juce::Rectangle<int>(-8192, 8192, 286, 8192));
    EXPECT_EQ(surface->widgets[1]->getBounds(), juce::Rectangle<int>(5, 6, 0, 8192));
}
