// The bookmark list and its registry value, and the Bookmarks section of the index.
#include "bookmarks/bookmarks.h"

#include <vector>

#include "../index/index_fixture.h"
#include "bookmarks/bookmark_section.h"
#include "support/shell_fixture.h"

namespace {

class BookmarksTest : public ShellTest {
protected:
    std::vector<uint16_t> List() {
        std::vector<uint16_t> out;
        for (const uint16_t* p = App.BookmarkList; p && *p; ++p) out.push_back(*p);
        return out;
    }
    void Set(std::vector<uint16_t> numbers) {
        FreeBookmarks();
        numbers.push_back(0);
        App.BookmarkList = static_cast<uint16_t*>(HeapAllocBlock(numbers.size() * 2));
        std::memcpy(App.BookmarkList, numbers.data(), numbers.size() * 2);
        App.BookmarkCount = uint16_t(numbers.size() - 1);
    }
    std::vector<uint8_t> Bytes(const uint8_t* list, size_t n) { return {list, list + n}; }
};

// Whole 16-bit entries up to the first 0, always terminated in memory, each number once;
// numbers without an index entry stay and are saved again.
TEST_F(BookmarksTest, TheStoredValueIsReadUpToItsFirstZeroAndAlwaysTerminated) {
    struct Case {
        const char* value;
        std::vector<uint16_t> list;
        const char* saved;
    };
    const Case cases[] = {
        {"hex:03,00,07,00,00,00", {3, 7}, "hex:03,00,07,00,00,00"},
        {"hex:03,00,07,00,00,00,05", {3, 7}, "hex:03,00,07,00,00,00"},  // odd size
        {"hex:03,00,07,00", {3, 7}, "hex:03,00,07,00,00,00"},           // no terminator
        {"hex:03,00,00,00,07,00,00,00", {3}, "hex:03,00,00,00"},        // entries after a 0
        {"hex:1b,00,00,40,03,00,1b,00", {27, 0x4000, 3}, "hex:1b,00,00,40,03,00,00,00"},
        {"hex:05", {}, "hex:00,00"},
    };
    for (const Case& c : cases) {
        Store(std::string("\"Bookmarks\"=") + c.value + "\n");
        LoadBookmarks();
        ASSERT_NE(App.BookmarkList, nullptr) << c.value;
        EXPECT_EQ(List(), c.list) << c.value;
        EXPECT_EQ(App.BookmarkCount, c.list.size()) << c.value;
        EXPECT_EQ(App.BookmarkList[App.BookmarkCount], 0) << c.value;
        SaveBookmarks();
        EXPECT_TRUE(Has(std::string("\"Bookmarks\"=") + c.saved)) << c.value << "\n" << Stored();
    }
    Store("");
    LoadBookmarks();
    EXPECT_EQ(App.BookmarkList, nullptr);
    EXPECT_EQ(App.BookmarkCount, 0);
    EXPECT_FALSE(IsBookmarked());
    SaveBookmarks();
    EXPECT_TRUE(Has("\"Bookmarks\"=hex:00,00"));
    FreeBookmarks();
}

TEST_F(BookmarksTest, AddingAndRemovingKeepTheOrderAndTheTerminator) {
    App.Lesson = 5;
    AddBookmark();
    AddBookmark();
    App.Lesson = 9;
    AddBookmark();
    App.Lesson = 1;
    AddBookmark();
    EXPECT_EQ(List(), (std::vector<uint16_t>{5, 9, 1}));
    App.Lesson = 9;
    EXPECT_TRUE(IsBookmarked());
    RemoveBookmark();
    EXPECT_FALSE(IsBookmarked());
    EXPECT_EQ(List(), (std::vector<uint16_t>{5, 1}));
    EXPECT_EQ(App.BookmarkCount, 2);
    // Out of memory: the bookmark is not added, and nothing is said.
    SetHeapFailure(1);
    AddBookmark();
    SetHeapFailure(0);
    EXPECT_EQ(List(), (std::vector<uint16_t>{5, 1}));
    EXPECT_TRUE(screen.messageBoxes.empty());
    App.Lesson = 5;
    RemoveBookmark();
    App.Lesson = 1;
    RemoveBookmark();
    ASSERT_NE(App.BookmarkList, nullptr);
    EXPECT_EQ(App.BookmarkList[0], 0);
    EXPECT_EQ(App.BookmarkCount, 0);
    SaveBookmarks();
    EXPECT_TRUE(Has("\"Bookmarks\"=hex:00,00"));
    FreeBookmarks();
}

TEST_F(BookmarksTest, RemovingAsksFirstAndCancelStopsTheQuestion) {
    Set({3, 5, 7});
    App.Lesson = 3;
    screen.messageBoxAnswer = IDNO;
    ToggleBookmark(IsBookmarked());
    ASSERT_EQ(screen.messageBoxes.size(), 1u);
    EXPECT_EQ(screen.messageBoxes[0].text, u"Remove Bookmark?\n\nCancel - Don't ask again");
    EXPECT_EQ(screen.messageBoxes[0].caption, u"Bookmark");
    EXPECT_EQ(screen.messageBoxes[0].style, 3u);
    EXPECT_EQ(List(), (std::vector<uint16_t>{3, 5, 7}));
    screen.messageBoxAnswer = IDYES;
    ToggleBookmark(IsBookmarked());
    EXPECT_EQ(List(), (std::vector<uint16_t>{5, 7}));
    App.Lesson = 5;
    screen.messageBoxAnswer = IDCANCEL;
    ToggleBookmark(IsBookmarked());
    EXPECT_EQ(List(), (std::vector<uint16_t>{7}));
    EXPECT_EQ(App.SkipRemoveQuestion & 1, 1);
    App.Lesson = 7;
    ToggleBookmark(IsBookmarked());
    EXPECT_EQ(screen.messageBoxes.size(), 3u);  // no question this time
    EXPECT_TRUE(List().empty());
    ToggleBookmark(IsBookmarked());  // adds again
    EXPECT_EQ(List(), (std::vector<uint16_t>{7}));
    FreeBookmarks();
}

// Bookmarks 7, 3 and 12 over an index with entries for 3 and 7 (and a group numbered 12).
TEST_F(BookmarksTest, TheSectionHasTheHeadingAndOneEntryPerIndexedBookmarkInListOrder) {
    const std::vector<uint8_t> index =
        IndexBytes({{0x800C, 0x89, 0, "gr"}, {0x4003, 0x81, 1, "ccc"}, {0x4007, 0x81, 1, "ggggg"}});
    Set({7, 3, 12});
    uint8_t* section = BuildBookmarkSection(index.data());
    ASSERT_NE(section, nullptr);
    const std::vector<uint8_t> expected = {
        119, 136, 193, 1, 106, 105, 121, 117, 0,       // heading "jiyu"
        7,   64,  129, 2, 'g', 'g', 'g', 'g', 'g', 0,  // 7, titled as its index entry
        3,   64,  129, 2, 'c', 'c', 'c', 0,            // 3
        0,   0,   0,   0, 0};
    EXPECT_EQ(Bytes(section, expected.size()), expected);
    HeapFreeBlock(section);

    // Without index data the section is the heading alone.
    section = BuildBookmarkSection(nullptr);
    EXPECT_EQ(Bytes(section, 14),
              (std::vector<uint8_t>{119, 136, 193, 1, 106, 105, 121, 117, 0, 0, 0, 0, 0, 0}));
    HeapFreeBlock(section);

    // In front of the index: the section's records, then the index's, then one end record.
    uint8_t* shown = AddBookmarkSection(HeapList(index));
    std::vector<uint8_t> joined(expected.begin(), expected.end() - 5);
    joined.insert(joined.end(), index.begin(), index.end());
    EXPECT_EQ(Bytes(shown, joined.size()), joined);
    HeapFreeBlock(shown);

    // No bookmarks (a list holding only its 0): the index as it is.
    Set({});
    uint8_t* alone = HeapList(index);
    EXPECT_EQ(AddBookmarkSection(alone), alone);
    HeapFreeBlock(alone);
    FreeBookmarks();
    EXPECT_EQ(AddBookmarkSection(nullptr), nullptr);
}

// Offsets into a shown list are 16-bit: a section or a joined list longer than 65535 bytes is
// dropped, and the index is shown alone.
TEST_F(BookmarksTest, ListsThatWouldPassSixteenBitsAreDropped) {
    const std::string title(250, 'a');
    auto indexOf = [&](int entries) {
        return ManyIndexBytes(entries, [&](int i) {
            return IndexRec{uint16_t(0x4001 + i), 0x81, 0, title};
        });
    };
    std::vector<uint16_t> all;
    for (int n = 1; n <= 300; ++n) all.push_back(uint16_t(n));
    Set(all);
    // 9 + 300 x 255 bytes: no section.
    const std::vector<uint8_t> big = indexOf(300);
    EXPECT_EQ(BuildBookmarkSection(big.data()), nullptr);
    // 200 entries: the section (51009 bytes) is built, but section and index together are not.
    const std::vector<uint8_t> index = indexOf(200);
    uint8_t* section = BuildBookmarkSection(index.data());
    ASSERT_NE(section, nullptr);
    HeapFreeBlock(section);
    uint8_t* list = HeapList(index);
    uint8_t* shown = AddBookmarkSection(list);
    EXPECT_EQ(shown, list);
    HeapFreeBlock(shown);
    // Out of memory while joining: the section is dropped too.
    Set({1});
    list = HeapList(index);
    section = BuildBookmarkSection(list);
    SetHeapFailure(1);
    shown = JoinRecordLists(section, list);
    SetHeapFailure(0);
    EXPECT_EQ(shown, list);
    HeapFreeBlock(shown);
    EXPECT_EQ(JoinRecordLists(nullptr, nullptr), nullptr);
    FreeBookmarks();
}

}  // namespace
