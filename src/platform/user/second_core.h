#pragma once
// A second thread for work that splits in two, such as composing the halves of a large screen.
#include <functional>

// Runs `here` on the calling thread and `there` on the helper thread at the same time, and
// returns when both are done. With a single processor, or when the helper cannot start, both
// run here, one after the other.
void RunOnTwoCores(const std::function<void()>& here, const std::function<void()>& there);
