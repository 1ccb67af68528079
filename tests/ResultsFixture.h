// What the tests of the two results windows share: the chart read as a reader sees it, steps
// run inside the windows' modal loops, and a finished task whose windows are at hand.
#pragma once

#include "results/Betrachter.h"
#include "results/LatPraef.h"
#include "results/LineChart.h"
#include "tests/TestSupport.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QImage>
#include <QLocale>
#include <QPushButton>

#include <algorithm>
#include <deque>
#include <functional>
#include <initializer_list>
#include <tuple>
#include <utility>
#include <vector>

namespace testsupport {

// The chart as a reader sees it: the triangles from left to right (their centres), and the
// labelled ticks of both axes with the value each stands for and where its tick lies.
struct ChartReading {
    struct Tick {
        double value;
        double at;   // x of a horizontal tick, y of a vertical one
    };
    std::vector<QPoint> markers;
    std::vector<Tick> vertical, horizontal;

    // The horizontal value at a pixel column, from the outermost ticks.
    double xAt(double column) const
    {
        const Tick &a = horizontal.front(), &b = horizontal.back();
        return a.value + (column - a.at) * (b.value - a.value) / (b.at - a.at);
    }
};

inline ChartReading readChart(LineChart &chart)
{
    ChartReading reading;
    const QImage shot = chart.grab().toImage();
    const auto red = [&](int x, int y) { return shot.rect().contains(x, y) && pixel(shot, x, y) == 0xff0000; };
    // A marker's apex: red with nothing red above, then its rows widen to five pixels.
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x)
            if (red(x, y) && !red(x, y - 1) && red(x - 1, y + 1) && red(x + 1, y + 1) && red(x - 2, y + 4) &&
                red(x + 2, y + 4))
                reading.markers.emplace_back(x, y + 2);
    std::sort(reading.markers.begin(), reading.markers.end(), [](QPoint a, QPoint b) { return a.x() < b.x(); });

    // Tick labels are the plain texts; the horizontal ones stand lowest.
    TextRecorder painted(chart.size());
    chart.render(&painted);
    double lowest = -1;
    for (const TextRecorder::Text &text : painted.texts)
        if (!text.font.bold() && text.text != chart.title())
            lowest = std::max(lowest, text.at.y());
    for (const TextRecorder::Text &text : painted.texts) {
        bool number = false;
        const double value = QLocale().toDouble(text.text, &number);
        if (text.font.bold() || !number)
            continue;
        const QFontMetricsF metrics(text.font);
        if (text.at.y() == lowest)
            reading.horizontal.push_back({value, text.at.x() + metrics.horizontalAdvance(text.text) / 2});
        else
            reading.vertical.push_back({value, text.at.y() - (metrics.ascent() - metrics.descent()) / 2});
    }
    return reading;
}

// Runs each step once its window is the active modal window and has been activated, so that a
// test can act inside the windows' exec(). A step that opens a modal window itself must post
// that action.
class ModalSteps {
public:
    ModalSteps()
    {
        timer.setInterval(5);
        QObject::connect(&timer, &QTimer::timeout, [this] {
            if (steps.empty() || QApplication::activeModalWidget() != steps.front().first)
                return;
            // Without a window manager nobody hands the activation back after a window closes.
            if (!steps.front().first->isActiveWindow()) {
                steps.front().first->activateWindow();
                return;
            }
            const auto step = steps.front().second;
            steps.pop_front();
            step();
        });
        timer.start();
    }
    void then(QWidget *modal, std::function<void()> step) { steps.emplace_back(modal, std::move(step)); }
    bool allRun() const { return steps.empty(); }

private:
    std::deque<std::pair<QWidget *, std::function<void()>>> steps;
    QTimer timer;
};

// The activation a window system sends when a window comes to the front.
inline void activate(QWidget *window)
{
    QEvent activation(QEvent::WindowActivate);
    QCoreApplication::sendEvent(window, &activation);
}

// A finished task on a 1920 x 1080 screen, its results windows not yet shown.
class ResultsWindows : public ProgramTest {
protected:
    void SetUp() override { start(QSize(1920, 1080)); }

    // Plays the task to its end; the hits come 0.3 s to 2.1 s apart.
    void playTask(bool numbers)
    {
        QPushButton *button = numbers ? form().ladenBB_2 : form().ladenBB_1;
        click(button);
        for (int n = 0; form().ctrlPanel->isHidden(); ++n) {
            os().tick += 300 * (n % 7 + 1);
            click(targetCell());
        }
        ASSERT_EQ(button->property("tag").toInt(), 1);
    }
    QPushButton *resultsButton() { return TamriUnit::numbersMode ? form().ladenBB_2 : form().ladenBB_1; }
    // Every cell but the centre gets `t`, but for the cells given (column, row, time); lines can
    // then be set apart.
    void setAllTimes(double t, std::initializer_list<std::tuple<int, int, double>> cells = {})
    {
        for (int row = 0; row < TamriUnit::gridRows; ++row)
            for (int column = 0; column < TamriUnit::gridColumns; ++column)
                cellAt(column, row)->searchTime = column == TamriUnit::centreColumn && row == TamriUnit::centreRow ? 0.0 : t;
        for (const auto &[column, row, time] : cells)
            cellAt(column, row)->searchTime = time;
    }

    Tdatenbetrachter &viewer() { return *TamriUnit::datenbetrachter; }
    TlpForm &lateral() { return *TamriUnit::lpForm; }
    QImage lateralPicture() { return lateral().grafIma->picture(); }
    QList<LineSeries::Point> points() { return viewer().Series1->points(); }
    // Shown as the results button shows it, without the modal loop.
    void showViewer()
    {
        viewer().show();
        activate(&viewer());
        QApplication::processEvents();
    }

    BoxAnswerer boxes;
    ModalSteps steps;
};

} // namespace testsupport
