// UTF-8 from files and hosts: what is not a character becomes U+FFFD, so text converted back
// and forth is stable.
#include <gtest/gtest.h>

#include "platform/unicode.h"

TEST(Unicode, MalformedUtf8BecomesReplacementCharacters) {
    EXPECT_EQ(Utf8ToUtf16("a\xD7\x90z"), u"a\u05D0z");
    EXPECT_EQ(Utf8ToUtf16("\xF0\x9F\x98\x80"), u"\U0001F600");
    EXPECT_EQ(Utf8ToUtf16("\xF4\xA4\xA4\xA4"), u"\uFFFD");  // past U+10FFFF
    EXPECT_EQ(Utf8ToUtf16("\xED\xA0\x80"), u"\uFFFD");      // a surrogate
    EXPECT_EQ(Utf8ToUtf16("\xC0\xAF"), u"\uFFFD");          // overlong "/"
    EXPECT_EQ(Utf8ToUtf16("\xE6x"), u"\uFFFDx");
    EXPECT_EQ(Utf8ToUtf16("ab\xE6"), u"ab\uFFFD");
    for (const char* s : {"\xF4\xA4\xA4\xA4", "\xED\xA0\x80", "\xE6\xE6", "x\xFFy"}) {
        std::u16string once = Utf8ToUtf16(s);
        EXPECT_EQ(Utf8ToUtf16(Utf16ToUtf8(once)), once) << s;
    }
    EXPECT_EQ(Utf16ToUtf8(u"\xDC52"), "\xEF\xBF\xBD");  // a lone surrogate
}
