// LoadRecordList and container unpacking: resource lookup, header checks, and the record list
// check that keeps every reader inside the block.
#include "store/record_list.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <deque>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/heap.h"
#include "platform/resources.h"
#include "platform/win32_constants.h"
#include "support/headless.h"

namespace {

using Bytes = std::vector<uint8_t>;

// A container around a hand-made stream: header, stream, four zero bytes.
Bytes MakeContainer(const Bytes& stream, unsigned expandedLength, unsigned first = 3,
                    unsigned last = 3) {
    const unsigned body = static_cast<unsigned>(stream.size()) + 8;
    Bytes c = {static_cast<uint8_t>(body >> 8),           static_cast<uint8_t>(body),
               static_cast<uint8_t>(first >> 8),          static_cast<uint8_t>(first),
               static_cast<uint8_t>(last >> 8),           static_cast<uint8_t>(last),
               static_cast<uint8_t>(stream.size() >> 8),  static_cast<uint8_t>(stream.size()),
               static_cast<uint8_t>(expandedLength >> 8), static_cast<uint8_t>(expandedLength)};
    c.insert(c.end(), stream.begin(), stream.end());
    c.insert(c.end(), 4, 0);
    return c;
}

// A literal-only stream for any bytes.
Bytes LiteralStream(const Bytes& data) {
    Bytes stream;
    for (size_t i = 0; i < data.size(); i += 8) {
        size_t n = std::min<size_t>(8, data.size() - i);
        stream.push_back(static_cast<uint8_t>(n));
        stream.insert(stream.end(), data.begin() + i, data.begin() + i + n);
    }
    return stream;
}

class RecordListTest : public ::testing::Test {
protected:
    void TearDown() override { ResetResources(); }

    void Register(WORD id, Bytes bytes) {
        storage_.push_back(std::move(bytes));
        ResourceBlob blob{RT_RCDATA, id, storage_.back().data(), storage_.back().size()};
        RegisterResources(std::span<const ResourceBlob>(&blob, 1));
    }

    Bytes Load(int number, size_t length) {
        uint8_t* list = LoadRecordList(number);
        if (list == nullptr) return {};
        Bytes bytes(list, list + length);
        HeapFreeBlock(list);
        return bytes;
    }

    HeadlessScreen screen_;
    std::deque<Bytes> storage_;
};

// Article layout: 0xB1 0x00 "ab" 0, then 0x87 0x50 "" 0 (a rule); the data stops there.
const Bytes kArticle = {0xB1, 0x00, 0x61, 0x62, 0x00, 0x87, 0x50, 0x00};

TEST_F(RecordListTest, LoadsAnArticleByItsResourceId) {
    Register(1003, MakeContainer(LiteralStream(kArticle), kArticle.size()));
    Bytes loaded = Load(3, kArticle.size() + 1);
    Bytes expected = kArticle;
    expected.push_back(0);  // the appended byte ends the list
    EXPECT_EQ(loaded, expected);
    EXPECT_TRUE(Load(4, 1).empty());
    EXPECT_TRUE(screen_.messageBoxes.empty());
}

TEST_F(RecordListTest, NumbersBelowOneLookNothingUp) {
    const Bytes container = MakeContainer(LiteralStream(kArticle), kArticle.size());
    Register(1000, container);
    Register(999, container);
    Register(static_cast<WORD>(-1 + 1000), container);
    EXPECT_EQ(LoadRecordList(0), nullptr);
    EXPECT_EQ(LoadRecordList(-1), nullptr);
}

TEST_F(RecordListTest, IndexNumberLoadsResource32767InIndexLayout) {
    // Key 0x4001 (low byte first), StyleFlags 0x81, level 0, "a", then the all-zero end record.
    const Bytes index = {0x01, 0x40, 0x81, 0x00, 0x61, 0x00, 0, 0, 0, 0, 0};
    Register(32767, MakeContainer(LiteralStream(index), index.size(), 1, 255));
    EXPECT_EQ(Load(IndexArticleNumber, index.size()), index);
}

TEST_F(RecordListTest, DamagedHeadersGiveNullWithoutMessage) {
    Bytes shortBody = MakeContainer(LiteralStream(kArticle), kArticle.size());
    shortBody[0] = 0;
    shortBody[1] = 4;  // BodyLength 4
    Register(1001, shortBody);
    Register(1002, MakeContainer({}, 5));                       // CompressedLength 0
    Register(1003, MakeContainer(LiteralStream(kArticle), 0));  // ExpandedLength 0
    Register(1004, Bytes{0x00, 0x10, 0x00});                    // shorter than a header
    for (int n = 1; n <= 4; ++n) EXPECT_EQ(LoadRecordList(n), nullptr) << n;
    EXPECT_TRUE(screen_.messageBoxes.empty());
}

TEST_F(RecordListTest, StreamLengthBeyondTheContainerIsCutToTheContainer) {
    // The header claims 200 stream bytes; the resource holds 9 and the stream produces 8 of the
    // 40 bytes asked for. Nothing past the resource is read, and the short stream is reported.
    Bytes container = MakeContainer(LiteralStream(kArticle), 40);
    container[6] = 0;
    container[7] = 200;
    container[0] = 0;
    container[1] = 208;
    container.resize(container.size() - 4);  // no trailer either
    Register(1005, container);
    EXPECT_EQ(LoadRecordList(5), nullptr);
    EXPECT_EQ(screen_.messageBoxes.size(), 1u);
}

TEST_F(RecordListTest, ListsThatRunPastTheirEndAreRefused) {
    // An index list without its end record: the StyleFlags byte of the would-be end record lies
    // past the block.
    const Bytes noEnd = {0x01, 0x40, 0x81, 0x00, 0x61, 0x00};
    Register(32767, MakeContainer(LiteralStream(noEnd), noEnd.size(), 1, 255));
    EXPECT_EQ(LoadRecordList(IndexArticleNumber), nullptr);
    // An article record on the last data byte whose empty text lies on the appended 0: the record
    // after it would start past the block.
    const Bytes lastByte = {0xB1, 0x00, 0x61, 0x00, 0xB1};
    Register(1006, MakeContainer(LiteralStream(lastByte), lastByte.size()));
    EXPECT_EQ(LoadRecordList(6), nullptr);
    // The same as an index list, which the article layout would accept.
    const Bytes text = {0xB1, 0x00, 0x61, 0x62, 0x63, 0x64};
    Register(1007, MakeContainer(LiteralStream(text), text.size()));
    EXPECT_NE(Load(7, text.size()).size(), 0u);
}

TEST_F(RecordListTest, BookDirectoryReplacesTheEmbeddedContainers) {
    namespace fs = std::filesystem;
    const fs::path dir =
        fs::temp_directory_path() / ("orvanel-store-test-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const Bytes other = {0xB1, 0x00, 0x63, 0x00};
    const Bytes file = MakeContainer(LiteralStream(other), other.size());
    std::ofstream(dir / "1009.bin", std::ios::binary)
        .write(reinterpret_cast<const char*>(file.data()),
               static_cast<std::streamsize>(file.size()));
    Register(1009, MakeContainer(LiteralStream(kArticle), kArticle.size()));
    Register(1010, MakeContainer(LiteralStream(kArticle), kArticle.size()));
    SetBookDirectory(dir.string());
    EXPECT_EQ(Load(9, other.size()), other);
    // A file missing from the folder is a missing resource, even though one is compiled in.
    EXPECT_EQ(LoadRecordList(10), nullptr);
    fs::remove_all(dir);
}

}  // namespace
