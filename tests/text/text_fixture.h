#pragma once
// A text pane on the canvas, and record lists built from (StyleFlags, indent byte, stored bytes)
// triples.
#include <string>

#include "support/canvas_fixture.h"
#include "text/layout.h"
#include "text/text_pane.h"

struct Rec {
    uint8_t style;
    uint8_t indent;
    std::string bytes;
};

// A RecordList in heap memory (the pane frees it), ending with a zero StyleFlags byte.
inline uint8_t* MakeList(const std::vector<Rec>& records) {
    std::vector<uint8_t> out;
    for (const Rec& r : records) {
        out.push_back(r.style);
        out.push_back(r.indent);
        out.insert(out.end(), r.bytes.begin(), r.bytes.end());
        out.push_back(0);
    }
    out.insert(out.end(), 3, 0);
    return HeapList(out);
}

class TextFixture : public CanvasFixture {
protected:
    void SetUp() override {
        CanvasFixture::SetUp();
        App.Flags = 0;
    }
    void TearDown() override {
        if (pane) DestroyTextPane(pane, true);
        ReleaseConvertCache(SharedConvertCache());
        ReleaseLayoutScratch();
        CanvasFixture::TearDown();
    }
    TextPane* MakePane(int left, int top, int width, int height, uint16_t capacity = 100) {
        RECT r{left, top, left + width, top + height};
        pane = CreateTextPane(dc, &r, &font, capacity);
        return pane;
    }

    // A new pane at (left, top) with these records laid out; false when the layout fails.
    bool LayOut(int left, int top, int width, int height, const std::vector<Rec>& records) {
        return LayoutText(MakePane(left, top, width, height), MakeList(records), true) ==
               kLayoutDone;
    }

    TextPane* pane = nullptr;
};
// Compares one line entry field by field, so that a failure names the field.
#define EXPECT_LINE(entry, off, cnt, xx, label, w, h, st) \
    do {                                                  \
        const LineEntry& e_ = (entry);                    \
        EXPECT_EQ(e_.offset, off) << "offset";            \
        EXPECT_EQ(e_.count, cnt) << "count";              \
        EXPECT_EQ(e_.x, xx) << "x";                       \
        EXPECT_EQ(e_.labelWidth, label) << "labelWidth";  \
        EXPECT_EQ(e_.width, w) << "width";                \
        EXPECT_EQ(e_.height, h) << "height";              \
        EXPECT_EQ(e_.style, st) << "style";               \
    } while (0)
