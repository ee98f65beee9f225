#pragma once
// Copy and Append to ClipBoard: a pane's whole article on the clipboard, as an RTF document when
// the display font takes Unicode Hebrew, as Unicode text otherwise.
#include <string>

#include "export/clipboard_put.h"

struct ReadingRange;
struct TextPane;

// With a range, just the part of the article it holds (a selection), in the same form.
// Does nothing for a missing pane or one without text. An article longer than its text buffer
// gives the message box "(obuf > (start + size))" and leaves the clipboard alone.
void ExportArticle(TextPane* pane, ClipboardMode mode, const ReadingRange* range = nullptr);
// The plain text Copy gives for the pane's article or a range of it, without a message box when
// it cannot be had (then empty).
std::u16string ExportedText(TextPane* pane, const ReadingRange* range);
