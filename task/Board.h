#pragma once

#include <QPoint>
#include <QSize>

#include <cstdint>

namespace TamriUnit {

// Where the cells of a grid go on a screen: the gaps share out the screen less a 10 px
// margin on each side, then the block is centred. Signed 32-bit, truncating division.
struct BoardLayout {
    std::int32_t gapX;
    std::int32_t gapY;
    std::int32_t boardLeft;
    std::int32_t boardTop;
    std::int32_t tileSize;

    QPoint cellPosition(int column, int row) const
    {
        return {boardLeft + column * (tileSize + gapX), boardTop + row * (tileSize + gapY)};
    }
};

BoardLayout boardLayout(QSize screen, std::uint16_t columns, std::uint16_t rows, std::uint16_t tileSize);

// The corners the red frame is drawn through, `margin` outside a cell at `cell`.
struct FrameCorners {
    int left;
    int top;
    int right;
    int bottom;
};

FrameCorners targetFrame(QPoint cell, int tileSize, int margin);

// The top-left corner of the instruction picture on the screen.
QPoint instructionPosition(QSize screen, QSize picture);

// Seconds in whole tenths between two readings of the wrapping millisecond tick.
double searchTimeBetween(std::uint32_t previousTick, std::uint32_t now);

} // namespace TamriUnit
