// The book markup: record bytes for every attribute, and errors that point at the source.
#include "markup.h"

#include <gtest/gtest.h>

namespace {

std::vector<BookRecord> Parse(std::string_view source, SourceKind kind = SourceKind::Article) {
    std::vector<BookRecord> records;
    std::vector<SourceError> errors;
    EXPECT_TRUE(ParseBookSource(source, kind, &records, &errors))
        << (errors.empty() ? "" : FormatSourceError("source", errors[0]));
    return records;
}

SourceError FirstError(std::string_view source, SourceKind kind = SourceKind::Article) {
    std::vector<BookRecord> records;
    std::vector<SourceError> errors;
    EXPECT_FALSE(ParseBookSource(source, kind, &records, &errors));
    return errors.empty() ? SourceError{} : errors[0];
}

std::string Where(const SourceError& e) {
    return std::to_string(e.line) + ":" + std::to_string(e.column);
}

TEST(Markup, ParagraphsJoinLinesAndSkipComments) {
    auto records = Parse("# a comment\n\xD7\x90  \n# inside\n  \xD7\x91\n\n\n\xD7\x92\r\n");
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].style, 0xB1);
    EXPECT_EQ(records[0].indent, 0);
    // alef, space, bet in reading order, stored right to left
    EXPECT_EQ(records[0].text, (ByteString{0x62, 0x20, 0x61}));
    EXPECT_EQ(records[0].line, 2);
    EXPECT_EQ(records[1].text, ByteString{0x63});
}

TEST(Markup, ArticleAttributesMakeTheStyleByte) {
    const struct {
        const char* header;
        uint8_t style;
        uint8_t indent;
    } cases[] = {
        {"{title}", 0xDC, 0},
        {"{subtitle indent=3}", 0xD1, 3},
        {"{big bold}", 0xBD, 0},
        {"{small center}", 0xD3, 0},
        {"{left nogap}", 0x11, 0},
        {"{ltr right}", 0xA1, 0},
        {"{indent=63 label=3}", 0xB1, 0xFF},
        {"{label=1 indent=5}", 0xB1, 0x45},
        {"{style=0x15 big}", 0x15, 0},
        {"{style=145}", 0x91, 0},
    };
    for (const auto& c : cases) {
        auto records = Parse(std::string(c.header) + " \xD7\x90");
        ASSERT_EQ(records.size(), 1u) << c.header;
        EXPECT_EQ(records[0].style, c.style) << c.header;
        EXPECT_EQ(records[0].indent, c.indent) << c.header;
    }
}

TEST(Markup, LeftToRightTextIsStoredInReadingOrder) {
    auto records = Parse("{ltr} \xD7\x90\xD7\x91 12");
    EXPECT_EQ(records[0].text, (ByteString{0x61, 0x62, 0x20, '1', '2'}));
}

TEST(Markup, ContinuationKeepsALabelFactorAndStartsWithASpace) {
    auto records = Parse(
        "{label=2 indent=4} \xD7\x90 \xD7\x91\n\n{cont} \xD7\x92\xD7\x93\n\n{cont indent=6} "
        "\xD7\x94\n\n\xD7\x95\n\n{cont ltr} \xD7\x96\n\n{cont label=3} \xD7\x97");
    ASSERT_EQ(records.size(), 6u);
    EXPECT_EQ(records[1].indent, 0x84);  // factor 2, indent 4 as before
    // Right to left: the logical end comes first in storage, so the space does.
    EXPECT_EQ(records[1].text, (ByteString{0x20, 0x64, 0x63}));
    EXPECT_EQ(records[2].indent, 0x86);
    EXPECT_EQ(records[4].indent, 0x40);  // after an unlabelled paragraph: factor 1
    EXPECT_EQ(records[4].text, (ByteString{0x20, 0x67}));
    EXPECT_EQ(records[5].indent, 0xC0);
}

TEST(Markup, RulesOfFixedPercentAndZeroLength) {
    auto records = Parse(
        "{rule 40}\n\n{rule 50%}\n\n{rule 0 center nogap}\n\n{rule=190% left}\n\n"
        "{rule 160}");
    ASSERT_EQ(records.size(), 5u);
    EXPECT_EQ(records[0].style, 0xA7);
    EXPECT_EQ(records[0].indent, 40);
    EXPECT_EQ(records[1].indent, 185);
    EXPECT_EQ(records[2].style, 0x47);
    EXPECT_EQ(records[2].indent, 0);
    EXPECT_EQ(records[3].style, 0x87);
    EXPECT_EQ(records[3].indent, 255);
    EXPECT_EQ(records[4].indent, 160);
    EXPECT_TRUE(records[0].text.empty());
}

TEST(Markup, IndexRecordsCarryKeysLevelsAndOutlineState) {
    auto records = Parse(
        "{group 100} \xD7\x90\n\n{article 1 level=1} \xD7\x91\n\n"
        "{group 101 open} \xD7\x92\n\n{group 102 level=1} \xD7\x93\n\n{article 26 level=2} "
        "\xD7\x94\n\n{article 2 level=1 bold} \xD7\x95\n\n{article 3} \xD7\x96",
        SourceKind::Index);
    ASSERT_EQ(records.size(), 7u);
    EXPECT_EQ(records[0].key, 0x8064);
    EXPECT_EQ(records[0].style, 0x89);  // closed group heading, shown
    EXPECT_EQ(records[1].key, 0x4001);
    EXPECT_EQ(records[1].style, 0x01);  // inside a closed group: hidden
    EXPECT_EQ(records[1].indent, 1);
    EXPECT_EQ(records[2].style, 0xC9);  // open
    EXPECT_EQ(records[3].style, 0x89);  // shown under an open group, closed itself
    EXPECT_EQ(records[4].style, 0x01);
    EXPECT_EQ(records[4].indent, 2);
    EXPECT_EQ(records[5].style, 0x89);  // bold entry, shown under the open group
    EXPECT_EQ(records[6].style, 0x81);
    const ByteString list = SerializeRecords(records, SourceKind::Index);
    EXPECT_EQ(ByteString(list.begin(), list.begin() + 6),
              (ByteString{0x64, 0x80, 0x89, 0x00, 0x61, 0x00}));
    EXPECT_EQ(ByteString(list.end() - 5, list.end()), ByteString(5, 0));
}

TEST(Markup, ArticleListHasNoEndRecordOfItsOwn) {
    const ByteString list = SerializeRecords(Parse("{rule 3}\n\n\xD7\x90"), SourceKind::Article);
    EXPECT_EQ(list, (ByteString{0xA7, 3, 0x00, 0xB1, 0x00, 0x61, 0x00}));
}

TEST(Markup, ErrorsNameLineAndColumn) {
    // A Latin letter on the second line of a paragraph: line 3, column 3.
    SourceError latin = FirstError("# c\n\xD7\x90\xD7\x91\n\xD7\x92 x\n");
    EXPECT_EQ(Where(latin), "3:3") << latin.message;
    EXPECT_NE(latin.message.find("U+0078"), std::string::npos);

    const struct {
        const char* source;
        const char* where;
    } cases[] = {
        {"{bold colour} \xD7\x90", "1:7"},
        {"\n{indent=64} \xD7\x90", "2:2"},
        {"{label=4} \xD7\x90", "1:2"},
        {"{style=0x80} \xD7\x90", "1:2"},
        {"{style=0x17} \xD7\x90", "1:2"},
        {"{title bold} \xD7\x90", "1:8"},
        {"{big small} \xD7\x90", "1:1"},
        {"{bold}", "1:7"},
        {"{bold \xD7\x90", "1:1"},
        {"{rule 41%}", "1:2"},
        {"{rule 161}", "1:2"},
        {"{rule 5} \xD7\x90", "1:10"},
        {"{rule 5 big}", "1:9"},
        {"{cont} \xD7\x90", "1:1"},
        {"{rule 5}\n\n{cont} \xD7\x90", "3:1"},
        {"\xD7\x90\xD7\x90\xD6\xBC", "1:2"},
        {"ok\xFF", "1:3"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Where(FirstError(c.source)), c.where) << c.source;
    }
}

TEST(Markup, IndexErrors) {
    const struct {
        const char* source;
        const char* where;
    } cases[] = {
        {"\xD7\x90", "1:1"},
        {"{article 27} \xD7\x90", "1:2"},
        {"{group 0} \xD7\x90", "1:2"},
        {"{article 3 open} \xD7\x90", "1:1"},
        {"{article 3 level=21} \xD7\x90", "1:12"},
        {"{group 5} \xD7\x90\n\n{group 5} \xD7\x91", "3:1"},
        {"{group 5} \xD7\x90\n\n{article 5 level=1} \xD7\x91", "1:1"},
        {"{article 3 center} \xD7\x90", "1:12"},
        {"{group 4}", "1:10"},
        {"{article 4 big small} \xD7\x90", "1:1"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Where(FirstError(c.source, SourceKind::Index)), c.where) << c.source;
    }
}

}  // namespace
