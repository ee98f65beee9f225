#pragma once
// AppState: the one process-wide record of the reader, in three groups. Only the first group is
// cleared by the entry; the others start as zero because they are static storage.
#include <cstdint>

#include "platform/gdi/gdi.h"
#include "text/font_record.h"

struct TextPane;

// ViewFlags: the option word persisted as "Flags".
constexpr uint32_t kDefaultFlags = 0xD1140040;
constexpr uint32_t kScrollTrackingMask = 0xC0;   // both clear: scroll bars never updated
constexpr uint32_t kReverseFlag = 0x800;         // display runs reversed
constexpr uint32_t kPageStepShift = 20;          // field of 3 bits: page-key step
constexpr uint32_t kTapStepShift = 24;           // field of 3 bits: tap-paging step
constexpr uint32_t kTapHalvesFlag = 0x10000000;  // set: upper/lower halves; clear: left/right
constexpr uint32_t kTapPagingFlag = 0x80000000;

constexpr int kDefaultBottomSection = 12;

// Group 1: the reader record.
struct ReaderRecord {
    HINSTANCE Instance;
    FontRecord Font;
    uint16_t LastPosition;
    uint32_t Flags;
    uint16_t Lesson;
    uint8_t SearchString[34];
    TextPane* TopPane;
    int32_t MenuBarOnBottom;
    int32_t MenuBarHeight;
    int32_t SurroundingGutter;
    HWND MenuBar;
    HWND MainWindow;
    HBITMAP MarkerBitmaps[3];
    uint16_t BookmarkCount;
    uint16_t* BookmarkList;
    uint16_t SkipRemoveQuestion;
    int32_t TodayRequested;
};

// Group 2: the panes.
struct PaneGroup {
    HWND BottomScrollBar;
    HWND TopScrollBar;
    HWND ActiveScrollBar;
    TextPane* BottomPane;
    TextPane* ActivePane;
    RECT BottomRect;
    int32_t BottomSection;
    uint16_t BottomSectionLastPosition;
};

// Group 3: the switches and window bookkeeping.
struct SwitchGroup {
    int32_t FullScreen;
    HWND TaskbarWindow;
    int32_t IgnoreActivate;
    int32_t AllowSipInHebrewSearch;
    int32_t LastClientSize[2];  // height, width
};

// Group 4: reading comfort on the desktop, set by LoadSettings at every start.
struct ComfortGroup {
    int32_t StartFontSize;       // Font.FontSize as stored at start or last chosen in Choose
                                 // Font: where Ctrl+0 goes back to
    int32_t DisplayMode;         // 0 off, 1 night, 2 red
    int32_t StoredDisplayMode;   // as read from "DisplayMode"
    int32_t DisplayModeChanged;  // set once the user switched modes during this run
};

struct AppState : ReaderRecord, PaneGroup, SwitchGroup, ComfortGroup {};

extern AppState App;

// Clears the whole record (tests start each program run from static storage, as a process does).
void ResetAppState();
