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
// A text for one of the layout checks, and whether the check refuses it.
struct Case
{
    const char* text;
    bool refused;
};
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

namespace
{
juce::MemoryBlock jpegBytes(int width, int height)
{
    juce::Image image(juce::Image::RGB, width, height, false);
    image.clear(image.getBounds(), juce::Colours::white);
    juce::MemoryOutputStream stream;
    juce::JPEGImageFormat().writeImageToStream(image, stream);
    return stream.getMemoryBlock();
}
} // namespace

// Damaged files after a sound header: each gives a null image (or what could
// be read of it), never a crash.
TEST(PlayerImagesTest, DamagedPngFilesGiveNoImage)
{
    const juce::MemoryBlock good = pngBytes(16, 8, juce::Colours::red);
    const auto* bytes = static_cast<const juce::uint8*>(good.getData());

    juce::MemoryBlock badChunkType(good);
    static_cast<juce::uint8*>(badChunkType.getData())[37] = 0xb9;  // the type of the chunk after the header
    EXPECT_FALSE(PlayerImages::decodeImage(badChunkType.getData(), badChunkType.getSize()).isValid());

    juce::MemoryBlock badData(good);
    for (size_t i = 41; i < good.getSize() - 12; ++i)
        static_cast<juce::uint8*>(badData.getData())[i] ^= 0x5a;
    PlayerImages::decodeImage(badData.getData(), badData.getSize());

    EXPECT_FALSE(PlayerImages::decodeImage(bytes, good.getSize() / 2).isValid());
    const juce::Image decoded = PlayerImages::decodeImage(bytes, good.getSize());
    ASSERT_EQ(decoded.getBounds(), juce::Rectangle<int>(0, 0, 16, 8));
    EXPECT_EQ(decoded.getPixelAt(15, 7), juce::Colours::red);
}

TEST(PlayerImagesTest, JpegFilesDecodeAndDamagedOnesDoNotCrash)
{
    const juce::MemoryBlock good = jpegBytes(24, 12);
    const juce::Image decoded = PlayerImages::decodeImage(good.getData(), good.getSize());
    ASSERT_EQ(decoded.getBounds(), juce::Rectangle<int>(0, 0, 24, 12));
    EXPECT_GT(decoded.getPixelAt(12, 6).getBrightness(), 0.9f);

    for (size_t cut : { size_t { 30 }, good.getSize() / 2, good.getSize() - 3 })
        PlayerImages::decodeImage(good.getData(), cut);
    juce::MemoryBlock scrambled(good);
    for (size_t i = 20; i < scrambled.getSize(); i += 3)
        static_cast<juce::uint8*>(scrambled.getData())[i] ^= 0xa5;
    PlayerImages::decodeImage(scrambled.getData(), scrambled.getSize());
}

TEST_F(PlayerSurfaceTest, AnInstructionAfterThePrologIsRefusedRatherThanParsedForEver)
{
    // JUCE's parser loops for ever on the first; in the others a broken quote
    // hides where the instruction stands from a scan that trusts quotes.
    for (const char* layout : { "<Player><label/>text <?xml version=\"1.0\"?> more text</Player>",
                                "<Player><Combo 2=\"102\" x]\"EB<?xml version=\"1.0\"?>alp\"/></Player>",
                                "<Player>\n<Combo 2=\"102\" x]\"EBHf\n<?xml version=\"1.0\" ?>alp\n</Player>" })
        expectFormatError(layout);

    messages.clear();
    load("  <?xml version=\"1.0\"?>\n<!-- made by hand --><?other?>\n<Player><label/></Player>");
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(surface->labels.size(), 1);

    for (const Case& c : { Case { "<?xml?><a/>", false }, Case { "<!--<?x?>--><a/>", false },
                           Case { "<?unfinished <a/>", true }, Case { "<a/><?after?>", true },
                           Case { "<a b=\"<?x?>\"/>", true }, Case { "<a><!-- <?x?> --></a>", true },
                           Case { "<!DOCTYPE a><?pi?><a/>", true } })
        EXPECT_EQ(LayoutText::hasInstructionAfterProlog(c.text), c.refused) << c.text;
}

TEST_F(PlayerSurfaceTest, AReferenceThatWouldRunOffTheEndOfItsTextIsRefused)
{
    // Under AddressSanitizer JUCE's parser read past the text for the first
    // (a layout ending in a hexadecimal reference) and the last two (an
    // unknown entity read again as markup that ends in one, a declared entity
    // that expands to one); an attribute ending so is refused alike.
    for (const char* layout : { "<Player><label/>&#x4", "<Player><label 8=\"&#x", "<Player>&<b>&#x41;</Player>",
                                "<!DOCTYPE Player [<!ENTITY e \"<b>&#x41\">]><Player>&e;</Player>" })
        expectFormatError(layout);

    // References that end where they should still read as before.
    messages.clear();
    load("<Player><label 8=\"R&amp;D &#233;&#xE9; &LT;3\"/><!-- R&D --></Player>");
    EXPECT_TRUE(messages.empty());
    ASSERT_EQ(surface->labels.size(), 1);
    EXPECT_EQ(surface->labels[0]->getText(), juce::String(juce::CharPointer_UTF8("R&D \xc3\xa9\xc3\xa9 <3")));

    for (const Case& c : { Case { "&#x", true }, Case { "a&#X1f", true }, Case { "&#x41;", false }, Case { "&#65", false },
                           Case { "&<b>&#x41;", true }, Case { "&&<&<b c=\"&#X;x", true }, Case { "&<b>&#x41 ;", false },
                           Case { "&<b>;&#x41;", false }, Case { "&b>&#x41;", false }, Case { "&<b>&#x41 x", false },
                           Case { "<a><!EnTiTy", true }, Case { "&<a>;&<b>&#xfF;", true } })
        EXPECT_EQ(LayoutText::hasReferenceRunningOffTheEnd(c.text), c.refused) << c.text;
}
