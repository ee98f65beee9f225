#pragma once
// The window records behind HWND, shared by the window manager, the message queue, drawing,
// dialogs and the hosts. Nothing outside src/platform includes this header.
#include <cairo.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/user/user.h"

struct WindowClassRecord {
    std::u16string name;
    WNDCLASS wc;
};

struct ScrollBarState {
    int min = 0;
    int max = 0;
    int page = 0;
    int pos = 0;
    int trackPos = 0;
};

struct Window {
    Window() = default;
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
    ~Window() {
        if (backing) cairo_surface_destroy(backing);
    }
    const WindowClassRecord* cls = nullptr;
    WNDPROC proc = nullptr;
    std::u16string title;
    DWORD style = 0;
    DWORD exStyle = 0;
    int id = 0;
    Window* parent = nullptr;  // for child windows
    Window* owner = nullptr;   // for owned top-level windows (dialogs, message boxes)
    std::vector<Window*> children;
    // Children: relative to the parent's client area. Top-level windows: screen coordinates.
    RECT rect{};
    bool followsScreen = false;
    // Dialogs and message boxes: the size they were made with. A screen too small for it takes
    // them at the screen's size; a larger screen gives them this size back.
    int naturalWidth = 0;
    int naturalHeight = 0;
    const struct DialogItemTemplate* templateItem = nullptr;  // controls made from a template
    bool alive = true;

    RECT invalid{};
    bool needsPaint = false;
    bool needsErase = false;

    intptr_t userData = 0;
    intptr_t dialogUser = 0;
    intptr_t dialogMsgResult = 0;
    ScrollBarState vscroll;
    HFONT font = nullptr;

    // Dialog bookkeeping.
    DLGPROC dialogProc = nullptr;
    bool dialogEnded = false;
    intptr_t dialogResult = 0;

    void* control = nullptr;  // a control's own state, made on WM_CREATE
    bool captionOk = false;   // the caption carries an ok button that sends IDOK
    bool messageBox = false;
    bool noActivate = false;  // shell windows that never take activation
    int dock = 0;             // bars: kDockTop or kDockBottom keep them at that edge of the parent
    std::u16string messageText;  // message boxes: their text, for inspection

    cairo_surface_t* backing = nullptr;  // top-level windows only
    uint64_t backingVersion = 0;         // changes whenever the backing may have been drawn on
    RECT drawn{};                        // where, since the screen was last composed
    HWND lastFocus = nullptr;            // focus to restore when this top-level is activated
};

namespace wm {

constexpr int kCaptionHeight = 22;
constexpr int kScrollBarWidth = 13;

bool IsTopLevel(const Window* w);
Window* TopLevelOf(Window* w);
// Client area origin relative to the window's own rectangle, and its size.
RECT NonClientInsets(const Window* w);
RECT ClientRectOf(const Window* w);  // 0,0 based
// Offset of the window's client origin inside its top-level backing surface.
POINT ClientOriginInTopLevel(const Window* w);
// Visible client area of the window in its top-level's coordinates (clipped by ancestors).
RECT VisibleClientInTopLevel(const Window* w);

// Top-level windows, back to front.
const std::vector<Window*>& TopLevels();
void BringToTop(Window* w);
Window* ActiveWindow();
void Activate(Window* w, WORD how);

// Mark every visible window of a top-level (and its children) for repaint.
void InvalidateTree(Window* w, bool erase);
// The first window needing paint, parents before children, top-levels front to back.
Window* NextWindowToPaint();
// Draws the parts of a window that are not its client area (caption, frame).
void PaintNonClient(Window* w);
RECT CaptionOkButton(const Window* w);  // in window coordinates

// Marks the window for repaint of its frame and own scroll bar only.
void InvalidateNonClient(Window* w);

// The vertical bar of WS_VSCROLL windows (scrollbar.cpp). The bar is drawn into a context whose
// origin is the window's top-left corner; the stylus on it arrives as WM_NC* messages with
// HTVSCROLL, which the default window procedure hands to TrackWindowScrollBar.
void PaintWindowScrollBar(Window* w, cairo_t* windowCr);
bool InWindowScrollBar(Window* w, int screenX, int screenY);
Window* WindowScrollBarTracking();
void TrackWindowScrollBar(Window* w, UINT msg, int screenX, int screenY);
void CancelScrollBarTracking(Window* w);

// Bars docked to an edge of their parent's client area follow its size.
constexpr int kDockTop = 1;
constexpr int kDockBottom = 2;
void PlaceDockedChildren(Window* parent);

// Marks the top-level's backing as drawn on, in `area` (backing coordinates; all of it when
// none): the composed screen is made again there.
void BackingChanged(Window* top, const RECT* area = nullptr);
// Resize the backing surface of a top-level to its rectangle.
void EnsureBacking(Window* w);
// The screen changed size: windows that follow the screen are moved to fill it; dialogs and
// message boxes of their own size are centred again, no larger than the screen.
void ScreenResized(int width, int height);

// Destroys every window (tests, end of the program).
void DestroyAllWindows();
// Clears classes and windows (tests).
void ResetWindowSystem();

RECT Intersect(const RECT& a, const RECT& b);
RECT Union(const RECT& a, const RECT& b);
bool IsEmpty(const RECT& r);
bool Contains(const RECT& r, int x, int y);

}  // namespace wm
