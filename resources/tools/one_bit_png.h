#pragma once
// One-bit greyscale PNG files, the form the program's monochrome bitmaps are stored in. Used by
// the bitmap generator and by tests that make bitmaps of their own.
#include <cstdint>
#include <string>
#include <vector>

// rows[y][x] is 1 for a white (set) pixel and 0 for black.
std::string OneBitPng(const std::vector<std::vector<int>>& rows);
