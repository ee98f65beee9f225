// The record walkers of both layouts and the list check.
#include "store/records.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

TEST(Records, ArticleWalkerVisitsEveryRecordAndStopsAtStyleZero) {
    // Text "ab" (0xB1, label 1 indent 5), a rule of 40 px (0xA7), text "" (0x81), end.
    const Bytes list = {0xB1, 0x45, 0x61, 0x62, 0x00, 0xA7, 40, 0x00, 0x81, 0x00, 0x00, 0x00, 0x00};
    const uint8_t* r = list.data();
    EXPECT_EQ(ArticleRecordStyle(r), 0xB1);
    EXPECT_EQ(ArticleRecordIndent(r), 0x45);
    EXPECT_EQ(ArticleRecordTextLength(r), 2u);
    EXPECT_EQ(ArticleRecordText(r)[0], 0x61);
    r = NextArticleRecord(r);
    EXPECT_EQ(r - list.data(), 5);
    EXPECT_TRUE(IsSeparatorStyle(ArticleRecordStyle(r)));
    EXPECT_EQ(ArticleRecordIndent(r), 40);
    r = NextArticleRecord(r);
    EXPECT_EQ(ArticleRecordTextLength(r), 0u);
    EXPECT_FALSE(IsArticleListEnd(r));
    r = NextArticleRecord(r);
    EXPECT_TRUE(IsArticleListEnd(r));
    EXPECT_EQ(r - list.data(), 11);
}

TEST(Records, IndexWalkerReadsKeysLowByteFirst) {
    const Bytes list = {0x05, 0x80, 0xC9, 0x00, 0x61, 0x00,        // group 5, open and shown
                        0x1A, 0x40, 0x01, 0x02, 0x62, 0x63, 0x00,  // article 26, hidden, level 2
                        0,    0,    0,    0,    0};
    constexpr RecordLayout kIndex = RecordLayout::Index;
    const uint8_t* r = list.data();
    EXPECT_EQ(IndexRecordKey(r), kGroupHeadingKey | 5);
    EXPECT_EQ(RecordStyle(r, kIndex), 0xC9);
    r = NextRecord(r, kIndex);
    EXPECT_EQ(r - list.data(), 6);
    EXPECT_EQ(IndexRecordKey(r), kArticleEntryKey | 26);
    EXPECT_EQ(RecordIndent(r, kIndex), 2);
    EXPECT_EQ(RecordTextLength(r, kIndex), 2u);
    EXPECT_EQ(RecordText(r, kIndex)[0], 0x62);
    r = NextRecord(r, kIndex);
    EXPECT_EQ(r - list.data(), 13);
    EXPECT_TRUE(IsListEnd(r, kIndex));
}

TEST(Records, CheckFindsWhereAListLeavesItsBlock) {
    const Bytes good = {0xB1, 0x00, 0x61, 0x00, 0x00, 0x00};
    ListCheck check = CheckRecordList(good.data(), 4, 2, RecordLayout::Article);
    EXPECT_TRUE(check.ok);
    EXPECT_EQ(check.records, 1u);
    EXPECT_EQ(check.offset, 4u);

    const Bytes unterminated = {0xB1, 0x00, 0x61, 0x62};
    check = CheckRecordList(unterminated.data(), 4, 0, RecordLayout::Article);
    EXPECT_FALSE(check.ok);
    EXPECT_EQ(check.offset, 0u);

    // The index end record's StyleFlags byte lies two bytes into it.
    const Bytes index = {0x01, 0x40, 0x81, 0x00, 0x61, 0x00, 0x00, 0x00, 0x00};
    EXPECT_FALSE(CheckRecordList(index.data(), 6, 2, RecordLayout::Index).ok);
    EXPECT_TRUE(CheckRecordList(index.data(), 9, 0, RecordLayout::Index).ok);
    EXPECT_FALSE(CheckRecordList(index.data(), 8, 0, RecordLayout::Index).ok);
}

}  // namespace
