#pragma once
// Conversions between the UTF-16 text of the window system and UTF-8 (files, hosts, logs).
#include <string>
#include <string_view>

std::u16string Utf8ToUtf16(std::string_view s);
std::string Utf16ToUtf8(std::u16string_view s);
// Length of a NUL-terminated UTF-16 string; 0 for nullptr.
size_t WideLength(const char16_t* s);
// Case-insensitive comparison of ASCII letters, as registry and class names compare.
bool EqualsIgnoringCase(std::u16string_view a, std::u16string_view b);
std::u16string LowerAscii(std::u16string_view s);
// The text as Latin-1 bytes (ISO 8859-1, one byte a character) when every character has one;
// false, with `out` cleared, when any does not.
bool ToLatin1(std::u16string_view s, std::string* out);
// The text as a JSON string in UTF-8, quotes included, with quotes, backslashes and control
// characters escaped.
std::string JsonString(std::u16string_view s);
