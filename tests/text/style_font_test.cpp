// Style fonts: heights and weights per key, colours, lazy width tables, and measuring.
#include "text/style_font.h"

#include "text_fixture.h"

namespace {

class StyleFontTest : public TextFixture {
protected:
    LOGFONT Selected(uint16_t request) {
        HGDIOBJ before = SelectStyleFont(pane, request);
        HGDIOBJ now = SelectObject(dc, before);
        LOGFONT lf{};
        GetObject(now, sizeof lf, &lf);
        return lf;
    }
};

TEST_F(StyleFontTest, HeightAndWeightFollowTheKey) {
    MakePane(0, 0, 100, 100);
    EXPECT_EQ(Selected(0x01).lfHeight, 16);
    EXPECT_EQ(Selected(0x04).lfHeight, 20);
    EXPECT_EQ(Selected(0x02).lfHeight, 12);
    EXPECT_EQ(Selected(0x06).lfHeight, 20);  // 0x04 wins over 0x02
    EXPECT_EQ(Selected(0x08).lfWeight, 700);
    EXPECT_EQ(Selected(0x01).lfWeight, 400);
    EXPECT_EQ(std::u16string(Selected(0x01).lfFaceName), u"Synthetic");
    DestroyTextPane(pane, true);
    font.FontSize = 0;
    MakePane(0, 0, 100, 100);
    EXPECT_EQ(Selected(0x04).lfHeight, 20);
    EXPECT_EQ(Selected(0x02).lfHeight, 14);
    EXPECT_EQ(Selected(0x11).lfHeight, 0);
}

TEST_F(StyleFontTest, ColourRequestsAndHeadingColour) {
    MakePane(0, 0, 100, 100);
    SetTextColor(dc, RGB(1, 2, 3));
    SelectObject(dc, SelectStyleFont(pane, 0x0C));  // no colour request: unchanged
    EXPECT_EQ(GetTextColor(dc), RGB(1, 2, 3));
    SelectObject(dc, SelectStyleFont(pane, 0x10C));
    EXPECT_EQ(GetTextColor(dc), RGB(0, 0, 255));
    SelectObject(dc, SelectStyleFont(pane, 0x104));
    EXPECT_EQ(GetTextColor(dc), RGB(0, 0, 0));
    SelectObject(dc, SelectStyleFont(pane, 0x20D));
    EXPECT_EQ(GetTextColor(dc), RGB(0, 0, 255));
    SelectObject(dc, SelectStyleFont(pane, 0x108));
    EXPECT_EQ(GetTextColor(dc), RGB(0, 0, 0));
}

TEST_F(StyleFontTest, WidthTableIsMeasuredLazilyAndAgainAfterAFontChange) {
    MakePane(0, 0, 100, 100);
    SelectObject(dc, SelectStyleFont(pane, 0x01));
    ASSERT_NE(pane->widths, nullptr);
    const uint16_t* w = pane->widths->width;
    EXPECT_EQ(w[0x61 - 0x10], 8);  // alef
    EXPECT_EQ(w[0x20 - 0x10], 4);  // space
    EXPECT_EQ(w[0x10 - 0x10], 8);  // a pair is measured by its letter
    EXPECT_EQ(w[0x16 - 0x10], 0);  // points are 0
    EXPECT_EQ(w[0x7E - 0x10], 8);
    StyleFont* node = pane->styleFonts;
    font.FontSize = 20;
    SetPaneFont(pane, &font);  // no text: layout says 2, so 1
    EXPECT_EQ(node->widths.width[0], kUnmeasuredFirst);
    EXPECT_EQ(node->widths.width[1], kUnmeasuredSecond);
    SelectObject(dc, SelectStyleFont(pane, 0x01));
    EXPECT_EQ(pane->styleFonts, node);  // the same node, measured again
    EXPECT_EQ(node->widths.width[0x61 - 0x10], 10);
}

TEST_F(StyleFontTest, SetPaneFontResults) {
    MakePane(0, 0, 100, 100);
    EXPECT_EQ(SetPaneFont(pane, &font), 1);  // nothing to lay out
    ASSERT_EQ(LayoutText(pane, MakeList({{0x81, 0, "ab"}}), true), kLayoutDone);
    font.FontSize = 20;
    EXPECT_EQ(SetPaneFont(pane, &font), 0);
    EXPECT_EQ(pane->lines[0].width, 20);
    EXPECT_EQ(pane->lines[0].height, 20);
    EXPECT_EQ(SetPaneFont(pane, nullptr), 0);
    for (StyleFont* n = pane->styleFonts; n; n = n->next) EXPECT_EQ(n->font, nullptr);
    EXPECT_EQ(SetPaneFont(nullptr, &font), -1);
}

TEST_F(StyleFontTest, MeasureFitByTable) {
    WidthTable t{};
    for (auto& w : t.width) w = 8;
    t.width[0x20 - 0x10] = 4;
    const uint8_t* text = reinterpret_cast<const uint8_t*>(
        "\x16\x05"
        "ab c");
    int32_t extent = 0, count = 6;
    MeasureFitByTable(&t, text, &extent, &count);
    EXPECT_EQ(count, 2);  // leading point and control byte have no width
    EXPECT_EQ(extent, 0);
    extent = 20, count = 6;
    MeasureFitByTable(&t, text, &extent, &count);
    EXPECT_EQ(count, 5);  // a b space = 20
    EXPECT_EQ(extent, 20);
    extent = 100, count = 3;
    MeasureFitByTable(&t, text, &extent, &count);
    EXPECT_EQ(count, 3);
    EXPECT_EQ(extent, 8);
    extent = 50, count = 4;
    MeasureFitByTable(nullptr, text, &extent, &count);
    EXPECT_EQ(extent, 0);
    EXPECT_EQ(count, 4);
}

TEST_F(StyleFontTest, MeasureFitCountsBytesNotCodeUnits) {
    MakePane(0, 0, 100, 100);
    HGDIOBJ before = SelectStyleFont(pane, 0x01);
    // 0x10 is qamats + final kaf: two units, 8 pixels. "a", 0x10, "b" in 17 pixels: 2 bytes.
    const uint8_t* text = reinterpret_cast<const uint8_t*>(
        "a\x10"
        "b");
    int32_t extent = 17, count = 3;
    MeasureFit(dc, text, &extent, &count);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(extent, 16);
    // Single-byte output drops the point: "a", point, "b", "c" in 16 pixels is 3 bytes.
    App.Font.FontAsciiBase = 224;
    const uint8_t* pointed = reinterpret_cast<const uint8_t*>(
        "a\x16"
        "bc");
    extent = 16, count = 4;
    MeasureFit(dc, pointed, &extent, &count);
    EXPECT_EQ(count, 3);
    EXPECT_EQ(extent, 16);
    // Reverse is for drawing: fitting still counts from the first byte.
    App.Flags = 0x800;
    const uint8_t* mixed = reinterpret_cast<const uint8_t*>("a   ");  // 8 + 4 + 4 + 4
    extent = 12, count = 4;
    MeasureFit(dc, mixed, &extent, &count);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(extent, 12);
    SelectObject(dc, before);
}

}  // namespace
