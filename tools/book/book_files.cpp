#include "book_files.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

#include "container.h"
#include "store/record_list.h"

std::vector<BookSource> BookSources() {
    std::vector<BookSource> sources;
    for (int n = kFirstArticle; n <= kLastArticle; ++n) {
        char name[32];
        std::snprintf(name, sizeof name, "article%02d.txt", n);
        sources.push_back({name, 1000 + n, SourceKind::Article});
    }
    sources.push_back({"index.txt", IndexArticleNumber + 1000, SourceKind::Index});
    return sources;
}

std::optional<std::string> ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) return std::nullopt;
    return content;
}

bool WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    const std::string temporary = path + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
        if (!out.flush()) return false;
    }
    return std::rename(temporary.c_str(), path.c_str()) == 0;
}

namespace {

// The decoded records must give back the source text: a fault of the encoder, not of the book.
bool RoundTrips(const BookRecord& record, SourceKind kind) {
    const bool rtl = kind == SourceKind::Index || (record.style & 0x10) != 0;
    std::u32string decoded = DecodeBookText(record.text.data(), record.text.size(),
                                            rtl ? StoredOrder::Display : StoredOrder::Reading);
    std::u32string expected = CanonicalBookText(record.source);
    // A continued paragraph carries one extra space at its logical end (right to left) or start.
    if (decoded.size() == expected.size() + 1) {
        if (rtl && decoded.back() == U' ') decoded.pop_back();
        if (!rtl && decoded.front() == U' ') decoded.erase(0, 1);
    }
    return decoded == expected;
}

}  // namespace

int BuildBook(const std::string& sourceDir, const std::string& outDir) {
    int problems = 0;
    auto report = [&](const std::string& text) {
        std::fprintf(stderr, "%s\n", text.c_str());
        ++problems;
    };
    struct Built {
        BookSource source;
        std::vector<BookRecord> records;
    };
    std::vector<Built> book;
    for (const BookSource& source : BookSources()) {
        const std::string path = sourceDir + "/" + source.fileName;
        std::optional<std::string> content = ReadWholeFile(path);
        if (!content) {
            report(path +
                   ": missing; the book needs article01.txt ... article26.txt and index.txt");
            continue;
        }
        Built built{source, {}};
        std::vector<SourceError> errors;
        if (!ParseBookSource(*content, source.kind, &built.records, &errors)) {
            for (const SourceError& e : errors) report(FormatSourceError(path, e));
            continue;
        }
        if (built.records.empty()) {
            report(path + ":1:1: the file has no records");
            continue;
        }
        for (const BookRecord& record : built.records) {
            if (!record.source.empty() && !RoundTrips(record, source.kind)) {
                report(path + ":" + std::to_string(record.line) +
                       ":1: internal error: the encoded paragraph does not decode to its source");
            }
        }
        if (source.kind == SourceKind::Index) {
            std::set<int> listed;
            for (const BookRecord& record : built.records) {
                if (record.key & 0x4000) listed.insert(record.key & 0x3FFF);
            }
            for (int n = kFirstArticle; n <= kLastArticle; ++n) {
                if (!listed.count(n)) {
                    report(path + ":1:1: the index has no entry for article " + std::to_string(n));
                }
            }
        }
        book.push_back(std::move(built));
    }
    if (problems != 0) return 1;

    // A fresh output folder, and the folders above it, are made here: only a book that parsed
    // leaves anything behind.
    std::error_code made;
    std::filesystem::create_directories(outDir, made);
    if (made || !std::filesystem::is_directory(outDir)) {
        report(outDir + ": the folder cannot be made" + (made ? ": " + made.message() : ""));
        return 1;
    }
    for (const Built& built : book) {
        const bool index = built.source.kind == SourceKind::Index;
        const unsigned number = static_cast<unsigned>(built.source.resourceId - 1000);
        std::vector<uint8_t> container;
        std::string error;
        if (!BuildContainer(SerializeRecords(built.records, built.source.kind),
                            index ? kIndexFirstNumber : number, index ? kIndexLastNumber : number,
                            index ? RecordLayout::Index : RecordLayout::Article, &container,
                            &error)) {
            report(sourceDir + "/" + built.source.fileName + ": " + error);
            continue;
        }
        const std::string out = outDir + "/" + std::to_string(built.source.resourceId) + ".bin";
        if (!WriteWholeFile(out, container)) report(out + ": cannot be written");
    }
    return problems == 0 ? 0 : 1;
}
