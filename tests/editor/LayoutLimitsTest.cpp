#include "PlayerSurfaceFixture.h"

#include "editor/LayoutText.h"
#include "editor/PlayerImages.h"

namespace
{
// A PNG file that declares the given size but holds no picture data.
std::string pngHeaderOfSize(juce::uint32 width, juce::uint32 height)
{
    juce::MemoryBlock bytes = pngBytes(4, 4, juce::Colours::red);
    auto* data = static_cast<juce::uint8*>(bytes.getData());
    for (int i = 0; i < 4; ++i)
    {
        data[16 + i] = static_cast<juce::uint8>(width >> (24 - 8 * i));
        data[20 + i] = static_cast<juce::uint8>(height >> (24 - 8 * i));
    }
    return bytes.toBase64Encoding().toStdString();
}
} // namespace

TEST_F(PlayerSurfaceTest, AHugeLayoutIsRefusedWithTheFormatError)
{
    std::string layout = "<Player>";
    while (layout.size() < 10 * 1024 * 1024)
        layout += "<label x=\"1\" y=\"2\" width=\"3\" height=\"4\" 8=\"just filling the layout up\"/>";
    layout += "</Player>";
    load(layout);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].title, "Layout XML Format Error");
    EXPECT_TRUE(surface->widgets.isEmpty());
}

TEST_F(PlayerSurfaceTest, DeeplyNestedElementsAreRefusedWithoutRecursingIntoThem)
{
    std::string layout = "<Player>";
    for (int i = 0; i < 200000; ++i)
        layout += "<a>";
    load(layout);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].title, "Layout XML Format Error");
}

TEST_F(PlayerSurfaceTest, ModestNestingInsideWidgetsIsIgnored)
{
    std::string inner;
    for (int i = 0; i < 50; ++i)
        inner = "<x a=\"<>/\">" + inner + "</x>";
    load("<Player><!-- <a><b><c> --><label>" + inner + "</label></Player>");
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(surface->labels.size(), 1);
}

struct NestingCase
{
    const char* text;
    int depth;
};

class NestingDepthTest : public ::testing::TestWithParam<NestingCase>
{
};

TEST_P(NestingDepthTest, CountsTheMarkup)
{
    EXPECT_EQ(LayoutText::nestingDepth(GetParam().text, 100), GetParam().depth);
}

INSTANTIATE_TEST_SUITE_P(Table, NestingDepthTest,
                         ::testing::Values(NestingCase { "", 0 }, NestingCase { "<a/>", 1 }, NestingCase { "<a><b/><c/></a>", 2 },
                                           NestingCase { "<a><b><c></c></b></a>", 3 },
                                           NestingCase { "<?xml version=\"1.0\"?><!-- <x><y> --><a x=\"/>\"><b/></a>", 2 },
                                           NestingCase { "<a><![CDATA[<b><c>]]></a>", 1 },
                                           NestingCase { "</a></a><a><b>", 2 }));

TEST_F(PlayerSurfaceTest, AnAbsurdlyLargeDeclaredImageIsSkipped)
{
    load("<Player><Images><1>" + pngHeaderOfSize(30000, 30000) + "</1><2>" + pngHeaderOfSize(0x7fffffff, 1)
         + "</2></Images><Button 1=\"1\"/><meter 1=\"2\"/></Player>");
    EXPECT_TRUE(messages.empty());
    EXPECT_TRUE(surface->images.isEmpty());
    auto* button = dynamic_cast<juce::ImageButton*>(surface->buttons.getFirst());
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->getNormalImage().getWidth(), 17);
}

TEST(PlayerImagesTest, DecodingChecksTheDeclaredSize)
{
    const juce::MemoryBlock small = pngBytes(3, 2, juce::Colours::red);
    EXPECT_EQ(PlayerImages::decodeImage(small.getData(), small.getSize()).getWidth(), 3);
    EXPECT_FALSE(PlayerImages::decodeImage(small.getData(), 20).isValid());  // cut short before the size
    EXPECT_FALSE(PlayerImages::decodeImage(nullptr, 0).isValid());

    // GIF with a small screen but a huge first picture.
    const juce::uint8 gif[] = { 'G', 'I', 'F', '8', '9', 'a', 4, 0, 4, 0, 0, 0, 0,
                                '!', 0xf9, 4, 0, 0, 0, 0, 0,
                                ',', 0, 0, 0, 0, 0x30, 0x75, 0x30, 0x75, 0, 2, 0 };
    EXPECT_FALSE(PlayerImages::decodeImage(gif, sizeof(gif)).isValid());

    // JPEG whose frame header declares 30000 x 30000.
    const juce::uint8 jpeg[] = { 0xff, 0xd8, 0xff, 0xe0, 0, 4, 0, 0, 0xff, 0xc0, 0, 11, 8, 0x75, 0x30, 0x75, 0x30, 1, 1, 0x11, 0 };
    EXPECT_FALSE(PlayerImages::decodeImage(jpeg, sizeof(jpeg)).isValid());
}

TEST_F(PlayerSurfaceTest, CorruptImageTextNeverStopsTheLayout)
{
    load("<Player><Images><1>99999999999999.AAAA</1><2>12.\xff\xfe\x01</2><3>.</3><4>  7.%%%%%%%%%%</4></Images>"
         "<knob 1=\"1\"/><fader 1=\"2\"/></Player>");
    EXPECT_TRUE(messages.empty());
    EXPECT_TRUE(surface->images.isEmpty());
    EXPECT_EQ(surface->sliders.size(), 1);
    EXPECT_EQ(surface->faders.size(), 1);
    paintComponent(*surface);
}
