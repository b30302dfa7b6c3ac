// Names from files are printed without any byte that could act on a terminal.

#include <gtest/gtest.h>

#include "files/PrintableText.h"

TEST(PrintableText, ControlAndInvalidBytesAreEscapedAndLettersKept)
{
    struct Case
    {
        std::string bytes;
        std::string shown;
    };
    for (const Case& c : {
             Case { "samples\\piano C4.wav", "samples\\piano C4.wav" },
             Case { "Fl\xC3\xBCgel \xE2\x80\x93 \xF0\x9F\x8E\xB9", "Fl\xC3\xBCgel \xE2\x80\x93 \xF0\x9F\x8E\xB9" },
             Case { "a\x1B[2Jb", "a\\x1b[2Jb" },            // an escape sequence loses its escape
             Case { "line\nnext\ttab\r", "line\\nnext\\ttab\\r" },
             Case { std::string("nul\0byte", 8), "nul\\x00byte" },
             Case { "del\x7F", "del\\x7f" },
             Case { "latin1 \xFC", "latin1 \\xfc" },         // not UTF-8
             Case { "cut \xE2\x80", "cut \\xe2\\x80" },      // a sequence cut short
             Case { "overlong \xC0\xAF", "overlong \\xc0\\xaf" },
             Case { "surrogate \xED\xA0\x80", "surrogate \\xed\\xa0\\x80" },
             Case { "c1 \xC2\x9B", "c1 \\xc2\\x9b" },          // the 8-bit control sequence introducer
         })
        EXPECT_EQ(printableText(c.bytes), c.shown);
    EXPECT_EQ(quotedText("a\x07"), "\"a\\x07\"");
}
