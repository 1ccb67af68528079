#include "results/LatPraef.h"

#include "common/Application.h"
#include "common/Drawing.h"
#include "common/Formats.h"
#include "common/Rounding.h"
#include "task/TamriUnit.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

#include <cmath>
#include <utility>

namespace LatPraef {

namespace {

double timeAt(int column, int row)
{
    return TamriUnit::cells[column][row]->searchTime;
}

// Sums are held as doubles; each addition is formed at extended precision first.
double added(double sum, long double term)
{
    return static_cast<double>(sum + term);
}

// An average over m positive times; a line without any has none and shows 0.
double averageOf(double sum, std::uint8_t m)
{
    if (m == 0)
        return 0;
    return static_cast<double>(common::Round(sum * 100.0L / m) / 100.0L);
}

} // namespace

void computeMeanAndDeviation()
{
    using namespace TamriUnit;
    double total = 0;
    double sumOfSquares = 0;
    std::uint8_t n = 0;
    for (int row = 0; row < gridRows; ++row)
        for (int column = 0; column < gridColumns; ++column) {
            const double t = timeAt(column, row);
            total = added(total, t);
            sumOfSquares = added(sumOfSquares, static_cast<long double>(t) * t);
            if (t > 0)
                ++n;
        }
    if (n == 0) {
        meanTime = 0;
        timeDeviation = 0;
        return;
    }
    meanTime = static_cast<double>(common::Round(total * 10.0L / n) / 10.0L);
    const double d = static_cast<double>(sumOfSquares - static_cast<long double>(total) * total / n);
    // Equal times can leave d a hair below zero; their spread is none.
    long double s = 0;
    if (n >= 2 && d > 0)
        s = std::sqrt(d / static_cast<long double>(n - 1));
    timeDeviation = static_cast<double>(common::Round(s * 100) / 100.0L);
}

namespace {

// The average of the positive times among `count` cells, the running sum kept in lineAverage.
template <typename TimeOf>
void averageLine(int count, TimeOf timeOf)
{
    lineAverage = 0;
    std::uint8_t m = 0;
    for (int i = 0; i < count; ++i) {
        const double t = timeOf(i);
        if (t > 0) {
            lineAverage = added(lineAverage, t);
            ++m;
        }
    }
    lineAverage = averageOf(lineAverage, m);
}

} // namespace

void columnAverage(std::uint8_t c)
{
    averageLine(TamriUnit::gridRows, [c](int r) { return timeAt(c, r); });
}

void rowAverage(std::uint8_t r)
{
    averageLine(TamriUnit::gridColumns, [r](int c) { return timeAt(c, r); });
}

void computeLineAverages()
{
    maxRowAverage = 0;
    maxColumnAverage = 0;
    for (int c = 0; c < TamriUnit::gridColumns; ++c) {
        columnAverage(static_cast<std::uint8_t>(c));
        if (lineAverage > maxColumnAverage)
            maxColumnAverage = lineAverage;
        columnAverages[c] = lineAverage;
    }
    for (int r = 0; r < TamriUnit::gridRows; ++r) {
        rowAverage(static_cast<std::uint8_t>(r));
        if (lineAverage > maxRowAverage)
            maxRowAverage = lineAverage;
        rowAverages[r] = lineAverage;
    }
}

void resetStatistics()
{
    meanTime = timeDeviation = lineAverage = 0;
    columnAverages.fill(0);
    rowAverages.fill(0);
    maxColumnAverage = maxRowAverage = 0;
}

LateralGeometry lateralGeometry(QSize screen, int gridColumns, int gridRows, int ctrlPanelHeight)
{
    LateralGeometry g;
    g.imageWidth = static_cast<std::uint16_t>(common::Round(screen.width() * 0.6L));
    g.imageHeight = static_cast<std::uint16_t>(common::Round((screen.height() - ctrlPanelHeight - 20) * 0.8L));
    g.imageLeft = (screen.width() - g.imageWidth) / 2;
    g.imageTop = (screen.height() - g.imageHeight) / 2;
    g.boxSize = static_cast<std::uint8_t>(g.imageHeight / common::Trunc(gridColumns * 1.7L));
    g.boxPitch = g.boxSize + 5;
    g.barBase = g.imageHeight - 5;
    g.rowBarSpan = g.barBase - (gridColumns * g.boxPitch + marginX);
    g.columnBarSpan = g.barBase - (gridRows * g.boxPitch + marginY);
    return g;
}

int rowBarLength(double average, double maxAverage, int span)
{
    if (maxAverage <= 0)
        return 0;
    return static_cast<int>(common::Round(average / static_cast<long double>(maxAverage) * span));
}

int columnBarLength(double average, double maxAverage, int span)
{
    if (maxAverage <= 0)
        return 0;
    return static_cast<int>(common::Trunc(average / static_cast<long double>(maxAverage) * span));
}

QPoint rowLabelPosition(int barLeft, int top, int barBase, int labelWidth)
{
    if (labelWidth < barBase - barLeft)
        return {barBase - labelWidth, top + 10};
    return {barLeft + 5, top + 10};
}

QPoint columnLabelPosition(int left, int barTop, int barBase, int textHeight)
{
    if (textHeight + 5 < barBase - barTop)
        return {left + 10, barBase - 20};
    return {left + 10, barTop + 20};
}

} // namespace LatPraef

// ---------------------------------------------------------------- TlpForm

namespace {

constexpr int ctrlPanelHeight = 35;

constexpr QRgb silver = qRgb(192, 192, 192);
constexpr QRgb aqua = qRgb(0, 255, 255);
constexpr QRgb blue = qRgb(0, 0, 255);
constexpr QRgb white = qRgb(255, 255, 255);
constexpr QRgb black = qRgb(0, 0, 0);
constexpr QRgb lightGrey = qRgb(238, 238, 238);
constexpr QRgb boxGrey = qRgb(225, 225, 225);
constexpr QRgb barYellow = qRgb(255, 255, 196);

// The picture's drawing surface: pen, brush and font colour are separate settings, and
// rectangles leave out their right and bottom edge.
class Surface {
public:
    Surface(QImage &image, QBrush &brush)
        : brush(brush), painter(&image)
    {
    }

    QColor pen;
    QBrush &brush;

    void setFont(int pixelSize, QColor colour)
    {
        QFont font(QStringLiteral("MS Shell Dlg 2"));
        font.setPixelSize(pixelSize);
        painter.setFont(font);
        fontColour = colour;
    }

    void rectangle(int x1, int y1, int x2, int y2)
    {
        if (x2 <= x1 || y2 <= y1)
            return;
        painter.setPen(pen);
        painter.setBrush(brush);
        painter.drawRect(x1, y1, x2 - x1 - 1, y2 - y1 - 1);
    }

    void textOut(QPoint topLeft, const QString &text)
    {
        painter.setPen(fontColour);
        common::textOut(painter, topLeft, text, brush.color());
    }

    int textWidth(const QString &text) const { return painter.fontMetrics().horizontalAdvance(text); }
    int textHeight() const { return painter.fontMetrics().height(); }

private:
    QPainter painter;
    QColor fontColour;
};

// The times and the bars, with the statistics already computed, on a picture of the size the
// window gives it. The surface's brush carries over from one drawing to the next in `brush`.
void paintPicture(QImage &picture, QBrush &brush, QSize screen)
{
    using namespace LatPraef;
    using TamriUnit::cells;

    const int columns = TamriUnit::gridColumns;
    const int rows = TamriUnit::gridRows;
    const LateralGeometry g = lateralGeometry(screen, columns, rows, ctrlPanelHeight);
    Surface canvas(picture, brush);

    canvas.pen = QColor(lightGrey);
    canvas.rectangle(0, 0, picture.width(), picture.height());

    canvas.brush = QColor(blue);
    canvas.pen = QColor(black);
    canvas.setFont(19, QColor(white));
    canvas.textOut(QPoint(marginX / 2, marginY / 6),
                   QStringLiteral(" Suchzeiten in Sekunden und Durchschnittwerte vertikal und horizontal: "));

    canvas.brush = QColor(boxGrey);
    canvas.setFont(11, QColor(blue));
    for (int row = 0; row < rows; ++row)
        for (int column = 0; column < columns; ++column) {
            const TTeil *cell = cells[column][row];
            const int x = g.boxLeft(cell->column);
            const int y = g.boxTop(cell->row);
            canvas.rectangle(x, y, x + g.boxSize, y + g.boxSize);
            canvas.textOut(QPoint(x + 5, y + 5), common::formatWidth3OneDecimal(cell->searchTime));
        }

    canvas.brush = QColor(barYellow);
    const int labelWidth = canvas.textWidth(QStringLiteral("XXXX")) + 5;
    for (int r = 0; r < rows; ++r) {
        const int left = g.barBase - rowBarLength(rowAverages[r], maxRowAverage, g.rowBarSpan);
        const int top = g.boxTop(r);
        canvas.rectangle(left, top, g.barBase, top + g.boxSize);
        canvas.textOut(rowLabelPosition(left, top, g.barBase, labelWidth), common::formatFixed(rowAverages[r], 3, 2));
    }
    for (int c = 0; c < columns; ++c) {
        const int left = g.boxLeft(c);
        const int top = g.barBase - columnBarLength(columnAverages[c], maxColumnAverage, g.columnBarSpan);
        canvas.rectangle(left, top, left + g.boxSize, g.barBase);
        canvas.textOut(columnLabelPosition(left, top, g.barBase, canvas.textHeight()),
                       common::formatFixed(columnAverages[c], 3, 2));
    }
}

} // namespace

QImage LatPraef::lateralPicture(QSize screen)
{
    computeMeanAndDeviation();
    computeLineAverages();
    const LateralGeometry g = lateralGeometry(screen, TamriUnit::gridColumns, TamriUnit::gridRows, ctrlPanelHeight);
    QImage picture(g.imageWidth, g.imageHeight, QImage::Format_RGB32);
    picture.fill(Qt::white);
    QBrush brush = Qt::white;
    paintPicture(picture, brush, screen);
    return picture;
}

TlpForm::TlpForm(QWidget *parent)
    : QDialog(parent)
{
    // The buttons of an ordinary window, minimise and maximise too. Still a dialog to the
    // desktop: a window manager stacks it over the full-screen results it belongs to (openbox
    // put an ordinary window below them).
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint
                   | Qt::WindowCloseButtonHint);
    setWindowTitle(QStringLiteral("Durchschnittszeiten"));
    common::setBackground(this, QColor(silver));

    CtrlPanel = new QWidget(this);
    common::setBackground(CtrlPanel, QColor(aqua));

    QPalette blueText;
    blueText.setColor(QPalette::WindowText, QColor(blue));
    blueText.setColor(QPalette::ButtonText, QColor(blue));

    Panel1 = new QLabel(CtrlPanel);
    Panel1->setGeometry(20, 4, 325, 25);
    Panel1->setFont(common::tahoma(13));
    Panel1->setPalette(blueText);
    Panel1->setAlignment(Qt::AlignCenter);
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);

    closeB = new QPushButton(CtrlPanel);
    closeB->setGeometry(397, 5, 84, 25);
    closeB->setFont(common::tahoma(13));
    closeB->setPalette(blueText);

    grafIma = new TImage(this);

    connect(closeB, &QPushButton::clicked, this, &TlpForm::closeBtClick);
    // Only the program's losing the keyboard to another program ends the wait: changes of
    // focus among its own windows queued before the show may still arrive after it.
    connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
        if (state != Qt::ApplicationActive)
            activatedByShow = false;
    });
}

bool TlpForm::event(QEvent *event)
{
    if (event->type() == QEvent::WindowActivate && !std::exchange(activatedByShow, false))
        FormActivate();
    const bool handled = QDialog::event(event);
    if (frameKeeper.mustPlaceAgain(this, event, common::screenRect()))
        placeFrameOnScreen();
    return handled;
}

// The window has no cancel button: Escape leaves it open.
void TlpForm::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

// Not every desktop activates a new window (a native Wayland compositor may not), so the
// show counts as the first activation; the picture is drawn once for both.
void TlpForm::showEvent(QShowEvent *event)
{
    FormActivate();
    activatedByShow = true;
    QDialog::showEvent(event);
}

void TlpForm::resizeEvent(QResizeEvent *event)
{
    CtrlPanel->setGeometry(0, 0, width(), ctrlPanelHeight);
    QDialog::resizeEvent(event);
}

void TlpForm::FormActivate()
{
    closeB->setText(QStringLiteral("Schließen"));
    const QSize screen = common::screenSize();
    placeFrameOnScreen();
    const LatPraef::LateralGeometry g =
        LatPraef::lateralGeometry(screen, TamriUnit::gridColumns, TamriUnit::gridRows, ctrlPanelHeight);
    grafIma->setGeometry(g.imageLeft, g.imageTop, g.imageWidth, g.imageHeight);
    drawLateralPreference();
}

// The outer edges, title bar and borders included, are the screen's edges.
void TlpForm::placeFrameOnScreen()
{
    const QRect screen = common::screenRect();
    move(screen.topLeft());
    resize(screen.size().shrunkBy(common::frameMargins(this)));
}

void TlpForm::drawLateralPreference()
{
    using namespace LatPraef;

    computeMeanAndDeviation();
    Panel1->setText(QStringLiteral("Durchschnitt / St.Abweichung :") + common::formatGeneral(meanTime)
                    + QStringLiteral(" / ") + common::formatGeneral(timeDeviation));
    computeLineAverages();

    if (grafIma->picture().isNull()) {
        QImage picture(grafIma->size(), QImage::Format_RGB32);
        picture.fill(Qt::white);
        grafIma->setPicture(picture);
    }
    paintPicture(grafIma->canvas(), canvasBrush, common::screenSize());
    grafIma->update();
}

void TlpForm::closeBtClick()
{
    done(1);
}
