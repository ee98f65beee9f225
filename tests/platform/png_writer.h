#pragma once
// Writes small PNG files byte by byte, so tests can make one-bit images the way the resource
// sources are stored.
#include <cstdint>
#include <string>
#include <vector>

// rows[y][x] is 1 for a white (set) pixel and 0 for black.
std::string OneBitPng(const std::vector<std::vector<int>>& rows);
