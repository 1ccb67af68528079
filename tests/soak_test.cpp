#include "task/Board.h"
#include "tests/TestSupport.h"

#include <QPushButton>
#include <QTest>
#include <QWindow>

#include <random>

using namespace testsupport;
using namespace TamriUnit;

namespace {

std::vector<double> allTimes()
{
    std::vector<double> times;
    for (int row = 0; row < gridRows; ++row)
        for (int column = 0; column < gridColumns; ++column)
            times.push_back(cellAt(column, row)->searchTime);
    return times;
}

} // namespace

// Random input of every kind but Escape, delivered through the window system so that it
// lands on whatever lies under the pointer: only a left click on the target is a hit.
TEST_F(ProgramTest, TenThousandRandomInputsDuringATask)
{
    BoxAnswerer boxes;
    click(form().ladenBB_2);
    QWindow *window = form().windowHandle();
    // The engine's sequence is fixed by the standard, unlike the library's distributions;
    // each draw is a statement of its own, so no evaluation order can change it.
    std::mt19937 random(4711);
    const auto below = [&random](std::uint32_t n) { return static_cast<int>((std::uint64_t{random()} * n) >> 32); };
    const auto anyPoint = [&below] {
        const int x = below(1024);
        return QPoint(x, below(768));
    };
    const Qt::Key keys[] = {Qt::Key_Return, Qt::Key_Space, Qt::Key_Tab, Qt::Key_B, Qt::Key_Z, Qt::Key_E,
                            Qt::Key_H, Qt::Key_F4, Qt::Key_Up, Qt::Key_Delete};
    int hits = 0;
    int event = 0;
    for (; event < 10'000 && form().ctrlPanel->isHidden(); ++event) {
        os().tick += static_cast<std::uint32_t>(below(3001));
        TTeil *target = targetCell();
        const std::uint8_t targetBefore = currentTarget;
        const std::uint32_t lastTickBefore = lastTick;
        const std::vector<double> timesBefore = allTimes();
        QPoint at = anyPoint();
        const int k = below(10);
        if (event % 250 == 0)
            at = target->geometry().center();   // now and then the subject finds it
        bool hit = false;
        switch (k) {
        case 0:
        case 1:
            QTest::mouseClick(window, Qt::LeftButton, Qt::NoModifier, at);
            hit = target->geometry().contains(at);
            break;
        case 2:
            QTest::mouseDClick(window, Qt::LeftButton, Qt::NoModifier, at);
            hit = target->geometry().contains(at);
            break;
        case 3:
            QTest::mouseClick(window, Qt::RightButton, Qt::NoModifier, at);
            break;
        case 4:
            QTest::mouseClick(window, Qt::MiddleButton, Qt::NoModifier, at);
            break;
        case 5: {
            // Pressed on one spot, released on another: a click only if both lie on the target.
            const QPoint release = anyPoint();
            QTest::mousePress(window, Qt::LeftButton, Qt::NoModifier, at);
            QTest::mouseRelease(window, Qt::LeftButton, Qt::NoModifier, release);
            hit = target->geometry().contains(at) && target->geometry().contains(release);
            break;
        }
        default:
            QTest::keyClick(window, keys[event % 10], k == 6 ? Qt::AltModifier : Qt::NoModifier);
            break;
        }
        const std::vector<double> timesAfter = allTimes();
        if (!hit) {
            ASSERT_EQ(currentTarget, targetBefore) << "event " << event << " kind " << k;
            ASSERT_EQ(timesAfter, timesBefore) << "event " << event << " kind " << k;
            continue;
        }
        ++hits;
        ASSERT_NE(currentTarget, targetBefore) << "event " << event;
        ASSERT_EQ(lastTick, os().tick);
        for (std::size_t i = 0; i < timesAfter.size(); ++i) {
            const bool isTarget = cellAt(static_cast<int>(i) % gridColumns, static_cast<int>(i) / gridColumns) == target;
            ASSERT_EQ(timesAfter[i], isTarget ? searchTimeBetween(lastTickBefore, os().tick) : timesBefore[i])
                << "event " << event << " position " << i;
        }
    }
    EXPECT_GT(hits, 20);
    EXPECT_TRUE(event == 10'000 || hits == 62) << event << " events, " << hits << " hits";
}
