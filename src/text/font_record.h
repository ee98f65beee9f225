#pragma once
// FontRecord: the display font settings, 72 bytes, copied as a unit into every TextPane, the
// index view and the font dialog.
#include <cstdint>

struct FontRecord {
    char16_t FaceName[32];  // empty: no font chosen yet
    int32_t FontSize;       // 0: the default height
    int32_t FontAsciiBase;  // 1488 Unicode output; 224 or 97 single-byte output
};
static_assert(sizeof(FontRecord) == 72, "FontRecord is 72 bytes");

constexpr int32_t kUnicodeAsciiBase = 1488;
