#pragma once
// The search through the book: from just past the current position in the active pane's
// article, through the other articles in number order with wrap-around, and at last the start
// article again from its beginning; and the display of a hit.
#include <cstdint>

#include "platform/user/user.h"

struct TextPane;
struct SearchOrigin;
struct FoundPlace;

// Where a search of the book found its pattern.
enum class HitPlace {
    None,
    StartArticle,  // in the active pane's text, past the start offset
    OtherArticle,  // in `article`, whose freshly loaded list is `list` (the caller's now)
    Wrapped,       // in the active pane's text, before the start offset
};

struct BookHit {
    HitPlace place = HitPlace::None;
    int article = 0;
    uint16_t offset = 0;  // the hit's highest byte
    uint16_t length = 0;
    uint8_t* list = nullptr;
};

// The walk of the search, without touching the panes: `paneText` (may be none) is the start
// article's text as the active pane shows it. With `skipEvenArticles` (no bottom section) the even
// articles other than the start article are not searched. Every article visited is unpacked and
// scanned; those without a hit are freed at once.
BookHit SearchBook(const uint8_t* pattern, const uint8_t* paneText, uint16_t startOffset,
                   int startArticle, bool skipEvenArticles);

// Where Search Again starts in the pane's article: just below the highlighted hit while it is in
// view (the next record when the hit begins its paragraph's text), or at the end of the first
// visible line when the view has been scrolled away from it. 65535 (past every article) when
// there is no highlight and the view is at its end.
uint16_t SearchStartOffset(const TextPane* pane);

// Searches for SearchString and shows the next hit: its article becomes current, its line is
// scrolled to the top, the matched bytes are highlighted and the banner names the article.
// Returns true when a hit was shown. With an empty SearchString it does nothing; when nothing is
// found it shows "Not Found!" owned by `owner` and leaves the panes as they were. When a run of
// searches, each going on from the hit before, comes back round to the place it began at, the
// banner also says "Whole book searched".
bool FindNext(HWND owner);

// Shows a place that Find All listed from `origin` exactly as Search Again from there would show
// it (pair, pane, scroll, highlight, banner); Search Again then goes on from it, in a round that
// began at `roundFirst`. `placeText` is the article's text when the caller has it loaded (it is
// taken over), else nullptr. Returns false when the place cannot be shown.
bool ShowFoundPlace(HWND owner, const SearchOrigin& origin, const FoundPlace& place,
                    uint8_t* placeText, const FoundPlace& roundFirst);

// Draws the banner of the hit shown last again, while the view is still the one it was shown in
// (after a dialog over the main window has gone and the window has repainted).
void RedrawHitBanner();
// The note of the banner shown last ("Whole book searched"), or nullptr.
const char16_t* ShownHitNote();
