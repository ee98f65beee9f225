#pragma once
// A white canvas window on the headless screen, its DC, and the synthetic face at FontSize 16,
// for tests that lay out and paint on their own (the text panes and the index view). With that
// size the synthetic style font 1 has cell height 16, ascent 12, letters 8 wide (Hebrew letters
// and ASCII alike), spaces 4, vowel points 0 and maxCharWidth 16; the bold style 9 has letters
// 9 wide and spaces 5.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/gdi/gdi.h"
#include "platform/heap.h"
#include "platform/user/user.h"
#include "reader/app_state.h"
#include "support/headless.h"
#include "text/convert.h"

// A copy of these bytes in a heap block, for a pane or view to take over.
inline uint8_t* HeapList(const std::vector<uint8_t>& bytes) {
    auto* list = static_cast<uint8_t*>(HeapAllocBlock(bytes.size()));
    std::memcpy(list, bytes.data(), bytes.size());
    return list;
}

class CanvasFixture : public ::testing::Test {
protected:
    void SetUp() override {
        ResetAppState();
        SetHeapFailure(0);
        App.Font.FontAsciiBase = kUnicodeOutput;
        window = CreateWhiteWindow(u"Canvas", DefWindowProc);
        screen.Settle();
        dc = GetDC(window);
        const char16_t face[] = u"Synthetic";
        std::memcpy(font.FaceName, face, sizeof face);
        font.FontSize = 16;
        font.FontAsciiBase = kUnicodeOutput;
    }
    void TearDown() override {
        SetHeapFailure(0);
        ReleaseDC(window, dc);
    }
    uint32_t Px(int x, int y) { return screen.host().Pixel(x, y); }
    bool Dark(int x, int y) { return GetPixel(dc, x, y) != RGB(255, 255, 255); }

    HeadlessScreen screen;
    HWND window = nullptr;
    HDC dc = nullptr;
    FontRecord font{};
};
