#pragma once
// An index view on a white canvas of the headless screen, with the synthetic font at FontSize 16:
// style 1 lines are 16 pixels high, letters ('a'-'z' are Hebrew letters in BookText) 8 wide,
// spaces 4; the bold heading style 9 has letters 9 wide and spaces 5.
#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

#include "index/index_outline.h"
#include "index/index_view.h"
#include "platform/gdi.h"
#include "platform/heap.h"
#include "platform/resources.h"
#include "platform/user.h"
#include "resources/program_resources.h"
#include "shell/app_state.h"
#include "shell/settings.h"
#include "support/headless.h"
#include "text/convert.h"

struct IndexRec {
    uint16_t key;
    uint8_t style;
    uint8_t indent;
    std::string text;  // stored bytes
};

// The bytes of an index RecordList with its five-byte end record.
inline std::vector<uint8_t> IndexBytes(std::initializer_list<IndexRec> records) {
    std::vector<uint8_t> out;
    for (const IndexRec& r : records) {
        out.push_back(uint8_t(r.key & 0xFF));
        out.push_back(uint8_t(r.key >> 8));
        out.push_back(r.style);
        out.push_back(r.indent);
        out.insert(out.end(), r.text.begin(), r.text.end());
        out.push_back(0);
    }
    out.insert(out.end(), 5, 0);
    return out;
}

// The same list in a heap block, for a view to take over.
inline uint8_t* HeapList(const std::vector<uint8_t>& bytes) {
    auto* list = static_cast<uint8_t*>(HeapAllocBlock(bytes.size()));
    std::memcpy(list, bytes.data(), bytes.size());
    return list;
}

inline uint8_t* MakeIndex(std::initializer_list<IndexRec> records) {
    return HeapList(IndexBytes(records));
}

inline LRESULT IndexCanvasProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    return DefWindowProc(w, msg, wp, lp);
}

class IndexFixture : public ::testing::Test {
protected:
    void SetUp() override {
        ResetAppState();
        ResetSettingsState();
        SetHeapFailure(0);
        RegisterProgramResources();
        App.Font.FontAsciiBase = kUnicodeOutput;
        for (int i = 0; i < 3; ++i)
            App.MarkerBitmaps[i] = LoadBitmap(ProgramInstance(), WORD(201 + i));
        window = CreateWhiteWindow(u"IndexCanvas", IndexCanvasProc);
        screen.Settle();
        dc = GetDC(window);
        font = FontRecord{};
        const char16_t face[] = u"Synthetic";
        std::memcpy(font.FaceName, face, sizeof face);
        font.FontSize = 16;
        font.FontAsciiBase = kUnicodeOutput;
    }
    void TearDown() override {
        SetHeapFailure(0);
        DestroyIndexView(view, true);
        ReleaseDC(window, dc);
        for (HBITMAP& b : App.MarkerBitmaps) {
            DeleteObject(b);
            b = nullptr;
        }
    }
    // A view at left, top of width x height with an initial table of 100 lines.
    IndexView* NewView(int left, int top, int width, int height) {
        DestroyIndexView(view, true);
        RECT r{left, top, left + width, top + height};
        view = CreateIndexView(dc, &r, &font, 100);
        return view;
    }
    const IndexLine& Line(int i) { return view->lines[i]; }
    int32_t Margin(int i) { return IndexLineMargin(view, view->lines[i]); }
    bool Shown(int i) { return (view->lines[i].flags & kIndexShown) != 0; }
    bool Open(int i) { return (view->lines[i].flags & kIndexOpen) != 0; }
    bool Dark(int x, int y) { return GetPixel(dc, x, y) != RGB(255, 255, 255); }
    // The marker whose top-left corner is at x, y: '+', '-', 'p' (page) or ' ' (none).
    char MarkerAt(int x, int y) {
        bool any = false;
        for (int dy = 0; dy < 9; ++dy)
            for (int dx = 0; dx < 9; ++dx) any = any || Dark(x + dx, y + dy);
        if (!any) return ' ';
        if (Dark(x, y) && Dark(x + 4, y + 2)) return '+';
        if (Dark(x, y) && Dark(x + 4, y + 4)) return '-';
        if (!Dark(x, y) && Dark(x + 1, y)) return 'p';
        return '?';
    }
    // Empties the message queue (a shutdown after a failed allocation posts the quit request).
    void DrainQueue() {
        MSG m;
        while (PeekMessage(&m, nullptr, 0, 0, PM_REMOVE)) {
        }
    }

    HeadlessScreen screen;
    HWND window = nullptr;
    HDC dc = nullptr;
    FontRecord font{};
    IndexView* view = nullptr;
};
