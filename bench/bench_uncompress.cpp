// Expanding the whole book: UnCompress on the 27 containers, against zlib's inflate of the same
// RecordLists compressed with zlib at its best level. Both count expanded bytes per second and
// include allocating the output, as LoadRecordList does; the ratio of the two is printed last.
//
//   bench_uncompress [CONTAINER_DIR] [benchmark flags]
#include <benchmark/benchmark.h>
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "platform/heap.h"
#include "store/uncompress.h"

namespace {

struct BookEntry {
    std::vector<uint8_t> container;  // header, stream, trailer
    std::vector<uint8_t> list;       // the expanded RecordList
    std::vector<uint8_t> zlib;       // the list compressed with zlib
};

std::vector<BookEntry> g_book;
size_t g_expandedBytes = 0;

unsigned BigEndian16(const uint8_t* p) {
    return (p[0] << 8) | p[1];
}

bool LoadBook(const std::string& dir) {
    std::vector<int> ids;
    for (int id = 1001; id <= 1026; ++id) ids.push_back(id);
    ids.push_back(32767);
    for (int id : ids) {
        std::ifstream in(dir + "/" + std::to_string(id) + ".bin", std::ios::binary);
        if (!in) {
            std::fprintf(stderr, "%s/%d.bin: cannot be read\n", dir.c_str(), id);
            return false;
        }
        BookEntry entry;
        entry.container.assign(std::istreambuf_iterator<char>(in), {});
        if (entry.container.size() < 10) return false;
        const uint8_t* body = entry.container.data() + 6;
        uint8_t* list = UnCompress(body + 4, BigEndian16(body), BigEndian16(body + 2));
        if (list == nullptr) return false;
        entry.list.assign(list, list + BigEndian16(body + 2));
        HeapFreeBlock(list);
        uLongf size = compressBound(entry.list.size());
        entry.zlib.resize(size);
        if (compress2(entry.zlib.data(), &size, entry.list.data(), entry.list.size(),
                      Z_BEST_COMPRESSION) != Z_OK) {
            return false;
        }
        entry.zlib.resize(size);
        g_expandedBytes += entry.list.size();
        g_book.push_back(std::move(entry));
    }
    return true;
}

void SetRateCounters(benchmark::State& state, size_t compressedBytes) {
    const double bytes = static_cast<double>(g_expandedBytes) * state.iterations();
    state.counters["MB/s"] = benchmark::Counter(bytes / 1e6, benchmark::Counter::kIsRate);
    state.counters["expanded"] = static_cast<double>(g_expandedBytes);
    state.counters["compressed"] = static_cast<double>(compressedBytes);
}

void BM_UnCompressBook(benchmark::State& state) {
    size_t compressed = 0;
    for (const BookEntry& e : g_book) compressed += BigEndian16(e.container.data() + 6);
    for (auto _ : state) {
        for (const BookEntry& e : g_book) {
            const uint8_t* body = e.container.data() + 6;
            uint8_t* list = UnCompress(body + 4, BigEndian16(body), BigEndian16(body + 2));
            benchmark::DoNotOptimize(list);
            HeapFreeBlock(list);
        }
    }
    SetRateCounters(state, compressed);
}
BENCHMARK(BM_UnCompressBook);

void BM_ZlibInflateBook(benchmark::State& state) {
    size_t compressed = 0;
    for (const BookEntry& e : g_book) compressed += e.zlib.size();
    for (auto _ : state) {
        for (const BookEntry& e : g_book) {
            auto* list = static_cast<uint8_t*>(HeapAllocBlock(e.list.size() + 2));
            uLongf size = e.list.size();
            if (uncompress(list, &size, e.zlib.data(), e.zlib.size()) != Z_OK) {
                state.SkipWithError("zlib could not inflate a list");
            }
            benchmark::DoNotOptimize(list);
            HeapFreeBlock(list);
        }
    }
    SetRateCounters(state, compressed);
}
BENCHMARK(BM_ZlibInflateBook);

// Prints as usual and remembers each benchmark's MB/s for the closing ratio.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            auto it = run.counters.find("MB/s");
            // With repetitions, the median stands for the benchmark.
            const bool single = run.run_type == Run::RT_Iteration || run.aggregate_name == "median";
            if (it != run.counters.end() && single) {
                rates_[run.run_name.function_name] = it->second.value;
            }
        }
    }
    void PrintRatio() const {
        auto ours = rates_.find("BM_UnCompressBook");
        auto zlib = rates_.find("BM_ZlibInflateBook");
        if (ours == rates_.end() || zlib == rates_.end() || zlib->second == 0) return;
        std::printf("UnCompress %.1f MB/s, zlib inflate %.1f MB/s: UnCompress is %.2f x zlib\n",
                    ours->second, zlib->second, ours->second / zlib->second);
    }

private:
    std::map<std::string, double> rates_;
};

}  // namespace

int main(int argc, char** argv) {
    std::string dir = ORVANEL_BOOK_CONTAINER_DIR;
    if (argc > 1 && argv[1][0] != '-') {
        dir = argv[1];
        --argc;
        ++argv;
    }
    if (!LoadBook(dir)) return 1;
    size_t ours = 0, zlib = 0;
    for (const BookEntry& e : g_book) {
        ours += e.container.size();
        zlib += e.zlib.size();
    }
    std::printf("book: %zu bytes expanded, %zu in containers, %zu with zlib -9\n", g_expandedBytes,
                ours, zlib);
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatio();
    benchmark::Shutdown();
    return 0;
}
