#pragma once

#include <QApplication>
#include <QMargins>
#include <QPointer>
#include <QSize>

#include <optional>

namespace common {

// The application object with the program's fonts: the Windows faces the layout names
// ("Tahoma", "MS Sans Serif") are registered where the system lacks them (missing files fall
// back quietly) and give the default font. An error that escapes an event handler abandons
// that event and ends in the error box; the program goes on.
class Application : public QApplication {
public:
    Application(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;

private:
    // Runs before Qt reads its settings: the display's own pixels, and the platform.
    static int &beforeQt(int &argc);
};

// The executable's file name without directory and extension, every letter after the
// first in lower case.
QString applicationTitle();
QString titleFromExecutable(const QString &path);

QFont tahoma(int pixelSize, bool bold = false);
QFont msSansSerif(int pixelSize);

// Tests may fix the screen size the layout works with.
inline std::optional<QSize> screenSizeOverride;
// Pixel size of the primary screen.
QSize screenSize();
// The primary screen on the desktop: with a second monitor it need not start at (0, 0).
QRect screenRect();
// Tests may fix the part of the screen that the desktop's panels leave free.
inline std::optional<QRect> availableRectOverride;
// Whether a panel or top bar reserves part of the primary screen.
bool panelReservesSpace();

// The widths of a window manager's frame round a top-level window: none before the window is
// mapped, nor where no window manager draws frames.
QMargins frameMargins(const QWidget *window);

// Keeps a top-level window's outer frame, title bar and borders included, where it belongs. A
// window manager tells its frame only after mapping, perhaps only by the time the window is
// activated, and may place the window by rules of its own meanwhile. A few tries in a row end
// the chain with a manager that insists.
class FrameKeeper {
public:
    // Whether the window must be placed again after this event so that its frame is `wanted`.
    bool mustPlaceAgain(const QWidget *window, const QEvent *event, const QRect &wanted);

private:
    int tries = 0;
};

// The program's main window, set at the start.
inline QPointer<QWidget> mainWindow;
// The topmost of the program's windows: an open modal window (a box, the results), or else the
// main window. What must stay in front of the test, also while another program has the keyboard.
QWidget *topWindow();

// Set once the program has been told to end at once: the handlers unwinding from the
// nested event loops then leave the windows as they are.
inline bool endingAtOnce = false;
// Ends the program with `code` from any nested event loop, without the main window's
// close handling.
void endProgramAtOnce(int code);

} // namespace common
