#pragma once
// The two panes of the main window: their places, the bottom section, the scroll bars, painting
// and tap paging.
#include <cstdint>

#include "platform/gdi/gdi.h"
#include "platform/user/user.h"

// LayoutPanes with this in place of the size replays the last client size.
constexpr uint32_t kReplayClientSize = 0xBAADF00D;

// Repaint masks: bit 0 the top pane, bit 1 the bottom section, bit 8 erase the top pane first.
constexpr int kPaintTop = 0x1;
constexpr int kPaintBottom = 0x2;
constexpr int kEraseTop = 0x100;
constexpr int kPaintAll = 511;

// 0, or 1 when the top pane could not be created.
int CreatePanes(HWND window);
void LayoutPanes(HWND window, uint32_t cx, uint32_t cy);
void RepaintPanes(HWND window, int mask);
void PaintPanes(HDC dc, HWND window, int mask);
void UpdateScrollBar(HWND bar);
void UpdateScrollBars();
void TapPanes(HWND window, int x, int y);
struct TextPane;
// The page step of a 3-bit ViewFlags field (page keys or tap paging): half the rows painted at
// the last paint for the values 2 and 4, else the rows painted less one.
int PageStep(const TextPane* pane, uint32_t shift);
// The pane that the keys, Copy and the scroll bars' mark act on: the active pane, the top one
// when there is none or when the bottom section is hidden.
TextPane* KeyPane();
// Makes the pane the active one, with its scroll bar.
void SetActivePane(TextPane* pane);
// F6 and Shift+F6: the other pane becomes active; a hidden bottom section is skipped.
void SwitchActivePane();
// The track brush of the active pane's scroll bar, nullptr for the other (WM_CTLCOLORSCROLLBAR).
HBRUSH ActivePaneTrack(HWND bar);
// Whether a code is one of the bottom sizes the menu offers (1, 12, 13, 14, 23, 34).
bool IsBottomSectionCode(int code);
