#pragma once
// The body of an RTF document for plain UTF-16 text: ASCII as itself, everything else as \u
// escapes (the document's header sets \uc0, so no fallback characters follow them), and each run
// of line ends as a paragraph mark. A line that starts with U+200E (LEFT-TO-RIGHT MARK) becomes a
// left-to-right paragraph; the mark itself is not written.
#include <cstddef>
#include <cstdint>

// The canonical decomposition of a Hebrew presentation form (U+FB2A to U+FB4B, without U+FB2E
// and U+FB2F), up to three components with missing ones 0; nullptr for any other character.
const char16_t* HebrewDecomposition(char16_t c);

// Encodes the NUL-terminated text. With `out`, writes the body and a terminating 0 and returns
// the characters written (without the 0). Without, returns a size that holds the body and its 0.
size_t RtfEncode(const char16_t* text, char* out);
