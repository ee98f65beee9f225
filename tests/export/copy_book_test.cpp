// Copy of every article of the built-in book, in each of the three mappings: the text that other
// programs get equals the article as it is read, letters, points and numbers, and the Latin-1
// form is offered exactly when the text has one. The expected text comes from the book
// compiler's own decoder, not from the reader's conversion.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <tuple>

#include "book_encoding.h"
#include "platform/heap.h"
#include "platform/unicode.h"
#include "store/record_list.h"
#include "store/records.h"
#include "support/reader_run.h"
#include "text/layout.h"

namespace {

constexpr int kArticles = 26;

// The article as a reader reads it: one line per record, rules as dashes, indents as spaces, a
// blank line after a record with a paragraph gap.
std::u32string ReadingText(const uint8_t* list) {
    std::u32string text;
    for (const uint8_t* r = list; !IsArticleListEnd(r); r = NextArticleRecord(r)) {
        uint8_t style = ArticleRecordStyle(r), parameter = ArticleRecordIndent(r);
        if ((style & 7) == 7) {
            text.append(parameter <= 160 ? parameter : 2 * (parameter - 160), U'-');
        } else {
            text += DecodeBookText(ArticleRecordText(r), ArticleRecordTextLength(r),
                                   (style & 0x10) ? StoredOrder::Display : StoredOrder::Reading);
            text.append(parameter & 63, U' ');
        }
        text += (style & 0x80) ? U"\n\n" : U"\n";
    }
    return text;
}

// What a single-byte font shows: letters from 0xE0, no points or dots.
std::u32string SingleByte(const std::u32string& text) {
    std::u32string out;
    for (char32_t c : text) {
        if (c >= 0x05D0 && c <= 0x05EA)
            out += 0xE0 + (c - 0x05D0);
        else if (c < 0x05B0 || c > 0x05C7)
            out += c;
    }
    return out;
}

// What a word processor makes of the RTF: every run of line ends one paragraph mark (an empty
// paragraph after each), and one more mark at the end.
std::u32string AsRtfParagraphs(const std::u32string& text) {
    std::u32string out;
    for (size_t i = 0; i < text.size();) {
        if (text[i] != U'\n') {
            out += text[i++];
            continue;
        }
        while (i < text.size() && text[i] == U'\n') ++i;
        out += U"\n\n";
    }
    return out + U"\n\n";
}

std::string Utf8(const std::u32string& text) {
    return EncodeUtf8(text);
}

constexpr WPARAM kCopy = 40007;

// FontAsciiBase, and whether the Reverse option is on: it changes how runs are drawn, never the
// order of what is copied.
class CopyEveryArticle : public ReaderRunTest,
                         public ::testing::WithParamInterface<std::tuple<int, bool>> {};

TEST_P(CopyEveryArticle, OtherProgramsGetTheArticleInReadingOrder) {
    const auto [base, reverse] = GetParam();
    char stored[96];
    std::snprintf(stored, sizeof stored, "\"FontAsciiBase\"=dword:%08x\n\"Flags\"=dword:%08x\n",
                  unsigned(base), reverse ? 0xD1140840u : 0xD1140040u);
    StoreFont(stored);
    int copied = 0;
    Run({[&] {
        for (int article = 1; article <= kArticles; ++article) {
            uint8_t* reference = LoadRecordList(article);
            ASSERT_NE(reference, nullptr) << article;
            std::u32string reading = ReadingText(reference);
            HeapFreeBlock(reference);

            LayoutText(App.TopPane, LoadRecordList(article), true);
            App.ActivePane = nullptr;
            SendMessage(App.MainWindow, WM_COMMAND, kCopy, 0);
            const SystemClipboard& desktop = screen.host().systemClipboard();
            ASSERT_TRUE(desktop.hasText) << article;
            if (base == 1488) {
                EXPECT_TRUE(desktop.hasRtf) << article;
                EXPECT_EQ(desktop.text, Utf8(AsRtfParagraphs(reading))) << "article " << article;
                EXPECT_FALSE(desktop.hasLatin1) << "Hebrew has no Latin-1 form";
            } else {
                std::u32string shown = SingleByte(reading);
                EXPECT_FALSE(desktop.hasRtf) << article;
                EXPECT_EQ(desktop.text, Utf8(shown)) << "article " << article;
                std::string latin1;
                for (char32_t c : shown) latin1 += char(c);
                EXPECT_TRUE(desktop.hasLatin1) << article;
                EXPECT_EQ(desktop.latin1, latin1) << "article " << article;
            }
            ++copied;
        }
    }});
    EXPECT_EQ(copied, kArticles);
}

INSTANTIATE_TEST_SUITE_P(Mappings, CopyEveryArticle,
                         ::testing::Combine(::testing::Values(1488, 224, 97), ::testing::Bool()));

}  // namespace
