// The banner that names the article (its title and subtitle) at the bottom of a pane after a
// search hit. It stands over the text until the next paint.
#include <algorithm>
#include <cstring>

#include "store/records.h"
#include "text/paint.h"
#include "text/style_font.h"

namespace {

constexpr uint8_t kTitleStyle = 0xDC;
constexpr uint8_t kSubtitleStyle = 0xD1;
// A smaller font, with a colour request whose key is not the heading's: black.
constexpr uint16_t kBannerRequest = 0x302;

struct Heading {
    const uint8_t* text = nullptr;
    int32_t count = 0;
    int32_t width = 0;
};

}  // namespace

void DrawHitBanner(TextPane* pane, const char16_t* note) {
    if (!pane || !pane->text) return;
    const uint8_t* first = pane->text;
    Heading title, subtitle;
    const uint8_t* next = first;
    if (!IsArticleListEnd(first) && ArticleRecordStyle(first) == kTitleStyle) {
        title.text = ArticleRecordText(first);
        next = NextArticleRecord(first);
    }
    if (!IsArticleListEnd(next) && ArticleRecordStyle(next) == kSubtitleStyle) {
        subtitle.text = ArticleRecordText(next);
    }
    if (!title.text && !subtitle.text) return;

    HDC surface = pane->surface;
    COLORREF oldText = GetTextColor(surface);
    HGDIOBJ before = SelectStyleFont(pane, kBannerRequest);
    const int32_t rows = (title.text && subtitle.text) ? 2 : 1;
    // The note goes on a line of its own below the headings, cut to the pane's width.
    int32_t noteUnits = 0, noteWidth = 0;
    while (note && note[noteUnits]) ++noteUnits;
    if (noteUnits) {
        SIZE size{};
        int fit = noteUnits;
        GetTextExtentExPoint(surface, note, noteUnits, pane->width, &fit, nullptr, &size);
        noteUnits = fit;
        GetTextExtentPoint32(surface, note, noteUnits, &size);
        noteWidth = size.cx;
    }
    const int32_t lines = rows + (noteUnits ? 1 : 0);
    TEXTMETRIC tm{};
    GetTextMetrics(surface, &tm);
    const int32_t H = tm.tmHeight;
    int oldMode = SetBkMode(surface, OPAQUE);
    for (Heading* h : {&title, &subtitle}) {
        if (!h->text) continue;
        h->count = int32_t(std::strlen(reinterpret_cast<const char*>(h->text)));
        h->width = pane->width;
        MeasureFit(surface, h->text, &h->width, &h->count);
    }

    int32_t boxWidth =
        std::min(std::max({title.width, subtitle.width, noteWidth}) + 2 * H + 8, pane->width);
    RECT box;
    box.left = pane->left + (pane->width - boxWidth) / 2;
    box.right = box.left + boxWidth;
    box.bottom = pane->top + pane->height - 2;
    box.top = pane->top + pane->height - lines * H - 12;
    // A hit on the article's last lines cannot be scrolled to the top: the box goes to the top
    // of the pane instead of covering it.
    int32_t markTop = 0, markBottom = 0;
    if (ShownBand(pane, pane->markStart, pane->markEnd, &markTop, &markBottom) &&
        markBottom > box.top && markTop < box.bottom) {
        const int32_t boxHeight = box.bottom - box.top;
        box.top = pane->top + 2;
        box.bottom = box.top + boxHeight;
    }
    DrawFrame(surface, &box, RGB(255, 0, 0), 2);
    DrawFrame(surface, &box, RGB(255, 255, 255), 1);
    DrawFrame(surface, &box, RGB(0, 0, 255), 2);
    if (HBRUSH yellow = CreateSolidBrush(kHighlightBack)) {
        FillRect(surface, &box, yellow);
        DeleteObject(yellow);
    }
    int32_t y = box.top;
    for (const Heading* h : {&title, &subtitle}) {
        if (!h->text) continue;
        int32_t x = box.left + (box.right - box.left - h->width) / 2;
        DrawColoured(surface, h->text, h->count, x, y, h->width, H, kBannerText, kHighlightBack);
        y += H;
    }
    if (noteUnits) {
        const int32_t x = box.left + (box.right - box.left - noteWidth) / 2;
        RECT clip{x, y, x + noteWidth, y + H};
        SetTextColor(surface, kBannerText);
        const COLORREF oldBack = SetBkColor(surface, kHighlightBack);
        ExtTextOut(surface, x, y, ETO_CLIPPED | ETO_OPAQUE, &clip, note, UINT(noteUnits), nullptr);
        SetBkColor(surface, oldBack);
    }
    SelectObject(surface, before);
    SetBkMode(surface, oldMode);
    SetTextColor(surface, oldText);
}
