#pragma once
// The plain text of an RTF document, for the system clipboard's text flavour when the program
// put only RTF there: what a word processor would show, paragraph marks as line ends.
#include <string>

// Reads \uN (with its \ucN fallback characters skipped), \par and \line, \tab, \'hh (as
// Windows-1255, the Hebrew code page), the escaped \ { } and plain characters; skips groups that
// are not text (font and colour tables, \* destinations, pictures, information); ignores every
// other control word. Any input is read safely, however malformed or deeply nested.
std::u16string RtfToText(const std::string& rtf);
