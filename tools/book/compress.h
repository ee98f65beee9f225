#pragma once
// The compressing side of the book's stream format (the reader holds only the expanding side,
// UnCompress).
#include <cstddef>
#include <cstdint>
#include <vector>

// The smallest stream that expands to `data`, among the token choices a hash-chain match finder
// sees: every position is parsed optimally over literal runs, single-byte tokens, the
// space-plus-byte token and back-references (distance 1-2047, count 3-10).
std::vector<uint8_t> CompressStream(const uint8_t* data, size_t size);

// Longest back-reference distance and count the format allows.
constexpr size_t kMaxDistance = 2047;
constexpr size_t kMinMatch = 3;
constexpr size_t kMaxMatch = 10;
