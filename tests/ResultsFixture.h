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
#include <initializer_list>
#include <utility>
#include <vector>

namespace testsupport {

inline QRgb pixel(const QImage &image, int x, int y)
{
    return image.pixel(x, y) & 0xffffff;
}

constexpr QRgb black = 0x000000;
constexpr QRgb white = 0xffffff;
constexpr QRgb silver = 0xc0c0c0;
constexpr QRgb barYellow = 0xffffc4;
constexpr QRgb boxGrey = 0xe1e1e1;
constexpr QRgb lightGrey = 0xeeeeee;
constexpr QRgb headerBlue = 0x0000ff;

// A pixel a reader can point at, and the colour it has.
struct Spot {
    int x, y;
    QRgb colour;
};

inline void expectSpots(const QImage &image, std::initializer_list<Spot> spots)
{
    for (const Spot &spot : spots)
        EXPECT_EQ(pixel(image, spot.x, spot.y), spot.colour) << "at (" << spot.x << ", " << spot.y << ")";
}

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
