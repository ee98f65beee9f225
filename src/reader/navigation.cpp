#include "reader/navigation.h"

#include "platform/heap.h"
#include "reader/app_state.h"
#include "reader/panes.h"
#include "reader/reader_hooks.h"
#include "reader/selection.h"
#include "store/record_list.h"
#include "text/layout.h"

uint8_t* LoadArticleList(int article) {
    uint8_t* list = LoadRecordList(article);
    if (list && !IsLayoutableArticle(list)) {
        HeapFreeBlock(list);
        return nullptr;
    }
    return list;
}

void SelectLesson(int article) {
    if (article == 0) {
        if (App.Lesson == 0) {
            App.Lesson = 1;
            App.LastPosition = 0;
        }
    } else if (App.Lesson != article) {
        App.Lesson = uint16_t(article);
        App.LastPosition = 0;
    }
}

int GoToArticle(HWND window, uint32_t article) {
    uint16_t lesson = App.Lesson;
    uint32_t flags = App.Flags;
    if (article != kReloadArticle) SelectLesson(int(article));
    uint8_t* list = LoadArticleList(App.Lesson);
    if (!list) {
        App.Lesson = lesson;
        App.Flags = flags;
        return 1;
    }
    if (article != kReloadArticle) ClearSelections();  // it was of the article that goes
    if (App.TopPane) {
        LayoutText(App.TopPane, list, true);
        App.TopPane->firstRow = 0;
    } else {
        HeapFreeBlock(list);
    }
    if (article != kReloadArticle) LoadBottomArticle(window);
    RepaintPanes(window, kPaintAll);
    if (Hooks.articleShown) Hooks.articleShown();
    return 0;
}

int ShowArticlePair(HWND window, uint32_t article) {
    if (article < 1) return 1;
    const bool companion = article % 2 == 0;
    const uint32_t odd = companion ? article - 1 : article;
    if (odd != App.Lesson && GoToArticle(window, odd) != 0) return 1;
    if (companion && !App.BottomPane) return 1;
    App.ActivePane = companion ? App.BottomPane : App.TopPane;
    App.ActiveScrollBar = companion ? App.BottomScrollBar : App.TopScrollBar;
    if (App.ActivePane->firstRow != 0) {
        App.ActivePane->firstRow = 0;
        RepaintPanes(window, companion ? kPaintBottom : kEraseTop | kPaintTop);
    }
    return 0;
}

int StepArticle(HWND window, int delta) {
    int n = App.Lesson + delta;
    if (n > 26)
        n = 1;
    else if (n < 1)
        n = 25;
    return GoToArticle(window, uint32_t(n));
}

int LoadBottomArticle(HWND window) {
    uint8_t* list = LoadArticleList(App.Lesson + 1);
    if (!list) return MessageBox(window, u"Resource not found", u"Error", MB_ICONEXCLAMATION);
    if (!App.BottomPane) {
        HeapFreeBlock(list);
        return 0;
    }
    LayoutText(App.BottomPane, list, true);
    App.BottomPane->firstRow = 0;
    return 0;
}
