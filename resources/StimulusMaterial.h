#pragma once

#include <QByteArrayView>
#include <QIcon>
#include <QImage>
#include <QRect>

#include <stdexcept>

// The pictures the test shows, embedded in the program and decoded without Qt's image plugins.
namespace StimulusMaterial {

struct MaterialError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

inline constexpr int sheetWidth = 743;
inline constexpr int sheetHeight = 537;
inline constexpr int columns = 7;
inline constexpr int rows = 5;
inline constexpr int tileSize = 103;
inline constexpr int blankTile = 17;

// Square of the tile in `column`, `row` on the sheet; tile number = 7 * row + column.
inline QRect tileRect(int column, int row, int size)
{
    return QRect(15 + column * size, 10 + row * size, size, size);
}

// A packed DIB: BITMAPINFOHEADER followed by uncompressed 24-bit rows. Anything else throws.
QImage sheetFromDib(QByteArrayView bytes);
QImage stimulusSheet();

QImage decodeJpeg(QByteArrayView bytes);
QImage instructionPicture();

QIcon programIcon();

} // namespace StimulusMaterial
