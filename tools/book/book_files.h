#pragma once
// The files of a book folder and of a container folder, and reading and writing them whole.
#include <optional>
#include <string>
#include <vector>

#include "markup.h"

struct BookSource {
    std::string fileName;  // e.g. "article03.txt"
    int resourceId = 0;    // 1003, or 32767 for the index
    SourceKind kind = SourceKind::Article;
};

// The 27 source files in container order: article01.txt ... article26.txt, then index.txt.
std::vector<BookSource> BookSources();

std::optional<std::string> ReadWholeFile(const std::string& path);
bool WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes);

// Compiles SRC_DIR into OUT_DIR; prints every problem to stderr. Returns the exit status.
int BuildBook(const std::string& sourceDir, const std::string& outDir);
