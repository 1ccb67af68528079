// Where the board lies, with the program's integer layout. A copy of the layout rule, not the
// program's own function: the player checks where the program puts the cells, so it works
// them out by itself (and boardShown pins the result against corners worked out by hand).
#pragma once

#include "Image.h"

struct Board {
    bool numbers = false;
    int columns = 0, rows = 0, tile = 0, gapX = 0, gapY = 0, left = 0, top = 0;

    Board(bool numbersTask, int screenWidth, int screenHeight)
        : numbers(numbersTask)
    {
        columns = numbers ? 9 : 7;
        rows = numbers ? 7 : 5;
        tile = numbers ? 70 : 103;
        gapX = (screenWidth - 20 - columns * tile) / columns;
        gapY = (screenHeight - 20 - rows * tile) / rows;
        left = (screenWidth - (columns * tile + (columns - 1) * gapX)) / 2;
        top = (screenHeight - (rows * tile + (rows - 1) * gapY)) / 2;
    }

    int centreColumn() const { return columns / 2; }
    int centreRow() const { return rows / 2; }
    int targets() const { return columns * rows - 1; }
    Rect cell(int c, int r) const { return {left + c * (tile + gapX), top + r * (tile + gapY), tile, tile}; }
    Rect centre() const { return cell(centreColumn(), centreRow()); }

    // The Pictures frame pen reaches into the centre cell's edge, so compare inside it.
    Rect interior(int c, int r) const
    {
        const int inset = numbers ? 0 : 4;
        const Rect whole = cell(c, r);
        return {whole.x + inset, whole.y + inset, whole.w - 2 * inset, whole.h - 2 * inset};
    }

    // The counter shown at target t: the program skips the number of the centre position.
    int counterAt(int t) const { return t < targets() / 2 ? t : t + 1; }
};
