#include "common/Application.h"
#include "common/MessageBoxes.h"
#include "resources/StimulusMaterial.h"
#include "results/Betrachter.h"
#include "task/Board.h"
#include "task/Order.h"
#include "task/TamriUnit.h"
#include "task/TargetOverlay.h"

#include <QPainter>
#include <QPushButton>

using namespace TamriUnit;

namespace {

constexpr QRgb lightYellow = qRgb(250, 250, 170);
constexpr QRgb white = qRgb(255, 255, 255);
constexpr QRgb grey = qRgb(170, 170, 170);

int tagOf(const QPushButton *button)
{
    return button->property("tag").toInt();
}

} // namespace

void TtamriForm::UbungOeffnen(QPushButton *sender)
{
    const int tag = tagOf(sender);
    if (tag == 1) {
        datenbetrachter->exec();
        if (!common::endingAtOnce)
            close();
        return;
    }

    const bool numbers = tag == 2;
    taskColumns = numbers ? 9 : 7;
    taskRows = numbers ? 7 : 5;
    numbersMode = numbers;
    const std::uint16_t size = numbers ? 70 : 103;
    QPushButton *taskButton = numbers ? ladenBB_2 : ladenBB_1;
    QPushButton *otherButton = numbers ? ladenBB_1 : ladenBB_2;
    otherButton->setEnabled(false);
    otherButton->hide();
    taskButton->setEnabled(false);

    lastIndex = static_cast<std::uint8_t>(taskColumns * taskRows - 1);
    centreIndex = lastIndex / 2;
    drawPresentationOrders();
    showInstruction();
    setFullScreen(lightYellow);
    if (!numbersMode)
        // In the cells' own pixel format, so cutting the tiles is a plain copy.
        testIma = StimulusMaterial::stimulusSheet().convertToFormat(QImage::Format_RGB32);
    prepareGrid(size);
    ctrlPanel->hide();
    setFullScreen(white);
    repaint();
    buildBoard();
    testIma = QImage();
    currentTarget = 0;
    presentTarget(0);
    keepPointer(true);
    overlay->surface = {common::msSansSerif(13), Qt::black, Qt::white};
    lastTick = platform::os().tickCount();
    // Keep the keyboard away from the hidden buttons: only Escape may act during the task.
    setFocus();
}

void TtamriForm::showInstruction()
{
    const QPoint position = instructionPosition(common::screenSize(), instrImage1->size());
    instrImage1->move(position);
    const int bottom = position.y() + instrImage1->height();
    instrImage1->show();
    common::showInformationBox(
        QStringLiteral("Versuchen Sie bitte das Bild in der Mitte noch einmal zu finden \r"
                       "und es mit einem Mausklick zu markieren.\r"
                       "Es werden nacheinander alle Bilder in der Mitte gezeigt, arbeiten Sie\r"
                       "bitte so schnell wie möglich.\r"
                       "Nachdem Sie alle Bilder gefunden haben, werden Ihre Ergebnisse gezeigt !"),
        bottom + 10);
    instrImage1->hide();
    delete instrImage1;
    instrImage1 = nullptr;
}

void TtamriForm::presentTarget(std::uint8_t k)
{
    for (int row = 0; row < gridRows; ++row)
        for (int column = 0; column < gridColumns; ++column) {
            const TTeil *target = cells[column][row];
            if (target->orderIndex != static_cast<std::int8_t>(k))
                continue;
            QPainter painter(&cells[centreColumn][centreRow]->canvas());
            painter.setCompositionMode(QPainter::CompositionMode_Source);
            painter.drawImage(cellRect.topLeft(), target->picture(), cellRect);
            painter.end();
            // The window's repaint draws only what is marked dirty.
            cells[centreColumn][centreRow]->update();
            drawTargetFrame();
            targetColumn = static_cast<std::uint16_t>(target->column);
            targetRow = static_cast<std::uint16_t>(target->row);
            return;
        }
}

void TtamriForm::drawTargetFrame()
{
    const int margin = numbersMode ? 20 : 2;
    overlay->drawFrameAndCounter(targetFrame(cells[centreColumn][centreRow]->pos(), tileSize, margin),
                                 QString::number(currentTarget));
    repaint();
}

void TtamriForm::ImageClick(TImage *sender)
{
    auto *cell = static_cast<TTeil *>(sender);
    if (cell->column == centreColumn && cell->row == centreRow)
        return;
    if (cell->column != targetColumn || cell->row != targetRow)
        return;

    const std::uint32_t now = platform::os().tickCount();
    cell->searchTime = searchTimeBetween(lastTick, now);
    lastTick = now;
    ++currentTarget;
    if (currentTarget == lastIndex / 2)
        ++currentTarget;
    if (currentTarget != gridRows * gridColumns) {
        presentTarget(currentTarget);
        return;
    }

    keepPointer(false);
    common::showPlainBox(QStringLiteral("D A N K E  !\rSie haben alle Bilder gefunden."));
    hideCells();
    setFullScreen(grey);
    ctrlPanel->show();
    QPushButton *resultsButton = numbersMode ? ladenBB_2 : ladenBB_1;
    resultsButton->setProperty("tag", 1);
    resultsButton->setEnabled(true);
    resultsButton->setText(numbersMode ? QStringLiteral("Ergebnisse Zahlen") : QStringLiteral("Ergebnisse Bilder"));
}
