#include "common/Application.h"
#include "tests/ResultsFixture.h"

#include <QFontMetrics>
#include <QLabel>

using namespace testsupport;
using namespace TamriUnit;

namespace {

bool bluish(QRgb p)
{
    return qBlue(p) > 150 && qRed(p) < 120 && qGreen(p) < 120;
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
    // Those times drawn, the picture of the given place and size.
    QImage numbersDrawn(const QRect &where)
    {
        numbersWithLongestLastLines();
        activate(&lateral());
        EXPECT_EQ(lateral().grafIma->geometry(), where);
        return lateralPicture();
    }
};

TEST_F(LateralPicture, NumbersBoardAndBarsAtFullHd)
{
    const QImage picture = numbersDrawn(QRect(384, 130, 1152, 820));
    ASSERT_EQ(picture.size(), QSize(1152, 820));

    // The outline, and inside it the bitmap's first brush.
    expectSpots(picture, {{0, 0, lightGrey}, {1151, 819, lightGrey}, {1000, 700, white}});
    EXPECT_TRUE(showsText(picture, QPoint(50, 16), " Suchzeiten in Sekunden und Durchschnittwerte vertikal und horizontal: ",
                          common::tahoma(19), Qt::white, QColor(headerBlue)));

    // Box of column 0, row 0 from (41, 41) to (95, 95), right and bottom exclusive.
    expectSpots(picture, {{41, 41, black}, {94, 94, black}, {90, 90, boxGrey}, {95, 95, white}});
    // The centre's box (column 4, row 3) is drawn like any other.
    expectSpots(picture, {{277, 218, black}, {330, 271, black}});
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
    expectSpots(picture, {{630, 396, white}, {631, 396, black}, {640, 400, barYellow}, {814, 448, black},
                          {815, 448, white}});
    // Row 0 (1.22): Round(1.22 / 2.11 x 184) = 106.
    expectSpots(picture, {{708, 42, white}, {709, 42, black}});
    // Each row's average inside its bar, at the bar's right end; nothing right of the base.
    const int labelWidth = QFontMetrics(small).horizontalAdvance("XXXX") + 5;
    const char *rowLabels[] = {"1,22", "1,22", "1,22", "1,25", "1,22", "1,22", "2,11"};
    for (int r = 0; r < 7; ++r)
        EXPECT_TRUE(showsText(picture, QPoint(815 - labelWidth, 41 + r * 59 + 10), rowLabels[r], small,
                              QColor(headerBlue), QColor(barYellow)))
            << "row " << r;
    EXPECT_EQ(countPixels(picture, QRect(816, 40, 300, 420), bluish), 0);

    // Column 8 (3.0) has the longest column bar: 302 px up from the base.
    expectSpots(picture, {{513, 512, white}, {513, 513, black}, {540, 520, barYellow}, {566, 814, black}});
    // Column 0 (1.14): Trunc(1.14 / 3 x 302) = 114, although 114.76 rounds to 115.
    expectSpots(picture, {{41, 700, white}, {41, 701, black}});
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
    expectSpots(picture, {{1000, 700, barYellow}, {95, 95, barYellow}, {0, 0, lightGrey}, {90, 90, boxGrey},
                          {631, 396, black}});
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

TEST_F(LateralPicture, PicturesRowZeroCoversTheFootOfTheHeader)
{
    playTask(false);
    activate(&lateral());
    const QImage picture = lateralPicture();
    EXPECT_EQ(pixel(picture, 21, 21), black);
    EXPECT_EQ(pixel(picture, 60, 25), boxGrey);   // inside the header band, drawn over it
    // The band above the boxes is still there.
    EXPECT_GT(countPixels(picture, QRect(100, 17, 300, 1), [](QRgb p) { return (p & 0xffffff) == headerBlue; }), 100);
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
    // No bar in row 1 and column 2; those of row 0 and column 1 beside them.
    expectSpots(picture, {{814, 101, white}, {814, 42, black}, {159, 814, white}, {100, 814, black}});
    EXPECT_GT(countPixels(picture, QRect(820, 110, 40, 15), bluish), 5);   // "0,00" right of the base
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

TEST_F(LateralPicture, CutAtThePicturesEdgesOnASquareAndALargeScreen)
{
    start(QSize(1280, 1024));
    const QImage picture = numbersDrawn(QRect(256, 124, 768, 775));
    ASSERT_EQ(picture.size(), QSize(768, 775));
    // Row 6: from 770 - 166 = 604 to the base 770, two pixels beyond the edge.
    expectSpots(picture, {{604, 381, black}, {767, 381, barYellow}, {767, 380, black}});

    // On a large screen the Pictures box of column 0, row 0 runs from (-5, -5) to (95, 95): its
    // left and top edges are cut.
    start(QSize(2560, 1440));
    playTask(false);
    activate(&lateral());
    const QImage large = lateralPicture();
    ASSERT_EQ(large.size(), QSize(1536, 1108));
    expectSpots(large, {{0, 50, boxGrey}, {50, 0, boxGrey}, {94, 50, black}, {50, 94, black}, {97, 50, white}});
}
