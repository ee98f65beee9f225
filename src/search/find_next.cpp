#include "search/find_next.h"

#include <algorithm>

#include "bookmarks/bookmarks.h"
#include "platform/heap.h"
#include "search/matcher.h"
#include "shell/app_state.h"
#include "shell/navigation.h"
#include "shell/panes.h"
#include "store/record_list.h"
#include "text/layout.h"
#include "text/paint.h"
#include "text/scroll.h"
#include "text/style_font.h"
#include "text/text_pane.h"

namespace {

constexpr int kRepaintAllKeepTop = 255;  // everything, the top pane not erased first

bool IsEven(int article) {
    return article % 2 == 0;
}

// Makes the pair that holds `article` current and hands the list to the pane that shows it.
// Returns the pane, or nullptr when there is no pane to take the list (the list is freed).
TextPane* ShowArticleOfHit(HWND owner, int startArticle, int article, uint8_t* list) {
    SelectLesson(article);
    if (!IsEven(article)) {
        App.ActivePane = App.TopPane;
        App.ActiveScrollBar = App.TopScrollBar;
        if (startArticle != article && startArticle != article + 1) LoadBottomArticle(owner);
    } else {
        App.Lesson = uint16_t(article - 1);
        App.ActivePane = App.BottomPane;
        App.ActiveScrollBar = App.BottomScrollBar;
        // The reload repaints; it paints the main window whoever owns the search (the Search
        // dialog must not receive the bottom section's frame). It shows no message.
        if (startArticle != article - 1 && startArticle != article)
            GoToArticle(App.MainWindow, kReloadArticle);
    }
    TextPane* pane = App.ActivePane;
    uint16_t laid = LayoutText(pane, list, true);
    if (laid == kLayoutNoPane || laid == kLayoutBadList) {
        HeapFreeBlock(list);
        return nullptr;
    }
    return pane;
}

void ShowHit(TextPane* pane, uint16_t offset, uint16_t length) {
    ScrollToOffset(pane, offset);
    RepaintPanes(App.MainWindow, kPaintAll);
    pane->markStart = uint16_t(offset - length + 1);
    pane->markEnd = uint16_t(offset + 1);
    RepaintPanes(App.MainWindow, kRepaintAllKeepTop);
    UpdateBookmarkCheck(1);
    DrawHitBanner(pane);
}

}  // namespace

BookHit SearchBook(const uint8_t* pattern, const uint8_t* paneText, uint16_t startOffset,
                   int startArticle, bool skipEvenArticles) {
    BookHit hit;
    if (!pattern || !pattern[0]) return hit;
    if (paneText) {
        hit.offset = SearchArticleText(paneText, startOffset, pattern, &hit.length);
        if (hit.offset) {
            hit.place = HitPlace::StartArticle;
            hit.article = startArticle;
            return hit;
        }
    }
    // At most one round: a start article outside 1-26 (the bottom pane of article 26 shows
    // none) is never met again, so the count ends the walk.
    for (int i = startArticle, visited = 0; visited < kLastArticle; ++visited) {
        if (++i > kLastArticle) i = kFirstArticle;
        if (i == startArticle) break;
        // Without a bottom section the even articles are never shown, so they are not searched;
        // the check against the start article comes first, so the walk always ends.
        if (skipEvenArticles && IsEven(i)) continue;
        // An article the pane layout would refuse counts as a missing one, as in navigation.
        uint8_t* list = LoadArticleList(i);
        if (!list) continue;
        hit.offset = SearchArticleText(list, 0, pattern, &hit.length);
        if (hit.offset) {
            hit.place = HitPlace::OtherArticle;
            hit.article = i;
            hit.list = list;
            return hit;
        }
        HeapFreeBlock(list);
    }
    if (paneText) {
        hit.offset = SearchArticleText(paneText, 0, pattern, &hit.length);
        if (hit.offset) {
            hit.place = HitPlace::Wrapped;
            hit.article = startArticle;
            return hit;
        }
    }
    hit = BookHit{};
    return hit;
}

uint16_t SearchStartOffset(const TextPane* pane) {
    if (!pane || !pane->lines) return 0xFFFF;
    // The line at firstRow. A firstRow on the paragraph gap after a line counts as the line
    // below the gap, the first one shown (a 16-bit count would wrap past the end of the table).
    const LineEntry* e = pane->lines;
    int32_t rows = pane->firstRow;
    while (e->style != 0 && rows > 0) {
        rows -= (e->style & kParagraphEnd) ? 2 : 1;
        ++e;
    }
    const uint16_t s = e->offset, n = e->count;
    const uint16_t markStart = pane->markStart, markEnd = pane->markEnd;
    if ((markEnd < s || markEnd > s + n) && pane->firstRow < pane->maxFirstRow)
        return uint16_t(s + n - 1);
    const uint16_t belowMark = uint16_t(markStart - 1);
    if (markStart == s && e->style != 0) {
        // Past the next line. That never lies at or above the highlighted bytes (which would
        // find the same hit again, or the line of a left-to-right paragraph above it), and the
        // end of the table (an entry of zeros) is no line to continue from.
        const LineEntry& next = e[1];
        const uint16_t past = uint16_t(next.offset + next.count);
        if (next.style == 0 || past >= markStart) return belowMark;
        return past;
    }
    return belowMark;
}

bool FindNext(HWND owner) {
    if (!App.SearchString[0]) return false;
    TextPane* pane = App.ActivePane ? App.ActivePane : App.TopPane;
    const bool bottom = pane && pane == App.BottomPane;
    const int startArticle = App.Lesson + (bottom ? 1 : 0);
    const uint8_t* paneText = pane ? pane->text : nullptr;
    const uint16_t startOffset = paneText ? SearchStartOffset(pane) : 0;
    const bool noBottomSection = App.BottomSection < 10;
    BookHit hit =
        SearchBook(App.SearchString, paneText, startOffset, startArticle, noBottomSection);
    switch (hit.place) {
        case HitPlace::None:
            MessageBox(owner, u"Not Found!", u"Orvanel", MB_OK);
            return false;
        case HitPlace::StartArticle:
        case HitPlace::Wrapped:
            App.ActivePane = pane;
            App.ActiveScrollBar = bottom ? App.BottomScrollBar : App.TopScrollBar;
            break;
        case HitPlace::OtherArticle:
            pane = ShowArticleOfHit(owner, startArticle, hit.article, hit.list);
            if (!pane) return false;
            break;
    }
    ShowHit(pane, hit.offset, hit.length);
    return true;
}
