#include "task/Board.h"

#include "common/Application.h"
#include "common/Drawing.h"
#include "common/Rounding.h"
#include "resources/StimulusMaterial.h"
#include "task/TamriUnit.h"
#include "task/TargetOverlay.h"

#include <QPainter>

namespace TamriUnit {

BoardLayout boardLayout(QSize screen, std::uint16_t columns, std::uint16_t rows, std::uint16_t tileSize)
{
    const std::int32_t width = screen.width();
    const std::int32_t height = screen.height();
    const std::int32_t c = columns;
    const std::int32_t r = rows;
    const std::int32_t t = tileSize;
    BoardLayout layout{};
    layout.tileSize = t;
    layout.gapX = (width - 2 * 10 - c * t) / c;
    layout.gapY = (height - 2 * 10 - r * t) / r;
    layout.boardLeft = (width - (c * t + (c - 1) * layout.gapX)) / 2;
    layout.boardTop = (height - (r * t + (r - 1) * layout.gapY)) / 2;
    return layout;
}

FrameCorners targetFrame(QPoint cell, int tileSize, int margin)
{
    return {cell.x() - margin, cell.y() - margin, cell.x() + tileSize + margin, cell.y() + tileSize + margin};
}

QPoint instructionPosition(QSize screen, QSize picture)
{
    const std::int32_t top = (screen.height() - picture.height()) / 5;
    const std::int32_t left = (screen.width() - picture.width()) / 2;
    return {left, top};
}

double searchTimeBetween(std::uint32_t previousTick, std::uint32_t now)
{
    const std::uint32_t delta = now - previousTick;
    return static_cast<double>(common::Round(static_cast<long double>(delta) / 100.0L)) / 10.0;
}

} // namespace TamriUnit

using namespace TamriUnit;

void TtamriForm::prepareGrid(std::uint16_t size)
{
    gridRows = taskRows;
    gridColumns = taskColumns;
    tileSize = size;
    tileRects->clear();
    std::uint8_t k = 0;
    for (int row = 0; row < gridRows; ++row)
        for (int column = 0; column < gridColumns; ++column) {
            if (k == lastIndex / 2) {
                centreRow = static_cast<std::uint16_t>(row);
                centreColumn = static_cast<std::uint16_t>(column);
            }
            tileRects->push_back(StimulusMaterial::tileRect(column, row, size));
            ++k;
        }
}

void TtamriForm::buildBoard()
{
    cellRect = QRect(0, 0, tileSize, tileSize);
    const BoardLayout layout = boardLayout(common::screenSize(), gridColumns, gridRows, tileSize);
    gapX = layout.gapX;
    gapY = layout.gapY;
    // The number font: the default drawing font ("MS Shell Dlg 2", 24 pt) in the window-text colour.
    QFont numberFont(QStringLiteral("MS Shell Dlg 2"));
    numberFont.setPixelSize(32);
    const QColor textColour = palette().color(QPalette::WindowText);

    std::uint8_t i = 0;
    for (int row = 0; row < gridRows; ++row)
        for (int column = 0; column < gridColumns; ++column) {
            auto *cell = new TTeil(this);
            cells[column][row] = cell;
            QPainter painter(&cell->canvas());
            painter.setCompositionMode(QPainter::CompositionMode_Source);
            connect(cell, &TImage::clicked, this, &TtamriForm::ImageClick);
            cell->setGeometry(QRect(layout.cellPosition(column, row), QSize(tileSize, tileSize)));
            cell->searchTime = 0.0;
            cell->orderIndex = static_cast<std::int8_t>(presentationOrder[i]);
            cell->column = static_cast<std::int8_t>(column);
            cell->row = static_cast<std::int8_t>(row);
            if (numbersMode) {
                const QColor lightGrey(238, 238, 238);
                painter.fillRect(cellRect, lightGrey);
                painter.setFont(numberFont);
                painter.setPen(textColour);
                common::textOut(painter, QPoint(tileSize / 4, tileSize / 4),
                                QStringLiteral("%1").arg(cellContent[i] + 1, 2, 10, QLatin1Char('0')), lightGrey);
            } else {
                const QRect &tile = (*tileRects)[static_cast<std::size_t>(cellContent[i])];
                painter.drawImage(cellRect.topLeft(), testIma, QRect(tile.topLeft(), cellRect.size()));
            }
            cell->show();
            ++i;
        }
    overlay->raise();
}

void TtamriForm::hideCells()
{
    for (int row = 0; row < gridRows; ++row)
        for (int column = 0; column < gridColumns; ++column)
            cells[column][row]->hide();
}
