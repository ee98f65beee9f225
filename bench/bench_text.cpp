// Laying out and painting articles with the text engine, in the real font on a headless screen,
// and in the same run Pango laying out the same text (Unicode, reading order) at the same width
// in the same font. The closing lines give the time per layout of both and their ratio.
#include <benchmark/benchmark.h>
#include <pango/pangocairo.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "book_encoding.h"
#include "book_files.h"
#include "platform/gdi/gdi.h"
#include "platform/heap.h"
#include "platform/host/host_headless.h"
#include "platform/services/shell_services.h"
#include "platform/user/user.h"
#include "reader/app_state.h"
#include "store/record_list.h"
#include "text/layout.h"
#include "text/paint.h"
#include "text/style_font.h"

namespace {

constexpr int kPaneWidth = 227;
constexpr int kPaneHeight = 314;
constexpr int kFontHeight = 16;
constexpr char kFace[] = "Frank Ruehl CLM";
constexpr size_t kLargeArticle = 64 * 1024 - 600;  // just under the 16-bit offset limit

struct Article {
    std::vector<uint8_t> list;  // the RecordList, end record included
    std::string unicode;        // UTF-8, reading order, one paragraph a line
    PangoAttrList* attrs = nullptr;
};

Article g_article5, g_large;
HDC g_dc = nullptr;
TextPane* g_pane = nullptr;
int g_emPixels = 0;

size_t ListSize(const uint8_t* list) {
    const uint8_t* r = list;
    while (!IsArticleListEnd(r)) r = NextArticleRecord(r);
    return size_t(r - list) + 3;
}

// The article's text as Pango gets it: each text record decoded into reading order, with its
// size and weight as attributes; rules are left out.
void BuildUnicode(Article& a) {
    a.attrs = pango_attr_list_new();
    for (const uint8_t* r = a.list.data(); !IsArticleListEnd(r); r = NextArticleRecord(r)) {
        uint8_t style = ArticleRecordStyle(r);
        if (IsSeparatorStyle(style)) continue;
        StoredOrder order = (style & kRightToLeft) ? StoredOrder::Display : StoredOrder::Reading;
        std::string text =
            EncodeUtf8(DecodeBookText(ArticleRecordText(r), ArticleRecordTextLength(r), order));
        guint start = guint(a.unicode.size());
        a.unicode += text;
        guint end = guint(a.unicode.size());
        a.unicode += '\n';
        double scale = (style & kLargerFont) ? 1.25 : (style & kSmallerFont) ? 0.75 : 1.0;
        PangoAttribute* size = pango_attr_size_new_absolute(int(g_emPixels * scale * PANGO_SCALE));
        size->start_index = start;
        size->end_index = end;
        pango_attr_list_insert(a.attrs, size);
        if (style & kBoldFont) {
            PangoAttribute* bold = pango_attr_weight_new(PANGO_WEIGHT_BOLD);
            bold->start_index = start;
            bold->end_index = end;
            pango_attr_list_insert(a.attrs, bold);
        }
    }
}

bool LoadArticles(const std::string& dir) {
    std::optional<std::string> bytes = ReadWholeFile(dir + "/1005.bin");
    if (!bytes) {
        std::fprintf(stderr, "bench_text: %s/1005.bin cannot be read\n", dir.c_str());
        return false;
    }
    uint8_t* list = UnpackContainer(reinterpret_cast<const uint8_t*>(bytes->data()), bytes->size(),
                                    RecordLayout::Article);
    if (!list) return false;
    size_t size = ListSize(list);
    g_article5.list.assign(list, list + size);
    // The large article repeats article 5's records up to just under 64 KB.
    std::vector<uint8_t>& large = g_large.list;
    while (true) {
        bool added = false;
        for (const uint8_t* r = list; !IsArticleListEnd(r); r = NextArticleRecord(r)) {
            size_t n = size_t(NextArticleRecord(r) - r);
            if (large.size() + n > kLargeArticle) break;
            large.insert(large.end(), r, r + n);
            added = true;
        }
        if (!added || large.size() + 200 > kLargeArticle) break;
    }
    large.insert(large.end(), {0, 0, 0});
    HeapFreeBlock(list);
    return true;
}

// The engine lays out a copy that the pane owns; it is laid out again without release.
void LayOutAgain(benchmark::State& state, const Article& a) {
    auto* list = static_cast<uint8_t*>(HeapAllocBlock(a.list.size()));
    std::memcpy(list, a.list.data(), a.list.size());
    if (LayoutText(g_pane, list, true) != kLayoutDone) state.SkipWithError("layout failed");
    for (auto _ : state) {
        benchmark::DoNotOptimize(LayoutText(g_pane, list, false));
    }
    state.counters["lines"] = g_pane->lineCount;
    state.counters["bytes"] = double(a.list.size());
}

void BM_LayoutArticle5(benchmark::State& state) {
    LayOutAgain(state, g_article5);
}
BENCHMARK(BM_LayoutArticle5)->Unit(benchmark::kMicrosecond);

void BM_Layout64K(benchmark::State& state) {
    LayOutAgain(state, g_large);
}
BENCHMARK(BM_Layout64K)->Unit(benchmark::kMicrosecond);

void BM_PaintPane(benchmark::State& state) {
    auto* list = static_cast<uint8_t*>(HeapAllocBlock(g_article5.list.size()));
    std::memcpy(list, g_article5.list.data(), g_article5.list.size());
    LayoutText(g_pane, list, true);
    g_pane->firstRow = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(PaintPane(g_pane, true));
    }
    state.counters["rows"] = g_pane->rowsPainted;
}
BENCHMARK(BM_PaintPane)->Unit(benchmark::kMicrosecond);

void PangoLayOut(benchmark::State& state, const Article& a) {
    PangoFontMap* map = pango_cairo_font_map_get_default();
    PangoContext* context = pango_font_map_create_context(map);
    PangoLayout* layout = pango_layout_new(context);
    PangoFontDescription* font = pango_font_description_from_string(kFace);
    pango_font_description_set_absolute_size(font, g_emPixels * PANGO_SCALE);
    pango_layout_set_font_description(layout, font);
    pango_layout_set_width(layout, kPaneWidth * PANGO_SCALE);
    pango_layout_set_wrap(layout, PANGO_WRAP_WORD);
    pango_layout_set_auto_dir(layout, TRUE);
    pango_layout_set_attributes(layout, a.attrs);
    int lines = 0;
    for (auto _ : state) {
        // Setting the text drops the previous layout; asking for the lines lays it out.
        pango_layout_set_text(layout, a.unicode.data(), int(a.unicode.size()));
        lines = pango_layout_get_line_count(layout);
        benchmark::DoNotOptimize(lines);
    }
    state.counters["lines"] = lines;
    pango_font_description_free(font);
    g_object_unref(layout);
    g_object_unref(context);
}

void BM_PangoArticle5(benchmark::State& state) {
    PangoLayOut(state, g_article5);
}
BENCHMARK(BM_PangoArticle5)->Unit(benchmark::kMicrosecond);

void BM_Pango64K(benchmark::State& state) {
    PangoLayOut(state, g_large);
}
BENCHMARK(BM_Pango64K)->Unit(benchmark::kMicrosecond);

// Prints as usual and remembers each benchmark's time per iteration for the closing ratios.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            const bool single = run.run_type == Run::RT_Iteration || run.aggregate_name == "median";
            if (single) times_[run.run_name.function_name] = run.GetAdjustedRealTime();
        }
    }
    void PrintRatios() const {
        Ratio("article 5", "BM_LayoutArticle5", "BM_PangoArticle5");
        Ratio("64 KB article", "BM_Layout64K", "BM_Pango64K");
    }

private:
    void Ratio(const char* what, const char* ours, const char* pango) const {
        auto a = times_.find(ours), b = times_.find(pango);
        if (a == times_.end() || b == times_.end() || a->second == 0) return;
        std::printf(
            "%s at width %d: LayoutText %.0f us, Pango %.0f us: Pango takes %.2f x as long\n", what,
            kPaneWidth, a->second, b->second, b->second / a->second);
    }
    std::map<std::string, double> times_;
};

LRESULT PageProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    return DefWindowProc(w, msg, wp, lp);
}

}  // namespace

int main(int argc, char** argv) {
    std::string dir = ORVANEL_BOOK_CONTAINER_DIR;
    if (argc > 1 && argv[1][0] != '-') {
        dir = argv[1];
        --argc;
        ++argv;
    }
    HeadlessHost host(240, 320);
    CreateShellWindows();
    App.Font = FontRecord{};
    for (size_t i = 0; kFace[i]; ++i) App.Font.FaceName[i] = char16_t(kFace[i]);
    App.Font.FontSize = kFontHeight;
    App.Font.FontAsciiBase = 1488;
    WNDCLASS wc{};
    wc.lpfnWndProc = PageProc;
    wc.lpszClassName = u"BenchPage";
    wc.hbrBackground = GetStockObject(WHITE_BRUSH);
    RegisterClass(&wc);
    HWND page = CreateWindowEx(0, u"BenchPage", u"", WS_VISIBLE, 0, 0, 240, 320, nullptr, nullptr,
                               nullptr, nullptr);
    g_dc = GetDC(page);
    RECT area{6, 3, 6 + kPaneWidth, 3 + kPaneHeight};
    g_pane = CreateTextPane(g_dc, &area, &App.Font, 100);
    // Pango gets the engine's own em size: the cell height less the internal leading.
    HGDIOBJ before = SelectStyleFont(g_pane, 1);
    TEXTMETRIC tm{};
    GetTextMetrics(g_dc, &tm);
    SelectObject(g_dc, before);
    g_emPixels = tm.tmHeight - tm.tmInternalLeading;
    if (!LoadArticles(dir)) return 1;
    BuildUnicode(g_article5);
    BuildUnicode(g_large);
    std::printf("article 5: %zu bytes; large article: %zu bytes; font %s, %d px cell, %d px em\n",
                g_article5.list.size(), g_large.list.size(), kFace, kFontHeight, g_emPixels);

    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatios();
    benchmark::Shutdown();
    DestroyTextPane(g_pane, true);
    ReleaseDC(page, g_dc);
    return 0;
}
