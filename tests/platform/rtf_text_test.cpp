// The text of an RTF document, as the desktop clipboard offers it next to the RTF.
#include "platform/user/rtf_text.h"

#include <gtest/gtest.h>

namespace {

TEST(RtfToText, ReadsEscapesMarksAndTheSpaceAfterAnEscape) {
    EXPECT_EQ(RtfToText("{\\rtf1\\ansi\\uc0 \\u1488  \\u1489, b.  c\\par\\par\r\n5\\\\\\{\\}}"),
              u"\u05D0 \u05D1, b.  c\n\n5\\{}");
    EXPECT_EQ(RtfToText("{\\rtf1\\uc0 \\u1488 5\\u-1280 x}"), u"\u05D05\uFB00x");
    EXPECT_EQ(RtfToText("{\\rtf1 a\\line b\\tab c\\~d}"), u"a\nb\tc\u00A0d");
}

TEST(RtfToText, SkipsTablesAndDestinationsAndFallbackCharacters) {
    EXPECT_EQ(RtfToText("{\\rtf1{\\fonttbl{\\f0 David;}}{\\colortbl\\red0;}{\\*\\generator x;}"
                        "{\\info{\\title t}}text}"),
              u"text");
    // One fallback character by default, \uc2 two, and a group resets the count.
    EXPECT_EQ(RtfToText("{\\rtf1 \\u1488?b}"), u"\u05D0b");
    EXPECT_EQ(RtfToText("{\\rtf1\\uc2 \\u1488\\'e0\\'e0b}"), u"\u05D0b");
    EXPECT_EQ(RtfToText("{\\rtf1 {\\uc2 x}\\u1488?b}"), u"x\u05D0b");
    // \'hh is the Hebrew code page.
    EXPECT_EQ(RtfToText("{\\rtf1\\uc0 \\'e0\\'fa\\'41}"), u"\u05D0\u05EAA");
}

TEST(RtfToText, MalformedInputEndsSafely) {
    EXPECT_EQ(RtfToText(""), u"");
    EXPECT_EQ(RtfToText("\\"), u"");
    EXPECT_EQ(RtfToText("}}}a{{{b"), u"ab");
    EXPECT_EQ(RtfToText("\\'4"), u"4");                            // not a byte: the digit is text
    EXPECT_EQ(RtfToText("\\u99999999999999999999 x").size(), 1u);  // x is its fallback
    std::string deep(100000, '{');
    EXPECT_EQ(RtfToText(deep + "x"), u"x");
}

}  // namespace
