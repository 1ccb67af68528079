#include "common/Application.h"
#include "common/Formats.h"
#include "tests/ResultsFixture.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QLabel>

#include <algorithm>
#include <cmath>

using namespace testsupport;
using namespace TamriUnit;

class ChartSeries : public ResultsWindows, public testing::WithParamInterface<bool> {};

TEST_P(ChartSeries, OnePointPerPositionInReadingOrderWithoutTheCentre)
{
    const bool numbers = GetParam();
    playTask(numbers);
    showViewer();

    const QList<LineSeries::Point> points = this->points();
    ASSERT_EQ(points.size(), numbers ? 62 : 34);
    // Past the centre (Numbers 31, Pictures 17) the numbering closes the gap.
    for (int k = 0; k < points.size(); ++k) {
        const int i = k < centreIndex ? k : k + 1;   // linear index of the k-th point
        EXPECT_EQ(points[k].x, k + 1);
        EXPECT_EQ(points[k].y, cellAt(i % gridColumns, i / gridColumns)->searchTime) << "point " << k;
    }

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
    setAllTimes(0.0, {{0, 0, 1.8}, {5, 3, 2.3}, {8, 6, 2.7}});
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
    // Keeping the results: right of the panel's first two buttons, in their font, with no access key.
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
    // Silver left of, above and right of the chart; the chart white inside its corners.
    expectSpots(shot, {{20, 500, silver}, {500, 50, silver}, {chartRect.right() + 5, 500, silver},
                       {chartRect.left() + 2, chartRect.top() + 2, white}, {chartRect.right() - 2, chartRect.bottom() - 2, white}});
    EXPECT_EQ(QColor(pixel(shot, 700, 20)), viewer().palette().color(QPalette::ToolTipBase));
}

INSTANTIATE_TEST_SUITE_P(TwoScreens, ChartGeometry,
                         testing::Values(ChartPlace{QSize(1920, 1080), QRect(35, 61, 1728, 1019), 86},
                                         ChartPlace{QSize(1366, 768), QRect(35, 61, 1229, 707), 61},
                                         ChartPlace{QSize(1920, 1080), QRect(35, 61, 1728, 1019), 86, 40}));

// Whether the black line passes halfway between two points.
static bool lineHalfway(const QImage &shot, QPoint from, QPoint to)
{
    const int midX = (from.x() + to.x()) / 2;
    const double midY = from.y() + (to.y() - from.y()) * double(midX - from.x()) / (to.x() - from.x());
    for (int y = int(midY) - 1; y <= int(midY) + 2; ++y)
        if (pixel(shot, midX, y) == black)
            return true;
    return false;
}

TEST_F(ResultsWindows, SecondPointIsRedAtEveryActivation)
{
    playTask(false);
    // The points to look at lie inside the plot, away from the grid lines' ends.
    setAllTimes(1.0, {{6, 4, 3.0}, {5, 4, 0.2}, {3, 0, 2.0}});
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
    EXPECT_TRUE(lineHalfway(shot, at(2), at(3)));
}

TEST(LineChart, PointsGivenOutOfOrderAreJoinedInAscendingX)
{
    LineChart chart;
    chart.resize(400, 300);
    chart.setMinimumX(1);
    for (const auto &[x, y] : {std::pair{1.0, 1.0}, {3.0, 1.0}, {2.0, 3.0}})
        chart.series()->addPoint(x, y, Qt::black);
    const std::vector<QPoint> markers = readChart(chart).markers;
    ASSERT_EQ(markers.size(), 3u);
    // Joined in the given order, the line would run flat from x 1 to x 3.
    const QImage shot = chart.grab().toImage();
    EXPECT_TRUE(lineHalfway(shot, markers[0], markers[1]));
    EXPECT_FALSE(lineHalfway(shot, markers[0], markers[2]));
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
