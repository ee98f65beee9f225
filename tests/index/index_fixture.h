#pragma once
// An index view on the canvas; index record lists built from (EntryKey, StyleFlags, indent byte,
// stored bytes). Style 1 lines are 16 pixels high; 'a'-'z' are Hebrew letters in BookText.
#include <string>

#include "index/index_outline.h"
#include "index/index_view.h"
#include "platform/resources.h"
#include "reader/settings.h"
#include "resources/program_resources.h"
#include "support/canvas_fixture.h"

struct IndexRec {
    uint16_t key;
    uint8_t style;
    uint8_t indent;
    std::string text;  // stored bytes
};

// The bytes of an index RecordList with its five-byte end record.
inline std::vector<uint8_t> IndexBytes(const std::vector<IndexRec>& records) {
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

// The bytes of n records, record i being make(i), with one end record.
template <typename Make>
std::vector<uint8_t> ManyIndexBytes(int n, Make make) {
    std::vector<uint8_t> bytes;
    for (int i = 0; i < n; ++i) {
        auto one = IndexBytes({make(i)});
        bytes.insert(bytes.end(), one.begin(), one.end() - 5);
    }
    bytes.insert(bytes.end(), 5, 0);
    return bytes;
}

inline uint8_t* MakeIndex(const std::vector<IndexRec>& records) {
    return HeapList(IndexBytes(records));
}

class IndexFixture : public CanvasFixture {
protected:
    void SetUp() override {
        CanvasFixture::SetUp();
        ResetSettingsState();
        RegisterProgramResources();
        for (int i = 0; i < 3; ++i)
            App.MarkerBitmaps[i] = LoadBitmap(ProgramInstance(), WORD(201 + i));
    }
    void TearDown() override {
        DestroyIndexView(view, true);
        for (HBITMAP& b : App.MarkerBitmaps) {
            DeleteObject(b);
            b = nullptr;
        }
        CanvasFixture::TearDown();
    }
    // A view at left, top of width x height with an initial table of 100 lines.
    IndexView* NewView(int left, int top, int width, int height) {
        DestroyIndexView(view, true);
        RECT r{left, top, left + width, top + height};
        view = CreateIndexView(dc, &r, &font, 100);
        return view;
    }
    // A new view of width x height at (left, 0) with these records laid out; false when the
    // layout fails.
    bool LayOut(int width, int height, const std::vector<IndexRec>& records, int left = 0) {
        NewView(left, 0, width, height);
        return LayoutIndex(view, MakeIndex(records), false) == kIndexLaidOut;
    }
    // The shown bit of every line, in order.
    std::vector<bool> ShownLines() {
        std::vector<bool> shown;
        for (int i = 0; view->lines[i].flags; ++i) shown.push_back(Shown(i));
        return shown;
    }
    const IndexLine& Line(int i) { return view->lines[i]; }
    int32_t Margin(int i) { return IndexLineMargin(view, view->lines[i]); }
    bool Shown(int i) { return (view->lines[i].flags & kIndexShown) != 0; }
    bool Open(int i) { return (view->lines[i].flags & kIndexOpen) != 0; }
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

    IndexView* view = nullptr;
};
