#include "search/find_all.h"

#include <cstring>

#include "platform/heap.h"
#include "reader/app_state.h"
#include "reader/navigation.h"
#include "search/find_next.h"
#include "search/matcher.h"
#include "store/record_list.h"
#include "store/records.h"
#include "text/text_pane.h"

SearchOrigin CurrentSearchOrigin() {
    SearchOrigin o;
    o.skipEvenArticles = App.BottomSection < 10;
    TextPane* pane = App.ActivePane ? App.ActivePane : App.TopPane;
    // A bottom pane that is not shown is neither searched from nor searched into view: the
    // search goes on from the top pane.
    if (o.skipEvenArticles && pane == App.BottomPane) pane = App.TopPane;
    o.pane = pane;
    o.bottom = pane && pane == App.BottomPane;
    o.startArticle = App.Lesson + (o.bottom ? 1 : 0);
    o.paneText = pane ? pane->text : nullptr;
    o.startOffset = o.paneText ? SearchStartOffset(pane) : 0;
    return o;
}

// The walk through one article is the one SearchArticleText and Search Again make: the record
// holding `start` from there down, then every later record from its end down; after a hit the
// search goes on just below it, or with the next record when the hit begins its record's text.
void ArticlePlaces(const uint8_t* text, uint16_t start, const uint8_t* pattern, int article,
                   std::vector<FoundPlace>* out) {
    if (!text || !pattern || !pattern[0]) return;
    const int32_t m = int32_t(strnlen(reinterpret_cast<const char*>(pattern), kSearchStringLimit));
    uint16_t paragraph = 0;
    for (const uint8_t* record = text; !IsArticleListEnd(record);
         record = NextArticleRecord(record), ++paragraph) {
        const int32_t first = int32_t(ArticleRecordText(record) - text);
        const int32_t zero = first + int32_t(ArticleRecordTextLength(record));
        if (start > zero) continue;
        int32_t from = start >= first ? start : zero - 1;
        start = 0;
        MatchResult hit;
        while (from >= first && MatchBackward(text, first, pattern, m, from, &hit)) {
            out->push_back(
                {uint8_t(article), uint16_t(hit.position), uint16_t(hit.length), paragraph});
            from = hit.position - hit.length;  // one below the hit's lowest byte
        }
    }
}

uint16_t ParagraphOf(const uint8_t* text, uint16_t offset) {
    uint16_t paragraph = 0;
    if (!text) return 0;
    for (const uint8_t* record = text; !IsArticleListEnd(record);
         record = NextArticleRecord(record), ++paragraph) {
        const size_t zero =
            size_t(ArticleRecordText(record) - text) + ArticleRecordTextLength(record);
        if (offset <= zero) return paragraph;
    }
    return paragraph;
}

bool PlaceBefore(const FoundPlace& a, const FoundPlace& b) {
    if (a.article != b.article) return a.article < b.article;
    if (a.paragraph != b.paragraph) return a.paragraph < b.paragraph;
    return a.offset > b.offset;
}

PlaceList FindAllPlaces(const uint8_t* pattern, const SearchOrigin& origin) {
    PlaceList list;
    if (!pattern || !pattern[0]) return list;
    const int start = origin.startArticle;
    const bool startShown = origin.paneText && start >= kFirstArticle && start <= kLastArticle;
    if (origin.paneText)
        ArticlePlaces(origin.paneText, origin.startOffset, pattern, start, &list.places);
    // The walk of SearchBook: at most one round, the start article last.
    for (int i = start, visited = 0; visited < kLastArticle; ++visited) {
        if (++i > kLastArticle) i = kFirstArticle;
        if (i == start) break;
        if (origin.skipEvenArticles && i % 2 == 0) continue;
        uint8_t* text = LoadArticleList(i);
        if (!text) continue;
        const size_t before = list.places.size();
        ArticlePlaces(text, 0, pattern, i, &list.places);
        if (list.places.size() == before) {
            HeapFreeBlock(text);
            continue;
        }
        list.texts[i] = text;
        list.owned[i] = true;
    }
    if (origin.paneText) {
        // Back in the start article from its beginning, up to the place the list began with.
        std::vector<FoundPlace> again;
        ArticlePlaces(origin.paneText, 0, pattern, start, &again);
        const bool hadRest = !list.places.empty() && list.places.front().article == start;
        const FoundPlace first = hadRest ? list.places.front() : FoundPlace{};
        for (const FoundPlace& p : again) {
            if (hadRest && !PlaceBefore(p, first)) break;
            list.places.push_back(p);
        }
        if (startShown) list.texts[start] = origin.paneText;
    }
    // The start article can hold places at both ends of the list: each article counts once.
    bool counted[27] = {};
    for (const FoundPlace& p : list.places) {
        if (p.article < 27 && !counted[p.article]) ++list.articles;
        if (p.article < 27) counted[p.article] = true;
    }
    return list;
}

void FreePlaceTexts(PlaceList* list) {
    for (int i = 0; i < 27; ++i) {
        if (list->owned[i]) HeapFreeBlock(const_cast<uint8_t*>(list->texts[i]));
        list->texts[i] = nullptr;
        list->owned[i] = false;
    }
}

uint8_t* TakePlaceText(PlaceList* list, int article) {
    if (article < 0 || article >= 27 || !list->owned[article]) return nullptr;
    uint8_t* text = const_cast<uint8_t*>(list->texts[article]);
    list->owned[article] = false;
    return text;
}
