// The book encoder and decoder: byte choices, stored order, and round trips.
#include <gtest/gtest.h>

#include <random>

#include "book_encoding.h"

namespace {

ByteString Encode(std::u32string_view text, StoredOrder order = StoredOrder::Reading) {
    ByteString out;
    EncodeError error;
    EXPECT_TRUE(EncodeBookText(text, order, &out, &error)) << error.message;
    return out;
}

EncodeError EncodeFailure(std::u32string_view text) {
    ByteString out;
    EncodeError error;
    EXPECT_FALSE(EncodeBookText(text, StoredOrder::Reading, &out, &error));
    return error;
}

TEST(BookEncoding, LettersFinalsAndDottedForms) {
    EXPECT_EQ(Encode(U"\u05D0\u05DA\u05EA"), (ByteString{0x61, 0x6B, 0x7B}));
    // shin with shin dot, sin dot, dagesh and shin dot, dagesh and sin dot, dagesh alone
    EXPECT_EQ(
        Encode(U"\u05E9\u05C1 \u05E9\u05C2 \u05E9\u05BC\u05C1 \u05E9\u05C2\u05BC \u05E9\u05BC"),
        (ByteString{0x41, 0x20, 0x42, 0x20, 0x43, 0x20, 0x44, 0x20, 0x56}));
    // bet, he (mapiq), yod, final kaf, samekh, tav and resh with dagesh
    EXPECT_EQ(Encode(U"\u05D1\u05BC\u05D4\u05BC\u05D9\u05BC\u05DA\u05BC\u05E1\u05BC\u05EA\u05BC"
                     U"\u05E8\u05BC"),
              (ByteString{0x45, 0x48, 0x4C, 0x4D, 0x52, 0x57, 0x14}));
    // Presentation forms are the letter with its marks.
    EXPECT_EQ(Encode(U"\uFB2A\uFB31\uFB4B"), (ByteString{0x41, 0x45, 0x58}));
}

TEST(BookEncoding, PairBytesTakeTheirLettersOwnPoint) {
    // final kaf + qamats / + dagesh + qamats / + sheva / + dagesh + sheva
    EXPECT_EQ(Encode(U"\u05DA\u05B8"), ByteString{0x10});
    EXPECT_EQ(Encode(U"\u05DA\u05B8\u05BC"), ByteString{0x11});
    EXPECT_EQ(Encode(U"\u05DA\u05B0"), ByteString{0x12});
    EXPECT_EQ(Encode(U"\u05DA\u05BC\u05B0"), ByteString{0x13});
    // lamed with holam, with and without dagesh; vav with holam is holam male
    EXPECT_EQ(Encode(U"\u05DC\u05B9"), ByteString{0x5A});
    EXPECT_EQ(Encode(U"\u05DC\u05B9\u05BC"), ByteString{0x59});
    EXPECT_EQ(Encode(U"\u05D5\u05B9"), ByteString{0x58});
    // Holam on another letter is a point of its own, before its letter in storage.
    EXPECT_EQ(Encode(U"\u05D7\u05B9"), (ByteString{0x1F, 0x68}));
}

TEST(BookEncoding, PointsPrecedeTheirLetterInBothOrders) {
    // shalom: shin + shin dot + qamats, lamed, vav + holam, final mem
    const std::u32string shalom = U"\u05E9\u05C1\u05B8\u05DC\u05D5\u05B9\u05DD";
    EXPECT_EQ(Encode(shalom), (ByteString{0x16, 0x41, 0x6D, 0x58, 0x6E}));
    EXPECT_EQ(Encode(shalom, StoredOrder::Display), (ByteString{0x6E, 0x58, 0x6D, 0x16, 0x41}));
    // Every vowel point's byte: sheva .. holam and qubuts.
    EXPECT_EQ(Encode(U"\u05D1\u05B0\u05B1\u05B2\u05B3\u05B4\u05B5\u05B6\u05B7\u05B8\u05B9\u05BB"),
              (ByteString{0x1B, 0x1E, 0x1D, 0x1C, 0x15, 0x18, 0x19, 0x17, 0x16, 0x1F, 0x1A, 0x62}));
}

TEST(BookEncoding, DisplayOrderMirrorsBracketsAndKeepsNumbers) {
    // "(alef 12:30-14:00)" read right to left
    EXPECT_EQ(Encode(U"(\u05D0 12:30-14:00) [3.5]", StoredOrder::Display),
              (ByteString{'[', '3', '.', '5', ']', ' ', '(', '1', '2',  ':', '3',
                          '0', '-', '1', '4', ':', '0', '0', ' ', 0x61, ')'}));
    // A separator not between digits is a character of its own.
    EXPECT_EQ(Encode(U"12. 3", StoredOrder::Display), (ByteString{'3', ' ', '.', '1', '2'}));
    EXPECT_EQ(Encode(U"<\u05D0>", StoredOrder::Display), (ByteString{'>', 0x61, '<'}));
}

TEST(BookEncoding, StandInsForMaqafGereshGershayim) {
    EXPECT_EQ(Encode(U"\u05D0\u05BE\u05D1\u05F3\u05F4"), (ByteString{0x61, '-', 0x62, '\'', '"'}));
}

TEST(BookEncoding, UnencodableCharactersAreNamedWithTheirPosition) {
    EncodeError latin = EncodeFailure(U"\u05D0 x");
    EXPECT_EQ(latin.index, 2u);
    EXPECT_EQ(latin.codePoint, U'x');
    EXPECT_NE(latin.message.find("U+0078"), std::string::npos) << latin.message;

    EXPECT_EQ(EncodeFailure(U"\u05D0\u05BC").codePoint, 0x05D0u);  // dagesh on alef
    EXPECT_EQ(EncodeFailure(U"\u05E3\u05BC").index, 0u);           // nor on final pe
    EXPECT_EQ(EncodeFailure(U" \u05B8").index, 1u);                // point without a letter
    EXPECT_EQ(EncodeFailure(U"\u05D1\u05C1").index, 1u);           // shin dot on bet
    EXPECT_EQ(EncodeFailure(U"\u05E9\u05C1\u05C2").index, 2u);     // both dots
    EXPECT_EQ(EncodeFailure(U"\u05D0\u05BD").codePoint, 0x05BDu);  // meteg
    EXPECT_EQ(EncodeFailure(U"\t").codePoint, U'\t');
    EXPECT_EQ(EncodeFailure(U"{").codePoint, U'{');
}

TEST(BookEncoding, DecodingGivesReadingOrderWithMarksInOneOrder) {
    const ByteString stored = {0x6E, 0x58, 0x6D, 0x16, 0x41, 0x20, 0x10, 0x59};
    EXPECT_EQ(DecodeBookText(stored.data(), stored.size(), StoredOrder::Display),
              U"\u05DC\u05BC\u05B9\u05DA\u05B8 \u05E9\u05C1\u05B8\u05DC\u05D5\u05B9\u05DD");
    // Bytes no encoder writes are visible, not silently dropped.
    const ByteString odd = {0x80, 0x15};
    EXPECT_EQ(DecodeBookText(odd.data(), odd.size(), StoredOrder::Reading), U"\uFFFD\u05B4");
}

// Random texts over the whole repertoire: decoding the encoding gives the canonical text, in
// both orders.
TEST(BookEncoding, RandomTextsRoundTrip) {
    const std::u32string letters =
        U"\u05D0\u05D1\u05D2\u05D3\u05D4\u05D5\u05D6\u05D7\u05D8\u05D9"
        U"\u05DA\u05DB\u05DC\u05DD\u05DE\u05DF\u05E0\u05E1\u05E2\u05E3"
        U"\u05E4\u05E5\u05E6\u05E7\u05E8\u05E9\u05EA";
    const std::u32string points =
        U"\u05B0\u05B1\u05B2\u05B3\u05B4\u05B5\u05B6\u05B7\u05B8\u05B9\u05BB";
    const std::u32string others = U" 0123456789.,:-/+()[]<>!?\"'@_|}~";
    std::mt19937 random(11);
    for (int round = 0; round < 2000; ++round) {
        std::u32string text;
        const int length = 1 + random() % 30;
        for (int i = 0; i < length; ++i) {
            if (random() % 3 == 0) {
                text += others[random() % others.size()];
                continue;
            }
            char32_t letter = letters[random() % letters.size()];
            text += letter;
            std::u32string marks;
            if (random() % 3 == 0) {
                const std::u32string dotted =
                    U"\u05D1\u05D2\u05D3\u05D4\u05D5\u05D6\u05D8\u05D9"
                    U"\u05DA\u05DB\u05DC\u05DE\u05E0\u05E1\u05E4\u05E6"
                    U"\u05E7\u05E8\u05E9\u05EA";
                if (dotted.find(letter) != std::u32string::npos) marks += U'\u05BC';
            }
            if (letter == U'\u05E9' && random() % 2) marks += random() % 2 ? U'\u05C1' : U'\u05C2';
            if (random() % 2) marks += points[random() % points.size()];
            std::shuffle(marks.begin(), marks.end(), random);
            text += marks;
        }
        for (StoredOrder order : {StoredOrder::Reading, StoredOrder::Display}) {
            ByteString bytes;
            EncodeError error;
            ASSERT_TRUE(EncodeBookText(text, order, &bytes, &error)) << error.message;
            EXPECT_EQ(DecodeBookText(bytes.data(), bytes.size(), order), CanonicalBookText(text))
                << EncodeUtf8(text);
        }
    }
}

TEST(BookEncoding, Utf8Conversions) {
    std::u32string text;
    size_t bad = 0;
    EXPECT_TRUE(DecodeUtf8("a\xD7\x90\xEF\xAC\xAA", &text, &bad));
    EXPECT_EQ(text, U"a\u05D0\uFB2A");
    EXPECT_EQ(EncodeUtf8(text), "a\xD7\x90\xEF\xAC\xAA");
    EXPECT_FALSE(DecodeUtf8("ab\xD7", &text, &bad));  // cut sequence
    EXPECT_EQ(bad, 2u);
    EXPECT_FALSE(DecodeUtf8("\xC0\x80", &text, &bad));      // overlong
    EXPECT_FALSE(DecodeUtf8("\xED\xA0\x80", &text, &bad));  // surrogate
}

}  // namespace
