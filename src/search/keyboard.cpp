#include "search/keyboard.h"

#include "search/search_dialog.h"
#include "search/search_field.h"

POINT KeyboardOrigin(HWND dialog) {
    // The same rounding that placed the bitmap, so that the keys are where they are drawn.
    RECT r{kKeyboardX, kKeyboardY, kKeyboardX, kKeyboardY};
    if (!MapDialogRect(dialog, &r)) return POINT{0, 0};
    return POINT{r.left, r.top};
}

int KeyAtPoint(POINT origin, int x, int y) {
    const int dx = x - origin.x;
    const int dy = y - origin.y;
    if (dy < 0 || dx < 0 || dy >= kKeyboardHeight || dx >= kKeyboardWidth) return -1;
    const int row = dy / kKeyHeight, column = dx / kKeyWidth;
    // The nine keys of a row end one pixel before the bitmap does; that last pixel column is no
    // key (by the row formula it would be the space bar, or a key of the row above).
    if (row < 3) return column < 9 ? 9 * (row + 1) - column : -1;
    // The band below the letter rows: the space bar spans the columns 2 to 6.
    return column >= 2 && column <= 6 ? 0 : -1;
}

int KeyboardHitTest(HWND dialog, int x, int y) {
    const int key = KeyAtPoint(KeyboardOrigin(dialog), x, y);
    if (key < 0) return 1;
    InsertKeyLetter(dialog, key);
    return 0;
}
