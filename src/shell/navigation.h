#pragma once
// Moving between article pairs.

// Makes an article the current one. With 0: article 1 when none is current yet.
void SelectLesson(int article);
