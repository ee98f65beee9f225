#pragma once
// Putting an exported article on the clipboard, as an RTF document or as Unicode text, in place
// of the contents or after them.
#include <cstddef>

enum class ClipboardMode { Replace, Append };

// The document's start (180 characters with its CR LF): one Hebrew font, black, white and red,
// a right-to-left right-aligned paragraph at 10 points, and no fallback after \u escapes.
extern const char kRtfHeader[];
// Between two appended articles: a centred red row of stars, after which the state the body
// relies on is set again, whatever the document before it had set.
extern const char kRtfSeparator[];

// The name of the registered RTF clipboard format.
constexpr char16_t kRtfFormatName[] = u"Rich Text Format";

// Puts the text on the clipboard as an RTF document. Appending continues the RTF document the
// clipboard holds (without its closing brace) after a separator, or starts a new one.
void PutRtfOnClipboard(const char16_t* text, ClipboardMode mode);
// Puts the text on the clipboard as Unicode text, after the clipboard's text when appending.
void PutTextOnClipboard(const char16_t* text, ClipboardMode mode);
// A copy of the clipboard's data in the format (0 means Unicode text), which the caller frees
// with HeapFreeBlock, and its length in bytes up to its terminator (the copy has none); nullptr
// when the clipboard cannot be opened or holds no such data.
void* ReadClipboardCopy(unsigned format, size_t* length);
