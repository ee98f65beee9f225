#pragma once
// Moving between article pairs: an odd article in the top pane, its companion below.
#include <cstdint>

#include "platform/user/user.h"

// GoToArticle with this lays out `Lesson` again without choosing it (used after a search
// changed `Lesson` itself).
constexpr uint32_t kReloadArticle = 0xF4FFF500;

// The article's RecordList when the pane layout takes it; nullptr when the article is missing,
// and also when the layout would refuse its list (the list is then freed), so that such an
// article is treated as a missing one.
uint8_t* LoadArticleList(int article);
// Makes an article the current one. With 0: article 1 when none is current yet.
void SelectLesson(int article);
// 0 on success, 1 when the article could not be loaded (the former article stays).
int GoToArticle(HWND window, uint32_t article);
// Shows the pair an article belongs to: an odd article in the top pane, made active; an even
// one as the companion below its odd article, active and at its top. 0 on success, 1 when the
// pair could not be loaded (the former one stays).
int ShowArticlePair(HWND window, uint32_t article);
// Previous (-2) or Next (+2), wrapping after 26 and before 1.
int StepArticle(HWND window, int delta);
// 0, or the message box's result after "Resource not found".
int LoadBottomArticle(HWND window);
