#pragma once
// The font sizes a user picks from, smallest first: the Choose Font dialog's size list.

constexpr int kFontSizes[] = {10, 11, 12, 14, 16, 18, 20, 22, 24, 26, 28, 32, 52, 72};
constexpr int kFontSizeCount = int(sizeof kFontSizes / sizeof kFontSizes[0]);
