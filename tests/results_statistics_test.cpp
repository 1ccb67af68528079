#include "common/Formats.h"
#include "results/LatPraef.h"
#include "task/TamriUnit.h"

#include <QLocale>

#include <gtest/gtest.h>

#include <memory>
#include <tuple>
#include <vector>

using namespace TamriUnit;

namespace {

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
    struct Case {
        const char *what;
        int columns, rows;
        double fill;   // every cell but the centre, before the times
        std::vector<std::tuple<int, int, double>> times;
        double mean, deviation;
    };
    const Case cases[] = {
        {"three times", 7, 5, 0, {{0, 0, 2.0}, {6, 1, 3.0}, {2, 4, 4.0}}, 3.0, 1.0},
        {"the mean keeps one decimal, the deviation two: 6.8 / 3 and 0.4509...", 7, 5, 0,
         {{0, 0, 1.8}, {6, 1, 2.3}, {2, 4, 2.7}}, 2.3, 0.45},
        {"0.2 + 0.3 is exactly 0.5: the tenths of 0.25 go to the even 2", 7, 5, 0, {{0, 0, 0.2}, {6, 1, 0.3}}, 0.2, 0.07},
        {"one time has no deviation", 9, 7, 0, {{8, 6, 12.3}}, 12.3, 0.0},
        {"no time at all", 9, 7, 0, {}, 0.0, 0.0},
        {"34 times of 1.7 leave the sum of squares about 1e-13 below total^2 / n", 7, 5, 1.7, {}, 1.7, 0.0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        Grid grid(c.columns, c.rows);
        grid.fill(c.fill);
        for (const auto &[column, row, t] : c.times)
            grid.time(column, row) = t;
        LatPraef::meanTime = LatPraef::timeDeviation = 99;
        EXPECT_NO_THROW(LatPraef::computeMeanAndDeviation());
        EXPECT_EQ(LatPraef::meanTime, c.mean);
        EXPECT_EQ(LatPraef::timeDeviation, c.deviation);
    }
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

TEST(LateralGeometry, WorkedLayoutOfBothTasksAtFullHdAndWhereItRunsOffThePicture)
{
    const LatPraef::LateralGeometry numbers = LatPraef::lateralGeometry(QSize(1920, 1080), 9, 7, 35);
    EXPECT_EQ(QSize(numbers.imageWidth, numbers.imageHeight), QSize(1152, 820));
    EXPECT_EQ(QPoint(numbers.imageLeft, numbers.imageTop), QPoint(384, 130));
    EXPECT_EQ(numbers.barBase, 815);
    EXPECT_EQ(numbers.boxSize, 54);
    EXPECT_EQ(numbers.boxPitch, 59);
    EXPECT_EQ(QPoint(numbers.boxLeft(0), numbers.boxTop(0)), QPoint(41, 41));
    EXPECT_EQ(numbers.boxLeft(8), 513);
    EXPECT_EQ(numbers.rowBarSpan, 184);
    EXPECT_EQ(numbers.columnBarSpan, 302);

    const LatPraef::LateralGeometry pictures = LatPraef::lateralGeometry(QSize(1920, 1080), 7, 5, 35);
    EXPECT_EQ(pictures.boxSize, 74);
    EXPECT_EQ(QPoint(pictures.boxLeft(0), pictures.boxTop(0)), QPoint(21, 21));
    EXPECT_EQ(pictures.rowBarSpan, 162);
    EXPECT_EQ(pictures.columnBarSpan, 320);
    // The longest bars start one gap of a box after the last box.
    EXPECT_EQ(pictures.barBase - pictures.rowBarSpan, 100 + 7 * 79);
    EXPECT_EQ(pictures.barBase - pictures.columnBarSpan, 100 + 5 * 79);

    // Screens where the drawing runs off the picture. Bars end at the height-derived base, 2 px beyond the 768 px wide picture.
    const LatPraef::LateralGeometry square = LatPraef::lateralGeometry(QSize(1280, 1024), 9, 7, 35);
    EXPECT_EQ(QSize(square.imageWidth, square.imageHeight), QSize(768, 775));
    EXPECT_EQ(square.barBase, 770);

    const LatPraef::LateralGeometry wide = LatPraef::lateralGeometry(QSize(2560, 1440), 7, 5, 35);
    EXPECT_EQ(wide.imageHeight, 1108);
    EXPECT_EQ(wide.boxSize, 100);
    EXPECT_EQ(QPoint(wide.boxLeft(0), wide.boxTop(0)), QPoint(-5, -5));
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
