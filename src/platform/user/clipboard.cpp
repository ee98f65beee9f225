// The clipboard, and its mirror on the system clipboard through the host.
#include "platform/user/clipboard.h"

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "platform/heap.h"
#include "platform/hosting.h"
#include "platform/unicode.h"
#include "platform/user/rtf_text.h"
#include "platform/user/user.h"

namespace {

constexpr UINT kFirstRegistered = 0xC000;
constexpr char16_t kRtfName[] = u"Rich Text Format";

struct Clipboard {
    bool open = false;
    HWND owner = nullptr;
    bool changed = false;  // set, emptied while open: published when closed
    // While open: the forms (kClipboardText, kClipboardRtf) not yet read from another program
    // that owns the system clipboard, and whether one does. A form is read only when asked for,
    // so opening to replace the contents never waits on another program.
    unsigned unread = 0;
    bool foreign = false;
    std::map<UINT, void*> blocks;
    std::vector<std::u16string> names;  // registered formats, from kFirstRegistered
    ~Clipboard() {
        for (auto& [format, block] : blocks) LocalFree(block);
    }
};

Clipboard& clip() {
    static Clipboard c;
    return c;
}

void FreeBlocks() {
    for (auto& [format, block] : clip().blocks) LocalFree(block);
    clip().blocks.clear();
}

// A block holding the bytes and two zero bytes after them.
void* BlockOf(const void* data, size_t size) {
    auto* block = static_cast<char*>(LocalAlloc(LMEM_MOVEABLE, size + 2));
    if (!block) return nullptr;
    if (size) std::memcpy(block, data, size);
    block[size] = block[size + 1] = 0;
    return block;
}

// UTF-16 units of a text block up to its terminator, never past the block's end.
std::u16string TextOfBlock(const void* block) {
    size_t units = LocalSize(block) / 2;
    const auto* p = static_cast<const char16_t*>(block);
    size_t n = 0;
    while (n < units && p[n]) ++n;
    return std::u16string(p, n);
}

std::string BytesOfBlock(const void* block) {
    size_t size = LocalSize(block);
    const auto* p = static_cast<const char*>(block);
    size_t n = 0;
    while (n < size && p[n]) ++n;
    return std::string(p, n);
}

// Other programs on the desktop end lines with LF; the clipboard's text ends them with CR LF.
std::string ToSystemText(const std::u16string& text) {
    std::u16string lf;
    for (size_t i = 0; i < text.size(); ++i)
        if (!(text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')) lf += text[i];
    return Utf16ToUtf8(lf);
}

std::u16string FromSystemText(const std::string& text) {
    std::u16string in = Utf8ToUtf16(text), out;
    for (size_t i = 0; i < in.size(); ++i) {
        if (in[i] == u'\n' && (i == 0 || in[i - 1] != u'\r')) out += u'\r';
        out += in[i];
    }
    return out;
}

void Publish() {
    Host* host = CurrentHost();
    if (!host) return;
    SystemClipboard out;
    auto& blocks = clip().blocks;
    if (auto it = blocks.find(CF_UNICODETEXT); it != blocks.end() && it->second) {
        out.hasText = true;
        out.text = ToSystemText(TextOfBlock(it->second));
    }
    UINT rtf = RegisterClipboardFormat(kRtfName);
    if (auto it = blocks.find(rtf); it != blocks.end() && it->second) {
        out.hasRtf = true;
        out.rtf = BytesOfBlock(it->second);
        // A program that takes only text gets the document's text next to the RTF.
        if (!out.hasText) {
            out.hasText = true;
            out.text = Utf16ToUtf8(RtfToText(out.rtf));
        }
    }
    if (out.hasText) out.hasLatin1 = ToLatin1(Utf8ToUtf16(out.text), &out.latin1);
    host->PublishClipboard(out);
}

// Whether the bytes are an RTF document (and not, say, plain text handed out under an RTF name).
bool IsRtfDocument(const std::string& bytes) {
    size_t i = 0;
    while (i < bytes.size() &&
           (bytes[i] == ' ' || bytes[i] == '\t' || bytes[i] == '\r' || bytes[i] == '\n'))
        ++i;
    return bytes.compare(i, 5, "{\\rtf") == 0;
}

// The clipboard form a format is exchanged in with other programs, or 0.
unsigned FormOf(UINT format) {
    if (format == CF_UNICODETEXT) return kClipboardText;
    if (format == RegisterClipboardFormat(kRtfName)) return kClipboardRtf;
    return 0;
}

// When another program owns the system clipboard, what it holds in the form replaces the
// program's own contents, which are no longer the clipboard's.
void FetchFromHost(unsigned form) {
    Clipboard& c = clip();
    Host* host = CurrentHost();
    SystemClipboard in;
    if (!host || !host->FetchClipboard(form, &in)) return;
    if (!c.foreign) FreeBlocks();
    c.foreign = true;
    if ((form & kClipboardText) && in.hasText) {
        std::u16string text = FromSystemText(in.text);
        if (void* b = BlockOf(text.data(), text.size() * 2)) c.blocks[CF_UNICODETEXT] = b;
    }
    if ((form & kClipboardRtf) && in.hasRtf && IsRtfDocument(in.rtf)) {
        if (void* b = BlockOf(in.rtf.data(), in.rtf.size()))
            c.blocks[RegisterClipboardFormat(kRtfName)] = b;
    }
}

}  // namespace

UINT RegisterClipboardFormat(LPCWSTR name) {
    if (!name || !*name) return 0;
    auto& names = clip().names;
    for (size_t i = 0; i < names.size(); ++i)
        if (EqualsIgnoringCase(names[i], name)) return kFirstRegistered + UINT(i);
    names.emplace_back(name);
    return kFirstRegistered + UINT(names.size() - 1);
}

int GetClipboardFormatName(UINT format, char16_t* buffer, int capacity) {
    auto& names = clip().names;
    if (format < kFirstRegistered || format - kFirstRegistered >= names.size() || !buffer ||
        capacity <= 0)
        return 0;
    const std::u16string& n = names[format - kFirstRegistered];
    int count = std::min<int>(int(n.size()), capacity - 1);
    std::memcpy(buffer, n.data(), size_t(count) * 2);
    buffer[count] = 0;
    return count;
}

BOOL OpenClipboard(HWND owner) {
    Clipboard& c = clip();
    if (c.open && c.owner != owner) return FALSE;
    if (!c.open) {
        c.open = true;
        c.owner = owner;
        c.changed = false;
        c.unread = kClipboardText | kClipboardRtf;
        c.foreign = false;
    }
    return TRUE;
}

BOOL CloseClipboard() {
    Clipboard& c = clip();
    if (!c.open) return FALSE;
    c.open = false;
    c.owner = nullptr;
    if (c.changed) Publish();
    c.changed = false;
    return TRUE;
}

BOOL EmptyClipboard() {
    if (!clip().open) return FALSE;
    FreeBlocks();
    clip().changed = true;
    clip().unread = 0;  // nothing of another program's is wanted any more
    return TRUE;
}

void* SetClipboardData(UINT format, void* block) {
    if (!clip().open || format == 0) return nullptr;
    auto& blocks = clip().blocks;
    if (auto it = blocks.find(format); it != blocks.end() && it->second != block)
        LocalFree(it->second);
    blocks[format] = block;
    clip().changed = true;
    clip().unread = 0;  // what the program sets is the clipboard's now
    return block;
}

void* GetClipboardData(UINT format) {
    Clipboard& c = clip();
    if (!c.open) return nullptr;
    if (unsigned form = FormOf(format); form & c.unread) {
        c.unread &= ~form;
        FetchFromHost(form);
    }
    auto it = clip().blocks.find(format);
    return it == clip().blocks.end() ? nullptr : it->second;
}

BOOL IsClipboardFormatAvailable(UINT format) {
    auto it = clip().blocks.find(format);
    return it != clip().blocks.end() && it->second;
}

void ResetClipboard() {
    FreeBlocks();
    clip() = Clipboard{};
}

void SetPrimarySelection(const std::u16string& text) {
    if (Host* host = CurrentHost()) host->PublishPrimary(ToSystemText(text));
}
