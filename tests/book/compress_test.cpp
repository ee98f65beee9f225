// The compressor: every stream expands back with the reader's own expansion, uses only tokens
// the format has, and actually compresses.
#include "compress.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "store/uncompress.h"

namespace {

using Bytes = std::vector<uint8_t>;

// Walks the tokens of a stream, checking each against the format; returns the output size.
size_t CheckTokens(const Bytes& stream) {
    size_t produced = 0;
    for (size_t i = 0; i < stream.size();) {
        const uint8_t t = stream[i];
        if (t >= 0xC0) {
            produced += 2;
            i += 1;
        } else if (t >= 0x80) {
            EXPECT_LT(i + 1, stream.size()) << "reference cut at " << i;
            const unsigned word = (t << 8) | stream[i + 1];
            const size_t distance = (word >> 3) & 0x7FF;
            EXPECT_GE(distance, 1u);
            EXPECT_LE(distance, produced) << "reference before the start at " << i;
            produced += (word & 7) + 3;
            i += 2;
        } else if (t >= 1 && t <= 8) {
            EXPECT_LE(i + 1 + t, stream.size());
            produced += t;
            i += 1 + t;
        } else {
            produced += 1;
            i += 1;
        }
    }
    return produced;
}

void ExpectRoundTrip(const Bytes& data) {
    const Bytes stream = CompressStream(data.data(), data.size());
    EXPECT_EQ(CheckTokens(stream), data.size());
    Bytes out(data.size());
    ExpansionReport report = ExpandStream(stream.data(), stream.size(), out.data(), out.size());
    ASSERT_EQ(report.result, Expansion::Complete);
    EXPECT_EQ(report.streamUsed, stream.size()) << "the stream has bytes no token needs";
    EXPECT_EQ(out, data);
}

TEST(Compress, ChoosesTheShortTokens) {
    // A space before 0x40-0x7F is one token; 0x00 and 0x09-0x7F stand for themselves.
    const Bytes text = {0x61, 0x20, 0x62, 0x00, 0x09};
    EXPECT_EQ(CompressStream(text.data(), text.size()), (Bytes{0x61, 0xE2, 0x00, 0x09}));
    // Bytes 0x01-0x08 and 0x80 and above need a literal run.
    const Bytes raw = {0x05, 0x90, 0x61};
    EXPECT_EQ(CompressStream(raw.data(), raw.size()), (Bytes{0x02, 0x05, 0x90, 0x61}));
    // Eleven equal bytes: one byte and a reference of distance 1, count 10.
    const Bytes run(11, 0x61);
    EXPECT_EQ(CompressStream(run.data(), run.size()), (Bytes{0x61, 0x80, 0x0F}));
}

TEST(Compress, RoundTripsEdgeShapes) {
    ExpectRoundTrip({});
    ExpectRoundTrip({0x20});
    ExpectRoundTrip({0x20, 0x20, 0x40});
    ExpectRoundTrip(Bytes(65535, 0x00));
    Bytes all;
    for (int i = 0; i < 256; ++i) all.push_back(static_cast<uint8_t>(i));
    ExpectRoundTrip(all);
    // A repeat just past the longest distance must not be referenced.
    Bytes far(4100, 0x30);
    for (int i = 0; i < 4100; i += 7) far[i] = static_cast<uint8_t>(0x80 + i % 100);
    ExpectRoundTrip(far);
}

TEST(Compress, RoundTripsRandomData) {
    std::mt19937 random(3);
    for (int round = 0; round < 200; ++round) {
        Bytes data(random() % 3000);
        const int alphabet = 1 + random() % 256;
        for (uint8_t& b : data) b = static_cast<uint8_t>(random() % alphabet);
        ExpectRoundTrip(data);
    }
}

TEST(Compress, CompressesBookLikeText) {
    // Records of encoded Hebrew words with repeats, as an article list has them.
    const std::string words[] = {"\x6B\x6E\x6D", "\x7A\x61\x79",     "\x62\x6F\x61\x7B",
                                 "\x6D\x6E",     "\x68\x66\x75\x66", "\x6A\x74\x6D\x6E\x6B"};
    std::mt19937 random(5);
    Bytes list;
    for (int record = 0; record < 300; ++record) {
        list.insert(list.end(), {0xB1, 0x00});
        for (int w = 0; w < 12; ++w) {
            const std::string& word = words[random() % 6];
            list.insert(list.end(), word.begin(), word.end());
            list.push_back(0x20);
        }
        list.push_back(0x00);
    }
    ExpectRoundTrip(list);
    const Bytes stream = CompressStream(list.data(), list.size());
    EXPECT_LT(stream.size() * 2, list.size()) << stream.size() << " of " << list.size();
}

}  // namespace
