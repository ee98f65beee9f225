#pragma once
// The expanding side of the book's compression format.
//
// A stream is a sequence of tokens, each starting with a byte T:
//   0x00          the byte 0x00
//   0x01 - 0x08   a literal run: the next T bytes unchanged
//   0x09 - 0x7F   the byte T itself
//   0x80 - 0xBF   a back-reference with a second byte U: distance ((T & 0x3F) << 5) | (U >> 3),
//                 count (U & 7) + 3, copied byte by byte from that far back in the output
//   0xC0 - 0xFF   a space followed by the byte T ^ 0x80
#include <cstddef>
#include <cstdint>

enum class Expansion {
    Complete,      // exactly the requested number of bytes was produced
    StreamShort,   // the stream ended, or a token's operand bytes lie past its end
    BadReference,  // a back-reference of distance 0 or reaching before the output start
};

struct ExpansionReport {
    Expansion result = Expansion::Complete;
    size_t streamUsed = 0;  // stream bytes consumed; on a fault, the offset of the faulty token
    size_t produced = 0;    // output bytes written
};

// The expansion itself, into a caller's buffer of `expandedLength` bytes, with no allocation and
// no message. The stream is never read past `compressedLength` bytes nor the output written past
// `expandedLength` bytes, whatever the stream holds.
ExpansionReport ExpandStream(const uint8_t* stream, size_t compressedLength, uint8_t* out,
                             size_t expandedLength);

// Expands a stream of `compressedLength` bytes into a new heap block of `expandedLength` + 2
// bytes: the expanded bytes followed by two 0 bytes, the first of which ends the last record of
// an article list. The caller releases the block with HeapFreeBlock.
//
// Returns nullptr without a message for a null stream, a zero length, or no memory. Returns
// nullptr after showing "UnCompress() buffer error!" once when the stream cannot produce
// `expandedLength` bytes: it runs out, a token's operand bytes lie past its end, or a
// back-reference reaches before the start of the output or has distance 0. Bytes left over after
// the output is complete are ignored.
uint8_t* UnCompress(const uint8_t* stream, unsigned compressedLength, unsigned expandedLength);
