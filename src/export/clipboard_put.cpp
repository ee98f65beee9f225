#include "export/clipboard_put.h"

#include <cstring>

#include "export/rtf_encode.h"
#include "platform/heap.h"
#include "platform/user/clipboard.h"
#include "reader/checked_alloc.h"

const char kRtfHeader[] =
    "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fcharset177\\cpg1255 David;}}{\\colortbl\\red0\\green0"
    "\\blue0;\\red255\\green255\\blue255;\\red255\\green0\\blue0;}\\rtldoc\\pard\\rtlpar\\qr"
    "\\lang1033\\f0\\fs20\\uc0\r\n";
// The document before it may be another program's, written with any state: \uc1 (a fallback
// character after each \u escape, which would swallow the appended text's characters),
// left-to-right paragraphs, other fonts, sizes and colours. So the separator sets again all that
// the body relies on, as the header does: \pard and \plain drop the paragraph and character
// formatting, \uc0 and \rtlpar come back, and the body starts right aligned, 10 points, black.
const char kRtfSeparator[] =
    "\\pard\\plain\\uc0\\rtlpar\\qc\\lang1033\\f0\\cf2\\fs72\\b*  *  *  *  *\\b0\\par\\par"
    "\\pard\\rtlpar\\qr\\fs20\\cf0\r\n";

namespace {

constexpr size_t kHeaderLength = sizeof kRtfHeader - 1;
constexpr size_t kSeparatorLength = sizeof kRtfSeparator - 1;
static_assert(kHeaderLength == 180);
constexpr char kDocumentEnd[] = "}\r\n";
constexpr size_t kDocumentEndLength = sizeof kDocumentEnd - 1;

bool IsTrailingBlank(char c) {
    return c == '\t' || c == '\r' || c == '\n' || c == ' ';
}

// Hands the block to the clipboard in place of everything it holds; frees the block when the
// clipboard cannot be opened.
void Publish(unsigned format, void* block) {
    if (!OpenClipboard(nullptr)) {
        LocalFree(block);
        return;
    }
    EmptyClipboard();
    SetClipboardData(format, block);
    CloseClipboard();
}

}  // namespace

void* ReadClipboardCopy(unsigned format, size_t* length) {
    *length = 0;
    if (!OpenClipboard(nullptr)) return nullptr;
    if (format == 0) format = CF_UNICODETEXT;
    const void* data = GetClipboardData(format);
    if (!data) {
        CloseClipboard();
        return nullptr;
    }
    // Never past the block, even when its terminator is missing.
    size_t limit = LocalSize(data);
    size_t n = 0;
    if (format == CF_UNICODETEXT) {
        const auto* units = static_cast<const char16_t*>(data);
        while (n < limit / 2 && units[n]) ++n;
        n *= 2;
    } else {
        const auto* bytes = static_cast<const char*>(data);
        while (n < limit && bytes[n]) ++n;
    }
    void* copy = CheckedAlloc(n);
    if (copy) {
        std::memcpy(copy, data, n);
        *length = n;
    }
    CloseClipboard();
    return copy;
}

// The clipboard changes only once the new document is complete: when memory runs out on the
// way, what the clipboard held stays there.
void PutRtfOnClipboard(const char16_t* text, ClipboardMode mode) {
    UINT format = RegisterClipboardFormat(kRtfFormatName);
    size_t oldLength = 0;
    char* old = nullptr;
    if (mode == ClipboardMode::Append)
        old = static_cast<char*>(ReadClipboardCopy(format, &oldLength));
    if (oldLength == 0) {
        HeapFreeBlock(old);
        old = nullptr;
    }
    char* body = static_cast<char*>(CheckedAlloc(RtfEncode(text, nullptr) + 1));
    if (!body) {
        HeapFreeBlock(old);
        return;
    }
    size_t bodyLength = RtfEncode(text, body);
    // Room for the header or the separator, the document end, its zero and 2 bytes to spare.
    size_t blockSize =
        bodyLength + (old ? oldLength + kSeparatorLength : kHeaderLength) + kDocumentEndLength + 3;
    auto* block = static_cast<char*>(LocalAlloc(LMEM_MOVEABLE, blockSize));
    if (block) {
        char* p = block;
        if (!old) {
            std::memcpy(p, kRtfHeader, kHeaderLength);
            p += kHeaderLength;
        } else {
            size_t n = oldLength;
            while (n && IsTrailingBlank(old[n - 1])) --n;
            if (n && old[n - 1] == '}') --n;
            std::memcpy(p, old, n);
            p += n;
            std::memcpy(p, kRtfSeparator, kSeparatorLength);
            p += kSeparatorLength;
        }
        std::memcpy(p, body, bodyLength);
        p += bodyLength;
        std::memcpy(p, kDocumentEnd, kDocumentEndLength + 1);
    }
    HeapFreeBlock(old);
    HeapFreeBlock(body);
    if (block) Publish(format, block);
}

void PutTextOnClipboard(const char16_t* text, ClipboardMode mode) {
    size_t oldLength = 0;
    void* old =
        mode == ClipboardMode::Append ? ReadClipboardCopy(CF_UNICODETEXT, &oldLength) : nullptr;
    size_t units = 0;
    while (text[units]) ++units;
    auto* block = static_cast<char*>(LocalAlloc(LMEM_MOVEABLE, oldLength + (units + 1) * 2));
    if (block) {
        if (oldLength) std::memcpy(block, old, oldLength);
        std::memcpy(block + oldLength, text, (units + 1) * 2);
    }
    HeapFreeBlock(old);
    if (block) Publish(CF_UNICODETEXT, block);
}
