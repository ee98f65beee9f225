// Puts text or RTF on the clipboard through the desktop host, or prints what the clipboard
// holds, so the system clipboard can be checked against another program (xclip).
//   clipboard_probe copy text|rtf CONTENT   copies, then serves requests for 20 seconds
//   clipboard_probe paste text|rtf          prints the contents (UTF-8 text or RTF bytes)
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/heap.h"
#include "platform/host/host_gtk.h"
#include "platform/unicode.h"
#include "platform/user/clipboard.h"

int main(int argc, char** argv) {
    if (argc < 3) return 2;
    auto host = GtkHost::Create(GtkHostOptions{});
    if (!host) return 1;
    std::string mode = argv[1], form = argv[2];
    UINT rtf = RegisterClipboardFormat(u"Rich Text Format");
    if (mode == "copy" && argc == 4) {
        if (!OpenClipboard(nullptr)) return 1;
        EmptyClipboard();
        std::string content = argv[3];
        if (form == "rtf") {
            auto* b = static_cast<char*>(LocalAlloc(LMEM_MOVEABLE, content.size() + 1));
            std::memcpy(b, content.c_str(), content.size() + 1);
            SetClipboardData(rtf, b);
        } else {
            std::u16string text = Utf8ToUtf16(content);
            auto* b = static_cast<char16_t*>(LocalAlloc(LMEM_MOVEABLE, (text.size() + 1) * 2));
            std::memcpy(b, text.c_str(), (text.size() + 1) * 2);
            SetClipboardData(CF_UNICODETEXT, b);
        }
        CloseClipboard();
        std::puts("copied");
        std::fflush(stdout);
        for (int i = 0; i < 2000; ++i) {
            host->WaitForInput();  // serves other programs' requests
        }
        return 0;
    }
    if (mode == "paste") {
        if (!OpenClipboard(nullptr)) return 1;
        const void* data = GetClipboardData(form == "rtf" ? rtf : CF_UNICODETEXT);
        if (!data) return 3;
        if (form == "rtf")
            std::fputs(static_cast<const char*>(data), stdout);
        else
            std::fputs(Utf16ToUtf8(static_cast<const char16_t*>(data)).c_str(), stdout);
        CloseClipboard();
        return 0;
    }
    return 2;
}
