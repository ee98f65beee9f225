#include "shell/navigation.h"

#include "shell/app_state.h"

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
