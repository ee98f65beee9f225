// UnCompress: the token table, the cut at the output end, and streams that are not well formed.
#include "store/uncompress.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <vector>

#include "platform/heap.h"
#include "support/headless.h"

namespace {

using Bytes = std::vector<uint8_t>;

struct HeapBlockDeleter {
    void operator()(uint8_t* p) const { HeapFreeBlock(p); }
};
using Block = std::unique_ptr<uint8_t, HeapBlockDeleter>;

// Expands from a heap copy of exactly the stream's size, so that a read past its end is a
// sanitizer finding.
Block Expand(const Bytes& stream, unsigned expandedLength) {
    auto copy = std::make_unique<uint8_t[]>(stream.size());
    std::copy(stream.begin(), stream.end(), copy.get());
    return Block(UnCompress(copy.get(), static_cast<unsigned>(stream.size()), expandedLength));
}

Bytes Contents(const Block& block, size_t length) {
    return Bytes(block.get(), block.get() + length);
}

// Well-formed streams: each expands to exactly its bytes, ends in 0 and shows no message. The
// output end may cut a token: that is a success, and bytes after a complete output are ignored.
TEST(UnCompress, WellFormedStreamsExpandAsWorkedByHand) {
    HeadlessScreen screen;
    // Distance 2047 (T = 0xBF, U = 0xF8): the farthest reference, count 3.
    Bytes farStream = {0x03, 0x81, 0x82, 0x83}, far = {0x81, 0x82, 0x83};
    farStream.insert(farStream.end(), 2044, 0x30);
    far.insert(far.end(), 2044, 0x30);
    farStream.insert(farStream.end(), {0xBF, 0xF8});
    far.insert(far.end(), {0x81, 0x82, 0x83});
    const struct Case {
        const char* what;
        Bytes stream;
        Bytes expected;
    } cases[] = {
        {"reference", {0x61, 0x62, 0x63, 0x80, 0x18}, {0x61, 0x62, 0x63, 0x61, 0x62, 0x63}},
        {"space token", {0x61, 0xE2, 0x63}, {0x61, 0x20, 0x62, 0x63}},
        {"literal run", {0x02, 0x05, 0x90, 0x61}, {0x05, 0x90, 0x61}},
        // 0x00 is a zero byte, 0x09 and 0x7F stand for themselves, 0xC0 is a space and 0x40.
        {"single-byte tokens",
         {0x00, 0x09, 0x7F, 0xC0, 0xFF},
         {0x00, 0x09, 0x7F, 0x20, 0x40, 0x20, 0x7F}},
        {"distance 1, count 10 (U = 0x0F)", {0x61, 0x80, 0x0F}, Bytes(11, 0x61)},
        {"distance 2, count 3: an overlapping pair",
         {0x61, 0x62, 0x80, 0x10},
         {0x61, 0x62, 0x61, 0x62, 0x61}},
        {"distance 2047", farStream, far},
        {"count 10 cut at 4", {0x61, 0x80, 0x0F}, Bytes(4, 0x61)},
        // The space of a 0xC0-0xFF token on the last position ends the buffer.
        {"space token cut", {0x61, 0xE2}, {0x61, 0x20}},
        {"literal run cut: only the bytes it copies", {0x08, 0x01, 0x02}, {0x01, 0x02}},
        {"a broken token after the end", {0x61, 0x62, 0x80, 0x00, 0x05}, {0x61, 0x62}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Block out = Expand(c.stream, static_cast<unsigned>(c.expected.size()));
        ASSERT_NE(out, nullptr);
        EXPECT_EQ(Contents(out, c.expected.size()), c.expected);
        EXPECT_EQ(out.get()[c.expected.size()], 0);
    }
    EXPECT_TRUE(screen.messageBoxes.empty());
}

TEST(UnCompress, ShortStreamShowsTheBufferErrorOnce) {
    HeadlessScreen screen;
    EXPECT_EQ(Expand({0x61, 0x62}, 3), nullptr);
    ASSERT_EQ(screen.messageBoxes.size(), 1u);
    EXPECT_EQ(screen.messageBoxes[0].text, u"UnCompress() buffer error!");
    EXPECT_EQ(screen.messageBoxes[0].style, 0u);
    EXPECT_EQ(screen.messageBoxes[0].caption, u"Error");  // the platform's default caption
}

TEST(UnCompress, MissingInputFailsSilently) {
    HeadlessScreen screen;
    uint8_t byte = 0x61;
    EXPECT_EQ(UnCompress(nullptr, 1, 1), nullptr);
    EXPECT_EQ(UnCompress(&byte, 0, 1), nullptr);
    EXPECT_EQ(UnCompress(&byte, 1, 0), nullptr);
    SetHeapFailure(1);
    EXPECT_EQ(UnCompress(&byte, 1, 1), nullptr);
    SetHeapFailure(0);
    EXPECT_TRUE(screen.messageBoxes.empty());
}

// Streams that are not well formed are refused (bad distance) or cut short (operands past the
// end); both give null and the one message, and nothing outside the buffers is touched.
TEST(UnCompress, MalformedStreamsAreRefusedWithinBounds) {
    const struct Case {
        const char* what;
        Bytes stream;
        unsigned expandedLength;
    } cases[] = {
        {"distance 0", {0x61, 0x80, 0x00}, 5},
        {"distance before the output start", {0x61, 0x80, 0x10}, 5},
        {"reference as the first token", {0x80, 0x08}, 3},
        {"reference without its second byte", {0x61, 0x80}, 5},
        {"literal run past the stream end", {0x05, 0x61, 0x62}, 5},
        {"literal run cut by the stream though the output has room", {0x08, 0x01}, 8},
    };
    for (const Case& c : cases) {
        HeadlessScreen screen;
        EXPECT_EQ(Expand(c.stream, c.expandedLength), nullptr) << c.what;
        EXPECT_EQ(screen.messageBoxes.size(), 1u) << c.what;
    }
}

TEST(UnCompress, ExpandStreamReportsWhereAStreamGoesWrong) {
    Bytes out(8);
    const Bytes bad = {0x61, 0x62, 0x80, 0x18};
    ExpansionReport report = ExpandStream(bad.data(), bad.size(), out.data(), out.size());
    EXPECT_EQ(report.result, Expansion::BadReference);
    EXPECT_EQ(report.streamUsed, 2u);
    EXPECT_EQ(report.produced, 2u);
}

// Random streams: whatever the bytes, the result is null or a buffer ending in 0.
TEST(UnCompress, RandomStreamsStayInBounds) {
    HeadlessScreen screen;
    std::mt19937 random(7);
    for (int round = 0; round < 3000; ++round) {
        Bytes stream(1 + random() % 64);
        for (uint8_t& b : stream) b = static_cast<uint8_t>(random());
        unsigned expandedLength = 1 + random() % 200;
        Block out = Expand(stream, expandedLength);
        if (out) {
            EXPECT_EQ(out.get()[expandedLength], 0);
            EXPECT_EQ(out.get()[expandedLength + 1], 0);
        }
    }
}

}  // namespace
