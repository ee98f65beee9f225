#include "store/uncompress.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "platform/heap.h"
#include "platform/user/user.h"
#include "platform/win32_constants.h"

// A malformed stream is not trusted for a single byte more than it can back up:
// - a token whose operand bytes are missing from the stream ends the stream before that token
//   (cut short). A literal run that the output end stops first still succeeds, as long as the
//   bytes it copies are there;
// - a back-reference of distance 0 or reaching before the output start refuses the whole stream,
//   since the bytes it names do not exist.
ExpansionReport ExpandStream(const uint8_t* stream, size_t compressedLength, uint8_t* start,
                             size_t expandedLength) {
    const uint8_t* in = stream;
    const uint8_t* const inEnd = stream + compressedLength;
    uint8_t* out = start;
    uint8_t* const outEnd = start + expandedLength;
    auto report = [&](Expansion result, const uint8_t* at) {
        return ExpansionReport{result, static_cast<size_t>(at - stream),
                               static_cast<size_t>(out - start)};
    };
    while (out < outEnd && in < inEnd) {
        const uint8_t* token = in;
        unsigned t = *in++;
        if (t >= 0xC0) {
            *out++ = 0x20;
            if (out < outEnd) *out++ = static_cast<uint8_t>(t ^ 0x80);
        } else if (t >= 0x80) {
            if (in == inEnd) return report(Expansion::StreamShort, token);
            unsigned u = *in++;
            size_t distance = ((t & 0x3F) << 5) | (u >> 3);
            size_t count = (u & 7) + 3;
            if (distance == 0 || distance > static_cast<size_t>(out - start)) {
                return report(Expansion::BadReference, token);
            }
            count = std::min(count, static_cast<size_t>(outEnd - out));
            // One byte at a time: a distance below the count repeats what was just written.
            const uint8_t* from = out - distance;
            for (size_t i = 0; i < count; ++i) out[i] = from[i];
            out += count;
        } else if (t >= 0x01 && t <= 0x08) {
            size_t count = std::min(static_cast<size_t>(t), static_cast<size_t>(outEnd - out));
            if (count > static_cast<size_t>(inEnd - in)) {
                return report(Expansion::StreamShort, token);
            }
            std::memcpy(out, in, count);
            out += count;
            in += count;
        } else {
            *out++ = static_cast<uint8_t>(t);
        }
    }
    return report(out == outEnd ? Expansion::Complete : Expansion::StreamShort, in);
}

uint8_t* UnCompress(const uint8_t* stream, unsigned compressedLength, unsigned expandedLength) {
    if (stream == nullptr || compressedLength == 0 || expandedLength == 0) return nullptr;
    auto* buffer = static_cast<uint8_t*>(HeapAllocBlock(static_cast<size_t>(expandedLength) + 2));
    if (buffer == nullptr) return nullptr;

    if (ExpandStream(stream, compressedLength, buffer, expandedLength).result ==
        Expansion::Complete) {
        // Both trailing bytes are zeroed so that a walker that reads past the last record of a
        // damaged list still meets initialised bytes.
        buffer[expandedLength] = 0;
        buffer[expandedLength + 1] = 0;
        return buffer;
    }
    HeapFreeBlock(buffer);
    MessageBox(nullptr, u"UnCompress() buffer error!", nullptr, MB_OK);
    return nullptr;
}
