#pragma once
// BookText back in the order it is read, for text that leaves the reader (the clipboard). The
// pane draws stored text as it lies; a reader of the copied text reads it in logical order.
#include <cstdint>
#include <vector>

#include "text/convert.h"

// How a record's text is stored: a right-to-left record in display order (its letters reversed,
// its numbers as they read), a left-to-right record in reading order.
enum class StoredDirection { LeftToRight, RightToLeft };

// Converts at most maxBytes bytes of text (fewer when a NUL comes first) into NUL-terminated code
// units in reading order, for the current FontAsciiBase, whatever the Reverse option says. A
// right-to-left record is turned round letter by letter, but each run of digits (with single
// . , : / + - between digits) keeps its order and ( ) [ ] { } are mirrored back; a left-to-right
// record keeps its order. Either way a letter comes before its points. The result belongs to the
// cache as with ConvertBookText (or to the caller without one); unitsOut receives the units
// written. nullptr when no buffer can be had.
char16_t* ConvertReadingOrder(const uint8_t* text, int32_t maxBytes, StoredDirection direction,
                              ConvertCache* cache, int32_t* unitsOut);
// The same for part of the text: of its places in reading order (one a stored byte, the order in
// which the whole conversion writes them), only those in [from, to) are written.
char16_t* ConvertReadingOrderPart(const uint8_t* text, int32_t maxBytes, StoredDirection direction,
                                  int32_t from, int32_t to, ConvertCache* cache, int32_t* unitsOut);
// The stored index of each place of `count` bytes of text in reading order.
void ReadingPlaces(const uint8_t* text, int32_t count, StoredDirection direction,
                   std::vector<int32_t>* places);
