#include "results/Betrachter.h"

#include "common/Application.h"
#include "common/Drawing.h"
#include "common/Formats.h"
#include "common/Rounding.h"
#include "results/LatPraef.h"
#include "task/TamriUnit.h"

#include <QChartView>
#include <QGraphicsLayout>
#include <QKeyEvent>
#include <QLineSeries>
#include <QPushButton>
#include <QScatterSeries>
#include <QValueAxis>

#include <algorithm>

namespace {

constexpr int panelHeight = 41;
constexpr int chartLeft = 35;
constexpr int markerSize = 5;   // 2 pixels each way from the point
constexpr QRgb silver = qRgb(192, 192, 192);

QPushButton *panelButton(QWidget *panel, int left, int top, int width, int height)
{
    auto *button = new QPushButton(panel);
    button->setGeometry(left, top, width, height);
    button->setFont(common::tahoma(13));
    return button;
}

} // namespace

Tdatenbetrachter::Tdatenbetrachter(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
{
    setWindowTitle(QStringLiteral("Datenbetrachter"));
    common::setBackground(this, QColor(silver));

    Panel1 = new QWidget(this);
    common::setBackground(Panel1, Panel1->palette().color(QPalette::ToolTipBase));
    lpButton = panelButton(Panel1, 9, 5, 151, 29);
    schliessenButton = panelButton(Panel1, 166, 4, 159, 30);

    auto *chart = new QChart;
    chart->legend()->hide();
    chart->setBackgroundBrush(Qt::white);
    chart->setBackgroundRoundness(0);
    chart->layout()->setContentsMargins(0, 0, 0, 0);
    chart->setMargins(QMargins());
    chart->setLocalizeNumbers(true);

    Series1 = new QLineSeries;
    Series1->setPen(QPen(Qt::black, 1));
    Series1->setPointLabelsVisible(false);
    pointMarks = new QScatterSeries;
    pointMarks->setMarkerShape(QScatterSeries::MarkerShapeTriangle);
    pointMarks->setMarkerSize(markerSize);
    pointMarks->setPen(QPen(Qt::red, 1));
    pointMarks->setBrush(Qt::black);
    chart->addSeries(Series1);
    chart->addSeries(pointMarks);

    axisX = new QValueAxis;
    axisY = new QValueAxis;
    // Template numbers are whole: a labelled tick every fifth.
    axisX->setTickType(QValueAxis::TicksDynamic);
    axisX->setTickAnchor(0);
    axisX->setTickInterval(5);
    axisX->setLabelFormat(QStringLiteral("%.0f"));
    axisX->setTitleFont(common::tahoma(13, true));
    axisY->setTitleFont(common::tahoma(13, true));
    chart->addAxis(axisX, Qt::AlignBottom);
    chart->addAxis(axisY, Qt::AlignLeft);
    for (QXYSeries *series : {static_cast<QXYSeries *>(Series1), static_cast<QXYSeries *>(pointMarks)}) {
        series->attachAxis(axisX);
        series->attachAxis(axisY);
    }

    Chart1 = new QChartView(chart, this);
    Chart1->setFrameShape(QFrame::NoFrame);
    Chart1->setRubberBand(QChartView::NoRubberBand);
    Chart1->move(chartLeft, 0);

    connect(lpButton, &QPushButton::clicked, this, &Tdatenbetrachter::lpButtonClick);
    connect(schliessenButton, &QPushButton::clicked, this, &Tdatenbetrachter::schliessenButtonClick);
}

bool Tdatenbetrachter::event(QEvent *event)
{
    if (event->type() == QEvent::WindowActivate)
        FormActivate();
    return QDialog::event(event);
}

void Tdatenbetrachter::showEvent(QShowEvent *event)
{
    FormShow();
    // Not every desktop activates a new window (a native Wayland compositor may not): the
    // chart must not stay empty until it is clicked.
    FormActivate();
    QDialog::showEvent(event);
}

// The window has no cancel button: Escape leaves it open.
void Tdatenbetrachter::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void Tdatenbetrachter::resizeEvent(QResizeEvent *event)
{
    Panel1->setGeometry(0, 0, width(), panelHeight);
    QDialog::resizeEvent(event);
}

void Tdatenbetrachter::FormShow()
{
    // Maximised without relying on a window manager to do it.
    setGeometry(QRect(QPoint(0, 0), common::screenSize()));
    fillSeries();
    Chart1->show();
    lpButton->setText(QStringLiteral("Laterale Präferenz"));
    schliessenButton->setText(QStringLiteral("Betrachter schliessen"));
    setWindowTitle(QStringLiteral("Datenbetrachter"));
}

void Tdatenbetrachter::FormActivate()
{
    const QSize screen = common::screenSize();
    const int top = Panel1->y() + Panel1->height() + 20;
    const int width = static_cast<int>(common::Trunc(screen.width() * 0.9L));
    Chart1->setGeometry(Chart1->x(), top, width, screen.height() - top);
    QChart *chart = Chart1->chart();
    chart->setMargins(QMargins(0, 0, static_cast<int>(common::Round(width * 0.05L)), 0));
    chart->setTitleFont(common::tahoma(21));
    chart->setTitleBrush(Qt::black);
    setPointColour(1, Qt::red);
    // The chart lays its title out as rich text, which would fold the double blanks.
    chart->setTitle(buildChartTitle().replace(QLatin1Char(' '), QChar::Nbsp));
    axisX->setTitleText(QStringLiteral("Vorlage Nr.:"));
    axisY->setTitleText(QStringLiteral("Suchzeit in Sekunden:"));
}

void Tdatenbetrachter::fillSeries()
{
    using namespace TamriUnit;
    Series1->clear();
    pointMarks->clear();
    int i = 0;
    for (int row = 0; row < gridRows; ++row)
        for (int column = 0; column < gridColumns; ++column) {
            const double time = cells[column][row]->searchTime;
            if (i < centreIndex)
                addPoint(i + 1, time, Qt::black);
            else if (i > centreIndex)
                addPoint(i, time, Qt::black);
            ++i;
        }

    // The horizontal axis starts at 1; otherwise both axes just span the data.
    const QList<QPointF> points = Series1->points();
    if (points.isEmpty())
        return;
    const auto [lowest, highest] = std::minmax_element(points.begin(), points.end(),
                                                       [](QPointF a, QPointF b) { return a.y() < b.y(); });
    axisX->setRange(1, points.back().x());
    if (lowest->y() < highest->y())
        axisY->setRange(lowest->y(), highest->y());
    else
        axisY->setRange(lowest->y() - 1, highest->y() + 1);
}

void Tdatenbetrachter::addPoint(double x, double y, const QColor &colour)
{
    Series1->append(x, y);
    pointMarks->append(x, y);
    setPointColour(Series1->count() - 1, colour);
}

void Tdatenbetrachter::setPointColour(int index, const QColor &colour)
{
    Series1->setPointConfiguration(index, QXYSeries::PointConfiguration::Color, colour);
    pointMarks->setPointConfiguration(index, QXYSeries::PointConfiguration::Color, colour);
}

QString Tdatenbetrachter::buildChartTitle()
{
    using namespace LatPraef;
    computeMeanAndDeviation();
    return QStringLiteral("Proband") + QStringLiteral("  ") + common::formatShortDate(common::today())
           + QStringLiteral(",  Aufgabe")
           + (TamriUnit::numbersMode ? QStringLiteral(": Zahlen suchen,  AM/St.Abw :")
                                     : QStringLiteral(": Bilder suchen,  AM/St.Abw :"))
           + common::formatGeneral(meanTime) + QStringLiteral("/") + common::formatGeneral(timeDeviation);
}

void Tdatenbetrachter::lpButtonClick()
{
    lpButton->setEnabled(false);
    // Made before this window, the lateral window belongs to the main window; as a child of
    // this one it stays above it also where the desktop decides the stacking (Wayland).
    TamriUnit::lpForm->setParent(this, TamriUnit::lpForm->windowFlags());
    TamriUnit::lpForm->exec();
}

void Tdatenbetrachter::schliessenButtonClick()
{
    platform::os().showWindow(TamriUnit::taskbarWindow);
    common::endProgramAtOnce(1);
}
