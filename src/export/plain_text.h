#pragma once
// The article of a pane as plain UTF-16 text: one line per paragraph, rules as dashes, indents as
// trailing spaces, CR LF line ends, the text in reading order.
#include <cstddef>
#include <cstdint>

// For the RTF document: each left-to-right record's line starts with U+200E (LEFT-TO-RIGHT
// MARK), which RtfEncode turns into a left-to-right paragraph.
enum class DirectionMarks { None, LeftToRightLines };
constexpr char16_t kLeftToRightLine = 0x200E;

// Bytes of the plain-text buffer for an article (a RecordList in article layout):
// 2 × (L + L / 2 + 2 × N + D + I + 1), with L the list's bytes before its end record, N the
// records (twice for a record with a paragraph gap), D the dashes of the rules and I the indents;
// with marks, one unit more for each left-to-right record.
size_t PlainTextBufferSize(const uint8_t* article, DirectionMarks marks = DirectionMarks::None);

// The dashes a rule record writes for its parameter byte.
int RuleDashCount(uint8_t parameter);

enum PlainTextResult { kPlainTextDone = 0, kPlainTextTooLong = 1, kPlainTextNoMemory = 2 };

struct ReadingRange;

// Writes the article (or, with a range, the part of it the range holds) into `out` (bufferSize
// bytes, cut down to whole UTF-16 units) with a terminating 0. Returns kPlainTextTooLong, having
// written nothing past the buffer, when the text and its 0 do not fit, and kPlainTextNoMemory when
// a conversion found no buffer.
int BuildPlainText(const uint8_t* article, char16_t* out, size_t bufferSize,
                   DirectionMarks marks = DirectionMarks::None,
                   const ReadingRange* range = nullptr);
