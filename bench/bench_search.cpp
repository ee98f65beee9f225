// A search of the whole book for a word that is not in it, as FindNext runs it: the active
// pane's article from its start offset, every other article unpacked and scanned, and the wrap
// back to the first one. In the same run, ICU's string search at primary strength (which also
// ignores the vowel points) over the same book decoded to Unicode once beforehand. The closing
// line gives the time per whole-book miss of both and their ratio.
//
// Find All for the book's most frequent letter: the whole list of its places, every article
// unpacked and every place collected in the order Search Again shows them; beside it ICU's
// string search finding every match of the same letter in the decoded book.
#include <benchmark/benchmark.h>
#include <unicode/ucol.h>
#include <unicode/usearch.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "platform/heap.h"
#include "platform/resources.h"
#include "reader/app_state.h"
#include "search/find_all.h"
#include "search/find_next.h"
#include "search/matcher.h"
#include "store/book_resources.h"
#include "store/record_list.h"
#include "text/convert.h"

namespace {

// "הזזז" as the search field stores it (typed in reading order, each letter in front): the
// anchor, its first letter he, is one of the book's most frequent letters, so every he is tried.
const uint8_t kMissing[] = {'g', 'g', 'g', 'e', 0};
// The same word as the book stores right-to-left text, in Unicode.
const char16_t kMissingUnicode[] = u"\u05D6\u05D6\u05D6\u05D4";

uint8_t* g_firstArticle = nullptr;
uint8_t g_commonLetter[2] = {};  // the book's most frequent letter, as a search string
std::u16string g_commonLetterUnicode;
size_t g_commonLetterCount = 0;
std::vector<std::u16string> g_unicodeBook;
size_t g_letters[27] = {};  // each article, paragraphs on lines
size_t g_bookBytes = 0;

bool LoadBook() {
    App.Font.FontAsciiBase = kUnicodeOutput;
    for (int article = kFirstArticle; article <= kLastArticle; ++article) {
        uint8_t* list = LoadRecordList(article);
        if (!list) return false;
        std::u16string text;
        for (const uint8_t* r = list; !IsArticleListEnd(r); r = NextArticleRecord(r)) {
            const int32_t n = int32_t(ArticleRecordTextLength(r));
            g_bookBytes += size_t(n) + 3;
            int32_t units = 0;
            char16_t* converted =
                ConvertBookRun(ArticleRecordText(r), n, nullptr, nullptr, &units, RunOrder::Stored);
            if (!converted) return false;
            text.append(converted, size_t(units));
            text += u'\n';
            HeapFreeBlock(converted);
        }
        g_unicodeBook.push_back(std::move(text));
        for (const uint8_t* r = list; !IsArticleListEnd(r); r = NextArticleRecord(r)) {
            const uint8_t* t = ArticleRecordText(r);
            for (size_t i = 0; i < ArticleRecordTextLength(r); ++i)
                if (t[i] >= 'a' && t[i] <= '{') ++g_letters[t[i] - 'a'];
        }
        if (article == kFirstArticle)
            g_firstArticle = list;
        else
            HeapFreeBlock(list);
    }
    const size_t most = size_t(std::max_element(g_letters, g_letters + 27) - g_letters);
    g_commonLetter[0] = uint8_t('a' + most);
    int32_t units = 0;
    char16_t* letter =
        ConvertBookRun(g_commonLetter, 1, nullptr, nullptr, &units, RunOrder::Stored);
    if (!letter) return false;
    g_commonLetterUnicode.assign(letter, size_t(units));
    HeapFreeBlock(letter);
    return true;
}

void SetCounters(benchmark::State& state) {
    state.counters["book bytes"] = double(g_bookBytes);
    // Seconds per miss: an inverted rate prints as a time with its own prefix ("34.5us").
    state.counters["time/miss"] = benchmark::Counter(
        double(state.iterations()), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_FindNextWholeBookMiss(benchmark::State& state) {
    for (auto _ : state) {
        // From the top of article 1, with a bottom section, so that all 26 articles are read.
        BookHit hit = SearchBook(kMissing, g_firstArticle, 2, kFirstArticle, false);
        if (hit.place != HitPlace::None) state.SkipWithError("the word is in the book");
        benchmark::DoNotOptimize(hit);
    }
    SetCounters(state);
}
BENCHMARK(BM_FindNextWholeBookMiss);

void BM_IcuSearchWholeBookMiss(benchmark::State& state) {
    UErrorCode status = U_ZERO_ERROR;
    UCollator* collator = ucol_open("he", &status);
    ucol_setStrength(collator, UCOL_PRIMARY);
    const std::u16string& first = g_unicodeBook[0];
    UStringSearch* search =
        usearch_openFromCollator(reinterpret_cast<const UChar*>(kMissingUnicode), -1,
                                 reinterpret_cast<const UChar*>(first.data()),
                                 int32_t(first.size()), collator, nullptr, &status);
    if (U_FAILURE(status)) {
        state.SkipWithError(u_errorName(status));
        return;
    }
    for (auto _ : state) {
        for (const std::u16string& text : g_unicodeBook) {
            usearch_setText(search, reinterpret_cast<const UChar*>(text.data()),
                            int32_t(text.size()), &status);
            int32_t at = usearch_first(search, &status);
            if (at != USEARCH_DONE) state.SkipWithError("ICU found the word");
            benchmark::DoNotOptimize(at);
        }
    }
    usearch_close(search);
    ucol_close(collator);
    SetCounters(state);
}
BENCHMARK(BM_IcuSearchWholeBookMiss);

// Seconds per whole list, and the number of places.
void SetListCounters(benchmark::State& state, size_t places) {
    state.counters["places"] = double(places);
    state.counters["time/list"] = benchmark::Counter(
        double(state.iterations()), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_FindAllCommonLetter(benchmark::State& state) {
    // From past the end of article 1 (as Search Again from the end of a view): every article
    // is unpacked, and article 1 comes last.
    SearchOrigin origin;
    origin.paneText = g_firstArticle;
    origin.startArticle = kFirstArticle;
    origin.startOffset = 0xFFFF;
    size_t places = 0;
    for (auto _ : state) {
        PlaceList list = FindAllPlaces(g_commonLetter, origin);
        places = list.places.size();
        FreePlaceTexts(&list);
        benchmark::DoNotOptimize(places);
    }
    g_commonLetterCount = places;
    SetListCounters(state, places);
}
BENCHMARK(BM_FindAllCommonLetter)->Unit(benchmark::kMillisecond);

void BM_IcuFindAllCommonLetter(benchmark::State& state) {
    UErrorCode status = U_ZERO_ERROR;
    UCollator* collator = ucol_open("he", &status);
    ucol_setStrength(collator, UCOL_PRIMARY);
    const std::u16string& first = g_unicodeBook[0];
    UStringSearch* search =
        usearch_openFromCollator(reinterpret_cast<const UChar*>(g_commonLetterUnicode.c_str()), -1,
                                 reinterpret_cast<const UChar*>(first.data()),
                                 int32_t(first.size()), collator, nullptr, &status);
    if (U_FAILURE(status)) {
        state.SkipWithError(u_errorName(status));
        return;
    }
    size_t places = 0;
    for (auto _ : state) {
        places = 0;
        for (const std::u16string& text : g_unicodeBook) {
            usearch_setText(search, reinterpret_cast<const UChar*>(text.data()),
                            int32_t(text.size()), &status);
            for (int32_t at = usearch_first(search, &status); at != USEARCH_DONE;
                 at = usearch_next(search, &status))
                ++places;
        }
        benchmark::DoNotOptimize(places);
    }
    usearch_close(search);
    ucol_close(collator);
    SetListCounters(state, places);
}
BENCHMARK(BM_IcuFindAllCommonLetter)->Unit(benchmark::kMillisecond);

// Prints as usual and remembers each benchmark's time per miss for the closing ratio.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            const bool single = run.run_type == Run::RT_Iteration || run.aggregate_name == "median";
            for (const char* counter : {"time/miss", "time/list"}) {
                auto it = run.counters.find(counter);
                if (it != run.counters.end() && single)
                    micros_[run.run_name.function_name] = it->second.value * 1e6;
            }
        }
    }
    void PrintRatio() const {
        auto ours = micros_.find("BM_FindNextWholeBookMiss");
        auto icu = micros_.find("BM_IcuSearchWholeBookMiss");
        if (ours != micros_.end() && icu != micros_.end() && ours->second != 0)
            std::printf(
                "whole-book miss: FindNext %.1f us (unpacking included), ICU usearch %.1f us "
                "(text decoded beforehand): FindNext is %.1f x faster\n",
                ours->second, icu->second, icu->second / ours->second);
        auto list = micros_.find("BM_FindAllCommonLetter");
        auto icuList = micros_.find("BM_IcuFindAllCommonLetter");
        if (list == micros_.end() || icuList == micros_.end() || list->second == 0) return;
        std::printf(
            "Find All of the most frequent letter (%zu places): %.2f ms (unpacking included), "
            "ICU usearch %.2f ms (text decoded beforehand): %s is %.1f x faster\n",
            g_commonLetterCount, list->second / 1000, icuList->second / 1000,
            icuList->second >= list->second ? "Find All" : "ICU",
            std::max(icuList->second / list->second, list->second / icuList->second));
    }

private:
    std::map<std::string, double> micros_;
};

}  // namespace

int main(int argc, char** argv) {
    // The book compiled into the program, as the reader reads it; or a folder of containers.
    RegisterBookResources();
    std::string dir = "the program";
    if (argc > 1 && argv[1][0] != '-') {
        dir = argv[1];
        SetBookDirectory(dir);
        --argc;
        ++argv;
    }
    if (!LoadBook()) {
        std::fprintf(stderr, "bench_search: cannot read the book in %s\n", dir.c_str());
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatio();
    HeapFreeBlock(g_firstArticle);
    return 0;
}
