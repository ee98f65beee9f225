// Search Again over the compiled-in book: for words taken from the book's own text, F3 pressed
// over and over shows every occurrence once a round, in the search order, and then wraps; and
// every hit is highlighted where the reader can see it, not under the hit banner.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "platform/heap.h"
#include "search/matcher.h"
#include "store/record_list.h"
#include "store/records.h"
#include "support/reader_run.h"
#include "text/text_pane.h"

namespace {

using Bytes = std::vector<uint8_t>;

struct Occurrence {
    int article = 0;
    int anchor = 0;  // the highest byte of the match
    bool operator==(const Occurrence&) const = default;
};

std::string Describe(const Occurrence& o) {
    return std::to_string(o.article) + ":" + std::to_string(o.anchor);
}

bool IsLetter(uint8_t b) {
    const uint16_t k = LetterClass(b);
    return k >= LetterClass('a') && k <= LetterClass('{');
}

// Every occurrence of a word of letters in the book, in the order a search visits them:
// articles in number order, records in order, and in each record from its highest byte down,
// each occurrence wholly below the one before. Worked out on the record's letters alone, with
// the marks between them left out.
std::vector<Occurrence> Occurrences(const Bytes& word) {
    std::vector<Occurrence> all;
    const int m = int(word.size());
    for (int article = 1; article <= 26; ++article) {
        uint8_t* list = LoadRecordList(article);
        if (!list) continue;
        for (const uint8_t* r = list; !IsArticleListEnd(r); r = NextArticleRecord(r)) {
            const uint8_t* text = ArticleRecordText(r);
            std::vector<int> at;  // positions of the bytes that compare (class not 0)
            for (size_t i = 0; i < ArticleRecordTextLength(r); ++i)
                if (LetterClass(text[i]) != 0) at.push_back(int(text - list) + int(i));
            for (int top = int(at.size()) - 1; top >= m - 1;) {
                bool same = true;
                for (int j = 0; j < m && same; ++j)
                    same = LetterClass(list[at[size_t(top - j)]]) ==
                           LetterClass(word[size_t(m - 1 - j)]);
                if (!same) {
                    --top;
                    continue;
                }
                all.push_back({article, at[size_t(top)]});
                top -= m;
            }
        }
        HeapFreeBlock(list);
    }
    return all;
}

// The words of a record as a search string stores them (the letters in stored order, the marks
// between them left out), each with whether marks stood between its letters.
struct Word {
    Bytes letters;
    bool pointed = false;
};
std::vector<Word> WordsOf(const uint8_t* text) {
    std::vector<Word> words;
    Word word;
    for (const uint8_t* p = text;; ++p) {
        if (*p && IsLetter(*p)) {
            word.letters.push_back(*p);
            continue;
        }
        if (*p && LetterClass(*p) == 0) {
            word.pointed = word.pointed || !word.letters.empty();
            continue;
        }
        if (!word.letters.empty()) words.push_back(word);
        if (!*p) return words;
        word = Word{};
    }
}

// The last word of each title (stored first), a word with points, and words from one letter to
// many.
std::vector<Bytes> BookWords() {
    std::vector<Bytes> words;
    bool pointed = false;
    for (int article = 1; article <= 26; ++article) {
        uint8_t* list = LoadRecordList(article);
        if (!list) continue;
        const std::vector<Word> title = WordsOf(ArticleRecordText(list));
        if (!title.empty()) words.push_back(title.front().letters);
        for (const uint8_t* r = list; !pointed && !IsArticleListEnd(r); r = NextArticleRecord(r))
            for (const Word& w : WordsOf(ArticleRecordText(r)))
                if (w.pointed && w.letters.size() >= 3 && !pointed)
                    words.push_back(w.letters), pointed = true;
        HeapFreeBlock(list);
    }
    EXPECT_TRUE(pointed) << "no word with points in the book";
    // "הראש", "בלבד", "האופק", one letter (shin), and the label "ג." (its bytes lie outside
    // every line's range), in stored order.
    for (const char* w : {"zaye", "dbmb", "xufae", "z", ".c"})
        words.push_back(Bytes(w, w + std::strlen(w)));
    std::sort(words.begin(), words.end());
    words.erase(std::unique(words.begin(), words.end()), words.end());
    return words;
}

std::string Hex(const Bytes& word) {
    std::string s;
    char byte[4];
    for (uint8_t b : word) std::snprintf(byte, sizeof byte, "%02x,", b), s += byte;
    return s + "00";
}

class SearchRoundTest : public ReaderRunTest {
protected:
    Occurrence Shown() {
        const bool bottom = App.ActivePane == App.BottomPane;
        const TextPane* pane = bottom ? App.BottomPane : App.TopPane;
        return {App.Lesson + (bottom ? 1 : 0), int(pane->markEnd) - 1};
    }
    // Yellow highlight pixels on the pane outside the rows of the banner (whose red frame marks
    // where it stands).
    int VisibleHighlight(const TextPane* pane) {
        constexpr uint32_t kYellow = 0xFFFF00, kRed = 0xFF0000;
        const std::vector<uint32_t> screenPixels = screen.host().Pixels();
        const int width = screen.host().ScreenWidth();
        std::vector<int> yellowInRow;
        int bannerTop = pane->top + pane->height, bannerBottom = -1;
        for (int y = pane->top; y < pane->top + pane->height; ++y) {
            int yellow = 0;
            for (int x = pane->left; x < pane->left + pane->width; ++x) {
                const uint32_t pixel = screenPixels[size_t(y) * size_t(width) + size_t(x)];
                yellow += pixel == kYellow;
                if (pixel == kRed) bannerTop = std::min(bannerTop, y), bannerBottom = y;
            }
            yellowInRow.push_back(yellow);
        }
        int outside = 0;
        for (int y = pane->top; y < pane->top + pane->height; ++y)
            if (y < bannerTop || y > bannerBottom) outside += yellowInRow[size_t(y - pane->top)];
        return outside;
    }
    // Presses F3 once more than there are occurrences: the hits follow the book's order from
    // the first one shown, each once, and the last press comes back to the first. After each
    // press the hit is highlighted on the screen, outside the banner, and only there.
    void CheckRound(const Bytes& word) {
        const std::vector<Occurrence> expected = Occurrences(word);
        ASSERT_FALSE(expected.empty()) << Hex(word);
        StoreFont("\"SearchString\"=hex:" + Hex(word) + "\n");
        std::vector<Occurrence> seen;
        auto look = [&] {
            seen.push_back(Shown());
            const TextPane* pane = App.ActivePane;
            const TextPane* other = pane == App.TopPane ? App.BottomPane : App.TopPane;
            EXPECT_GT(VisibleHighlight(pane), 0) << "hidden: " << Describe(seen.back());
            EXPECT_EQ(other->markEnd, 0) << "two highlights at " << Describe(seen.back());
        };
        std::vector<std::function<void()>> steps = {[&] { screen.host().Key(VK_F3); }};
        for (size_t i = 0; i < expected.size(); ++i)
            steps.push_back([&] {
                look();
                screen.host().Key(VK_F3);
            });
        steps.push_back(look);
        Run(steps);
        ASSERT_EQ(seen.size(), expected.size() + 1);
        const auto first = std::find(expected.begin(), expected.end(), seen[0]);
        ASSERT_NE(first, expected.end()) << "not an occurrence: " << Describe(seen[0]);
        size_t k = size_t(first - expected.begin());
        for (size_t i = 0; i < seen.size(); ++i, k = (k + 1) % expected.size())
            ASSERT_EQ(Describe(seen[i]), Describe(expected[k])) << "press " << i + 1;
        EXPECT_TRUE(screen.messageBoxes.empty());
    }
};

TEST_F(SearchRoundTest, EveryOccurrenceOnceARoundInOrderAndInView) {
    for (const Bytes& word : BookWords()) {
        SCOPED_TRACE(Hex(word));
        CheckRound(word);
        if (HasFailure()) return;
    }
}

TEST_F(SearchRoundTest, AHiddenBottomPaneIsNotSearchedIntoView) {
    StoreFont("\"SearchString\"=hex:2e,63,00\n");  // "ג.": first in article 2, a label
    Run({[&] { screen.host().Key(VK_F3); },
         [&] {
             ASSERT_EQ(App.ActivePane, App.BottomPane);
             EXPECT_GT(App.BottomPane->firstRow, 0);  // the label's paragraph at the top
             EXPECT_GT(VisibleHighlight(App.BottomPane), 0);
             CommandNow(401);  // Bottom: None
             // A word of the odd articles too ("הראש"), as if typed in the Search dialog.
             std::memcpy(App.SearchString, "zaye", 5);
             screen.host().Key(VK_F3);
         },
         [&] {
             EXPECT_EQ(App.ActivePane, App.TopPane);
             EXPECT_EQ(App.Lesson % 2, 1);
             EXPECT_NE(App.TopPane->markEnd, 0);
             EXPECT_EQ(App.BottomPane->markEnd, 0);
             EXPECT_GT(VisibleHighlight(App.TopPane), 0);
         }});
}

TEST_F(SearchRoundTest, OnALargerScreenToo) {
    screen.host().Resize(480, 800);
    CheckRound({'z', 'a', 'y', 'e'});
}

}  // namespace
