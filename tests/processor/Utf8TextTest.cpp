// Bytes from files and state blocks on their way into JUCE strings.

#include <gtest/gtest.h>

#include "Utf8Text.h"

TEST(Utf8Text, WellFormedSequencesOnly)
{
    struct Case
    {
        std::string bytes;
        bool wellFormed;
    };
    const Case cases[] = {
        { "", true },
        { "Piano.zse", true },
        { "\xC3\xA9t\xC3\xA9", true },          // été
        { "\xE2\x82\xAC", true },               // euro sign
        { "\xF0\x9F\x8E\xB9", true },           // a four-byte character
        { "String\xF4s/Violins", false },       // a lead byte without its continuation
        { "\xC3", false },                      // cut short at the end
        { "\x80", false },                      // a stray continuation byte
        { "\xC0\x80", false },                  // a lead byte UTF-8 never uses
        { "\xF8\x88\x80\x80\x80", false },
    };
    for (const Case& c : cases)
        EXPECT_EQ(isWellFormedUtf8(c.bytes.data(), c.bytes.size()), c.wellFormed) << c.bytes;
}

TEST(Utf8Text, MalformedBytesBecomeReplacementCharacters)
{
    const juce::String text = textOfUtf8("a\xF4s/b\xC3");
    EXPECT_EQ(text.length(), 6);
    EXPECT_EQ(text[0], 'a');
    EXPECT_EQ(text[1], static_cast<juce::juce_wchar>(0xFFFD));
    EXPECT_EQ(text[2], 's');
    EXPECT_EQ(text[3], '/');
    EXPECT_EQ(text[5], static_cast<juce::juce_wchar>(0xFFFD));
    EXPECT_EQ(textOfUtf8("\xC3\xA9t\xC3\xA9").length(), 3);
}
