// BookText conversion in the three FontAsciiBase modes, with and without Reverse.
#include "text/convert.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "platform/heap.h"
#include "reader/app_state.h"
#include "text/reading_order.h"

namespace {

class ConvertTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetAppState();
        Use(kUnicodeOutput, 0);
    }
    void TearDown() override {
        ReleaseConvertCache(SharedConvertCache());
        SetHeapFailure(0);
    }
    void Use(int32_t base, uint32_t flags) {
        App.Font.FontAsciiBase = base;
        App.Flags = flags;
    }
    // Converts through the shared cache and returns the units up to the terminator.
    std::u16string Convert(const std::string& bytes, int32_t maxBytes, int32_t* adjust) {
        const char16_t* out = ConvertBookText(reinterpret_cast<const uint8_t*>(bytes.c_str()),
                                              maxBytes, SharedConvertCache(), adjust);
        return out ? std::u16string(out) : u"<none>";
    }
};

TEST_F(ConvertTest, TablesHoldTheBookCharacters) {
    // Hand-picked rows of the encoding.
    EXPECT_EQ(UnicodeMap[0x10 - 0x10].first, 0x05B8);
    EXPECT_EQ(UnicodeMap[0x10 - 0x10].second, 0x05DA);
    EXPECT_EQ(UnicodeMap[0x13 - 0x10].second, 0xFB3A);
    EXPECT_EQ(UnicodeMap[0x14 - 0x10].first, 0xFB48);
    EXPECT_EQ(UnicodeMap[0x1F - 0x10].first, 0x05B9);
    EXPECT_EQ(UnicodeMap[0x4C - 0x10].first, 0xFB39);  // yod with dagesh (no FB37)
    EXPECT_EQ(UnicodeMap[0x50 - 0x10].first, 0xFB3E);  // mem with dagesh (no FB3D)
    EXPECT_EQ(UnicodeMap[0x53 - 0x10].first, 0xFB44);
    EXPECT_EQ(UnicodeMap[0x59 - 0x10].first, 0x05B9);
    EXPECT_EQ(UnicodeMap[0x59 - 0x10].second, 0xFB3C);
    EXPECT_EQ(UnicodeMap[0x61 - 0x10].first, 0x05D0);
    EXPECT_EQ(UnicodeMap[0x7B - 0x10].first, 0x05EA);
    int pairs = 0;
    for (const UnicodePair& p : UnicodeMap) pairs += p.second != 0;
    EXPECT_EQ(pairs, 6);
    EXPECT_EQ(SingleByteMap[0x11 - 0x10], 0xEA);
    EXPECT_EQ(SingleByteMap[0x14 - 0x10], 0xF8);
    EXPECT_EQ(SingleByteMap[0x4B - 0x10], 0xE8);  // tet skips he-with-mapiq's neighbour 0xE7
    EXPECT_EQ(SingleByteMap[0x58 - 0x10], 0xE5);
    EXPECT_EQ(SingleByteMap[0x5A - 0x10], 0xEC);
    EXPECT_EQ(SingleByteMap[0x7B - 0x10], 0xFA);
    for (int b = 0x15; b <= 0x1F; ++b) EXPECT_EQ(SingleByteMap[b - 0x10], 0) << b;
}

TEST_F(ConvertTest, UnicodeOutputExpandsPairs) {
    int32_t adjust = 99;
    EXPECT_EQ(Convert("\x10", 1, &adjust), std::u16string(u"\u05B8\u05DA"));
    EXPECT_EQ(adjust, 1);
    EXPECT_EQ(Convert("a\x5A"
                      "b",
                      3, &adjust),
              std::u16string(u"\u05D0\u05B9\u05DC\u05D1"));
    EXPECT_EQ(adjust, 1);
    // Pass-through bytes on both sides of the tables.
    EXPECT_EQ(Convert("\x01\x0F|~\x80\xFF", 6, &adjust),
              std::u16string(u"\u0001\u000F|~\u0080\u00FF"));
    EXPECT_EQ(adjust, 0);
}

TEST_F(ConvertTest, SingleByteOutputDropsPoints) {
    Use(224, 0);
    int32_t adjust = 0;
    EXPECT_EQ(Convert("\x10", 1, &adjust), std::u16string(u"\u00EA"));
    EXPECT_EQ(adjust, 0);
    EXPECT_EQ(Convert("\x15"
                      "a\x1F\x1B"
                      "b",
                      5, &adjust),
              std::u16string(u"\u00E0\u00E1"));
    EXPECT_EQ(adjust, -3);
    EXPECT_EQ(Convert("\x01 9", 3, &adjust), std::u16string(u"\u0001 9"));
}

TEST_F(ConvertTest, ReverseMirrorsBracketsExceptInLatinMode) {
    Use(224, 0x800);
    EXPECT_EQ(Convert("(ab)", 4, nullptr), std::u16string(u"(\u00E1\u00E0)"));
    Use(97, 0x800);
    EXPECT_EQ(Convert("(ab)", 4, nullptr), std::u16string(u"(\u00E0\u00E1)"));
    Use(kUnicodeOutput, 0x800);
    // The pair adds a unit; the whole output is reversed, and [ ] { } are mirrored too.
    EXPECT_EQ(Convert("[\x10}", 3, nullptr), std::u16string(u"{\u05DA\u05B8]"));
}

// Text copied from a right-to-left record reads as the display's reversal shows it: whatever
// brackets the display turns round, the copy turns round too. Random runs of ASCII letters and
// punctuation (no digits or number separators, which keep their order in a copy, and no byte
// that stands for a letter with its point). The letter stored where ASCII has '{' is not a brace.
TEST_F(ConvertTest, CopyTurnsTheSameBracketsAsTheDisplay) {
    std::string alphabet;
    for (int c = 0x20; c < 0x7F; ++c) {
        if ((c < '0' || c > '9') &&
            std::string(".,:/+-\x59\x5A").find(char(c)) == std::string::npos)
            alphabet += char(c);
    }
    std::mt19937 random(30);
    for (int round = 0; round < 500; ++round) {
        std::string text;
        for (int n = 1 + int(random() % 12); n > 0; --n)
            text += alphabet[random() % alphabet.size()];
        const auto* bytes = reinterpret_cast<const uint8_t*>(text.c_str());
        int32_t units = 0;
        const char16_t* stored = ConvertBookRun(bytes, int32_t(text.size()), SharedConvertCache(),
                                                nullptr, &units, RunOrder::Stored);
        ASSERT_NE(stored, nullptr);
        std::u16string shown(stored, size_t(units));
        ReverseDisplayText(shown.data(), int32_t(shown.size()));
        char16_t* copied = ConvertReadingOrder(bytes, int32_t(text.size()),
                                               StoredDirection::RightToLeft, nullptr, &units);
        ASSERT_NE(copied, nullptr);
        EXPECT_EQ(std::u16string(copied, size_t(units)), shown) << "stored: " << text;
        HeapFreeBlock(copied);
    }
}

TEST_F(ConvertTest, ReverseTouchesOnlyTheUnitsWritten) {
    // A string shorter than maxBytes must not drag its terminator into the run.
    Use(224, 0x800);
    EXPECT_EQ(Convert("ab", 50, nullptr), std::u16string(u"\u00E1\u00E0"));
    int32_t adjust = 0;
    EXPECT_EQ(Convert("a\x16"
                      "b",
                      50, &adjust),
              std::u16string(u"\u00E1\u00E0"));
    EXPECT_EQ(adjust, -1);
}

TEST_F(ConvertTest, LimitStopsEarlyAndTerminates) {
    int32_t adjust = 0;
    EXPECT_EQ(Convert("abc\x10", 2, &adjust), std::u16string(u"\u05D0\u05D1"));
    EXPECT_EQ(adjust, 0);
    EXPECT_EQ(Convert("abc", 0, &adjust), std::u16string());
}

TEST_F(ConvertTest, CacheIsReusedAndOnlyGrows) {
    const uint8_t* text = reinterpret_cast<const uint8_t*>("abcdefgh");
    ConvertCache* cache = SharedConvertCache();
    char16_t* first = ConvertBookText(text, 8, cache, nullptr);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(cache->capacity, 8);
    unsigned before = HeapAllocationCount();
    EXPECT_EQ(ConvertBookText(text, 4, cache, nullptr), first);
    EXPECT_EQ(ConvertBookText(text, 8, cache, nullptr), first);
    EXPECT_EQ(HeapAllocationCount(), before);  // no allocation in the steady state
    // Growing fails: no result, and the old buffer is kept.
    SetHeapFailure(1);
    EXPECT_EQ(ConvertBookText(text, 20, cache, nullptr), nullptr);
    SetHeapFailure(0);
    EXPECT_EQ(cache->buffer, first);
    EXPECT_EQ(cache->capacity, 8);
    // Without a cache the caller owns the result.
    char16_t* own = ConvertBookText(text, 3, nullptr, nullptr);
    ASSERT_NE(own, nullptr);
    EXPECT_EQ(std::u16string(own), std::u16string(u"\u05D0\u05D1\u05D2"));
    HeapFreeBlock(own);
}

TEST_F(ConvertTest, ReverseDisplayTextInPlace) {
    char16_t odd[] = u"a(b";
    EXPECT_EQ(ReverseDisplayText(odd, 3), 0);
    EXPECT_EQ(std::u16string(odd), std::u16string(u"b)a"));
    char16_t even[] = u"{]";
    ReverseDisplayText(even, 2);
    EXPECT_EQ(std::u16string(even), std::u16string(u"[}"));
}

}  // namespace
