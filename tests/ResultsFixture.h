// What the tests of the two results windows share: the chart read as a reader sees it, steps
// run inside the windows' modal loops, and a finished task whose windows are at hand.
#pragma once

#include "results/Betrachter.h"
#include "results/LatPraef.h"
#include "results/LineChart.h"
#include "tests/TestSupport.h"

#include <QImage>
#include <QPushButton>

#include <deque>
#include <functional>
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

ChartReading readChart(LineChart &chart);

// Runs each step once its window is the active modal window and has been activated, so that a
// test can act inside the windows' exec(). A step that opens a modal window itself must post
// that action.
class ModalSteps {
public:
    ModalSteps();
    void then(QWidget *modal, std::function<void()> step) { steps.emplace_back(modal, std::move(step)); }
    bool allRun() const { return steps.empty(); }

private:
    std::deque<std::pair<QWidget *, std::function<void()>>> steps;
    QTimer timer;
};

// The activation a window system sends when a window comes to the front.
void activate(QWidget *window);

// A finished task on a 1920 x 1080 screen, its results windows not yet shown.
class ResultsWindows : public ProgramTest {
protected:
    void SetUp() override { start(QSize(1920, 1080)); }

    // Plays the task to its end; the hits come 0.3 s to 2.1 s apart.
    void playTask(bool numbers);
    QPushButton *resultsButton() { return TamriUnit::numbersMode ? form().ladenBB_2 : form().ladenBB_1; }
    // Every cell but the centre gets `t`; lines can then be set apart.
    void setAllTimes(double t);

    Tdatenbetrachter &viewer() { return *TamriUnit::datenbetrachter; }
    TlpForm &lateral() { return *TamriUnit::lpForm; }
    QImage lateralPicture() { return lateral().grafIma->picture(); }
    QList<LineSeries::Point> points() { return viewer().Series1->points(); }
    // Shown as the results button shows it, without the modal loop.
    void showViewer();

    BoxAnswerer boxes;
    ModalSteps steps;
};

} // namespace testsupport
