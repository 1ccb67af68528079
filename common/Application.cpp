#include "common/Application.h"

#include "common/MessageBoxes.h"

#include <QFileInfo>
#include <QFont>
#include <QFontDatabase>
#include <QLibraryInfo>
#include <QLocale>
#include <QScreen>
#include <QTranslator>
#include <QWidget>
#include <QWindow>

#include <exception>

namespace common {

// Left alone, Qt lays the program out on a smaller, logical screen wherever the desktop scales
// (Windows' display scaling, a Wayland output's scale, QT_SCALE_FACTOR, QT_SCREEN_SCALE_FACTORS)
// and resamples every picture. A test must look the same whatever the examiner's desktop is set
// to, so the program works in the display's own pixels. On Windows the process stays per-monitor
// DPI aware all the same (Qt declares that by itself), so Windows does not stretch it either.
//
// A native Wayland client can neither keep itself in front nor place its windows, so X11
// (XWayland on a Wayland desktop) comes first and Wayland only where there is no X server. A
// platform the user names wins. Windows has only its own.
int &Application::beforeQt(int &argc)
{
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
    qunsetenv("QT_SCALE_FACTOR");
    qunsetenv("QT_SCREEN_SCALE_FACTORS");
#ifndef _WIN32
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "xcb;wayland");
#endif
    return argc;
}

Application::Application(int &argc, char **argv)
    : QApplication(beforeQt(argc), argv)
{
#ifndef _WIN32
    for (const char *file : {"tahoma.ttf", "tahomabd.ttf", "ms_sans_serif.ttf"})
        QFontDatabase::addApplicationFont(QStringLiteral("/usr/share/wine/fonts/") + QLatin1String(file));
#endif
    QFont::insertSubstitution(QStringLiteral("MS Shell Dlg 2"), QStringLiteral("Tahoma"));
    // Qt's own dialogs (the print dialog on Linux; Windows has its own) in the system's language,
    // where Qt's translations are installed.
    auto *translator = new QTranslator(this);
    if (translator->load(QLocale(), QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        installTranslator(translator);
    setFont(tahoma(11));
}

bool Application::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception &error) {
        showErrorBox(QString::fromUtf8(error.what()));
    }
    return true;
}

QString titleFromExecutable(const QString &path)
{
    QString name = QFileInfo(path).fileName();
    name.truncate(name.indexOf(QLatin1Char('.')) < 0 ? name.size() : name.indexOf(QLatin1Char('.')));
    return name.left(1) + name.mid(1).toLower();
}

QString applicationTitle()
{
    return titleFromExecutable(QCoreApplication::applicationFilePath());
}

QFont tahoma(int pixelSize, bool bold)
{
    QFont font(QStringLiteral("Tahoma"));
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

QFont msSansSerif(int pixelSize)
{
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPixelSize(pixelSize);
    return font;
}

QWidget *topWindow()
{
    QWidget *modal = QApplication::activeModalWidget();
    return modal && modal->isVisible() ? modal : mainWindow.data();
}

QSize screenSize()
{
    if (screenSizeOverride)
        return *screenSizeOverride;
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->size() : QSize(1024, 768);
}

QRect screenRect()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return {screen ? screen->geometry().topLeft() : QPoint(), screenSize()};
}

bool panelReservesSpace()
{
    if (availableRectOverride)
        return *availableRectOverride != screenRect();
    const QScreen *screen = QGuiApplication::primaryScreen();
    return !screenSizeOverride && screen && screen->availableGeometry() != screen->geometry();
}

QMargins frameMargins(const QWidget *window)
{
    return window->windowHandle() ? window->windowHandle()->frameMargins() : QMargins();
}

bool FrameKeeper::mustPlaceAgain(const QWidget *window, const QEvent *event, const QRect &wanted)
{
    // Events that follow a window manager's reparenting and placing, and the activation.
    const QEvent::Type type = event->type();
    const bool afterwards = type == QEvent::Move || type == QEvent::Resize || type == QEvent::WindowActivate
                            || type == QEvent::UpdateRequest || type == QEvent::Paint;
    if (!afterwards || !window->isVisible() || !window->windowHandle())
        return false;
    if (window->windowHandle()->frameGeometry() == wanted) {
        tries = 0;
        return false;
    }
    return ++tries <= 3;
}

void endProgramAtOnce(int code)
{
    endingAtOnce = true;
    QCoreApplication::exit(code);
}

} // namespace common
