#pragma once
// The two process-wide settings the text engine reads from the reader's state. The reading core
// binds them to its AppState once; until then the accessors answer the Unicode output and no
// options.
#include <cstdint>

void BindTextSettings(const int32_t* asciiBase, const uint32_t* viewFlags);

// Where the display font keeps alef: 1488 for Unicode output, anything else for single-byte
// output (97 marks fonts whose runs are never reversed).
int32_t CurrentAsciiBase();
// The ViewFlags option word.
uint32_t CurrentViewFlags();

// ViewFlags bit: whole runs are handed to the platform reversed.
constexpr uint32_t kReverseRunsFlag = 0x800;
constexpr int32_t kLatinAsciiBase = 97;
