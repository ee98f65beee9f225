// The letter-class matcher, the search of one article and the search start offset, on bytes
// worked out by hand. Letter codes: a alef, b bet, c gimel, ... z shin, { tav; 0x45 is bet with
// dagesh, 0x41 shin with shin dot, 0x15-0x1F vowel points.
#include "search/matcher.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "search/find_next.h"
#include "text/text_pane.h"

namespace {

using Bytes = std::vector<uint8_t>;

// MatchBackward over the whole text from its last byte: "position/length", or "none".
std::string Match(const Bytes& text, const Bytes& pattern) {
    MatchResult r;
    if (!MatchBackward(text.data(), 0, pattern.data(), int32_t(pattern.size()),
                       int32_t(text.size()) - 1, &r))
        return "none";
    return std::to_string(r.position) + "/" + std::to_string(r.length);
}

TEST(MatcherTest, LettersCompareByClassAndMarksAreSkipped) {
    // One letter matches its class; the points before it in storage are its marks and count.
    EXPECT_EQ(Match({'z', 0x16, 0x15, 'b'}, {'b'}), "3/3");
    EXPECT_EQ(Match({'z', 'b', 'x'}, {'b'}), "1/1");
    // A letter with a mark and its plain letter match each other either way round.
    EXPECT_EQ(Match({'x', 0x45}, {'b'}), "1/1");
    EXPECT_EQ(Match({'x', 'b'}, {0x45}), "1/1");
    EXPECT_EQ(Match({'a', 0x41, 'c'}, {'a', 'z', 'c'}), "2/3");
    // Points inside the text never stop a match, and the first letter's marks are counted.
    EXPECT_EQ(Match({0x1B, 'a', 0x16, 0x1F, 'b'}, {'a', 'b'}), "4/5");
    // The anchor is the highest position that matches.
    EXPECT_EQ(Match({'a', 'b', 'x', 'a', 'b'}, {'a', 'b'}), "4/2");
    EXPECT_EQ(Match({'a', 'c'}, {'a', 'b'}), "none");
}

TEST(MatcherTest, BytesOutsideTheTableMatchOnlyThemselves) {
    // 0xE1 is bet's class value, but the byte 0xE1 is no bet.
    EXPECT_EQ(Match({'x', 0xE1}, {0xE1}), "1/1");
    EXPECT_EQ(Match({'x', 0xE1}, {'b'}), "none");
    EXPECT_EQ(Match({'x', 'b'}, {0xE1}), "none");
    EXPECT_EQ(Match({0x05, 'x'}, {0x05}), "0/1");
    EXPECT_EQ(Match({0x06}, {0x05}), "none");
    EXPECT_EQ(LetterClass(0), 0);
    EXPECT_EQ(LetterClass(0x16), 0);
    EXPECT_EQ(LetterClass('a'), 0xE0);
    EXPECT_NE(LetterClass(0xE0), LetterClass('a'));
}

TEST(MatcherTest, QuestionMarkTakesOneNonMarkByte) {
    EXPECT_EQ(Match({'a', 'x', 'c'}, {'a', '?', 'c'}), "2/3");
    EXPECT_EQ(Match({'a', 'z', 0x16, 'c'}, {'a', '?', 'c'}), "3/4");
    EXPECT_EQ(Match({'a', 'c'}, {'a', '?', 'c'}), "none");
    // In the last stored position it is compared as a character.
    EXPECT_EQ(Match({'a', 'b'}, {'a', '?'}), "none");
    EXPECT_EQ(Match({'a', '?'}, {'a', '?'}), "1/2");
}

TEST(MatcherTest, StarTakesAnyRunDownToTheRestOfThePattern) {
    EXPECT_EQ(Match({'a', 'x', 'y', 'c'}, {'a', '*', 'c'}), "3/4");
    EXPECT_EQ(Match({'a', 'c'}, {'a', '*', 'c'}), "1/2");  // the empty run
    EXPECT_EQ(Match({0x16, 'a', 'x', 'c', 'z'}, {'a', '*', 'c'}), "3/4");
    EXPECT_EQ(Match({'c', 'x', 'c'}, {'a', '*', 'c'}), "none");
    // Only the byte right below the anchor is tried before the star: 'b' must follow 'c'.
    EXPECT_EQ(Match({'a', 'b', 'c', 'x', 'c'}, {'a', '*', 'b', 'c'}), "2/3");
    // In the last stored position it is compared as a character.
    EXPECT_EQ(Match({'a', 'x'}, {'a', '*'}), "none");
    EXPECT_EQ(Match({'a', '*'}, {'a', '*'}), "1/2");
}

TEST(MatcherTest, AStarStoredFirstTakesTheEmptyRun) {
    // Nothing stands before it, so nothing has to be found: the match is the rest, even at the
    // lowest position, with the marks of its last letter.
    EXPECT_EQ(Match({'a', 'b'}, {'*', 'a', 'b'}), "1/2");
    EXPECT_EQ(Match({0x16, 'a', 'b'}, {'*', 'a', 'b'}), "2/3");
    EXPECT_EQ(Match({'x', 'a', 'b'}, {'*', 'a', 'b'}), "2/2");
    EXPECT_EQ(Match({'b'}, {'*', 'b'}), "0/1");
    EXPECT_EQ(Match({'c', 'b'}, {'*', 'a', 'b'}), "none");
    // Inside a sub-pattern the same holds: '*' 'a' '*' 'c' finds "a ... c".
    EXPECT_EQ(Match({'a', 'x', 'c'}, {'*', 'a', '*', 'c'}), "2/3");
}

// [B1 00 "xa" 00] [B1 00 "ya" 00] [00]: paragraph texts at 2-3 and 7-8, zeros at 4 and 9.
const uint8_t kTwoParagraphs[] = {0xB1, 0, 'x', 'a', 0, 0xB1, 0, 'y', 'a', 0, 0};

std::string Search(uint16_t start, const char* pattern) {
    uint16_t length = 0;
    uint16_t at = SearchArticleText(kTwoParagraphs, start,
                                    reinterpret_cast<const uint8_t*>(pattern), &length);
    return std::to_string(at) + "/" + std::to_string(length);
}

TEST(MatcherTest, AnArticleIsSearchedFromTheStartDownThenParagraphByParagraph) {
    EXPECT_EQ(Search(0, "a"), "3/1");  // before the first text byte: the paragraph's end
    EXPECT_EQ(Search(3, "a"), "3/1");
    EXPECT_EQ(Search(2, "a"), "8/1");  // below the 'a' of the first paragraph
    EXPECT_EQ(Search(4, "x"), "2/1");  // from the terminating zero
    EXPECT_EQ(Search(5, "a"), "8/1");  // past the first paragraph
    EXPECT_EQ(Search(5, "x"), "0/0");
    EXPECT_EQ(Search(65535, "a"), "0/0");  // past every article
    EXPECT_EQ(Search(0, ""), "0/0");
    // A match never reaches into the paragraph before.
    EXPECT_EQ(Search(0, "ay"), "0/0");
}

// [B1 00 "ab" 00] [B1 00 "cde" 00] [B1 00 "f" 00] [00]: texts at 2-3, 7-9 and 13, zeros at 4,
// 10 and 14, the end record at 15. One line a paragraph, each followed by its gap row; the pane
// is tall enough for one line and its gap.
class StartOffsetTest : public ::testing::Test {
protected:
    void SetUp() override {
        lines[0] = {2, 2, 0, 0, 0, 10, 0xB1};
        lines[1] = {7, 3, 0, 0, 0, 10, 0xB1};
        lines[2] = {13, 1, 0, 0, 0, 10, 0xB1};
        lines[3] = {};
        std::memset(&pane, 0, sizeof pane);
        pane.text = const_cast<uint8_t*>(kText);
        pane.lines = lines;
        pane.rowCount = 6;
        pane.maxFirstRow = 4;
        pane.height = 25;
    }
    uint16_t Start(uint16_t firstRow, uint16_t markStart, uint16_t markEnd) {
        pane.firstRow = firstRow;
        pane.markStart = markStart;
        pane.markEnd = markEnd;
        return SearchStartOffset(&pane);
    }
    static constexpr uint8_t kText[] = {0xB1, 0,   'a', 'b',  0, 0xB1, 0, 'c',
                                        'd',  'e', 0,   0xB1, 0, 'f',  0, 0};
    LineEntry lines[4];
    TextPane pane;
};

TEST_F(StartOffsetTest, AHitInViewIsFollowedByTheBytesBelowIt) {
    EXPECT_EQ(Start(0, 3, 4), 2);   // one byte below the highlight
    EXPECT_EQ(Start(2, 8, 10), 7);  // the same on a line further down
    // A hit that begins its paragraph's text: the walk goes on with the next paragraph, from
    // its end, never back into the paragraph just searched.
    EXPECT_EQ(Start(0, 2, 4), 5);
    uint16_t length = 0;
    EXPECT_EQ(SearchArticleText(kText, 5, reinterpret_cast<const uint8_t*>("a"), &length), 0);
    EXPECT_EQ(SearchArticleText(kText, 5, reinterpret_cast<const uint8_t*>("e"), &length), 9);
    EXPECT_EQ(Start(4, 13, 14), 15);  // the last paragraph: nothing is left in the article
    EXPECT_EQ(SearchArticleText(kText, 15, reinterpret_cast<const uint8_t*>("f"), &length), 0);
}

TEST_F(StartOffsetTest, AViewScrolledAwayFromTheHitStartsAtItsFirstLine) {
    EXPECT_EQ(Start(0, 0, 0), 3);      // no highlight: the end of the first visible line
    EXPECT_EQ(Start(0, 8, 9), 3);      // the highlight is not on a line in view
    EXPECT_EQ(Start(1, 0, 0), 9);      // firstRow on the gap stands for the line below it
    EXPECT_EQ(Start(4, 0, 0), 65535);  // no highlight at the end of the view: past everything
    EXPECT_EQ(Start(4, 7, 8), 11);     // at the end of the view the highlight still counts
}

}  // namespace
