#pragma once
// Copy and Append to ClipBoard: a pane's whole article on the clipboard, as an RTF document when
// the display font takes Unicode Hebrew, as Unicode text otherwise.
#include "export/clipboard_put.h"

struct TextPane;

// Does nothing for a missing pane or one without text. An article longer than its text buffer
// gives the message box "(obuf > (start + size))" and leaves the clipboard alone.
void ExportArticle(TextPane* pane, ClipboardMode mode);
