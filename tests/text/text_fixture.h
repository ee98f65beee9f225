#pragma once
// A canvas window on the headless screen with the synthetic font, a pane on its DC, and record
// lists built from (StyleFlags, indent byte, stored bytes) triples.
//
// With FontSize 16 the synthetic style font 1 has cell height 16, ascent 12, letters 8 wide
// (Hebrew letters and ASCII alike), spaces 4, vowel points 0 and maxCharWidth 16.
#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

#include "platform/gdi.h"
#include "platform/heap.h"
#include "platform/user.h"
#include "shell/app_state.h"
#include "support/headless.h"
#include "text/convert.h"
#include "text/layout.h"
#include "text/text_pane.h"

struct Rec {
    uint8_t style;
    uint8_t indent;
    std::string bytes;
};

// A RecordList in heap memory (the pane frees it), ending with a zero StyleFlags byte.
inline uint8_t* MakeList(std::initializer_list<Rec> records) {
    std::vector<uint8_t> out;
    for (const Rec& r : records) {
        out.push_back(r.style);
        out.push_back(r.indent);
        out.insert(out.end(), r.bytes.begin(), r.bytes.end());
        out.push_back(0);
    }
    out.push_back(0);
    out.push_back(0);
    out.push_back(0);
    auto* list = static_cast<uint8_t*>(HeapAllocBlock(out.size()));
    std::memcpy(list, out.data(), out.size());
    return list;
}

inline LRESULT CanvasProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    return DefWindowProc(w, msg, wp, lp);
}

class TextFixture : public ::testing::Test {
protected:
    void SetUp() override {
        ResetAppState();
        App.Font.FontAsciiBase = kUnicodeOutput;
        App.Flags = 0;
        window = CreateWhiteWindow(u"TextCanvas", CanvasProc);
        screen.Settle();
        dc = GetDC(window);
        font = FontRecord{};
        const char16_t face[] = u"Synthetic";
        std::memcpy(font.FaceName, face, sizeof face);
        font.FontSize = 16;
        font.FontAsciiBase = kUnicodeOutput;
    }
    void TearDown() override {
        if (pane) DestroyTextPane(pane, true);
        ReleaseConvertCache(SharedConvertCache());
        ReleaseLayoutScratch();
        SetHeapFailure(0);
        ReleaseDC(window, dc);
    }
    TextPane* MakePane(int left, int top, int width, int height, uint16_t capacity = 100) {
        RECT r{left, top, left + width, top + height};
        pane = CreateTextPane(dc, &r, &font, capacity);
        return pane;
    }
    uint32_t Px(int x, int y) { return screen.host().Pixel(x, y); }

    HeadlessScreen screen;
    HWND window = nullptr;
    HDC dc = nullptr;
    FontRecord font{};
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
