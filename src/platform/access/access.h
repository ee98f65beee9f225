#pragma once
// What a screen reader learns about the program's windows. The platform describes every window
// and standard control by itself (role from its class and style, name from its text, states,
// place on the screen); a window whose content is drawn by the reader's own code describes that
// content through a provider: a list of parts, each with a role, a name, states, a rectangle
// and, for text parts, its text with a caret and a selection.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/win32_types.h"

enum class AccessRole : uint8_t {
    Application,
    Frame,
    Dialog,
    Alert,
    Window,
    Panel,
    MenuBar,
    ToolBar,
    Menu,
    MenuItem,
    CheckMenuItem,
    RadioMenuItem,
    Separator,
    PushButton,
    RadioButton,
    CheckBox,
    Label,
    Image,
    Entry,
    List,
    ListItem,
    ScrollBar,
    ToolTip,
    Tree,
    TreeItem,
    Document,  // a read-only text: an article in a pane
};

// State bits.
constexpr uint32_t kAccessEnabled = 1u << 0;
constexpr uint32_t kAccessVisible = 1u << 1;
constexpr uint32_t kAccessShowing = 1u << 2;
constexpr uint32_t kAccessFocusable = 1u << 3;
constexpr uint32_t kAccessFocused = 1u << 4;
constexpr uint32_t kAccessSelectable = 1u << 5;
constexpr uint32_t kAccessSelected = 1u << 6;
constexpr uint32_t kAccessCheckable = 1u << 7;
constexpr uint32_t kAccessChecked = 1u << 8;
constexpr uint32_t kAccessExpandable = 1u << 9;
constexpr uint32_t kAccessExpanded = 1u << 10;
constexpr uint32_t kAccessActive = 1u << 11;
constexpr uint32_t kAccessModal = 1u << 12;
constexpr uint32_t kAccessEditable = 1u << 13;
constexpr uint32_t kAccessSingleLine = 1u << 14;
constexpr uint32_t kAccessMultiLine = 1u << 15;
constexpr uint32_t kAccessDefault = 1u << 16;
constexpr uint32_t kAccessReadOnly = 1u << 17;

// One part of a window that the window's own code draws.
struct AccessPart {
    AccessRole role = AccessRole::Panel;
    std::u16string name;
    // What else a screen reader says of it (a pane: the title of its article).
    std::u16string description;
    // Besides these the part is enabled, visible and showing with its window. kAccessFocused
    // marks the part that has the focus while its window has it.
    uint32_t states = 0;
    RECT rect{};      // in the window's client coordinates
    int parent = -1;  // the index of the part it lies in, or -1: directly in the window
    // What the part is known by while it exists (so that a screen reader keeps its place when
    // parts come and go before it): distinct among the window's parts; -1 for its index.
    int key = -1;
    int level = 0;  // outline depth, 0 at the outside
    // Text parts: the text comes from the provider's `text`; textStamp changes whenever it does.
    bool hasText = false;
    uint64_t textStamp = 0;
    int caret = -1;                            // in code points of the text; -1: none
    int selectionStart = 0, selectionEnd = 0;  // in code points; equal: nothing selected
};

struct AccessProvider {
    // The window's parts, in reading order.
    void (*parts)(HWND window, std::vector<AccessPart>* out);
    // The text of the part with this key (its index when it has none), for parts with hasText.
    std::u16string (*text)(HWND window, int key);
    // Optional, for text parts; offsets in code points of the text, places in the window's
    // client coordinates. Where the lines start as the window shows them (ascending, the
    // first 0); a text without it is one line a paragraph.
    std::vector<int> (*lineStarts)(HWND window, int key) = nullptr;
    // The box of the character at `offset`, outside the part where the text is scrolled out of
    // view (where it would be drawn); false when it has no place.
    bool (*characterBox)(HWND window, int key, int offset, RECT* box) = nullptr;
    // The offset of the character at the point, or -1.
    int (*offsetAt)(HWND window, int key, POINT point) = nullptr;
    // Puts the caret at `offset`, bringing its line into view; false when it cannot.
    bool (*setCaret)(HWND window, int key, int offset) = nullptr;
};

// Gives the window a provider for what it draws itself (nullptr removes it). The provider lives
// as long as the program; it is dropped with the window.
void SetAccessProvider(HWND window, const AccessProvider* provider);
// A name for a window that shows no text of its own.
void SetAccessName(HWND window, const std::u16string& name);
// A name for the pictures that show this bitmap resource (a dialog's STATIC with SS_BITMAP).
void SetAccessImageName(int bitmapId, const std::u16string& name);
// Says that an edit field keeps right-to-left text in display order (its first character is
// the last read; a number keeps its own order), so that a screen reader is given its text, caret
// and selection in reading order; `letter` turns each shown character into the one read (the
// display font's letters into Unicode letters), or nullptr to keep them.
void SetAccessDisplayOrder(HWND window, char16_t (*letter)(char16_t));
