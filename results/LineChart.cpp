#include "results/LineChart.h"

#include <QLocale>
#include <QPainter>
#include <QPolygon>

#include <algorithm>
#include <cmath>

namespace {

constexpr int padding = 8;
constexpr int tickLength = 4;
constexpr int minimumTickSpacing = 40;   // pixels between two labelled ticks, at the least
constexpr int markerReach = 2;           // pixels from the point to each side of its triangle
constexpr double finestTimeStep = 0.1;   // times are whole tenths of a second
const QColor gridColour(220, 220, 220);
const QColor axisColour(128, 128, 128);

// The smallest of 1, 2 or 5 times a power of ten that is not below `raw`.
double roundStep(double raw)
{
    if (!(raw > 0))
        return 1;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    const double mantissa = raw / power;
    for (double m : {1.0, 2.0, 5.0})
        if (mantissa <= m * (1 + 1e-9))
            return m * power;
    return 10 * power;
}

// Tick values are whole multiples of the step; the slack keeps 0.3 / 0.1 from flooring to 2.
double floorTo(double value, double step)
{
    return std::floor(value / step + 1e-9) * step;
}

double ceilTo(double value, double step)
{
    return std::ceil(value / step - 1e-9) * step;
}

struct Axis {
    double min = 0;
    double max = 1;
    double step = 1;
    int decimals = 0;
};

QList<double> ticks(const Axis &axis)
{
    QList<double> values;
    for (double k = std::ceil(axis.min / axis.step - 1e-9); k * axis.step <= axis.max + axis.step * 1e-9; ++k)
        values.append(k * axis.step);
    return values;
}

QString tickLabel(double value, int decimals)
{
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale.toString(value, 'f', decimals);
}

QFont labelFont(QFont axisTitleFont)
{
    axisTitleFont.setBold(false);
    return axisTitleFont;
}

struct Layout {
    QRect plot;
    Axis x;
    Axis y;
};

} // namespace

void LineSeries::clear()
{
    list.clear();
    chart->update();
}

void LineSeries::addPoint(double x, double y, const QColor &colour)
{
    list.append({x, y, colour});
    chart->update();
}

void LineSeries::setPointColour(int index, const QColor &colour)
{
    if (index < 0 || index >= list.size())
        return;
    list[index].colour = colour;
    chart->update();
}

LineChart::LineChart(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void LineChart::setTitle(const QString &text)
{
    titleText = text;
    update();
}

void LineChart::setTitleFont(const QFont &font)
{
    titleFontValue = font;
    update();
}

void LineChart::setTitleColour(const QColor &colour)
{
    titleColourValue = colour;
    update();
}

void LineChart::setAxisTitles(const QString &horizontal, const QString &vertical)
{
    axisTitleXText = horizontal;
    axisTitleYText = vertical;
    update();
}

void LineChart::setAxisTitleFont(const QFont &font)
{
    axisFont = font;
    update();
}

void LineChart::setMinimumX(double value)
{
    minimumX = value;
    update();
}

void LineChart::setMargins(const QMargins &margins)
{
    marginsValue = margins;
    update();
}

namespace {

// The plot's top and bottom follow from the fonts alone; the vertical axis from the plot's
// height; the plot's left from the vertical labels; the horizontal axis from the plot's width.
Layout layOut(const QRect &inner, const QFont &titleFont, const QFont &axisFont, double minimumX,
              const QList<LineSeries::Point> &points)
{
    const QFontMetrics titleMetrics(titleFont);
    const QFontMetrics axisMetrics(axisFont);
    const QFontMetrics labelMetrics(labelFont(axisFont));
    Layout layout;
    const int top = inner.top() + padding + titleMetrics.height() + padding;
    const int bottom = inner.bottom() - padding - axisMetrics.height() - padding - labelMetrics.height() - tickLength;

    double lowest = 0, highest = 1, lastX = minimumX + 1;
    if (!points.isEmpty()) {
        const auto [low, high] = std::minmax_element(points.begin(), points.end(),
                                                     [](const auto &a, const auto &b) { return a.y < b.y; });
        lowest = low->y;
        highest = high->y;
        lastX = std::max_element(points.begin(), points.end(), [](const auto &a, const auto &b) {
                    return a.x < b.x;
                })->x;
    }
    if (!(lowest < highest)) {   // one time for all: still a range around it
        lowest = std::max(0.0, lowest - 1);
        highest += 1;
    }
    Axis &y = layout.y;
    y.step = std::max(finestTimeStep, roundStep((highest - lowest) * minimumTickSpacing / std::max(1, bottom - top)));
    y.min = floorTo(lowest, y.step);
    y.max = ceilTo(highest, y.step);
    y.decimals = std::max(0, static_cast<int>(-std::floor(std::log10(y.step) + 1e-9)));

    int labelWidth = 0;
    for (double value : ticks(y))
        labelWidth = std::max(labelWidth, labelMetrics.horizontalAdvance(tickLabel(value, y.decimals)));
    const int left = inner.left() + padding + axisMetrics.height() + padding + labelWidth + tickLength + 2;
    const int right = inner.right() - padding - labelMetrics.horizontalAdvance(QStringLiteral("00")) / 2;
    layout.plot = QRect(QPoint(left, top), QPoint(std::max(left + 1, right), std::max(top + 1, bottom)));

    Axis &x = layout.x;
    x.min = minimumX;
    x.max = std::max(lastX, minimumX + 1);
    x.step = std::max(1.0, roundStep((x.max - x.min) * minimumTickSpacing / std::max(1, layout.plot.width())));
    return layout;
}

// A triangle pointing up, set pixel row by pixel row so that it is the same at every point:
// a red outline one pixel wide around the point's colour.
void drawMarker(QPainter &painter, QPoint at, const QColor &colour)
{
    for (int row = 0; row <= 2 * markerReach; ++row) {
        const int half = (row + 1) / 2;
        const int y = at.y() - markerReach + row;
        painter.fillRect(QRect(at.x() - half, y, 2 * half + 1, 1), Qt::red);
        if (row < 2 * markerReach && half > 0)
            painter.fillRect(QRect(at.x() - half + 1, y, 2 * half - 1, 1), colour);
    }
}

QPoint toPixel(const Layout &layout, double x, double y)
{
    const QRect &plot = layout.plot;
    const double fx = (x - layout.x.min) / (layout.x.max - layout.x.min);
    const double fy = (y - layout.y.min) / (layout.y.max - layout.y.min);
    return QPoint(plot.left() + static_cast<int>(std::lround(fx * (plot.width() - 1))),
                  plot.bottom() - static_cast<int>(std::lround(fy * (plot.height() - 1))));
}

} // namespace

void LineChart::paintChart(QPainter &painter, const QRect &inner) const
{
    const Layout layout = layOut(inner, titleFontValue, axisFont, minimumX, line.points());
    const QRect &plot = layout.plot;
    painter.save();
    painter.fillRect(inner, Qt::white);

    // Grid, axis lines and tick labels.
    painter.setFont(labelFont(axisFont));
    const QFontMetrics labelMetrics(painter.font());
    for (double value : ticks(layout.y)) {
        const int y = toPixel(layout, layout.x.min, value).y();
        painter.setPen(gridColour);
        painter.drawLine(plot.left(), y, plot.right(), y);
        painter.setPen(axisColour);
        painter.drawLine(plot.left() - tickLength, y, plot.left(), y);
        const QString text = tickLabel(value, layout.y.decimals);
        painter.setPen(Qt::black);
        painter.drawText(QRect(inner.left(), y - labelMetrics.height() / 2, plot.left() - tickLength - 2 - inner.left(),
                               labelMetrics.height()),
                         Qt::AlignRight | Qt::AlignVCenter, text);
    }
    for (double value : ticks(layout.x)) {
        const int x = toPixel(layout, value, layout.y.min).x();
        painter.setPen(gridColour);
        painter.drawLine(x, plot.top(), x, plot.bottom());
        painter.setPen(axisColour);
        painter.drawLine(x, plot.bottom(), x, plot.bottom() + tickLength);
        painter.setPen(Qt::black);
        painter.drawText(QRect(x - 50, plot.bottom() + tickLength, 100, labelMetrics.height()), Qt::AlignCenter,
                         tickLabel(value, 0));
    }
    painter.setPen(axisColour);
    painter.drawLine(plot.bottomLeft(), plot.bottomRight());
    painter.drawLine(plot.bottomLeft(), plot.topLeft());

    // Titles: the chart's above the plot, the axes' below and to the left of it.
    painter.setPen(titleColourValue);
    painter.setFont(titleFontValue);
    painter.drawText(QRect(plot.left(), inner.top() + padding, plot.width(), QFontMetrics(titleFontValue).height()),
                     Qt::AlignCenter | Qt::TextDontClip | Qt::TextSingleLine, titleText);
    painter.setPen(Qt::black);
    painter.setFont(axisFont);
    const int axisHeight = QFontMetrics(axisFont).height();
    painter.drawText(QRect(plot.left(), inner.bottom() - padding - axisHeight, plot.width(), axisHeight),
                     Qt::AlignCenter | Qt::TextDontClip, axisTitleXText);
    painter.save();
    painter.translate(inner.left() + padding, plot.center().y());
    painter.rotate(-90);
    painter.drawText(QRect(-plot.height() / 2, 0, plot.height(), axisHeight), Qt::AlignCenter | Qt::TextDontClip,
                     axisTitleYText);
    painter.restore();

    // The line in the order of X, then each point's triangle over it.
    QList<LineSeries::Point> points = line.points();
    std::stable_sort(points.begin(), points.end(), [](const auto &a, const auto &b) { return a.x < b.x; });
    QPolygon polyline;
    for (const auto &point : points)
        polyline << toPixel(layout, point.x, point.y);
    painter.setPen(QPen(Qt::black, 1));
    painter.drawPolyline(polyline);
    for (int i = 0; i < points.size(); ++i)
        drawMarker(painter, polyline[i], points[i].colour);
    painter.restore();
}

void LineChart::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    paintChart(painter, rect().marginsRemoved(marginsValue));
}
