#include "tests/ResultsFixture.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QLocale>

#include <algorithm>

using namespace TamriUnit;

namespace testsupport {

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

ModalSteps::ModalSteps()
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

void activate(QWidget *window)
{
    QEvent activation(QEvent::WindowActivate);
    QCoreApplication::sendEvent(window, &activation);
}

void ResultsWindows::playTask(bool numbers)
{
    QPushButton *button = numbers ? form().ladenBB_2 : form().ladenBB_1;
    click(button);
    for (int n = 0; form().ctrlPanel->isHidden(); ++n) {
        os().tick += 300 * (n % 7 + 1);
        click(targetCell());
    }
    ASSERT_EQ(button->property("tag").toInt(), 1);
}

void ResultsWindows::setAllTimes(double t)
{
    for (int row = 0; row < gridRows; ++row)
        for (int column = 0; column < gridColumns; ++column)
            cellAt(column, row)->searchTime = column == centreColumn && row == centreRow ? 0.0 : t;
}

void ResultsWindows::showViewer()
{
    viewer().show();
    activate(&viewer());
    QApplication::processEvents();
}

} // namespace testsupport
