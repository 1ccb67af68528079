#pragma once

#include <QColor>
#include <QFont>
#include <QList>
#include <QMargins>
#include <QWidget>

class LineChart;

// The one line of a LineChart: points in the order they are added, each with the colour
// that fills its marker.
class LineSeries {
public:
    struct Point {
        double x;
        double y;
        QColor colour;
    };

    explicit LineSeries(LineChart *chart) : chart(chart) {}

    void clear();
    void addPoint(double x, double y, const QColor &colour);
    void setPointColour(int index, const QColor &colour);

    const QList<Point> &points() const { return list; }
    int count() const { return static_cast<int>(list.size()); }

private:
    LineChart *chart;
    QList<Point> list;
};

// A line chart drawn with QPainter: a one-line title, a horizontal and a vertical value axis
// with titles, round ticks with grid lines, and a black line through the points with a small
// triangle on each. The vertical range follows the data; the horizontal one runs from a fixed
// minimum to the last point.
class LineChart : public QWidget {
    Q_OBJECT

public:
    explicit LineChart(QWidget *parent = nullptr);

    LineSeries *series() { return &line; }
    const LineSeries *series() const { return &line; }

    void setTitle(const QString &text);
    QString title() const { return titleText; }
    void setTitleFont(const QFont &font);
    void setTitleColour(const QColor &colour);

    void setAxisTitles(const QString &horizontal, const QString &vertical);
    void setAxisTitleFont(const QFont &font);
    void setMinimumX(double value);

    // Space left free around the chart inside the widget.
    void setMargins(const QMargins &margins);

    // Draws the whole chart into `inner`, without the margins: the widget does it inside its
    // margins, the print page wherever the page puts it.
    void paintChart(QPainter &painter, const QRect &inner) const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    LineSeries line{this};
    QString titleText;
    QFont titleFontValue;
    QColor titleColourValue = Qt::black;
    QString axisTitleXText;
    QString axisTitleYText;
    QFont axisFont;
    double minimumX = 0;
    QMargins marginsValue;
};
