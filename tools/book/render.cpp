// Lays out one article container with the reader's own text engine, in a real font on a
// headless screen, and writes the screen as a PNG: a page as the reader would show it, for book
// authors who want to see their text without running the reader.
#include "render.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>

#include "book_files.h"
#include "platform/gdi/gdi.h"
#include "platform/heap.h"
#include "platform/host/host_headless.h"
#include "platform/services/shell_services.h"
#include "platform/user/user.h"
#include "reader/app_state.h"
#include "store/record_list.h"
#include "text/layout.h"
#include "text/paint.h"
#include "text/style_font.h"

namespace {

// The pane keeps this many pixels from the screen's edges, as the reader's panes do.
constexpr int kGutter = 3;
constexpr char16_t kDefaultFace[] = u"Frank Ruehl CLM";

struct RenderOptions {
    std::string container;
    std::string out;
    int width = 240;
    int height = 320;
    std::u16string face = kDefaultFace;
    int fontHeight = 0;
    int base = 1488;
    int firstRow = 0;
};

bool ParseNumber(const std::string& text, int* out) {
    char* end = nullptr;
    long v = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end || v < 0 || v > 65535) return false;
    *out = int(v);
    return true;
}

std::u16string Widen(const std::string& utf8) {
    // Face names are ASCII in practice; anything else is passed through byte by byte.
    std::u16string out;
    for (unsigned char c : utf8) out.push_back(c);
    return out;
}

std::optional<RenderOptions> Parse(const std::vector<std::string>& args) {
    RenderOptions o;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        bool hasValue = i + 1 < args.size();
        const std::string value = hasValue ? args[i + 1] : std::string();
        if (a == "--size" && hasValue) {
            if (std::sscanf(value.c_str(), "%dx%d", &o.width, &o.height) != 2 || o.width < 16 ||
                o.height < 16 || o.width > 4096 || o.height > 4096) {
                std::fprintf(stderr, "render: --size wants WxH, 16 to 4096 each\n");
                return std::nullopt;
            }
        } else if (a == "--face" && hasValue) {
            o.face = Widen(value);
            if (o.face.size() >= 32) {
                std::fprintf(stderr, "render: --face takes at most 31 characters\n");
                return std::nullopt;
            }
        } else if (a == "--height" && hasValue) {
            if (!ParseNumber(value, &o.fontHeight) || o.fontHeight > 200) {
                std::fprintf(stderr, "render: --height wants 0 to 200\n");
                return std::nullopt;
            }
        } else if (a == "--base" && hasValue) {
            if (!ParseNumber(value, &o.base) || (o.base != 1488 && o.base != 224 && o.base != 97)) {
                std::fprintf(stderr, "render: --base wants 1488, 224 or 97\n");
                return std::nullopt;
            }
        } else if (a == "--first-row" && hasValue) {
            if (!ParseNumber(value, &o.firstRow)) {
                std::fprintf(stderr, "render: --first-row wants 0 to 65535\n");
                return std::nullopt;
            }
        } else if (a == "--out" && hasValue) {
            o.out = value;
        } else if (!a.starts_with("--") && o.container.empty()) {
            o.container = a;
            continue;
        } else {
            std::fprintf(stderr, "render: unexpected argument %s\n", a.c_str());
            return std::nullopt;
        }
        ++i;
    }
    if (o.container.empty() || o.out.empty()) {
        std::fprintf(stderr, "render: a CONTAINER and --out FILE.png are needed\n");
        return std::nullopt;
    }
    return o;
}

LRESULT PageProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    return DefWindowProc(w, msg, wp, lp);
}

void RunQueue() {
    MSG m;
    while (PeekMessage(&m, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&m);
        DispatchMessage(&m);
    }
}

}  // namespace

int RenderCommand(const std::vector<std::string>& args) {
    std::optional<RenderOptions> parsed = Parse(args);
    if (!parsed) return 2;
    const RenderOptions& o = *parsed;
    std::optional<std::string> bytes = ReadWholeFile(o.container);
    if (!bytes) {
        std::fprintf(stderr, "render: %s: cannot be read\n", o.container.c_str());
        return 1;
    }
    uint8_t* list = UnpackContainer(reinterpret_cast<const uint8_t*>(bytes->data()), bytes->size(),
                                    RecordLayout::Article);
    if (!list) {
        std::fprintf(stderr, "render: %s: not an article container\n", o.container.c_str());
        return 1;
    }

    HeadlessHost host(o.width, o.height);
    CreateShellWindows();
    App.Font = FontRecord{};
    std::memcpy(App.Font.FaceName, o.face.c_str(), (o.face.size() + 1) * sizeof(char16_t));
    App.Font.FontSize = o.fontHeight;
    App.Font.FontAsciiBase = o.base;
    App.Flags = 0;

    WNDCLASS wc{};
    wc.lpfnWndProc = PageProc;
    wc.lpszClassName = u"OrvanelPage";
    wc.hbrBackground = GetStockObject(WHITE_BRUSH);
    RegisterClass(&wc);
    HWND page = CreateWindowEx(0, u"OrvanelPage", u"", WS_VISIBLE, 0, 0, o.width, o.height, nullptr,
                               nullptr, nullptr, nullptr);
    RunQueue();
    HDC dc = GetDC(page);
    RECT area{kGutter, kGutter, o.width - kGutter, o.height - kGutter};
    TextPane* pane = CreateTextPane(dc, &area, &App.Font, 100);
    int status = 0;
    uint16_t code = pane ? LayoutText(pane, list, true) : kLayoutNoMemory;
    if (!pane) HeapFreeBlock(list);
    if (code != kLayoutDone) {
        std::fprintf(stderr, "render: the layout failed with code 0x%04X\n", code);
        status = 1;
    } else {
        pane->firstRow = uint16_t(o.firstRow);
        PaintPane(pane, true);
        if (!host.SavePng(o.out)) {
            std::fprintf(stderr, "render: %s: cannot be written\n", o.out.c_str());
            status = 1;
        } else {
            std::printf("%s: %u lines, %u rows, maxFirstRow %u; %d rows painted from row %u\n",
                        o.out.c_str(), unsigned(pane->lineCount), unsigned(pane->rowCount),
                        unsigned(pane->maxFirstRow), int(pane->rowsPainted),
                        unsigned(pane->firstRow));
        }
    }
    DestroyTextPane(pane, true);
    ReleaseDC(page, dc);
    DestroyWindow(page);
    return status;
}
