#include "search/find_next.h"

#include <algorithm>
#include <cstring>

#include "bookmarks/bookmarks.h"
#include "platform/heap.h"
#include "reader/app_state.h"
#include "reader/navigation.h"
#include "reader/panes.h"
#include "search/find_all.h"
#include "search/matcher.h"
#include "store/record_list.h"
#include "store/records.h"
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

// The hit shown last, and the view it was shown in: Search Again from that view goes on below it
// even when no line of it fits in the pane.
struct ShownHit {
    const TextPane* pane = nullptr;
    const uint8_t* text = nullptr;
    uint16_t markStart = 0, markEnd = 0, firstRow = 0;
};
ShownHit LastHit;

bool IsLastHitView(const TextPane* pane) {
    return pane == LastHit.pane && pane->text == LastHit.text &&
           pane->markStart == LastHit.markStart && pane->markEnd == LastHit.markEnd &&
           pane->firstRow == LastHit.firstRow;
}

// Where the search goes on after a hit whose lowest byte is `markStart`: the byte below it, or,
// when the hit begins its paragraph's stored text, the next record (searched from its end). One
// byte lower would lie before the paragraph's text, which stands for the paragraph's own end,
// and the same paragraph would be searched again.
uint16_t ResumeBelow(const uint8_t* text, uint16_t markStart) {
    if (text) {
        for (const uint8_t* record = text; !IsArticleListEnd(record);
             record = NextArticleRecord(record)) {
            const uint8_t* first = ArticleRecordText(record);
            if (text + markStart < first) break;
            if (text + markStart == first)
                return uint16_t(first - text + ArticleRecordTextLength(record) + 1);
        }
    }
    return uint16_t(markStart - 1);
}

// A round of Search Again: the place it began at and the place shown last, for the same
// SearchString, while each search goes on from the hit before.
struct SearchRound {
    uint8_t pattern[kSearchStringSize] = {};
    FoundPlace first, last;
    bool valid = false;
};
SearchRound Round;
// The note of the hit shown last: its banner says so when the round begins again.
const char16_t* LastHitNote = nullptr;

constexpr char16_t kRoundAgainNote[] = u"Whole book searched";

FoundPlace PlaceOf(int article, const uint8_t* text, uint16_t offset, uint16_t length) {
    return {uint8_t(article), offset, length, ParagraphOf(text, offset)};
}

// Whether a walk from `last` on to `next` (all round the book when they are the same place)
// passes the place `first`.
bool Passes(const FoundPlace& last, const FoundPlace& next, const FoundPlace& first) {
    if (PlaceBefore(last, next)) return PlaceBefore(last, first) && !PlaceBefore(next, first);
    return PlaceBefore(last, first) || !PlaceBefore(next, first);
}

void StartRound(const FoundPlace& first, const FoundPlace& shown) {
    std::memcpy(Round.pattern, App.SearchString, sizeof Round.pattern);
    Round.first = first;
    Round.last = shown;
    Round.valid = true;
}

void ShowHit(TextPane* pane, uint16_t offset, uint16_t length, const char16_t* note) {
    // One highlight on the screen: the one of the hit before goes, in either pane.
    for (TextPane* p : {App.TopPane, App.BottomPane}) {
        if (p) p->markStart = p->markEnd = 0;
    }
    // A hit in a label lies outside every line's range: its paragraph's first line goes to the
    // top instead.
    if (!ScrollToOffset(pane, offset)) ScrollToParagraph(pane, offset);
    RepaintPanes(App.MainWindow, kPaintAll);
    pane->markStart = uint16_t(offset - length + 1);
    pane->markEnd = uint16_t(offset + 1);
    RepaintPanes(App.MainWindow, kRepaintAllKeepTop);
    UpdateBookmarkCheck(1);
    LastHitNote = note;
    DrawHitBanner(pane, note);
    LastHit = {pane, pane->text, pane->markStart, pane->markEnd, pane->firstRow};
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
    const uint16_t markStart = pane->markStart, markEnd = pane->markEnd;
    const bool marked = markStart != 0 || markEnd != 0;
    // While the hit is in view (or the view is the one it was shown in), the search goes on
    // below it, so that a round of Search Again shows every occurrence once.
    if (marked && (IsLastHitView(pane) || ShownBand(pane, markStart, markEnd, nullptr, nullptr)))
        return ResumeBelow(pane->text, markStart);
    if (pane->firstRow < pane->maxFirstRow) {
        // Scrolled away from the hit: from the end of the first visible line. A firstRow on the
        // paragraph gap after a line counts as the line below the gap, the first one shown (a
        // 16-bit count would wrap past the end of the table).
        const LineEntry* e = pane->lines;
        int32_t rows = pane->firstRow;
        while (e->style != 0 && rows > 0) {
            rows -= (e->style & kParagraphEnd) ? 2 : 1;
            ++e;
        }
        return uint16_t(e->offset + e->count - 1);
    }
    // At the end of the view: below the hit, or past every article when there is none.
    return marked ? ResumeBelow(pane->text, markStart) : uint16_t(0xFFFF);
}

bool FindNext(HWND owner) {
    if (!App.SearchString[0]) return false;
    const SearchOrigin origin = CurrentSearchOrigin();
    TextPane* pane = origin.pane;
    // A search that goes on from the hit shown last goes on with its round; any other starts a
    // new one.
    const bool continuing = Round.valid && pane && IsLastHitView(pane) &&
                            std::memcmp(Round.pattern, App.SearchString, sizeof Round.pattern) == 0;
    BookHit hit = SearchBook(App.SearchString, origin.paneText, origin.startOffset,
                             origin.startArticle, origin.skipEvenArticles);
    const uint8_t* text = hit.place == HitPlace::OtherArticle ? hit.list : origin.paneText;
    const FoundPlace place = PlaceOf(hit.article, text, hit.offset, hit.length);
    switch (hit.place) {
        case HitPlace::None:
            MessageBox(owner, u"Not Found!", u"Orvanel", MB_OK);
            return false;
        case HitPlace::StartArticle:
        case HitPlace::Wrapped:
            App.ActivePane = pane;
            App.ActiveScrollBar = origin.bottom ? App.BottomScrollBar : App.TopScrollBar;
            break;
        case HitPlace::OtherArticle:
            pane = ShowArticleOfHit(owner, origin.startArticle, hit.article, hit.list);
            if (!pane) return false;
            break;
    }
    // The reader is told when the round comes back to where it began: the whole book has been
    // searched once.
    const bool again = continuing && Passes(Round.last, place, Round.first);
    if (continuing)
        Round.last = place;
    else
        StartRound(place, place);
    ShowHit(pane, hit.offset, hit.length, again ? kRoundAgainNote : nullptr);
    return true;
}

bool ShowFoundPlace(HWND owner, const SearchOrigin& origin, const FoundPlace& place,
                    uint8_t* placeText, const FoundPlace& roundFirst) {
    TextPane* pane = origin.pane;
    if (place.article == origin.startArticle && origin.paneText) {
        HeapFreeBlock(placeText);
        if (!pane) return false;
        App.ActivePane = pane;
        App.ActiveScrollBar = origin.bottom ? App.BottomScrollBar : App.TopScrollBar;
    } else {
        if (!placeText) placeText = LoadArticleList(place.article);
        if (!placeText) return false;
        pane = ShowArticleOfHit(owner, origin.startArticle, place.article, placeText);
        if (!pane) return false;
    }
    StartRound(roundFirst, place);
    ShowHit(pane, place.offset, place.length, nullptr);
    return true;
}

void RedrawHitBanner() {
    TextPane* pane = App.ActivePane ? App.ActivePane : App.TopPane;
    if (pane && IsLastHitView(pane)) DrawHitBanner(pane, LastHitNote);
}

const char16_t* ShownHitNote() {
    return LastHitNote;
}
