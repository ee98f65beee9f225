#pragma once
// The Find All list (dialog 121, "Find All"): every place of SearchString in the book, grouped
// by article under the article's title, each shown by the line around it with the hit marked,
// below the count. A tap on a place, or Enter on the selected one, closes the list and shows the
// place as Search Again would.
#include <string>
#include <vector>

#include "platform/gdi/gdi.h"
#include "platform/user/user.h"
#include "search/find_all.h"

constexpr WORD kPlacesDialogId = 121;

// A line of the list: an article's title (place -1) or one place.
struct PlaceRow {
    int place;
    uint8_t article;
};

// The one record of the list; reset each time it opens.
struct PlacesDialogState {
    HWND window = nullptr;
    HFONT font = nullptr;  // made from the top pane's font record
    int rowHeight = 1;
    RECT list{};           // where the rows are drawn: the client area below the count
    std::u16string count;  // "266 places in 19 articles"
    PlaceList found;
    SearchOrigin origin;
    std::vector<PlaceRow> rows;
    std::vector<std::u16string> names;  // each place's line in reading order, and its title
    int firstRow = 0;
    int maxFirstRow = 0;
    int rowsShown = 1;
    int selected = 0;          // the selected row (always a place's)
    int chosen = -1;           // the place chosen, or -1
    bool unicode = false;      // the font takes Unicode Hebrew (FontAsciiBase 1488)
    char16_t glyph[256] = {};  // the character each book byte is measured by (0: none)
    int width[256] = {};
};
extern PlacesDialogState PlacesDialog;

// The count as the list shows it: "1 place in 1 article", "266 places in 19 articles".
std::u16string PlaceCountText(size_t places, int articles);

// Runs the list of `found` (the places from `origin`) over the main window; a place chosen there
// is shown. With no places it shows "Not Found!" instead. Frees the list's texts.
void RunPlacesDialog(HWND owner, const SearchOrigin& origin, PlaceList found);
// Find All from the current position with SearchString (Search Again's origin).
void FindAll(HWND owner);
LRESULT PlacesDialogProc(HWND dialog, UINT msg, WPARAM wp, LPARAM lp);

// The open list, or nullptr (for the driver and tests).
const PlacesDialogState* OpenPlaces();
// Chooses the place with this index (0 the first) in the open list, as a tap on it does.
// Returns false when no list is open or there is no such place.
bool ChooseOpenPlace(int place);
// A row's top in the dialog's client area, or -1 when it is not drawn now.
int PlaceRowTop(int row);
