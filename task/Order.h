#pragma once

#include <cstdint>

namespace TamriUnit {

// The run's single pseudo-random seed, set when the main window is created.
inline std::uint32_t randSeed = 0;

// Next value from 0 to n - 1 (n > 0): a 32-bit linear congruential step, then the upper
// half of seed * n.
std::uint32_t randomBelow(std::uint32_t n);

// Leaves in drawList the values 0 .. n - 1 without centreIndex, in the random order of
// their first draw.
void drawPermutation(std::uint8_t n);

// Fills presentationOrder and cellContent with two independent draws, each holding
// centreIndex at the centre position, and releases drawList.
void drawPresentationOrders();

} // namespace TamriUnit
