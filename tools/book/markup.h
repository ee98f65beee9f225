#pragma once
// The book's source markup (book/README.md): paragraphs with an optional {header}, turned into
// TextRecords of the article or index layout.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "book_encoding.h"

enum class SourceKind { Article, Index };

struct BookRecord {
    uint16_t key = 0;  // EntryKey (index records only)
    uint8_t style = 0;
    uint8_t indent = 0;
    ByteString text;        // BookText as stored, without its terminating 0
    std::u32string source;  // the text in reading order as written, for checking a round trip
    int line = 0;           // where the paragraph starts
};

struct SourceError {
    int line = 0;
    int column = 0;  // in characters, from 1
    std::string message;
};

// Parses one source file. Returns false when there is at least one error; `errors` then holds
// them in file order (at most a few dozen), and `records` what could be parsed.
bool ParseBookSource(std::string_view content, SourceKind kind, std::vector<BookRecord>* records,
                     std::vector<SourceError>* errors);

// "file:line:column: message".
std::string FormatSourceError(std::string_view file, const SourceError& error);

// The RecordList bytes of parsed records: article records end with the 0 that UnCompress adds
// after the data; index lists carry an all-zero end record of their own.
ByteString SerializeRecords(const std::vector<BookRecord>& records, SourceKind kind);
