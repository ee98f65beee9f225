// Building a whole book folder, and the book the program embeds.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "book_files.h"
#include "container.h"
#include "container_view.h"
#include "platform/heap.h"
#include "platform/resources.h"
#include "store/book_resources.h"
#include "store/record_list.h"
#include "support/headless.h"

namespace {

namespace fs = std::filesystem;

class BookFolder : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = fs::temp_directory_path() /
                ("orvanel-book-test-" + std::to_string(::getpid()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(root_ / "src");
        fs::create_directories(root_ / "out");
    }
    void TearDown() override {
        ResetResources();
        fs::remove_all(root_);
    }
    void Write(const std::string& name, const std::string& text) {
        std::ofstream(root_ / "src" / name, std::ios::binary) << text;
    }
    // A small complete book: article n says "alef" n times, the index lists every article.
    void WriteSmallBook() {
        std::string index = "{group 100 open} \xD7\x90\n\n";
        for (int n = 1; n <= 26; ++n) {
            char name[32];
            std::snprintf(name, sizeof name, "article%02d.txt", n);
            std::string text = "{title} \xD7\x91\n\n";
            for (int k = 0; k < n; ++k) text += "\xD7\x90 ";
            Write(name, text + "\n\n{rule 50%}\n");
            index += "{article " + std::to_string(n) + " level=1} \xD7\x92\n\n";
        }
        Write("index.txt", index);
    }
    std::string Src() const { return (root_ / "src").string(); }
    std::string Out() const { return (root_ / "out").string(); }
    fs::path root_;
};

TEST_F(BookFolder, BuildsContainersTheReaderLoadsThroughTheBookFolder) {
    HeadlessScreen screen;
    WriteSmallBook();
    ASSERT_EQ(BuildBook(Src(), Out()), 0);
    SetBookDirectory(Out());
    for (int n = 1; n <= 26; ++n) {
        uint8_t* list = LoadRecordList(n);
        ASSERT_NE(list, nullptr) << n;
        // title record "bet", then the paragraph of n alefs, stored right to left
        EXPECT_EQ(list[0], 0xDC);
        const uint8_t* second = NextArticleRecord(list);
        EXPECT_EQ(ArticleRecordStyle(second), 0xB1);
        EXPECT_EQ(ArticleRecordTextLength(second), static_cast<size_t>(2 * n - 1));
        EXPECT_TRUE(IsSeparatorStyle(ArticleRecordStyle(NextArticleRecord(second))));
        HeapFreeBlock(list);
    }
    uint8_t* index = LoadRecordList(IndexArticleNumber);
    ASSERT_NE(index, nullptr);
    EXPECT_EQ(IndexRecordKey(index), 0x8064);
    HeapFreeBlock(index);

    std::ifstream in(root_ / "out" / "1005.bin", std::ios::binary);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), {});
    ContainerContents contents = ReadContainer(bytes, RecordLayout::Article);
    EXPECT_TRUE(contents.faults.empty());
    EXPECT_EQ(contents.firstNumber, 5u);
    EXPECT_EQ(contents.lastNumber, 5u);
    EXPECT_TRUE(screen.messageBoxes.empty());
}

TEST_F(BookFolder, BuildMakesAnOutputFolderThatDoesNotExistWithItsParents) {
    WriteSmallBook();
    fs::path deep = root_ / "new" / "deep" / "out";
    ASSERT_EQ(BuildBook(Src(), deep.string()), 0);
    for (int n = 1001; n <= 1026; ++n) EXPECT_TRUE(fs::exists(deep / (std::to_string(n) + ".bin")));
    EXPECT_TRUE(fs::exists(deep / "32767.bin"));

    // A file where the folder should be is reported, not overwritten.
    std::ofstream(root_ / "taken") << "x";
    EXPECT_EQ(BuildBook(Src(), (root_ / "taken").string()), 1);
    EXPECT_EQ(fs::file_size(root_ / "taken"), 1u);
    // A broken book makes no folder.
    fs::remove(root_ / "src" / "article07.txt");
    EXPECT_EQ(BuildBook(Src(), (root_ / "never").string()), 1);
    EXPECT_FALSE(fs::exists(root_ / "never"));
}

TEST_F(BookFolder, MissingFilesAndIndexGapsFailTheBuild) {
    WriteSmallBook();
    fs::remove(root_ / "src" / "article07.txt");
    EXPECT_EQ(BuildBook(Src(), Out()), 1);
    EXPECT_FALSE(fs::exists(root_ / "out" / "1001.bin")) << "nothing is written from a broken book";

    WriteSmallBook();
    Write("index.txt", "{article 1} \xD7\x90\n");
    EXPECT_EQ(BuildBook(Src(), Out()), 1);
}

// The reader names an article by its first entry in the index: check warns when a "see also"
// entry elsewhere comes before the article's own (the one beside its companion); the book's
// own index has none.
TEST_F(BookFolder, CheckWarnsWhenAnArticleIsNamedBeforeItsOwnEntry) {
    WriteSmallBook();
    std::string index = "{group 100 open} \xD7\x90\n\n";
    for (int n = 1; n <= 26; ++n) {
        index += "{article " + std::to_string(n) + " level=1} \xD7\x92\n\n";
        if (n == 6) index += "{group 101 level=1} \xD7\x93\n\n{article 17 level=2} \xD7\x94\n\n";
        if (n == 20) index += "{article 3 level=1} \xD7\x94\n\n";  // after its own: fine
    }
    Write("index.txt", index);
    ASSERT_EQ(BuildBook(Src(), Out()), 0);
    const std::string file = (root_ / "out" / "32767.bin").string();
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(CheckContainerFile(file), 0);  // a warning, not a fault
    std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("warning: article 17: record 8 names it before its own entry, record 19"),
              std::string::npos)
        << err;
    EXPECT_EQ(err.find("article 3"), std::string::npos) << err;

    ASSERT_EQ(BuildBook(ORVANEL_BOOK_SOURCE_DIR, Out()), 0);
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(CheckContainerFile(file), 0);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
}

TEST(ReadContainer, NamesWhatIsWrong) {
    std::vector<uint8_t> container;
    std::string error;
    const std::vector<uint8_t> list = {0xB1, 0x00, 0x61, 0x62, 0x63, 0x00};
    ASSERT_TRUE(BuildContainer(list, 4, 4, RecordLayout::Article, &container, &error)) << error;
    EXPECT_TRUE(ReadContainer(container, RecordLayout::Article).faults.empty());

    std::vector<uint8_t> truncated(container.begin(), container.end() - 6);
    EXPECT_FALSE(ReadContainer(truncated, RecordLayout::Article).faults.empty());
    std::vector<uint8_t> longer = container;
    longer[9] += 1;  // ExpandedLength one more than the stream gives
    ContainerContents contents = ReadContainer(longer, RecordLayout::Article);
    ASSERT_FALSE(contents.faults.empty());
    EXPECT_NE(contents.faults[0].find("ends after producing 6 of 7"), std::string::npos)
        << contents.faults[0];
    // An index needs its own end record.
    EXPECT_FALSE(BuildContainer(list, 1, 255, RecordLayout::Index, &container, &error));
}

#ifdef ORVANEL_BOOK_SOURCE_DIR
// The book the program embeds: every container loads, and its records decode to the source.
TEST(EmbeddedBook, EveryContainerLoadsAndMatchesItsSource) {
    HeadlessScreen screen;
    RegisterBookResources();
    for (const BookSource& source : BookSources()) {
        const std::string path = std::string(ORVANEL_BOOK_SOURCE_DIR) + "/" + source.fileName;
        std::optional<std::string> text = ReadWholeFile(path);
        ASSERT_TRUE(text) << path;
        std::vector<BookRecord> records;
        std::vector<SourceError> errors;
        ASSERT_TRUE(ParseBookSource(*text, source.kind, &records, &errors)) << path;

        uint8_t* list = LoadRecordList(source.resourceId - 1000);
        ASSERT_NE(list, nullptr) << path;
        const RecordLayout layout =
            source.kind == SourceKind::Index ? RecordLayout::Index : RecordLayout::Article;
        const uint8_t* r = list;
        for (const BookRecord& record : records) {
            ASSERT_FALSE(IsListEnd(r, layout)) << path << ":" << record.line;
            EXPECT_EQ(RecordStyle(r, layout), record.style) << path << ":" << record.line;
            EXPECT_EQ(RecordIndent(r, layout), record.indent) << path << ":" << record.line;
            const uint8_t* textBytes = RecordText(r, layout);
            const bool rtl = layout == RecordLayout::Index || (record.style & 0x10);
            std::u32string decoded =
                DecodeBookText(textBytes, NextRecord(r, layout) - textBytes - 1,
                               rtl ? StoredOrder::Display : StoredOrder::Reading);
            if (!record.source.empty()) {
                // a continued paragraph carries one more space
                std::u32string expected = CanonicalBookText(record.source);
                if (decoded.size() == expected.size() + 1) {
                    decoded.erase(rtl ? decoded.size() - 1 : 0, 1);
                }
                EXPECT_EQ(decoded, expected) << path << ":" << record.line;
            }
            r = NextRecord(r, layout);
        }
        EXPECT_TRUE(IsListEnd(r, layout)) << path;
        HeapFreeBlock(list);
    }
    EXPECT_TRUE(screen.messageBoxes.empty());
}
#endif

}  // namespace
