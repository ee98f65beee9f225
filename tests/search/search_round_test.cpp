// Search Again over the compiled-in book: for words taken from the book's own text, F3 pressed
// over and over shows every occurrence once a round, in the search order, and then wraps, saying
// so; every hit is highlighted where the reader can see it, not under the hit banner. Find All
// lists the same places in the same order, and choosing the k-th of them leaves the reader where
// the k-th F3 does, with F3 going on from there.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "platform/heap.h"
#include "reader/navigation.h"
#include "search/find_all.h"
#include "search/find_next.h"
#include "search/matcher.h"
#include "store/record_list.h"
#include "store/records.h"
#include "support/reader_run.h"
#include "text/text_pane.h"

namespace {

using Bytes = std::vector<uint8_t>;

constexpr int kSearchAgain = 117;  // the command F3 and the search-again button send

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
    // Where a search left the reader: the pair, the active pane, its scroll and highlight, and
    // the banner's note.
    struct Where {
        int lesson = 0;
        bool bottom = false;
        int firstRow = 0, markStart = 0, markEnd = 0;
        std::u16string note;
        bool operator==(const Where&) const = default;
    };
    static std::string DescribeWhere(const Where& w) {
        return std::to_string(w.lesson) + (w.bottom ? " bottom" : " top") + " row " +
               std::to_string(w.firstRow) + " mark " + std::to_string(w.markStart) + "-" +
               std::to_string(w.markEnd) + (w.note.empty() ? "" : " with a note");
    }
    Where Now() {
        const bool bottom = App.ActivePane == App.BottomPane;
        const TextPane* pane = bottom ? App.BottomPane : App.TopPane;
        const char16_t* note = ShownHitNote();
        return {App.Lesson,      bottom,        pane->firstRow,
                pane->markStart, pane->markEnd, note ? std::u16string(note) : std::u16string()};
    }
    // Back where the reader started: the first pair at its top, the top pane active.
    void BackToStart() {
        GoToArticle(App.MainWindow, kFirstArticle);
        App.ActivePane = App.TopPane;
        App.ActiveScrollBar = App.TopScrollBar;
        screen.Settle();
    }
    static std::vector<Occurrence> AsOccurrences(const std::vector<FoundPlace>& places) {
        std::vector<Occurrence> out;
        for (const FoundPlace& p : places) out.push_back({p.article, p.offset});
        return out;
    }
    // Presses F3 once more than there are occurrences: the hits follow the book's order from
    // the first one shown, each once, and the last press comes back to the first, saying that
    // the whole book has been searched. After each press the hit is highlighted on the screen,
    // outside the banner, and only there. Find All, asked where the first press was made, lists
    // the places of those presses in their order; choosing its k-th place leaves the reader
    // where the k-th press did, and F3 then does what the press after it did. `expected` (when
    // given) are the occurrences worked out independently of the search.
    void CheckRound(const Bytes& word, bool worked = true) {
        std::vector<Occurrence> expected;
        if (worked) {
            expected = Occurrences(word);
            ASSERT_FALSE(expected.empty()) << Hex(word);
        }
        StoreFont("\"SearchString\"=hex:" + Hex(word) + "\n");
        std::vector<Occurrence> seen;
        std::vector<Where> where;
        PlaceList listed;
        SearchOrigin origin;
        auto look = [&] {
            seen.push_back(Shown());
            where.push_back(Now());
            const TextPane* pane = App.ActivePane;
            const TextPane* other = pane == App.TopPane ? App.BottomPane : App.TopPane;
            EXPECT_GT(VisibleHighlight(pane), 0) << "hidden: " << Describe(seen.back());
            EXPECT_EQ(other->markEnd, 0) << "two highlights at " << Describe(seen.back());
        };
        Run({[&] {
            origin = CurrentSearchOrigin();
            listed = FindAllPlaces(App.SearchString, origin);
            FreePlaceTexts(&listed);
            if (!worked) expected = AsOccurrences(listed.places);
            for (size_t i = 0; i <= expected.size(); ++i) {
                CommandNow(kSearchAgain);
                look();
            }
            if (!HasFailure()) CheckChoosing(origin, listed.places, where);
        }});
        ASSERT_EQ(seen.size(), expected.size() + 1);
        ASSERT_FALSE(expected.empty());
        const auto first = std::find(expected.begin(), expected.end(), seen[0]);
        ASSERT_NE(first, expected.end()) << "not an occurrence: " << Describe(seen[0]);
        size_t k = size_t(first - expected.begin());
        for (size_t i = 0; i < seen.size(); ++i, k = (k + 1) % expected.size())
            ASSERT_EQ(Describe(seen[i]), Describe(expected[k])) << "press " << i + 1;
        EXPECT_TRUE(screen.messageBoxes.empty());
        // Only the press that comes back to the first place says so.
        for (size_t i = 0; i < where.size(); ++i)
            EXPECT_EQ(where[i].note.empty(), i + 1 < where.size()) << "press " << i + 1;
        // Find All: the places of the round, in the order of the presses, and the articles
        // they lie in counted once.
        ASSERT_EQ(listed.places.size(), expected.size());
        for (size_t i = 0; i < listed.places.size(); ++i)
            ASSERT_EQ(Describe(AsOccurrences(listed.places)[i]), Describe(seen[i]))
                << "place " << i;
        std::vector<int> articles;
        for (const Occurrence& o : expected) articles.push_back(o.article);
        std::sort(articles.begin(), articles.end());
        EXPECT_EQ(listed.articles,
                  int(std::unique(articles.begin(), articles.end()) - articles.begin()));
    }
    // From where the round began, choosing place k shows what press k showed, and F3 then what
    // press k + 1 showed. Every place of a short list, and the ends, the middle and a few drawn
    // at random of a long one.
    void CheckChoosing(const SearchOrigin& first, const std::vector<FoundPlace>& places,
                       const std::vector<Where>& where) {
        const size_t n = places.size();
        std::vector<size_t> ks;
        if (n <= 12) {
            for (size_t k = 0; k < n; ++k) ks.push_back(k);
        } else {
            ks = {0, 1, n / 2, n - 2, n - 1};
            std::mt19937 random{unsigned(n)};
            for (int i = 0; i < 5; ++i) ks.push_back(random() % n);
        }
        for (size_t k : ks) {
            BackToStart();
            const SearchOrigin origin = CurrentSearchOrigin();
            ASSERT_EQ(origin.startArticle, first.startArticle);
            ASSERT_EQ(origin.startOffset, first.startOffset);
            PlaceList again = FindAllPlaces(App.SearchString, origin);
            ASSERT_TRUE(again.places == places) << "Find All again from the same place";
            const FoundPlace place = again.places[k];
            ASSERT_TRUE(ShowFoundPlace(App.MainWindow, origin, place,
                                       TakePlaceText(&again, place.article), again.places[0]));
            FreePlaceTexts(&again);
            screen.Settle();
            EXPECT_EQ(DescribeWhere(Now()), DescribeWhere(where[k])) << "choosing place " << k + 1;
            const TextPane* other = App.ActivePane == App.TopPane ? App.BottomPane : App.TopPane;
            EXPECT_EQ(other->markEnd, 0);
            EXPECT_GT(VisibleHighlight(App.ActivePane), 0) << "place " << k + 1;
            CommandNow(kSearchAgain);
            EXPECT_EQ(DescribeWhere(Now()), DescribeWhere(where[k + 1]))
                << "F3 after place " << k + 1;
            if (HasFailure()) return;
        }
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

// Patterns with wildcards and with a letter that carries a mark, and a word of labels: Find All
// and the round of F3 agree press by press.
TEST_F(SearchRoundTest, WildcardsAndMarkedLettersListWhatF3Shows) {
    // "ה?ה" and "ב*ש" as the search field stores them, and "הראש" with its shin as a letter code
    // that carries a mark (65 in the book's encoding).
    for (const char* w : {"e?e", "z*b", "Aaye", ".c"}) {
        const Bytes word(w, w + std::strlen(w));
        SCOPED_TRACE(Hex(word));
        CheckRound(word, false);
        if (HasFailure()) return;
    }
}

TEST_F(SearchRoundTest, OnALargerScreenToo) {
    screen.host().Resize(480, 800);
    CheckRound({'z', 'a', 'y', 'e'});
}

}  // namespace
