#pragma once
// The Choose Article dialog (template 118, "Choose Section"): the index, with the Bookmarks
// section in front, as an outline with a vertical scroll bar. A tap on an article entry closes it
// and returns that entry's ArticleNumber; a tap on a group heading opens or closes the group.
#include <cstdint>

#include "index/index_view.h"
#include "platform/user/user.h"
#include "text/font_record.h"

constexpr WORD kChooseArticleDialog = 118;
// Capacity of the view's first line table.
constexpr uint16_t kChooseArticleLines = 100;

// The one record of the dialog, zeroed at each launch.
struct ChooseArticleState {
    uint16_t chosen;  // the result; starts as the current ArticleNumber
    HWND window;
    HDC surface;  // the dialog's device context, held until the window is destroyed
    RECT client;  // the client rectangle less a scroll bar's width at the right
    IndexView* view;
    const FontRecord* fontRecord;  // the caller's, read when the view is created
};

extern ChooseArticleState ChooseArticleDialog;

// Runs the dialog modally over `owner`. Returns an article entry's number after a tap on it, the
// current number after OK, 0 after Cancel.
uint16_t ChooseArticle(HINSTANCE instance, HWND owner, uint16_t current, const FontRecord* font);

LRESULT ChooseArticleProc(HWND dialog, UINT msg, WPARAM wp, LPARAM lp);

// Sets the dialog's vertical scroll bar from the view: range 0 .. maxFirstRow, position firstRow.
void UpdateIndexScrollBar();

// The open dialog's view, or nullptr when the dialog is not open (for the driver and tests).
const IndexView* OpenIndexView();
