#pragma once
// The table of contents as a screen reader sees it: an outline whose entries are named by their
// text in reading order, headings expandable and expanded or collapsed; the entry at the top of
// the view is the current one.
#include "platform/win32_types.h"

void ExposeOutline(HWND chooseArticleDialog);
