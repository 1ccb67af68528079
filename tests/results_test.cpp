#include "common/Application.h"
#include "common/Formats.h"
#include "results/Betrachter.h"
#include "results/LatPraef.h"
#include "results/LineChart.h"
#include "tests/TestSupport.h"

#include <QApplication>
#include <QClipboard>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QFontInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <deque>
#include <memory>

using namespace testsupport;
using namespace TamriUnit;

namespace {

QRgb pixel(const QImage &image, int x, int y)
{
    return image.pixel(x, y) & 0xffffff;
}

constexpr QRgb black = 0x000000;
constexpr QRgb white = 0xffffff;
constexpr QRgb barYellow = 0xffffc4;
constexpr QRgb boxGrey = 0xe1e1e1;
constexpr QRgb lightGrey = 0xeeeeee;
constexpr QRgb headerBlue = 0x0000ff;

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

ChartReading readChart(LineChart &chart)
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

// A grid of cells without a window, as a finished task leaves it.
class Grid {
public:
    Grid(int columns, int rows)
    {
        resetState();
        LatPraef::resetStatistics();
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        gridColumns = static_cast<std::uint16_t>(columns);
        gridRows = static_cast<std::uint16_t>(rows);
        lastIndex = static_cast<std::uint8_t>(columns * rows - 1);
        centreIndex = lastIndex / 2;
        for (int row = 0; row < rows; ++row)
            for (int column = 0; column < columns; ++column) {
                owned.push_back(std::make_unique<TTeil>(nullptr));
                cells[column][row] = owned.back().get();
                cells[column][row]->column = static_cast<std::int8_t>(column);
                cells[column][row]->row = static_cast<std::int8_t>(row);
            }
    }
    ~Grid()
    {
        resetState();
        QLocale::setDefault(QLocale::system());
    }

    double &time(int column, int row) { return cells[column][row]->searchTime; }
    // Every cell but the centre.
    void fill(double t)
    {
        for (int i = 0; i < gridColumns * gridRows; ++i)
            if (i != centreIndex)
                time(i % gridColumns, i / gridColumns) = t;
    }

private:
    std::vector<std::unique_ptr<TTeil>> owned;
};

} // namespace

// ---------------------------------------------------------------- statistics

TEST(ResultStatistics, MeanAndSampleDeviationOfThePositiveTimes)
{
    Grid grid(7, 5);
    grid.time(0, 0) = 2.0;
    grid.time(6, 1) = 3.0;
    grid.time(2, 4) = 4.0;
    LatPraef::computeMeanAndDeviation();
    EXPECT_EQ(LatPraef::meanTime, 3.0);
    EXPECT_EQ(LatPraef::timeDeviation, 1.0);

    // The mean keeps one decimal, the deviation two: 6.8 / 3 and 0.4509...
    grid.time(0, 0) = 1.8;
    grid.time(6, 1) = 2.3;
    grid.time(2, 4) = 2.7;
    LatPraef::computeMeanAndDeviation();
    EXPECT_EQ(LatPraef::meanTime, 2.3);
    EXPECT_EQ(LatPraef::timeDeviation, 0.45);

    // 0.2 + 0.3 is exactly 0.5, so the mean's tenths are exactly 2.5 and go to the even 2.
    grid.time(0, 0) = 0.2;
    grid.time(6, 1) = 0.3;
    grid.time(2, 4) = 0.0;
    LatPraef::computeMeanAndDeviation();
    EXPECT_EQ(LatPraef::meanTime, 0.2);
}

TEST(ResultStatistics, OneTimeOrNoneHaveNoDeviation)
{
    Grid grid(9, 7);
    grid.time(8, 6) = 12.3;
    LatPraef::computeMeanAndDeviation();
    EXPECT_EQ(LatPraef::meanTime, 12.3);
    EXPECT_EQ(LatPraef::timeDeviation, 0.0);

    grid.time(8, 6) = 0.0;
    LatPraef::meanTime = LatPraef::timeDeviation = 99;
    EXPECT_NO_THROW(LatPraef::computeMeanAndDeviation());
    EXPECT_EQ(LatPraef::meanTime, 0.0);
    EXPECT_EQ(LatPraef::timeDeviation, 0.0);
}

TEST(ResultStatistics, EqualTimesGiveNoDeviationEvenWhenTheSquaresComeOutShort)
{
    // 34 times of 1.7 leave the sum of squares about 1e-13 below total^2 / n.
    Grid grid(7, 5);
    grid.fill(1.7);
    EXPECT_NO_THROW(LatPraef::computeMeanAndDeviation());
    EXPECT_EQ(LatPraef::meanTime, 1.7);
    EXPECT_EQ(LatPraef::timeDeviation, 0.0);
}

TEST(ResultStatistics, CentreAndInstantHitsAreLeftOutOfEveryAverage)
{
    Grid grid(7, 5);
    grid.fill(1.0);
    for (int row = 0; row < 5; ++row)
        grid.time(3, row) = row + 1.0;   // centre column 1, 2, (centre), 4, 5
    grid.time(3, 2) = 0.0;
    for (int column = 0; column < 7; ++column)
        if (column != 3)
            grid.time(column, 2) = 2.0;  // centre row 2.0 but for the centre
    grid.time(0, 2) = 0.0;               // a hit within 50 ms

    LatPraef::computeLineAverages();
    EXPECT_EQ(LatPraef::columnAverages[3], 3.0);   // (1 + 2 + 4 + 5) / 4, not / 5
    EXPECT_EQ(LatPraef::rowAverages[2], 2.0);      // five times of 2.0; the centre and the 0.0 not counted
    EXPECT_EQ(LatPraef::columnAverages[0], 1.0);   // four times of 1.0
    EXPECT_EQ(LatPraef::columnAverages[1], 1.2);   // 1, 1, 2, 1, 1
    EXPECT_EQ(LatPraef::maxColumnAverage, 3.0);
    EXPECT_EQ(LatPraef::maxRowAverage, 2.0);

    EXPECT_EQ(LatPraef::rowAverages[4], 1.57);     // (6 + 5) / 7
}

TEST(ResultStatistics, ColumnsComeFirstAndTheLastRowStaysInLineAverage)
{
    Grid grid(9, 7);
    grid.fill(1.0);
    for (int column = 0; column < 9; ++column)
        grid.time(column, 6) = 2.5;
    grid.time(8, 0) = 7.0;
    LatPraef::computeLineAverages();
    EXPECT_EQ(LatPraef::lineAverage, 2.5);
    EXPECT_EQ(LatPraef::rowAverages[6], 2.5);
    EXPECT_EQ(LatPraef::columnAverages[8], 2.07);   // (7 + 5 + 2.5) / 7
}

TEST(ResultStatistics, ALineWithoutAnyPositiveTimeAveragesZero)
{
    Grid grid(7, 5);
    grid.fill(2.0);
    for (int row = 0; row < 5; ++row)
        grid.time(5, row) = 0.0;
    EXPECT_NO_THROW(LatPraef::computeLineAverages());
    EXPECT_EQ(LatPraef::columnAverages[5], 0.0);
    EXPECT_EQ(LatPraef::maxColumnAverage, 2.0);
    EXPECT_EQ(common::formatFixed(LatPraef::columnAverages[5], 3, 2), "0,00");

    grid.fill(0.0);
    EXPECT_NO_THROW(LatPraef::computeLineAverages());
    EXPECT_EQ(LatPraef::maxColumnAverage, 0.0);
    EXPECT_EQ(LatPraef::maxRowAverage, 0.0);
}

// ---------------------------------------------------------------- lateral preference geometry

TEST(LateralGeometry, WorkedLayoutOfBothTasksAtFullHd)
{
    const LatPraef::LateralGeometry numbers = LatPraef::lateralGeometry(QSize(1920, 1080), 9, 7, 35);
    EXPECT_EQ(numbers.imageWidth, 1152);
    EXPECT_EQ(numbers.imageHeight, 820);
    EXPECT_EQ(QPoint(numbers.imageLeft, numbers.imageTop), QPoint(384, 130));
    EXPECT_EQ(numbers.barBase, 815);
    EXPECT_EQ(numbers.boxSize, 54);
    EXPECT_EQ(numbers.boxPitch, 59);
    EXPECT_EQ(numbers.boxLeft(0), 41);
    EXPECT_EQ(numbers.boxTop(0), 41);
    EXPECT_EQ(numbers.boxLeft(8), 513);
    EXPECT_EQ(numbers.rowBarSpan, 184);
    EXPECT_EQ(numbers.columnBarSpan, 302);

    const LatPraef::LateralGeometry pictures = LatPraef::lateralGeometry(QSize(1920, 1080), 7, 5, 35);
    EXPECT_EQ(pictures.boxSize, 74);
    EXPECT_EQ(pictures.boxLeft(0), 21);
    EXPECT_EQ(pictures.boxTop(0), 21);
    EXPECT_EQ(pictures.rowBarSpan, 162);
    EXPECT_EQ(pictures.columnBarSpan, 320);
    // The longest bars start one gap of a box after the last box.
    EXPECT_EQ(pictures.barBase - pictures.rowBarSpan, 100 + 7 * 79);
    EXPECT_EQ(pictures.barBase - pictures.columnBarSpan, 100 + 5 * 79);
}

TEST(LateralGeometry, ScreensWhereTheDrawingRunsOffThePicture)
{
    // Bars end at the height-derived base, 2 px beyond the 768 px wide picture.
    const LatPraef::LateralGeometry square = LatPraef::lateralGeometry(QSize(1280, 1024), 9, 7, 35);
    EXPECT_EQ(square.imageWidth, 768);
    EXPECT_EQ(square.imageHeight, 775);
    EXPECT_EQ(square.barBase, 770);

    const LatPraef::LateralGeometry wide = LatPraef::lateralGeometry(QSize(2560, 1440), 7, 5, 35);
    EXPECT_EQ(wide.imageHeight, 1108);
    EXPECT_EQ(wide.boxSize, 100);
    EXPECT_EQ(wide.boxLeft(0), -5);
    EXPECT_EQ(wide.boxTop(0), -5);
}

TEST(LateralGeometry, RowBarsRoundColumnBarsTruncate)
{
    EXPECT_EQ(LatPraef::rowBarLength(2.5, 2.5, 184), 184);
    EXPECT_EQ(LatPraef::columnBarLength(2.5, 2.5, 302), 302);
    EXPECT_EQ(LatPraef::rowBarLength(1.0, 3.0, 302), 101);      // 100.67
    EXPECT_EQ(LatPraef::columnBarLength(1.0, 3.0, 302), 100);
    EXPECT_EQ(LatPraef::rowBarLength(1.0, 4.0, 162), 40);       // 40.5 to the even neighbour
    EXPECT_EQ(LatPraef::rowBarLength(0.0, 2.0, 184), 0);
    EXPECT_EQ(LatPraef::rowBarLength(0.0, 0.0, 184), 0);        // no times at all: no bars
    EXPECT_EQ(LatPraef::columnBarLength(0.0, 0.0, 302), 0);
}

TEST(LateralGeometry, LabelsGoInsideOnlyStrictlyLongerBars)
{
    // Row bars end at the base 815; the label needs 30.
    EXPECT_EQ(LatPraef::rowLabelPosition(785, 41, 815, 30), QPoint(790, 51));   // exactly as long: outside
    EXPECT_EQ(LatPraef::rowLabelPosition(784, 41, 815, 30), QPoint(785, 51));   // one longer: inside
    EXPECT_EQ(LatPraef::rowLabelPosition(815, 41, 815, 30), QPoint(820, 51));   // no bar
    // Column bars: text 13 high, so 18 is the length that still puts it outside.
    EXPECT_EQ(LatPraef::columnLabelPosition(41, 797, 815, 13), QPoint(51, 817));
    EXPECT_EQ(LatPraef::columnLabelPosition(41, 796, 815, 13), QPoint(51, 795));
}

// ---------------------------------------------------------------- the two windows

namespace {

// Runs each step once its window is the active modal window and has been activated, so that a test can act inside
// the windows' exec(). A step that opens a modal window itself must post that action.
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

void activate(QWidget *window)
{
    QEvent activation(QEvent::WindowActivate);
    QCoreApplication::sendEvent(window, &activation);
}

// Counts how often a window is shown.
class ShowCounter : public QObject {
public:
    int shown = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        shown += event->type() == QEvent::Show;
        return false;
    }
};

} // namespace

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
    QPushButton *resultsButton() { return numbersMode ? form().ladenBB_2 : form().ladenBB_1; }

    // Every cell but the centre gets `t`; lines can then be set apart.
    void setAllTimes(double t)
    {
        for (int row = 0; row < gridRows; ++row)
            for (int column = 0; column < gridColumns; ++column)
                cellAt(column, row)->searchTime = column == centreColumn && row == centreRow ? 0.0 : t;
    }

    Tdatenbetrachter &viewer() { return *datenbetrachter; }
    TlpForm &lateral() { return *lpForm; }
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

class ChartSeries : public ResultsWindows, public testing::WithParamInterface<bool> {};

TEST_P(ChartSeries, OnePointPerPositionInReadingOrderWithoutTheCentre)
{
    const bool numbers = GetParam();
    playTask(numbers);
    showViewer();

    const QList<LineSeries::Point> points = this->points();
    ASSERT_EQ(points.size(), numbers ? 62 : 34);
    for (int k = 0; k < points.size(); ++k) {
        const int i = k < centreIndex ? k : k + 1;   // linear index of the k-th point
        EXPECT_EQ(points[k].x, k + 1);
        EXPECT_EQ(points[k].y, cellAt(i % gridColumns, i / gridColumns)->searchTime) << "point " << k;
    }
    // Around the centre (Numbers 31, Pictures 17) the numbering closes the gap.
    const int centre = numbers ? 31 : 17;
    EXPECT_EQ(points[centre - 1].y, cellAt((centre - 1) % gridColumns, (centre - 1) / gridColumns)->searchTime);
    EXPECT_EQ(points[centre - 1].x, centre);        // the cell before the centre
    EXPECT_EQ(points[centre].x, centre + 1);        // the cell right after it
    EXPECT_EQ(points[centre].y, cellAt((centre + 1) % gridColumns, (centre + 1) / gridColumns)->searchTime);

    // A triangle at every point; the horizontal axis runs from 1 at the first to the last
    // position at the last, the vertical one between round values just around the times (0.3 s
    // to 2.1 s), ticked evenly at 1, 2 or 5 times a power of ten.
    const ChartReading chart = readChart(*viewer().Chart1);
    ASSERT_EQ(chart.markers.size(), points.size());
    ASSERT_GE(chart.horizontal.size(), 2u);
    EXPECT_NEAR(chart.xAt(chart.markers.front().x()), 1, 0.5);
    EXPECT_NEAR(chart.xAt(chart.markers.back().x()), numbers ? 62 : 34, 0.5);
    ASSERT_GE(chart.vertical.size(), 2u);
    const double step = chart.vertical[1].value - chart.vertical[0].value;
    for (std::size_t i = 1; i < chart.vertical.size(); ++i) {
        EXPECT_NEAR(chart.vertical[i].value - chart.vertical[i - 1].value, step, 1e-9);
        EXPECT_LT(chart.vertical[i].at, chart.vertical[i - 1].at);   // upwards
    }
    const double mantissa = step / std::pow(10.0, std::floor(std::log10(step) + 1e-9));
    EXPECT_TRUE(std::abs(mantissa - 1) < 1e-9 || std::abs(mantissa - 2) < 1e-9 || std::abs(mantissa - 5) < 1e-9)
        << step;
    const double low = chart.vertical.front().value, high = chart.vertical.back().value;
    EXPECT_LE(low, 0.3 + 1e-9);
    EXPECT_GT(low, 0.3 - step);
    EXPECT_GE(high, 2.1 - 1e-9);
    EXPECT_LT(high, 2.1 + step);
    EXPECT_NEAR(std::remainder(low, step), 0, 1e-9);
    EXPECT_TRUE(viewer().Chart1->title().contains(numbers ? ": Zahlen suchen,  AM/St.Abw :"
                                                          : ": Bilder suchen,  AM/St.Abw :"));
}

INSTANTIATE_TEST_SUITE_P(BothTasks, ChartSeries, testing::Bool());

TEST_F(ResultsWindows, EqualTimesStillGiveTheChartAVerticalRange)
{
    playTask(false);
    setAllTimes(1.5);
    showViewer();
    const ChartReading chart = readChart(*viewer().Chart1);
    ASSERT_EQ(chart.markers.size(), 34u);
    for (const QPoint marker : chart.markers)
        EXPECT_EQ(marker.y(), chart.markers.front().y());
    ASSERT_GE(chart.vertical.size(), 2u);
    EXPECT_LT(chart.vertical.front().value, 1.5);
    EXPECT_GT(chart.vertical.back().value, 1.5);
    EXPECT_LT(chart.markers.front().y(), chart.vertical.front().at);
    EXPECT_GT(chart.markers.front().y(), chart.vertical.back().at);
    EXPECT_EQ(LatPraef::timeDeviation, 0.0);
    EXPECT_TRUE(viewer().Chart1->title().endsWith("AM/St.Abw :1,5/0"));
}

// Times are whole tenths: no tick between two of them, however close the times lie.
TEST_F(ResultsWindows, VerticalTicksAreWholeTenthsAtTheFinest)
{
    playTask(true);
    for (const auto &[times, expected] : {std::pair{std::pair{0.7, 0.8}, std::vector<double>{0.7, 0.8}},
                                          {{0.0, 0.0}, {0, 0.1, 0.2, 0.3, 0.4, 0.5, 0.6, 0.7, 0.8, 0.9, 1.0}}}) {
        setAllTimes(times.first);
        cellAt(0, 0)->searchTime = times.second;
        showViewer();
        std::vector<double> values;
        for (const ChartReading::Tick &tick : readChart(*viewer().Chart1).vertical)
            values.push_back(tick.value);
        EXPECT_EQ(values, expected) << "times " << times.first << " to " << times.second;
        viewer().hide();
    }
}

TEST_F(ResultsWindows, TitleAndPanelShowTheStatisticsOfTheDay)
{
    playTask(true);
    setAllTimes(0.0);
    cellAt(0, 0)->searchTime = 1.8;
    cellAt(5, 3)->searchTime = 2.3;
    cellAt(8, 6)->searchTime = 2.7;
    common::todayOverride = QDate(2026, 12, 7);
    showViewer();
    const QString title = "Proband  07.12.2026,  Aufgabe: Zahlen suchen,  AM/St.Abw :2,3/0,45";
    EXPECT_EQ(viewer().Chart1->title(), title);

    // On screen: one line of ink above the plot, as wide as the text with every double blank.
    // The title is the first run of rows with ink from the top; the plot runs from the first
    // point's triangle to the last one's.
    const QImage shot = viewer().Chart1->grab().toImage();
    int left = shot.width(), right = -1, top = -1, bottom = -1;
    for (int y = 0; y < shot.height() && (bottom < 0 || bottom == y - 1); ++y)
        for (int x = 0; x < shot.width(); ++x)
            if (qGray(shot.pixel(x, y)) < 128) {
                left = std::min(left, x), right = std::max(right, x);
                top = top < 0 ? y : top, bottom = y;
            }
    const QFontMetrics metrics(common::tahoma(21));
    EXPECT_NEAR(right - left + 1, metrics.boundingRect(title).width(), 4);
    EXPECT_LE(bottom - top + 1, metrics.height());
    const ChartReading chart = readChart(*viewer().Chart1);
    ASSERT_FALSE(chart.markers.empty());
    EXPECT_NEAR((left + right) / 2, (chart.markers.front().x() + chart.markers.back().x()) / 2, 3);

    common::todayOverride = QDate(2027, 1, 2);
    activate(&viewer());
    EXPECT_EQ(viewer().Chart1->title(), "Proband  02.01.2027,  Aufgabe: Zahlen suchen,  AM/St.Abw :2,3/0,45");

    activate(&lateral());
    EXPECT_EQ(lateral().Panel1->text(), "Durchschnitt / St.Abweichung :2,3 / 0,45");
}

struct ChartPlace {
    QSize screen;
    QRect chart;
    int rightMargin;
    int panel = 0;   // what a desktop's panel reserves at the foot of the screen
};

class ChartGeometry : public ResultsWindows, public testing::WithParamInterface<ChartPlace> {
protected:
    void SetUp() override
    {
        if (GetParam().panel)
            common::availableRectOverride = QRect(primaryOrigin, GetParam().screen - QSize(0, GetParam().panel));
        start(GetParam().screen);
    }
    void TearDown() override
    {
        common::availableRectOverride.reset();
        ResultsWindows::TearDown();
    }
};

TEST_P(ChartGeometry, FullScreenWithTheChartBelowThePanel)
{
    const QSize screen = GetParam().screen;
    playTask(false);
    showViewer();

    EXPECT_EQ(viewer().geometry(), QRect(primaryOrigin, screen));
    // Over a panel that reserves space only a full-screen window lies; elsewhere a modal
    // window full screen from the start is left unpainted where no window manager runs.
    EXPECT_EQ(viewer().isFullScreen(), GetParam().panel > 0);
    EXPECT_TRUE(viewer().windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(viewer().windowTitle(), "Datenbetrachter");
    EXPECT_EQ(viewer().Panel1->geometry(), QRect(0, 0, screen.width(), 41));
    EXPECT_EQ(viewer().lpButton->geometry(), QRect(9, 5, 151, 29));
    EXPECT_EQ(viewer().schliessenButton->geometry(), QRect(166, 4, 159, 30));
    EXPECT_EQ(viewer().lpButton->text(), "Laterale Präferenz");
    EXPECT_EQ(viewer().schliessenButton->text(), "Betrachter schliessen");
    // Keeping the results: right of the specified buttons, in their font, with no access key.
    EXPECT_EQ(viewer().druckenButton->geometry(), QRect(331, 4, 100, 30));
    EXPECT_EQ(viewer().kopierenButton->geometry(), QRect(437, 4, 100, 30));
    EXPECT_EQ(viewer().druckenButton->text(), "Drucken …");
    EXPECT_EQ(viewer().kopierenButton->text(), "Kopieren");
    EXPECT_EQ(viewer().kopierenButton->font(), viewer().schliessenButton->font());
    EXPECT_EQ(viewer().Chart1->geometry(), GetParam().chart);

    // The last point clear of the right margin; the title in black Tahoma 21 px, the axes'
    // titles bold 13 px, as the chart draws them.
    LineChart *chart = viewer().Chart1;
    const std::vector<QPoint> markers = readChart(*chart).markers;
    ASSERT_EQ(markers.size(), 34u);
    EXPECT_LT(markers.back().x() + 2, chart->width() - GetParam().rightMargin);
    TextRecorder painted(chart->size());
    chart->render(&painted);
    const TextRecorder::Text *title = painted.find(chart->title());
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(QFontInfo(title->font).family(), "Tahoma");
    EXPECT_EQ(title->font.pixelSize(), 21);
    EXPECT_EQ(title->colour, QColor(Qt::black));
    for (const QString axisTitle : {"Vorlage Nr.:", "Suchzeit in Sekunden:"}) {
        const TextRecorder::Text *drawn = painted.find(axisTitle);
        ASSERT_NE(drawn, nullptr) << axisTitle.toStdString();
        EXPECT_TRUE(drawn->font.bold());
        EXPECT_EQ(drawn->font.pixelSize(), 13);
    }

    const QImage shot = viewer().grab().toImage();
    const QRect chartRect = GetParam().chart;
    EXPECT_EQ(pixel(shot, 20, 500), qRgb(192, 192, 192) & 0xffffff);   // left of the chart
    EXPECT_EQ(pixel(shot, 500, 50), qRgb(192, 192, 192) & 0xffffff);   // between panel and chart
    EXPECT_EQ(pixel(shot, chartRect.right() + 5, 500), qRgb(192, 192, 192) & 0xffffff);
    EXPECT_EQ(pixel(shot, chartRect.left() + 2, chartRect.top() + 2), white);
    EXPECT_EQ(pixel(shot, chartRect.right() - 2, chartRect.bottom() - 2), white);
    EXPECT_EQ(QColor(pixel(shot, 700, 20)), viewer().palette().color(QPalette::ToolTipBase));
}

INSTANTIATE_TEST_SUITE_P(TwoScreens, ChartGeometry,
                         testing::Values(ChartPlace{QSize(1920, 1080), QRect(35, 61, 1728, 1019), 86},
                                         ChartPlace{QSize(1366, 768), QRect(35, 61, 1229, 707), 61},
                                         ChartPlace{QSize(1920, 1080), QRect(35, 61, 1728, 1019), 86, 40}));

TEST_F(ResultsWindows, SecondPointIsRedAtEveryActivation)
{
    playTask(false);
    // The points to look at lie inside the plot, away from the grid lines' ends.
    setAllTimes(1.0);
    cellAt(6, 4)->searchTime = 3.0;
    cellAt(5, 4)->searchTime = 0.2;
    cellAt(3, 0)->searchTime = 2.0;
    showViewer();
    activate(&viewer());
    const QList<LineSeries::Point> points = this->points();
    for (int i = 0; i < points.size(); ++i)
        EXPECT_EQ(points[i].colour, i == 1 ? QColor(Qt::red) : QColor(Qt::black)) << i;

    // Red outlines everywhere (apex and both base corners); inside, the point's own colour.
    const QImage shot = viewer().Chart1->grab().toImage();
    const std::vector<QPoint> markers = readChart(*viewer().Chart1).markers;
    ASSERT_EQ(markers.size(), static_cast<std::size_t>(points.size()));
    const auto at = [&](int i) { return markers[static_cast<std::size_t>(i)]; };
    for (int i : {1, 2, 10, 20}) {
        const QPoint p = at(i);
        for (QPoint corner : {QPoint(0, -2), QPoint(-2, 2), QPoint(2, 2)})
            EXPECT_EQ(pixel(shot, p.x() + corner.x(), p.y() + corner.y()), 0xff0000u) << "point " << i;
        EXPECT_EQ(pixel(shot, p.x(), p.y() + 1), i == 1 ? 0xff0000u : black) << "point " << i;
    }
    // The line runs black from point 3 (1.0 s) up to point 4 (2.0 s), halfway between them too.
    const QPoint from = at(2), to = at(3);
    const int midX = (from.x() + to.x()) / 2;
    const double midY = from.y() + (to.y() - from.y()) * double(midX - from.x()) / (to.x() - from.x());
    int blackNear = 0;
    for (int y = int(midY) - 1; y <= int(midY) + 2; ++y)
        blackNear += pixel(shot, midX, y) == black;
    EXPECT_GE(blackNear, 1) << "no line at x " << midX;
}

TEST(LineChart, PointsGivenOutOfOrderAreJoinedInAscendingX)
{
    LineChart chart;
    chart.resize(400, 300);
    chart.setMinimumX(1);
    for (const auto &[x, y] : {std::pair{1.0, 1.0}, {3.0, 1.0}, {2.0, 3.0}})
        chart.series()->addPoint(x, y, Qt::black);
    const QImage shot = chart.grab().toImage();
    const std::vector<QPoint> markers = readChart(chart).markers;
    ASSERT_EQ(markers.size(), 3u);
    // Halfway from x 1 up to x 2 lies the line; joined in the given order it would run flat there.
    const QPoint mid = (markers[0] + markers[1]) / 2;
    int blackNear = 0;
    for (int y = mid.y() - 1; y <= mid.y() + 1; ++y)
        blackNear += pixel(shot, mid.x(), y) == black;
    EXPECT_GE(blackNear, 1);
    EXPECT_NE(pixel(shot, mid.x(), markers[0].y()), black);
}

// ---------------------------------------------------------------- keeping the results

// A Numbers task whose every time tells its cell: row r, column c took r + (c + 1) / 10 s.
class KeptResults : public ResultsWindows {
protected:
    void SetUp() override
    {
        ResultsWindows::SetUp();
        playTask(true);
        for (int row = 0; row < 7; ++row)
            for (int column = 0; column < 9; ++column)
                cellAt(column, row)->searchTime = row == 3 && column == 4 ? 0.0 : row + (column + 1) / 10.0;
        showViewer();
    }

    // The expected figures, worked out here: each row averages r + 0.5, each column 3 + (c + 1) / 10.
    static QStringList row(int r)
    {
        QStringList line;
        for (int c = 0; c < 9; ++c)
            line << (r == 3 && c == 4 ? QString() : QStringLiteral("%1,%2").arg(r).arg(c + 1));
        return line << QStringLiteral("%1,50").arg(r);
    }
    static QStringList columnAverages()
    {
        QStringList line;
        for (int c = 0; c < 9; ++c)
            line << QStringLiteral("3,%1").arg(c + 1) + QLatin1Char('0');
        return line;
    }
    QString deviation() { return viewer().Chart1->title().section(QLatin1Char('/'), -1); }

    static QString run(const QString &program, const QStringList &arguments)
    {
        QProcess process;
        process.start(program, arguments);
        if (!process.waitForFinished(20000) || process.exitCode() != 0)
            ADD_FAILURE() << program.toStdString() << " failed: " << process.readAllStandardError().toStdString();
        return QString::fromUtf8(process.readAllStandardOutput());
    }
};

TEST_F(KeptResults, PrintedPageHoldsTheTitleEveryTimeTheAveragesAndBothPictures)
{
    const QImage chartBefore = viewer().grab().toImage();
    QTemporaryDir folder;
    const QString pdf = folder.filePath("results.pdf");
    {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        printer.setPageSize(QPageSize(QPageSize::A4));
        printer.setPageOrientation(QPageLayout::Landscape);
        viewer().printResults(printer);
    }
    const QString info = run("pdfinfo", {pdf});
    EXPECT_TRUE(info.contains(QRegularExpression("Pages: +1\n"))) << info.toStdString();
    EXPECT_TRUE(info.contains(QRegularExpression("Page size: +84[12](\\.\\d+)? x 595(\\.\\d+)? pts \\(A4\\)")))
        << info.toStdString();

    // Text as a reader of the page gets it: the title, the grid line by line, the rest.
    const QStringList lines = run("pdftotext", {"-layout", pdf, "-"}).split('\n');
    const auto lineIndex = [&](const QStringList &tokens) {
        for (int i = 0; i < lines.size(); ++i)
            if (lines[i].split(' ', Qt::SkipEmptyParts) == tokens)
                return i;
        return -1;
    };
    const QString page = lines.join('\n').simplified();
    EXPECT_TRUE(page.contains(viewer().Chart1->title().simplified())) << page.toStdString();
    int previous = -1;
    for (int r = 0; r < 7; ++r) {
        QStringList tokens = row(r);
        tokens.removeAll(QString());
        const int at = lineIndex(tokens);
        EXPECT_GT(at, previous) << "row " << r << " (" << tokens.join(' ').toStdString() << ")";
        previous = at;
    }
    EXPECT_GT(lineIndex(columnAverages()), previous);
    EXPECT_TRUE(page.contains("Mittelwert (AM): 3,5 s Standardabweichung (St.Abw): " + deviation() + " s"));
    EXPECT_TRUE(page.contains(QStringLiteral("Bildschirm: 1920 × 1080 Pixel")));
    EXPECT_TRUE(page.contains("Name / Kennung: ________________"));

    // The chart's red point in the upper half, the lateral picture's blue title bar and
    // yellow bars in the lower left.
    run("pdftoppm", {"-r", "50", "-png", "-singlefile", pdf, folder.filePath("page")});
    const QImage shot(folder.filePath("page.png"));
    ASSERT_FALSE(shot.isNull());
    const auto count = [&](QRect area, auto near) {
        int n = 0;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                n += near(QColor(shot.pixel(x, y)));
        return n;
    };
    const QRect upper(0, 0, shot.width(), shot.height() / 2), lowerLeft(0, shot.height() / 2, shot.width() / 2,
                                                                         shot.height() / 2);
    EXPECT_GT(count(upper, [](QColor c) { return c.red() > 200 && c.green() < 80 && c.blue() < 80; }), 3);
    EXPECT_GT(count(lowerLeft, [](QColor c) { return c.blue() > 200 && c.red() < 150 && c.green() < 150; }), 30);
    EXPECT_GT(count(lowerLeft, [](QColor c) { return c.red() > 240 && c.green() > 240 && std::abs(c.blue() - 196) < 20; }),
              50);

    // Printing leaves the window as it was.
    EXPECT_TRUE(viewer().lpButton->isEnabled());
    EXPECT_EQ(viewer().grab().toImage(), chartBefore);
}

TEST_F(KeptResults, APrintThatFailsSaysSoAndLeavesTheResultsOnTheScreen)
{
    const QImage chartBefore = viewer().grab().toImage();
    QTemporaryDir folder;
    const QString unwritable = folder.filePath("no such folder/results.pdf");
    const std::size_t boxesBefore = boxes.seen.size();
    {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(unwritable);
        viewer().printResults(printer);
    }
    ASSERT_EQ(boxes.seen.size(), boxesBefore + 1);
    EXPECT_EQ(boxes.seen.back().icon, common::OkBox::Critical);
    EXPECT_TRUE(boxes.seen.back().text.startsWith("Die Ergebnisse wurden nicht gedruckt (" + unwritable + ")."))
        << boxes.seen.back().text.toStdString();
    EXPECT_FALSE(QFile::exists(unwritable));
    EXPECT_TRUE(viewer().isVisible());
    EXPECT_TRUE(viewer().lpButton->isEnabled());
    EXPECT_EQ(viewer().grab().toImage(), chartBefore);
}

TEST_F(KeptResults, CopiedTableParsesIntoTheTimesAndAveragesAndCancelledPrintChangesNothing)
{
    const QImage chartBefore = viewer().grab().toImage();
    click(viewer().kopierenButton);
    const QStringList lines = QGuiApplication::clipboard()->text().split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 1 + 7 + 1 + 2);
    EXPECT_EQ(lines[0], viewer().Chart1->title());
    for (int r = 0; r < 7; ++r)
        EXPECT_EQ(lines[1 + r].split('\t'), row(r)) << "row " << r;
    EXPECT_EQ(lines[8].split('\t'), columnAverages());
    EXPECT_EQ(lines[9], "AM\t3,5");
    EXPECT_EQ(lines[10], "St.Abw\t" + deviation());

    // The print dialog, cancelled.
    bool cancelled = false;
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        if (auto *dialog = qobject_cast<QPrintDialog *>(QApplication::activeModalWidget())) {
            dialog->reject();
            cancelled = true;
        }
    });
    answer.start(5);
    click(viewer().druckenButton);
    EXPECT_TRUE(cancelled);
    EXPECT_TRUE(viewer().lpButton->isEnabled());
    EXPECT_EQ(viewer().grab().toImage(), chartBefore);
}

TEST_F(ResultsWindows, SchliessenButtonEndsTheProgramWithExitCodeOne)
{
    playTask(true);
    os().calls.clear();
    steps.then(datenbetrachter, [this] { click(viewer().schliessenButton); });
    QTimer::singleShot(0, [this] { click(resultsButton()); });
    const int exitCode = runProgramLoop();

    EXPECT_EQ(exitCode, 1);
    EXPECT_TRUE(steps.allRun());
    EXPECT_EQ(os().calls, std::vector<std::string>{"show taskbars"});
    // The main window's close handling did not run.
    EXPECT_TRUE(form().isVisible());
    EXPECT_TRUE(tileRects.has_value());
}

TEST_F(ResultsWindows, LateralWindowOpensOnceAndCloseBReturnsToTheChart)
{
    playTask(true);
    ShowCounter lateralShows;
    lateral().installEventFilter(&lateralShows);
    steps.then(datenbetrachter, [this] {
        QTimer::singleShot(0, [this] { click(viewer().lpButton); });
        QTimer::singleShot(0, [this] { click(viewer().lpButton); });
    });
    steps.then(lpForm, [this] {
        EXPECT_FALSE(viewer().lpButton->isEnabled());
        EXPECT_EQ(lateral().windowTitle(), "Durchschnittszeiten");
        // With the buttons of an ordinary window, which a dialog lacks.
        EXPECT_TRUE(lateral().windowFlags().testFlags(Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint));
        EXPECT_EQ(lateral().closeB->text(), "Schließen");
        // The outer frame is the screen (the offscreen platform draws a thin frame of its own);
        // the picture lies where the screen's height puts it, in client coordinates.
        EXPECT_EQ(lateral().frameGeometry(), QRect(primaryOrigin, QSize(1920, 1080)));
        EXPECT_LT(lateral().height(), 1080);
        EXPECT_EQ(lateral().grafIma->geometry(), QRect(384, 130, 1152, 820));
        EXPECT_EQ(lateral().CtrlPanel->geometry(), QRect(0, 0, lateral().width(), 35));
        click(lateral().closeB);
    });
    steps.then(datenbetrachter, [this] {
        EXPECT_EQ(lateral().result(), 1);
        click(viewer().lpButton);   // disabled for the rest of the run
        QApplication::processEvents();
        viewer().reject();
    });
    click(resultsButton());

    EXPECT_TRUE(steps.allRun());
    EXPECT_EQ(lateralShows.shown, 1);
    EXPECT_FALSE(form().isVisible());   // any other way out of the chart closes the main window
}

TEST_F(ResultsWindows, TitleBarCloseOfTheLateralWindowReturnsToTheChart)
{
    playTask(false);
    steps.then(datenbetrachter, [this] { QTimer::singleShot(0, [this] { click(viewer().lpButton); }); });
    steps.then(lpForm, [this] { lateral().close(); });
    steps.then(datenbetrachter, [this] {
        EXPECT_FALSE(lateral().isVisible());
        EXPECT_TRUE(viewer().isVisible());
        viewer().reject();
    });
    click(resultsButton());
    EXPECT_TRUE(steps.allRun());
}

TEST_F(ResultsWindows, EscapeLeavesBothResultsWindowsOpen)
{
    playTask(true);
    const std::size_t boxesBefore = boxes.seen.size();
    const auto pressEscape = [](QWidget *window) {
        QWidget *target = QApplication::focusWidget() ? QApplication::focusWidget() : window;
        QTest::keyClick(target, Qt::Key_Escape);
        QApplication::processEvents();
    };
    steps.then(datenbetrachter, [&] {
        pressEscape(datenbetrachter);
        EXPECT_TRUE(viewer().isVisible());
        QTimer::singleShot(0, [this] { click(viewer().lpButton); });
    });
    steps.then(lpForm, [&] {
        pressEscape(lpForm);
        EXPECT_TRUE(lateral().isVisible());
        click(lateral().closeB);
    });
    steps.then(datenbetrachter, [&] {
        pressEscape(datenbetrachter);
        EXPECT_TRUE(viewer().isVisible());
        viewer().reject();
    });
    click(resultsButton());
    EXPECT_TRUE(steps.allRun());
    EXPECT_EQ(boxes.seen.size(), boxesBefore);   // neither the abort box nor an error box
}

// ---------------------------------------------------------------- the lateral preference picture

namespace {

bool bluish(QRgb p)
{
    return qBlue(p) > 150 && qRed(p) < 120 && qGreen(p) < 120;
}

int bluishPixels(const QImage &image, QRect area)
{
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += bluish(image.pixel(x, y));
    return n;
}

} // namespace

class LateralPicture : public ResultsWindows {
protected:
    // Every time 1.0 but the last column (3.0) and the last row (2.0): the last column
    // and the last row carry the longest bars.
    void numbersWithLongestLastLines()
    {
        playTask(true);
        setAllTimes(1.0);
        for (int row = 0; row < 7; ++row)
            cellAt(8, row)->searchTime = 3.0;
        for (int column = 0; column < 8; ++column)
            cellAt(column, 6)->searchTime = 2.0;
    }
};

TEST_F(LateralPicture, NumbersBoardAndBarsAtFullHd)
{
    numbersWithLongestLastLines();
    activate(&lateral());
    const QImage picture = lateralPicture();
    ASSERT_EQ(picture.size(), QSize(1152, 820));
    EXPECT_EQ(lateral().grafIma->geometry(), QRect(384, 130, 1152, 820));

    EXPECT_EQ(pixel(picture, 0, 0), lightGrey);
    EXPECT_EQ(pixel(picture, 1151, 819), lightGrey);
    EXPECT_EQ(pixel(picture, 1000, 700), white);   // the bitmap's first brush
    EXPECT_TRUE(showsText(picture, QPoint(50, 16), " Suchzeiten in Sekunden und Durchschnittwerte vertikal und horizontal: ",
                          common::tahoma(19), Qt::white, QColor(headerBlue)));

    // Box of column 0, row 0 from (41, 41) to (95, 95), right and bottom exclusive.
    EXPECT_EQ(pixel(picture, 41, 41), black);
    EXPECT_EQ(pixel(picture, 94, 94), black);
    EXPECT_EQ(pixel(picture, 90, 90), boxGrey);
    EXPECT_EQ(pixel(picture, 95, 95), white);
    // The centre's box (column 4, row 3) is drawn like any other.
    EXPECT_EQ(pixel(picture, 277, 218), black);
    EXPECT_EQ(pixel(picture, 330, 271), black);
    // Every box shows its cell's time with one decimal and a full stop.
    const QFont small = common::tahoma(11);
    for (int row = 0; row < 7; ++row)
        for (int column = 0; column < 9; ++column) {
            const double t = cellAt(column, row)->searchTime;
            EXPECT_TRUE(showsText(picture, QPoint(41 + column * 59 + 5, 41 + row * 59 + 5), QString::number(t, 'f', 1),
                                  small, QColor(headerBlue), QColor(boxGrey)))
                << column << "," << row;
        }

    // Row 6 (2.11) has the longest row bar: 184 px leftwards from the base 815.
    EXPECT_EQ(pixel(picture, 630, 396), white);
    EXPECT_EQ(pixel(picture, 631, 396), black);
    EXPECT_EQ(pixel(picture, 640, 400), barYellow);
    EXPECT_EQ(pixel(picture, 814, 448), black);
    EXPECT_EQ(pixel(picture, 815, 448), white);
    // Row 0 (1.22): Round(1.22 / 2.11 x 184) = 106.
    EXPECT_EQ(pixel(picture, 708, 42), white);
    EXPECT_EQ(pixel(picture, 709, 42), black);
    // Each row's average inside its bar, at the bar's right end; nothing right of the base.
    const int labelWidth = QFontMetrics(small).horizontalAdvance("XXXX") + 5;
    const char *rowLabels[] = {"1,22", "1,22", "1,22", "1,25", "1,22", "1,22", "2,11"};
    for (int r = 0; r < 7; ++r)
        EXPECT_TRUE(showsText(picture, QPoint(815 - labelWidth, 41 + r * 59 + 10), rowLabels[r], small,
                              QColor(headerBlue), QColor(barYellow)))
            << "row " << r;
    EXPECT_EQ(bluishPixels(picture, QRect(816, 40, 300, 420)), 0);

    // Column 8 (3.0) has the longest column bar: 302 px up from the base.
    EXPECT_EQ(pixel(picture, 513, 512), white);
    EXPECT_EQ(pixel(picture, 513, 513), black);
    EXPECT_EQ(pixel(picture, 540, 520), barYellow);
    EXPECT_EQ(pixel(picture, 566, 814), black);
    // Column 0 (1.14): Trunc(1.14 / 3 x 302) = 114, although 114.76 rounds to 115.
    EXPECT_EQ(pixel(picture, 41, 700), white);
    EXPECT_EQ(pixel(picture, 41, 701), black);
    // Each column's average inside its bar, near its foot.
    const char *columnLabels[] = {"1,14", "1,14", "1,14", "1,14", "1,17", "1,14", "1,14", "1,14", "3,00"};
    for (int c = 0; c < 9; ++c)
        EXPECT_TRUE(showsText(picture, QPoint(41 + c * 59 + 10, 815 - 20), columnLabels[c], small, QColor(headerBlue),
                              QColor(barYellow)))
            << "column " << c;
}

TEST_F(LateralPicture, RedrawOnReactivationStartsFromTheBarBrush)
{
    numbersWithLongestLastLines();
    activate(&lateral());
    activate(&lateral());
    const QImage picture = lateralPicture();
    EXPECT_EQ(pixel(picture, 1000, 700), barYellow);
    EXPECT_EQ(pixel(picture, 95, 95), barYellow);
    EXPECT_EQ(pixel(picture, 0, 0), lightGrey);
    EXPECT_EQ(pixel(picture, 90, 90), boxGrey);
    EXPECT_EQ(pixel(picture, 631, 396), black);
}

// A desktop that does not activate a new window (native Wayland) still sees the whole window
// from its show on; the activation that follows the show draws nothing again.
TEST_F(LateralPicture, ShownWithoutActivationItIsLaidOutAndDrawnOnce)
{
    numbersWithLongestLastLines();
    lateral().show();
    EXPECT_EQ(lateral().closeB->text(), "Schließen");
    EXPECT_EQ(lateral().grafIma->geometry(), QRect(384, 130, 1152, 820));
    EXPECT_EQ(pixel(lateralPicture(), 631, 396), black);
    activate(&lateral());
    EXPECT_EQ(pixel(lateralPicture(), 1000, 700), white);
    activate(&lateral());
    EXPECT_EQ(pixel(lateralPicture(), 1000, 700), barYellow);
    lateral().hide();
}

// Where no activation follows the show, the keyboard going to another program and coming back
// is a reactivation all the same. The offscreen platform always activates a shown window, so
// the keyboard's move is announced here as a compositor's would be.
TEST_F(LateralPicture, WithoutTheShowsActivationTheNextOneDrawsAgain)
{
    numbersWithLongestLastLines();
    lateral().show();
    emit qApp->applicationStateChanged(Qt::ApplicationInactive);
    activate(&lateral());
    EXPECT_EQ(pixel(lateralPicture(), 1000, 700), barYellow);
    lateral().hide();
}

TEST_F(ResultsWindows, ChartShownWithoutActivationIsLaidOutWithItsTitles)
{
    playTask(true);
    viewer().show();
    EXPECT_EQ(viewer().Chart1->geometry(), QRect(35, 61, 1728, 1019));
    LineChart *chart = viewer().Chart1;
    EXPECT_TRUE(chart->title().startsWith("Proband"));
    TextRecorder painted(chart->size());
    chart->render(&painted);
    EXPECT_NE(painted.find("Vorlage Nr.:"), nullptr);
    EXPECT_EQ(points()[1].colour, QColor(Qt::red));
    viewer().hide();
}

TEST_F(LateralPicture, PicturesRowZeroCoversTheFootOfTheHeader)
{
    playTask(false);
    activate(&lateral());
    const QImage picture = lateralPicture();
    EXPECT_EQ(pixel(picture, 21, 21), black);
    EXPECT_EQ(pixel(picture, 60, 25), boxGrey);   // inside the header band, drawn over it
    int blue = 0;
    for (int x = 100; x < 400; ++x)
        blue += pixel(picture, x, 17) == headerBlue;
    EXPECT_GT(blue, 100);   // the band above the boxes is still there
}

TEST_F(LateralPicture, EmptyLinesHaveNoBarAndTheirLabelOutside)
{
    numbersWithLongestLastLines();
    for (int column = 0; column < 9; ++column)
        cellAt(column, 1)->searchTime = 0.0;   // row 1, top 100
    for (int row = 0; row < 7; ++row)
        cellAt(2, row)->searchTime = 0.0;      // column 2, left 159
    const std::size_t boxesBefore = boxes.seen.size();
    activate(&lateral());
    const QImage picture = lateralPicture();
    EXPECT_EQ(boxes.seen.size(), boxesBefore);
    EXPECT_EQ(pixel(picture, 814, 101), white);   // no row bar
    EXPECT_EQ(pixel(picture, 814, 42), black);    // row 0's bar
    EXPECT_EQ(pixel(picture, 159, 814), white);   // no column bar
    EXPECT_EQ(pixel(picture, 100, 814), black);   // column 1's bar
    EXPECT_GT(bluishPixels(picture, QRect(820, 110, 40, 15)), 5);   // "0,00" right of the base
}

TEST_F(LateralPicture, NoPositiveTimeAtAllDrawsNoBarsAndNoError)
{
    playTask(true);
    setAllTimes(0.0);
    const std::size_t boxesBefore = boxes.seen.size();
    activate(&lateral());
    const QImage picture = lateralPicture();
    EXPECT_EQ(boxes.seen.size(), boxesBefore);
    EXPECT_EQ(lateral().Panel1->text(), "Durchschnitt / St.Abweichung :0 / 0");
    EXPECT_EQ(pixel(picture, 41, 41), black);
    for (int r = 0; r < 7; ++r)
        EXPECT_EQ(pixel(picture, 814, 42 + r * 59), white) << "row " << r;
    for (int c = 0; c < 9; ++c)
        EXPECT_EQ(pixel(picture, 41 + c * 59, 814), white) << "column " << c;
}

class LateralPictureSquareScreen : public LateralPicture {
protected:
    void SetUp() override { start(QSize(1280, 1024)); }
};

class LateralPictureLargeScreen : public LateralPicture {
protected:
    void SetUp() override { start(QSize(2560, 1440)); }
};

TEST_F(LateralPictureSquareScreen, RowBarsAreCutAtThePicturesRightEdge)
{
    numbersWithLongestLastLines();
    activate(&lateral());
    const QImage picture = lateralPicture();
    ASSERT_EQ(picture.size(), QSize(768, 775));
    EXPECT_EQ(lateral().grafIma->geometry(), QRect(256, 124, 768, 775));
    // Row 6: from 770 - 166 = 604 to the base 770, two pixels beyond the edge.
    EXPECT_EQ(pixel(picture, 604, 381), black);
    EXPECT_EQ(pixel(picture, 767, 381), barYellow);
    EXPECT_EQ(pixel(picture, 767, 380), black);
}

TEST_F(LateralPictureLargeScreen, PicturesFirstRowAndColumnAreCut)
{
    playTask(false);
    activate(&lateral());
    const QImage picture = lateralPicture();
    ASSERT_EQ(picture.size(), QSize(1536, 1108));
    // Box of column 0, row 0 from (-5, -5) to (95, 95): its left and top edges are cut.
    EXPECT_EQ(pixel(picture, 0, 50), boxGrey);
    EXPECT_EQ(pixel(picture, 50, 0), boxGrey);
    EXPECT_EQ(pixel(picture, 94, 50), black);
    EXPECT_EQ(pixel(picture, 50, 94), black);
    EXPECT_EQ(pixel(picture, 97, 50), white);
}