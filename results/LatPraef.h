#pragma once

#include "common/Application.h"

#include <QBrush>
#include <QDialog>
#include <QImage>
#include <QPoint>
#include <QSize>

#include <array>
#include <cstdint>

class QLabel;
class QPushButton;
class TImage;

namespace LatPraef {

constexpr int maxLines = 10;

// Statistics over the positive search times of the finished task. The results windows
// recompute them from the cells whenever they show them.
inline double meanTime = 0;
inline double timeDeviation = 0;
inline double lineAverage = 0;
inline std::array<double, maxLines> columnAverages{};
inline std::array<double, maxLines> rowAverages{};
inline double maxColumnAverage = 0;
inline double maxRowAverage = 0;

void computeMeanAndDeviation();
void columnAverage(std::uint8_t c);
void rowAverage(std::uint8_t r);
void computeLineAverages();

// Back to the program-start values.
void resetStatistics();

constexpr int marginX = 100;
constexpr int marginY = 100;

// Where the lateral preference picture lies in its window and how it is divided, for a
// screen and a grid.
struct LateralGeometry {
    std::uint16_t imageWidth = 0;
    std::uint16_t imageHeight = 0;
    int imageLeft = 0;
    int imageTop = 0;
    std::uint8_t boxSize = 0;
    int boxPitch = 0;
    int barBase = 0;
    int rowBarSpan = 0;
    int columnBarSpan = 0;

    // Grid column and row indices count from 0, the drawing from 1: column 0 lies one
    // pitch left of the margin.
    int boxLeft(int column) const { return (column - 1) * boxPitch + marginX; }
    int boxTop(int row) const { return (row - 1) * boxPitch + marginY; }
};

LateralGeometry lateralGeometry(QSize screen, int gridColumns, int gridRows, int ctrlPanelHeight);

// Bar lengths in pixels; an empty kind (largest average 0) has no bars.
int rowBarLength(double average, double maxAverage, int span);
int columnBarLength(double average, double maxAverage, int span);

// A label goes inside its bar only when the bar is strictly longer than the label needs.
QPoint rowLabelPosition(int barLeft, int top, int barBase, int labelWidth);
QPoint columnLabelPosition(int left, int barTop, int barBase, int textHeight);

// The lateral preference picture as the window draws it the first time, for a screen: the
// print page shows it whether or not the window was opened.
QImage lateralPicture(QSize screen);

} // namespace LatPraef

// The lateral preference window: the board again with every time, and the row and
// column averages as bars.
class TlpForm : public QDialog {
    Q_OBJECT

public:
    explicit TlpForm(QWidget *parent = nullptr);

    QWidget *CtrlPanel;
    QLabel *Panel1;
    QPushButton *closeB;
    TImage *grafIma;

    void closeBtClick();

protected:
    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void FormActivate();
    void placeFrameOnScreen();
    void drawLateralPreference();

    common::FrameKeeper frameKeeper;
    // The show did the work of the activation that follows it. Where the desktop sends none
    // (native Wayland), the keyboard going to another program ends the wait, so that the
    // next activation is a real reactivation.
    bool activatedByShow = false;

    // The drawing surface keeps its brush from one drawing to the next.
    QBrush canvasBrush = Qt::white;
};
