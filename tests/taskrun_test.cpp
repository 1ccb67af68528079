#include "common/Application.h"
#include "resources/StimulusMaterial.h"
#include "results/Betrachter.h"
#include "task/Board.h"
#include "tests/TestSupport.h"

#include <QApplication>
#include <QPushButton>
#include <QScreen>
#include <QTest>

#include <cmath>
#include <tuple>

using namespace testsupport;
using namespace TamriUnit;

TEST(BoardLayout, WorkedNumbersOfFourScreens)
{
    struct Case {
        QSize screen;
        int columns, rows, tile;
        int gapX, gapY, left, top;
    };
    // The last, too small a screen: negative gaps truncate toward zero, (600 - 20 - 630) / 9 = -50 / 9
    // and (400 - 20 - 490) / 7 = -110 / 7, and the cells overlap.
    const Case cases[] = {{QSize(1920, 1080), 9, 7, 70, 141, 81, 81, 52},
                          {QSize(1920, 1080), 7, 5, 103, 168, 109, 95, 64},
                          {QSize(1024, 768), 7, 5, 103, 40, 46, 31, 34},
                          {QSize(600, 400), 9, 7, 70, -5, -15, 5, 0}};
    for (const Case &c : cases) {
        const BoardLayout layout = boardLayout(c.screen, c.columns, c.rows, c.tile);
        EXPECT_EQ(std::tuple(layout.gapX, layout.gapY, layout.boardLeft, layout.boardTop),
                  std::tuple(c.gapX, c.gapY, c.left, c.top))
            << c.screen.width() << " x " << c.screen.height() << ", " << c.columns << " columns";
    }
    EXPECT_EQ(boardLayout(QSize(1920, 1080), 9, 7, 70).cellPosition(8, 6), QPoint(1769, 958));
}

TEST(InstructionPicture, PlacedCentredAtAFifthOfTheFreeHeight)
{
    EXPECT_EQ(instructionPosition(QSize(1920, 1080), QSize(337, 328)), QPoint(791, 150));
    EXPECT_EQ(instructionPosition(QSize(1024, 768), QSize(337, 328)), QPoint(343, 88));
}

TEST(SearchTime, TenthsRoundedHalfToEvenAcrossTheTickWrap)
{
    EXPECT_EQ(searchTimeBetween(1000, 2250), 1.2);
    EXPECT_EQ(searchTimeBetween(1000, 2350), 1.4);
    EXPECT_EQ(searchTimeBetween(1000, 2251), 1.3);
    EXPECT_EQ(searchTimeBetween(1000, 1050), 0.0);
    EXPECT_EQ(searchTimeBetween(1000, 1150), 0.2);
    EXPECT_EQ(searchTimeBetween(1000, 1000), 0.0);
    EXPECT_EQ(searchTimeBetween(0xffffff00u, 0x1f4u), 0.8);   // 256 + 500 ms over the wrap
    EXPECT_EQ(searchTimeBetween(0xffffffffu, 0x0u), 0.0);
    EXPECT_EQ(searchTimeBetween(0, 0xffffffffu), 4294967.3);
}

namespace {

// Delays between hits, across the rounding cases; the clock moves on during the drawing too.
constexpr std::uint32_t hitDelays[] = {1250, 1350, 1251, 50, 150, 2049, 999, 7777, 300, 12345};

// Round(ms / 100) / 10 over the wrapping tick, written out apart from the program's own code.
double tenthsBetween(std::uint32_t from, std::uint32_t to)
{
    return std::nearbyint(static_cast<std::uint32_t>(to - from) / 100.0) / 10.0;
}

} // namespace

// A clock that runs on by itself while the program reads it and paints, so that the order of
// reading the tick and drawing the next target shows in the stored times.
class TaskRun : public ProgramTest {
protected:
    void SetUp() override
    {
        ProgramTest::SetUp();
        os().msPerRead = 1;
        os().msPerPaint = 20;
    }

    // Starts a task by its button; the subject reads the instruction box for 4 s.
    void startTask(QPushButton *button)
    {
        boxes.whileOpen = [this](common::OkBox *) {
            instructionVisible = form().instrImage1 && form().instrImage1->isVisible();
            os().tick += 4000;
        };
        os().onTickRead = [this] {
            boardShownAtClockStart = cellAt(0, 0) && cellAt(0, 0)->isVisible() && form().ctrlPanel->isHidden()
                                     && os().pointerConfinedTo == form().winId();
        };
        click(button);
        os().onTickRead = nullptr;
        boxes.whileOpen = nullptr;
        clockStart = lastTick;
    }

    // One hit as the clock saw it.
    struct Hit {
        TTeil *cell;
        std::size_t readings;          // tick readings during the click
        std::uint32_t reading;         // the first of them
        std::uint32_t lastTickBefore;  // where the program's clock stood at that reading
        int paintsBeforeReading;
        int paints;                    // paint events during the click
    };

    // Hits every target in turn, `hitDelays` ms after the end of the previous hit's
    // drawing, with a centre click and a wrong click before every hit. Returns the counter
    // after each hit.
    std::vector<int> playToTheEnd(bool withWrongClicks = true)
    {
        std::vector<int> counters;
        for (int n = 0; form().ctrlPanel->isHidden(); ++n) {
            TTeil *target = targetCell();
            if (withWrongClicks) {
                os().tick += 17;
                const std::uint32_t tickBefore = lastTick;
                const std::uint8_t targetBefore = currentTarget;
                const std::size_t readingsBefore = os().readings.size();
                click(cellAt(centreColumn, centreRow));
                click(cellAt((target->column + 1) % gridColumns, target->row));
                EXPECT_EQ(lastTick, tickBefore);
                EXPECT_EQ(currentTarget, targetBefore);
                EXPECT_EQ(os().readings.size(), readingsBefore);
            }
            os().tick += hitDelays[n % 10];
            Hit hit{target, os().readings.size(), 0, 0, -1, os().paints};
            os().onTickRead = [&] {
                if (hit.paintsBeforeReading < 0) {
                    hit.paintsBeforeReading = os().paints - hit.paints;
                    hit.reading = os().tick;
                    hit.lastTickBefore = lastTick;
                }
            };
            click(target);
            os().onTickRead = nullptr;
            hit.readings = os().readings.size() - hit.readings;
            hit.paints = os().paints - hit.paints;
            hits.push_back(hit);
            counters.push_back(currentTarget);
        }
        return counters;
    }

    // Each stored time is Round(ms between two hit readings / 100) / 10, the tick is read
    // once per hit before anything is drawn, and the measured intervals plus the open one
    // make up the clock's whole run since the task start.
    void expectStoredTimes()
    {
        std::map<TTeil *, double> expected;
        std::uint32_t previous = clockStart;
        std::uint32_t measured = 0;
        for (const Hit &hit : hits) {
            EXPECT_EQ(hit.readings, 1u);
            EXPECT_EQ(hit.paintsBeforeReading, 0);
            EXPECT_GT(hit.paints, 0);   // the drawing moved the clock
            EXPECT_EQ(hit.lastTickBefore, previous);
            expected[hit.cell] = tenthsBetween(previous, hit.reading);
            measured += hit.reading - hit.lastTickBefore;
            previous = hit.reading;
        }
        EXPECT_EQ(lastTick, previous);
        EXPECT_EQ(static_cast<std::uint32_t>(measured + (os().tick - lastTick)),
                  static_cast<std::uint32_t>(os().tick - clockStart));

        int timed = 0;
        for (int row = 0; row < gridRows; ++row)
            for (int column = 0; column < gridColumns; ++column) {
                TTeil *cell = cellAt(column, row);
                if (column == centreColumn && row == centreRow) {
                    EXPECT_EQ(cell->searchTime, 0.0);
                    continue;
                }
                ASSERT_TRUE(expected.count(cell)) << column << "," << row;
                EXPECT_EQ(cell->searchTime, expected[cell]) << column << "," << row;
                ++timed;
            }
        EXPECT_EQ(timed, lastIndex);
    }

    BoxAnswerer boxes;
    bool instructionVisible = false;
    bool boardShownAtClockStart = false;
    std::uint32_t clockStart = 0;
    std::vector<Hit> hits;
};

TEST_F(TaskRun, NumbersTaskFromStartToResultsButton)
{
    os().tick = 0xffffe000u;   // the tick wraps during the run
    startTask(form().ladenBB_2);

    ASSERT_GE(boxes.seen.size(), 1u);
    const SeenBox &instruction = boxes.seen[0];
    EXPECT_EQ(instruction.caption, "Information");
    EXPECT_EQ(instruction.text.split('\n').size(), 5);
    EXPECT_TRUE(instruction.text.startsWith("Versuchen Sie bitte das Bild in der Mitte noch einmal zu finden \n"));
    EXPECT_TRUE(instruction.text.endsWith("werden Ihre Ergebnisse gezeigt !"));
    EXPECT_EQ(instruction.geometry.top(), primaryOrigin.y() + 88 + 328 + 10);
    EXPECT_NEAR(instruction.geometry.center().x(), primaryOrigin.x() + 512, 1);
    EXPECT_TRUE(instructionVisible);
    EXPECT_EQ(form().instrImage1, nullptr);

    EXPECT_FALSE(form().ladenBB_1->isVisible());
    EXPECT_FALSE(form().ladenBB_1->isEnabled());
    EXPECT_FALSE(form().ladenBB_2->isEnabled());
    EXPECT_TRUE(form().ctrlPanel->isHidden());
    EXPECT_EQ(form().palette().color(QPalette::Window), QColor(255, 255, 255));
    EXPECT_EQ(gridColumns, 9);
    EXPECT_EQ(gridRows, 7);
    EXPECT_EQ(lastIndex, 62);
    EXPECT_EQ(centreColumn, 4);
    EXPECT_EQ(centreRow, 3);
    EXPECT_EQ(tileRects->size(), 63u);
    EXPECT_EQ(QApplication::focusWidget(), &form());
    EXPECT_EQ(cellAt(centreColumn, centreRow)->orderIndex, 31);
    // The first target's clock starts once the board is built and shown, not when the box closes.
    EXPECT_TRUE(boardShownAtClockStart);
    EXPECT_EQ(lastTick, os().readings.back());

    platform::WindowHandle pointerAtThanks = 1;
    boxes.whileOpen = [&](common::OkBox *) { pointerAtThanks = os().pointerConfinedTo; };
    const std::vector<int> counters = playToTheEnd();
    EXPECT_EQ(pointerAtThanks, 0u);
    ASSERT_EQ(counters.size(), 62u);
    EXPECT_EQ(counters[29], 30);
    EXPECT_EQ(counters[30], 32);   // 31 is the centre's own order index
    EXPECT_EQ(counters.back(), 63);
    expectStoredTimes();

    ASSERT_EQ(boxes.seen.size(), 2u);
    EXPECT_EQ(boxes.seen[1].caption, common::applicationTitle());
    EXPECT_EQ(boxes.seen[1].text, "D A N K E  !\nSie haben alle Bilder gefunden.");
    EXPECT_EQ(boxes.seen[1].icon, common::OkBox::NoIcon);
    EXPECT_EQ(form().palette().color(QPalette::Window), QColor(170, 170, 170));
    EXPECT_EQ(pixel(form().grab().toImage(), 500, 400), 0xaaaaaau);
    EXPECT_FALSE(cellAt(0, 0)->isVisible());
    EXPECT_TRUE(form().ctrlPanel->isVisible());
    EXPECT_EQ(form().ladenBB_2->property("tag").toInt(), 1);
    EXPECT_TRUE(form().ladenBB_2->isEnabled());
    EXPECT_EQ(form().ladenBB_2->text(), "Ergebnisse Zahlen");
    EXPECT_FALSE(form().ladenBB_1->isVisible());
    EXPECT_FALSE(form().ladenBB_1->isEnabled());
}

// test_main sets the scale factors a scaling desktop exports, as KDE does: this shows only that
// the program leaves them aside. Device pixels on a desktop that really scales are checked by
// the Wine runs at 120, 144 and 192 DPI (tests/windows/wine_play.sh).
TEST_F(TaskRun, ScalingVariablesOfTheDesktopAreLeftAside)
{
    start(std::nullopt);
    EXPECT_EQ(QGuiApplication::primaryScreen()->devicePixelRatio(), 1.0);
    EXPECT_EQ(common::screenRect(), QRect(primaryOrigin, QSize(1920, 1080)));
    startTask(form().ladenBB_2);
    EXPECT_EQ(form().geometry(), QRect(primaryOrigin, QSize(1920, 1080)));
}

TEST_F(TaskRun, PicturesTaskCountsPastTheCentreAndFinishesAt35)
{
    startTask(form().ladenBB_1);
    EXPECT_FALSE(form().ladenBB_2->isVisible());
    EXPECT_FALSE(form().ladenBB_1->isEnabled());
    EXPECT_EQ(lastIndex, 34);
    EXPECT_EQ(centreColumn, 3);
    EXPECT_EQ(centreRow, 2);
    EXPECT_TRUE(form().testIma.isNull());   // the sheet is released once the board is built
    EXPECT_TRUE(boardShownAtClockStart);

    const std::vector<int> counters = playToTheEnd(false);
    ASSERT_EQ(counters.size(), 34u);
    EXPECT_EQ(counters[15], 16);
    EXPECT_EQ(counters[16], 18);
    EXPECT_EQ(counters.back(), 35);
    expectStoredTimes();
    EXPECT_EQ(boxes.seen.back().text, "D A N K E  !\nSie haben alle Bilder gefunden.");
    EXPECT_EQ(form().ladenBB_1->text(), "Ergebnisse Bilder");
    EXPECT_EQ(form().ladenBB_1->property("tag").toInt(), 1);
    EXPECT_FALSE(form().ladenBB_2->isVisible());
}

TEST_F(TaskRun, PictureCellsShowTheirTileTheCentreTheTargetInAFrameOverItsEdge)
{
    startTask(form().ladenBB_1);
    const QImage sheet = StimulusMaterial::stimulusSheet().convertToFormat(QImage::Format_RGB32);
    for (int row = 0; row < gridRows; ++row)
        for (int column = 0; column < gridColumns; ++column) {
            if (column == centreColumn && row == centreRow)
                continue;
            const int t = cellContent[row * gridColumns + column];
            const QImage shown = cellAt(column, row)->picture().copy(0, 0, 103, 103);
            const QImage tile = sheet.copy(StimulusMaterial::tileRect(t % 7, t / 7, 103));
            EXPECT_EQ(shown, tile) << "cell " << column << "," << row << " tile " << t;
        }
    EXPECT_EQ(cellAt(centreColumn, centreRow)->picture().copy(0, 0, 103, 103),
              targetCell()->picture().copy(0, 0, 103, 103));
    EXPECT_EQ(cellAt(0, 0)->picture().size(), QSize(105, 105));
    EXPECT_EQ(cellAt(0, 0)->size(), QSize(103, 103));

    // The target frame's pen reaches into the centre cell's edge at (0, 50).
    expectSpots(form().grab().toImage(),
                {{-2, 50, red}, {0, 50, red}, {105, 50, red}, {50, -2, red}, {50, 105, red}, {-8, 50, white}},
                cellAt(centreColumn, centreRow)->pos());
}

TEST_F(TaskRun, NumberCellsShowTheirNumberInTwoDigitsOnLightGrey)
{
    startTask(form().ladenBB_2);
    for (int i = 0; i <= lastIndex; ++i) {
        if (i == centreIndex)
            continue;   // shows the target
        const QImage picture = cellAt(i % gridColumns, i / gridColumns)->picture();
        const QString number = QStringLiteral("%1").arg(cellContent[i] + 1, 2, 10, QLatin1Char('0'));
        EXPECT_TRUE(showsText(picture, QPoint(17, 17), number, common::tahoma(32), Qt::black, QColor(lightGrey))) << "cell " << i;
        // Light grey round the number; outside the 70 px face the bitmap stays white.
        expectSpots(picture, {{0, 0, lightGrey}, {16, 69, lightGrey}, {69, 69, lightGrey}, {70, 70, white}});
        for (int x = 0; x < 70; ++x)
            ASSERT_EQ(picture.pixel(x, 16) & 0xffffff, 0xeeeeeeu) << x;
    }
}

TEST_F(TaskRun, TargetFrameLiesTwentyPixelsOutsideTheNumbersCentre)
{
    startTask(form().ladenBB_2);
    const QPoint centre = cellAt(centreColumn, centreRow)->pos();
    EXPECT_EQ(centre, QPoint(33 + 4 * 111, 31 + 3 * 106));
    const QImage shot = form().grab().toImage();
    expectSpots(shot, {{-20, 35, red}, {90, 35, red}, {35, -20, red}, {35, 90, red}, {-10, 35, white}, {-30, 35, white}},
                centre);
    // Round corners, as a wide pen's round ends draw them: the pen's outermost pixel at each
    // stays white, the two beside it along the edges are red.
    expectSpots(shot, {{-23, -23, white}, {-22, -23, red}, {-23, -22, red}, {92, -23, white}, {91, -23, red},
                       {92, -22, red}, {92, 92, white}, {91, 92, red}, {92, 91, red}, {-23, 92, white},
                       {-22, 92, red}, {-23, 91, red}},
                centre);
    // The counter "0" at the top left, black on white.
    EXPECT_GT(countPixels(shot, QRect(15, 5, 10, 15), [](QRgb p) { return qGray(p) < 100; }), 3);

    // Until the first hit any repaint draws the "0" as it was first drawn, in the window's
    // own 11 px font; the later counters in 10 pt.
    using Texts = std::vector<std::pair<std::string, int>>;
    const auto paintedTexts = [this] {
        TextRecorder painted(form().size());
        form().render(&painted);
        Texts texts;
        for (const TextRecorder::Text &text : painted.texts) {
            EXPECT_EQ(text.font.family(), "MS Sans Serif") << text.text.toStdString();
            texts.emplace_back(text.text.toStdString(), text.font.pixelSize());
        }
        return texts;
    };
    for (int repaint = 0; repaint < 2; ++repaint)
        EXPECT_EQ(paintedTexts(), (Texts{{"0", 11}})) << "repaint " << repaint;
    click(targetCell());
    EXPECT_EQ(paintedTexts(), (Texts{{"1", 13}}));
}

TEST_F(TaskRun, BadInputChangesNothing)
{
    // The instruction box is modal: "&ENDE" and "&HILFE", still shown and enabled, take no
    // click that comes through the window system while it is open.
    const auto windowClick = [this](QWidget *button) {
        QTest::mouseClick(form().windowHandle(), Qt::LeftButton, Qt::NoModifier,
                          button->mapTo(&form(), button->rect().center()));
    };
    boxes.whileOpen = [&](common::OkBox *) {
        if (boxes.seen.size() > 1)
            return;
        ASSERT_TRUE(form().endeBBtn->isVisible() && form().endeBBtn->isEnabled());
        ASSERT_TRUE(form().helpBBtn->isVisible() && form().helpBBtn->isEnabled());
        windowClick(form().endeBBtn);
        windowClick(form().helpBBtn);
    };
    click(form().ladenBB_2);
    boxes.whileOpen = nullptr;
    EXPECT_EQ(boxes.seen.size(), 1u);
    EXPECT_TRUE(form().isVisible());

    TTeil *target = targetCell();
    const std::uint32_t clockStart = lastTick;
    const std::size_t readings = os().readings.size();
    os().tick += 500;
    click(target, Qt::RightButton);
    click(target, Qt::MiddleButton);
    QTest::mouseClick(&form(), Qt::LeftButton, Qt::NoModifier, target->geometry().topLeft() - QPoint(5, 5));
    QTest::mousePress(target, Qt::LeftButton);
    QTest::mouseRelease(target, Qt::LeftButton, Qt::NoModifier, QPoint(-10, -10));   // released outside
    for (int i = 0; i < 200; ++i)
        click(cellAt(i % gridColumns, (i / gridColumns) % gridRows) == target ? cellAt(centreColumn, centreRow)
                                                                              : cellAt(i % gridColumns, (i / gridColumns) % gridRows));
    EXPECT_EQ(currentTarget, 0);
    EXPECT_EQ(target->searchTime, 0.0);
    EXPECT_EQ(os().readings.size(), readings);

    // A double click as the window system delivers it: press, release, double click, release.
    QTest::mouseClick(target, Qt::LeftButton);
    QTest::mouseDClick(target, Qt::LeftButton);
    QTest::mouseRelease(target, Qt::LeftButton);
    EXPECT_EQ(currentTarget, 1);
    EXPECT_EQ(os().readings.size(), readings + 1);
    const double time = tenthsBetween(clockStart, lastTick);
    EXPECT_GE(time, 0.5);
    for (int row = 0; row < gridRows; ++row)
        for (int column = 0; column < gridColumns; ++column)
            EXPECT_EQ(cellAt(column, row)->searchTime, cellAt(column, row) == target ? time : 0.0);
}

TEST_F(TaskRun, EndeAfterTheTaskDestroysTheCellsAndReleasesTheTileRectangles)
{
    startTask(form().ladenBB_1);
    playToTheEnd(false);
    click(form().endeBBtn);
    EXPECT_EQ(cellAt(0, 0), nullptr);
    EXPECT_FALSE(tileRects.has_value());
    EXPECT_FALSE(form().isVisible());
    EXPECT_EQ(os().calls.back(), "show taskbars");
}

// The pointer is kept on the test's screen again once the desktop lifts that, but not while
// another window holds the front; the box of the way out finds it free.
TEST_F(TaskRun, EscapeDuringTheTaskAborts)
{
    startTask(form().ladenBB_2);
    os().foreignForeground = os().frontRefuses = true;
    os().pointerConfinedTo = 0;
    QTest::qWait(3 * TtamriForm::desktopKeeperInterval);
    EXPECT_EQ(os().pointerConfinedTo, 0u);
    os().foreignForeground = os().frontRefuses = false;
    EXPECT_TRUE(QTest::qWaitFor([this] { return os().pointerConfinedTo == form().winId(); }, giveUpAfterMs));
    platform::WindowHandle pointerAtBox = 1;
    boxes.whileOpen = [&](common::OkBox *) { pointerAtBox = os().pointerConfinedTo; };
    QTest::keyRelease(QApplication::focusWidget(), Qt::Key_Escape);
    EXPECT_EQ(boxes.seen.back().text, "Aufgabe wurde abgebrochen!\nDas Programm endet hier, bye, bye!");
    EXPECT_EQ(pointerAtBox, 0u);
    EXPECT_FALSE(form().isVisible());
    EXPECT_FALSE(tileRects.has_value());
}

TEST_F(TaskRun, ResultsButtonShowsTheResultsModallyThenClosesTheMainWindow)
{
    startTask(form().ladenBB_2);
    playToTheEnd(false);
    bool shownModally = false;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (QApplication::activeModalWidget() == datenbetrachter) {
            shownModally = true;
            datenbetrachter->reject();
        }
    });
    closer.start(5);
    click(form().ladenBB_2);
    EXPECT_TRUE(shownModally);
    EXPECT_FALSE(form().isVisible());
    EXPECT_EQ(os().calls.back(), "show taskbars");
}

// What reaches the screen, not only the cells' own pictures: the window system's copy of
// the window must show each new target in the centre cell.
TEST_F(TaskRun, EachNewTargetReachesTheScreen)
{
    startTask(form().ladenBB_2);
    for (int hit = 0; hit < 5; ++hit) {
        click(targetCell());
        QApplication::processEvents();
        const QPoint centre = cellAt(centreColumn, centreRow)->pos();
        const QImage onScreen = form().screen()->grabWindow(form().winId()).toImage().convertToFormat(QImage::Format_RGB32);
        const QImage expected = targetCell()->picture().copy(0, 0, 70, 70);
        EXPECT_EQ(onScreen.copy(QRect(centre, QSize(70, 70))), expected) << "after hit " << hit;
    }
}
