// Reads the target counter at the top left of the board from its pixels: the digits are
// learnt from the counters themselves, so no font file is needed.
#pragma once

#include "BoardLayout.h"
#include "Image.h"

#include <vector>

// The counter's text sits with its top-left corner at (15, 5), above every board.
constexpr Rect counterBand{15, 5, 48, 20};

// Column runs with ink: one per glyph (the font leaves a blank column between digits).
std::vector<Image> glyphs(const Image &band);
// Learns the digits from the counters of targets 1 to 10, then reads every counter.
void checkCounters(const std::vector<Image> &bands, const Board &board);
