// The book-source parser on arbitrary text. The first byte picks article or index markup; a file
// that parses must serialise into a container the reader accepts, and every record must decode
// back to its source text.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "book_encoding.h"
#include "container.h"
#include "markup.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const SourceKind kind = (data[0] & 1) ? SourceKind::Index : SourceKind::Article;
    std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
    std::vector<BookRecord> records;
    std::vector<SourceError> errors;
    if (!ParseBookSource(text, kind, &records, &errors)) {
        for (const SourceError& e : errors) {
            if (e.line < 1 || e.column < 1 || e.message.empty()) __builtin_trap();
        }
        return 0;
    }
    for (const BookRecord& r : records) {
        if (r.style == 0 || (r.style & 0x7F) == 0) __builtin_trap();
        if (r.source.empty()) continue;
        const bool rtl = kind == SourceKind::Index || (r.style & 0x10);
        std::u32string decoded = DecodeBookText(r.text.data(), r.text.size(),
                                                rtl ? StoredOrder::Display : StoredOrder::Reading);
        std::u32string expected = CanonicalBookText(r.source);
        if (decoded.size() == expected.size() + 1) decoded.erase(rtl ? decoded.size() - 1 : 0, 1);
        if (decoded != expected) __builtin_trap();
    }
    if (records.empty()) return 0;
    const ByteString list = SerializeRecords(records, kind);
    std::vector<uint8_t> container;
    std::string error;
    const bool fits = list.size() <= 0xFFFF;
    if (!BuildContainer(list, 1, kind == SourceKind::Index ? 255 : 1,
                        kind == SourceKind::Index ? RecordLayout::Index : RecordLayout::Article,
                        &container, &error) &&
        fits) {
        __builtin_trap();
    }
    return 0;
}
