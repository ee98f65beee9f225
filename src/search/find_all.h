#pragma once
// Find All: every place where SearchString occurs in the book, in the order in which Search
// Again would show them from the current position, once round the book.
#include <cstdint>
#include <vector>

struct TextPane;

// One occurrence, as Search Again shows it: the article, the hit's highest byte (the highlight
// ends one past it) and its length, and the number of its record in the article (0 the title).
struct FoundPlace {
    uint8_t article = 0;
    uint16_t offset = 0;
    uint16_t length = 0;
    uint16_t paragraph = 0;
    bool operator==(const FoundPlace&) const = default;
};

// Where a search of the book starts now: the pane it goes on from (nullptr without panes), the
// article that pane shows, its text and the offset in it, and whether the even articles are
// left out (no bottom section).
struct SearchOrigin {
    TextPane* pane = nullptr;
    bool bottom = false;
    int startArticle = 0;
    const uint8_t* paneText = nullptr;
    uint16_t startOffset = 0;
    bool skipEvenArticles = false;
};
SearchOrigin CurrentSearchOrigin();

// Every place of `pattern` in an article's text from `start` on (0: the whole article), each one
// wholly below the one before, as repeated Search Again finds them.
void ArticlePlaces(const uint8_t* text, uint16_t start, const uint8_t* pattern, int article,
                   std::vector<FoundPlace>* out);

// The record number that holds `offset` in an article's text.
uint16_t ParagraphOf(const uint8_t* text, uint16_t offset);

// The places of one round of Search Again, with the texts they lie in.
struct PlaceList {
    std::vector<FoundPlace> places;
    int articles = 0;  // how many articles hold a place
    // Each article's text; the start article's is the pane's own (borrowed), the others are
    // loaded for the list and freed by FreePlaceTexts unless handed on.
    const uint8_t* texts[27] = {};
    bool owned[27] = {};
};

// The places Search Again would show press by press from `origin`: the rest of the start
// article, every other article in the walk's order, and then the start article from its
// beginning up to the first place listed. When a round of Search Again comes back to its first
// place, the list is exactly one round.
PlaceList FindAllPlaces(const uint8_t* pattern, const SearchOrigin& origin);
// Frees the texts the list loaded.
void FreePlaceTexts(PlaceList* list);
// The loaded text of an article, now the caller's (nullptr when the list does not own one).
uint8_t* TakePlaceText(PlaceList* list, int article);

// Whether place a comes before place b in a walk through the book from article 1.
bool PlaceBefore(const FoundPlace& a, const FoundPlace& b);
