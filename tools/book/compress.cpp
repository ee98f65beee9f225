#include "compress.h"

#include <algorithm>
#include <limits>

namespace {

constexpr size_t kHashBits = 13;
constexpr size_t kChainDepth = 512;
constexpr uint32_t kNone = std::numeric_limits<uint32_t>::max();

uint32_t Hash3(const uint8_t* p) {
    uint32_t v = p[0] | (p[1] << 8) | (p[2] << 16);
    return (v * 2654435761u) >> (32 - kHashBits);
}

// Bytes a single token can carry by itself.
bool IsSelfToken(uint8_t b) {
    return b == 0 || (b >= 0x09 && b <= 0x7F);
}

struct Match {
    uint16_t length = 0;  // 0 when there is none of at least kMinMatch
    uint16_t distance = 0;
};

// For every position the longest match (up to kMaxMatch) within kMaxDistance, found through
// hash chains of 3-byte prefixes; among equally long matches the nearest wins.
std::vector<Match> FindMatches(const uint8_t* data, size_t size) {
    std::vector<Match> matches(size);
    if (size < kMinMatch) return matches;
    std::vector<uint32_t> head(size_t{1} << kHashBits, kNone);
    std::vector<uint32_t> previous(size, kNone);
    for (size_t i = 0; i + kMinMatch <= size; ++i) {
        const uint32_t h = Hash3(data + i);
        const size_t limit = std::min(kMaxMatch, size - i);
        Match best;
        size_t depth = 0;
        for (uint32_t candidate = head[h]; candidate != kNone && depth < kChainDepth;
             candidate = previous[candidate], ++depth) {
            const size_t distance = i - candidate;
            if (distance > kMaxDistance) break;
            size_t length = 0;
            while (length < limit && data[candidate + length] == data[i + length]) ++length;
            if (length >= kMinMatch && length > best.length) {
                best = {static_cast<uint16_t>(length), static_cast<uint16_t>(distance)};
                if (length == limit) break;
            }
        }
        matches[i] = best;
        previous[i] = head[h];
        head[h] = static_cast<uint32_t>(i);
    }
    return matches;
}

enum class Step : uint8_t { Self, SpacePair, Literal, Reference };

struct Choice {
    Step step = Step::Self;
    uint8_t length = 1;  // bytes of input the token covers
};

}  // namespace

std::vector<uint8_t> CompressStream(const uint8_t* data, size_t size) {
    const std::vector<Match> matches = FindMatches(data, size);

    // cost[i]: the fewest stream bytes that produce data[i..size); filled from the end.
    std::vector<uint32_t> cost(size + 1, 0);
    std::vector<Choice> choice(size);
    for (size_t i = size; i-- > 0;) {
        uint32_t best = std::numeric_limits<uint32_t>::max();
        auto consider = [&](uint32_t c, Step step, size_t length) {
            if (c < best) {
                best = c;
                choice[i] = {step, static_cast<uint8_t>(length)};
            }
        };
        if (IsSelfToken(data[i])) consider(1 + cost[i + 1], Step::Self, 1);
        if (data[i] == 0x20 && i + 1 < size && data[i + 1] >= 0x40 && data[i + 1] <= 0x7F) {
            consider(1 + cost[i + 2], Step::SpacePair, 2);
        }
        for (size_t n = 1; n <= 8 && i + n <= size; ++n) {
            consider(static_cast<uint32_t>(1 + n) + cost[i + n], Step::Literal, n);
        }
        for (size_t n = kMinMatch; n <= matches[i].length; ++n) {
            consider(2 + cost[i + n], Step::Reference, n);
        }
        cost[i] = best;
    }

    std::vector<uint8_t> stream;
    stream.reserve(cost[0]);
    for (size_t i = 0; i < size;) {
        const Choice c = choice[i];
        switch (c.step) {
            case Step::Self:
                stream.push_back(data[i]);
                break;
            case Step::SpacePair:
                stream.push_back(static_cast<uint8_t>(data[i + 1] | 0x80));
                break;
            case Step::Literal:
                stream.push_back(c.length);
                stream.insert(stream.end(), data + i, data + i + c.length);
                break;
            case Step::Reference: {
                const unsigned word = (matches[i].distance << 3) | (c.length - kMinMatch);
                stream.push_back(static_cast<uint8_t>(0x80 | (word >> 8)));
                stream.push_back(static_cast<uint8_t>(word & 0xFF));
                break;
            }
        }
        i += c.length;
    }
    return stream;
}
