#pragma once

#include "common/MessageBoxes.h"
#include "platform/FakeOs.h"
#include "task/TamriUnit.h"

#include <QColor>
#include <QElapsedTimer>
#include <QFont>
#include <QImage>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPoint>
#include <QPointer>
#include <QSize>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <set>
#include <vector>

namespace testsupport {

platform::FakeOs &fakeOs();
// Installs the fake desktop for the whole run, with its clock moved by every paint event.
void installFakeDesktop();

// The unit tests' desktop (two_screens.json) has a second screen left of the primary one, so
// a window put at (0, 0) instead of on the primary screen shows.
inline const QPoint primaryOrigin(1024, 0);

// How long a helper waits for a window, a box or the end of the program before it fails.
constexpr int giveUpAfterMs = 5000;

// Fails the running test and closes a modal window or message box that stays open longer
// than giveUpAfterMs, so that a step that never comes cannot hang the run.
class ModalWatchdog {
public:
    ModalWatchdog();

private:
    QTimer timer;
    QPointer<QWidget> open;
    QElapsedTimer openFor;
};

// Runs the application's loop as the program entry does and returns its exit code; gives up
// with a failure and -1 when the program has not ended after giveUpAfterMs.
int runProgramLoop();

// What a message box showed when it was answered.
struct SeenBox {
    QString caption;
    QString text;
    common::OkBox::Icon icon;
    QRect geometry;
    int buttons;
};

// Answers every message box with "OK" as soon as it is open, after letting `whileOpen` act
// on it, and records what it showed.
class BoxAnswerer {
public:
    BoxAnswerer();
    std::vector<SeenBox> seen;
    std::function<void(common::OkBox *)> whileOpen;

private:
    void poll();
    QObject alive;
    std::set<common::OkBox *> answering;
};

// A fresh program state with the three windows created as the program entry creates them,
// on a screen of the given size (none: the desktop's primary screen as Qt reports it), with the
// fake desktop and a German locale.
void startProgram(std::optional<QSize> screen);

class ProgramTest : public testing::Test {
protected:
    void SetUp() override { start(QSize(1024, 768)); }
    void TearDown() override;
    void start(std::optional<QSize> screen) { startProgram(screen); }

    TtamriForm &form() { return *TamriUnit::tamriForm; }
    platform::FakeOs &os() { return fakeOs(); }

    ModalWatchdog watchdog;
};

// A picture's pixel without its alpha.
inline QRgb pixel(const QImage &image, int x, int y)
{
    return image.pixel(x, y) & 0xffffff;
}

constexpr QRgb black = 0x000000;
constexpr QRgb white = 0xffffff;
constexpr QRgb red = 0xff0000;
constexpr QRgb silver = 0xc0c0c0;
constexpr QRgb lightYellow = 0xfafaaa;
constexpr QRgb barYellow = 0xffffc4;
constexpr QRgb boxGrey = 0xe1e1e1;
constexpr QRgb lightGrey = 0xeeeeee;
constexpr QRgb headerBlue = 0x0000ff;

// A pixel a reader can point at, and the colour it has.
struct Spot {
    int x, y;
    QRgb colour;
};

// Every spot, placed from `origin`, has its colour.
inline void expectSpots(const QImage &image, std::initializer_list<Spot> spots, QPoint origin = {})
{
    for (const Spot &spot : spots)
        EXPECT_EQ(pixel(image, origin.x() + spot.x, origin.y() + spot.y), spot.colour)
            << "at (" << spot.x << ", " << spot.y << ") from (" << origin.x() << ", " << origin.y() << ")";
}

// How many pixels of `area` have what `wanted` asks for.
inline int countPixels(const QImage &image, const QRect &area, const std::function<bool(QRgb)> &wanted)
{
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += wanted(image.pixel(x, y));
    return n;
}

// Clicks (press and release of the left button) in the middle of a widget.
void click(QWidget *widget, Qt::MouseButton button = Qt::LeftButton);
TTeil *cellAt(int column, int row);
// The cell that holds the current target.
TTeil *targetCell();

// Whether `picture` shows `text` with the box it covers at `topLeft`, drawn in `font` and
// `pen` on an opaque `brush`, pixel for pixel; tells "07" from "06".
testing::AssertionResult showsText(const QImage &picture, QPoint topLeft, const QString &text, const QFont &font,
                                   const QColor &pen, const QColor &brush);

// A paint device that draws nothing and notes each text painted on it, where (the baseline's
// left end) and in which font, so that a test sees what a paint asks for even where two fonts
// render alike.
class TextRecorder : public QPaintDevice {
public:
    struct Text {
        QString text;
        QPointF at;
        QFont font;
        QColor colour;
    };
    // The first text drawn that reads `text`, or null.
    const Text *find(const QString &text) const;
    explicit TextRecorder(QSize size);
    QPaintEngine *paintEngine() const override;
    std::vector<Text> texts;

protected:
    int metric(PaintDeviceMetric metric) const override;

private:
    QSize size;
    std::unique_ptr<QPaintEngine> engine;
};

} // namespace testsupport
