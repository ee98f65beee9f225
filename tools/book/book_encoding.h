#pragma once
// Unicode Hebrew <-> the book's 8-bit encoding, for the book compiler and its inspector.
//
// Text comes in reading order. A letter with its marks becomes one cluster of stored bytes: its
// vowel points first, then the letter byte, because the reader draws a point on the character
// that follows it in storage. Right-to-left text is stored in display order: the clusters are
// reversed, "(" ")" "[" "]" are mirrored, and runs of digits keep their own order.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

using ByteString = std::vector<uint8_t>;

enum class StoredOrder { Reading, Display };

struct EncodeError {
    size_t index = 0;        // position of the offending code point in the input
    char32_t codePoint = 0;  // the code point itself
    std::string message;     // e.g. "character U+05BD cannot be encoded"
};

// Encodes `text`; on failure returns false and describes the first problem in `error`.
bool EncodeBookText(std::u32string_view text, StoredOrder order, ByteString* out,
                    EncodeError* error);

// Turns stored bytes back into Unicode in reading order. Marks come out after their letter as
// dagesh, shin or sin dot, then the vowel points. Bytes that no encoder produces come out as
// U+FFFD, except bytes 0x01-0x0F and 0x7C-0x7E, which pass through.
std::u32string DecodeBookText(const uint8_t* bytes, size_t count, StoredOrder order);

// The form in which DecodeBookText(EncodeBookText(text)) returns `text`: presentation forms
// decomposed, maqaf, geresh and gershayim replaced by their ASCII stand-ins, and the marks of
// each letter in decoding order. Only meaningful for text that encodes.
std::u32string CanonicalBookText(std::u32string_view text);

// UTF-8 <-> UTF-32. DecodeUtf8 returns false at the first invalid sequence and sets `badIndex`
// to the number of code points read before it.
bool DecodeUtf8(std::string_view in, std::u32string* out, size_t* badIndex);
std::string EncodeUtf8(std::u32string_view in);

// "U+05BD".
std::string CodePointName(char32_t c);
