#pragma once
// A scratch array of n elements that lives on the stack when n is at most N and on the heap
// otherwise, so that drawing short runs (a character, a line) allocates nothing.
#include <cstddef>
#include <vector>

template <typename T, size_t N>
class ShortBuffer {
public:
    explicit ShortBuffer(size_t n) {
        if (n > N) heap_.resize(n);
    }
    ShortBuffer(const ShortBuffer&) = delete;
    ShortBuffer& operator=(const ShortBuffer&) = delete;

    T* data() { return heap_.empty() ? stack_ : heap_.data(); }

private:
    T stack_[N];
    std::vector<T> heap_;
};
