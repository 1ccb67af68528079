#include "check/TpruefForm.h"

#include "common/Application.h"
#include "common/Drawing.h"
#include "platform/DesktopGuard.h"
#include "platform/Os.h"

#include <QClipboard>
#include <QCloseEvent>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFontDatabase>
#include <QFontInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QScreen>
#include <QSysInfo>
#include <QVBoxLayout>

#include <algorithm>
#include <functional>
#include <limits>

namespace {

constexpr QRgb lightYellow = qRgb(250, 250, 170);
constexpr QRgb silver = qRgb(192, 192, 192);
// Painted as a number cell of the test and read back from the screen; a colour that nothing
// else on the window has.
constexpr QRgb sampleColour = qRgb(18, 52, 86);
constexpr int sampleSize = 70;

// Lets the desktop answer for up to `ms` until `done` holds.
bool waitFor(const std::function<bool()> &done, int ms = 2000)
{
    const QDeadlineTimer deadline(ms);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

QString pixels(QSize size)
{
    return QStringLiteral("%1 × %2").arg(size.width()).arg(size.height());
}

int scalingPercent(const QScreen *screen)
{
    return qRound(screen->logicalDotsPerInch() / 96.0 * 100.0);
}

QString describe(const QScreen *screen, QSize size)
{
    const QPoint at = screen->geometry().topLeft();
    return QStringLiteral("„%1“ (%2 Bildpunkte bei %3, %4; %5 %)")
        .arg(screen->name(), pixels(size))
        .arg(at.x())
        .arg(at.y())
        .arg(scalingPercent(screen));
}

// The board's cells with the 10 px margin on each side, at their full size.
QSize boardNeeds(int columns, int rows, int tileSize)
{
    return {columns * tileSize + 20, rows * tileSize + 20};
}

} // namespace

QString CheckLine::report() const
{
    static const QString words[] = {QStringLiteral("in Ordnung"), QStringLiteral("Hinweis"),
                                    QStringLiteral("Problem")};
    return text + QStringLiteral(": ") + words[verdict];
}

TpruefForm::TpruefForm(QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setWindowTitle(QStringLiteral("Tamri Systemprüfung"));
    setFont(common::tahoma(13));
    common::setBackground(this, QColor(lightYellow));
    setGeometry(common::screenRect());

    auto *panel = new QWidget(this);
    common::setBackground(panel, QColor(silver));
    panel->setGeometry(0, 0, common::screenSize().width(), 33);
    const auto button = [panel](const QString &caption, int left) {
        auto *b = new QPushButton(caption, panel);
        b->setGeometry(left, 3, 120, 27);
        b->setAutoDefault(false);
        return b;
    };
    kopierenButton = button(QStringLiteral("&Kopieren"), 13);
    schliessenButton = button(QStringLiteral("&Schließen"), 139);
    auto *title = new QLabel(QStringLiteral("Tamri Systemprüfung  "), panel);
    title->setFont(common::tahoma(19));
    title->setGeometry(panel->width() - title->sizeHint().width(), 0, title->sizeHint().width(), 33);
    connect(kopierenButton, &QPushButton::clicked, this,
            [this] { QGuiApplication::clipboard()->setText(reportText()); });
    connect(schliessenButton, &QPushButton::clicked, this, &QWidget::close);

    auto *report = new QWidget(this);
    report->setGeometry(20, 50, width() - 40, height() - 60);
    reportLayout = new QVBoxLayout(report);
    reportLayout->setAlignment(Qt::AlignTop);
    reportLayout->setContentsMargins(0, 0, 0, 0);

    platform::armDesktopGuard();
    setFocusPolicy(Qt::StrongFocus);
}

TpruefForm::~TpruefForm()
{
    giveDesktopBack();
}

void TpruefForm::runChecks()
{
    add(screens());
    add(devicePixels());
    add(taskbars());
    add(front());
    add(pointer());
    add(displayKeptOn());
    add(font(QStringLiteral("Tahoma")));
    add(font(QStringLiteral("MS Sans Serif")));
    add(clock());
    add(printing());
    add(versions());
    platform::os().bringToFront(static_cast<platform::WindowHandle>(winId()));
    activateWindow();
}

QString TpruefForm::reportText() const
{
    QStringList text{windowTitle()};
    for (const CheckLine &line : checkLines)
        text << line.report();
    return text.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

void TpruefForm::add(const CheckLine &line)
{
    checkLines << line;
    auto *label = new QLabel(line.report());
    label->setWordWrap(true);
    static const QColor colours[] = {QColor(0, 110, 0), QColor(150, 90, 0), QColor(200, 0, 0)};
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colours[line.verdict]);
    label->setPalette(palette);
    reportLayout->addWidget(label);
    QCoreApplication::processEvents();
}

CheckLine TpruefForm::screens()
{
    const QList<QScreen *> all = QGuiApplication::screens();
    const QScreen *primary = QGuiApplication::primaryScreen();
    const QSize size = common::screenSize();
    QString text = all.size() == 1 ? QStringLiteral("Ein Bildschirm") : QStringLiteral("%1 Bildschirme").arg(all.size());
    text += QStringLiteral(" – der Test erscheint auf dem Hauptbildschirm ") + describe(primary, size);
    for (const QScreen *other : all)
        if (other != primary)
            text += QStringLiteral(", daneben ") + describe(other, other->size());
    for (const auto &[task, needs] : {std::pair{QStringLiteral("Bilder"), boardNeeds(7, 5, 103)},
                                      std::pair{QStringLiteral("Zahlen"), boardNeeds(9, 7, 70)}})
        if (size.width() < needs.width() || size.height() < needs.height())
            return {CheckLine::Problem, text + QStringLiteral(" – zu klein für die Aufgabe %1, die mindestens %2 "
                                                              "Bildpunkte braucht: eine höhere Auflösung einstellen")
                                                   .arg(task, pixels(needs))};
    return {all.size() == 1 ? CheckLine::Ok : CheckLine::Note, text};
}

void TpruefForm::paintEvent(QPaintEvent *)
{
    if (sampleCell.isEmpty())
        return;
    QPainter painter(this);
    painter.fillRect(sampleCell, QColor(sampleColour));
}

// A cell of the Numbers board painted in the window and read back from the screen: it must
// cover as many of the screen's pixels as it has, whatever the desktop's scaling.
CheckLine TpruefForm::devicePixels()
{
    const QSize screen = common::screenSize();
    sampleCell = QRect(QPoint(screen.width() / 2, screen.height() - 2 * sampleSize), QSize(sampleSize, sampleSize));
    repaint();
    QScreen *primary = QGuiApplication::primaryScreen();
    const QRect around = sampleCell.adjusted(-sampleSize, -sampleSize, sampleSize, sampleSize);
    QRect seen;
    bool readable = false;
    const auto readBack = [&] {
        const QImage shot = primary->grabWindow(winId(), around.x(), around.y(), around.width(), around.height()).toImage();
        seen = QRect();
        readable = false;
        for (int y = 0; y < shot.height(); ++y)
            for (int x = 0; x < shot.width(); ++x) {
                const QRgb pixel = shot.pixel(x, y) & 0xffffff;
                readable = readable || pixel == (lightYellow & 0xffffff);
                if (pixel == (sampleColour & 0xffffff))
                    seen |= QRect(x, y, 1, 1);
            }
        return seen.size() == sampleCell.size();
    };
    const bool cellInDevicePixels = waitFor(readBack);
    const QSize painted = sampleCell.size();
    sampleCell = QRect();
    update();
    const int percent = scalingPercent(primary);
    const QString scaling = percent == 100 ? QStringLiteral("Anzeige nicht skaliert (100 %)")
                                           : QStringLiteral("Anzeige auf %1 % skaliert").arg(percent);
    // A window of XWayland, or of a compositor that lets no program read the screen, gives back
    // nothing of what it shows.
    if (devicePixelRatioF() == 1.0 && size() == screen && !cellInDevicePixels && !readable)
        return {CheckLine::Note, scaling + QStringLiteral(" – der Bildschirm lässt sich hier nicht zurücklesen, die "
                                                          "Bildpunkte sind nicht geprüft: die Skalierung des Desktops auf 100 % lassen")};
    if (devicePixelRatioF() != 1.0 || size() != screen || !cellInDevicePixels)
        return {CheckLine::Problem, scaling + QStringLiteral(" – ein Feld von %1 Bildpunkten erscheint als %2, das "
                                                             "Fenster misst %3 bei Faktor %4: bitte diesen Bericht "
                                                             "an das Projekt senden")
                                                  .arg(pixels(painted), pixels(seen.size()), pixels(size()))
                                                  .arg(devicePixelRatioF())};
    return {CheckLine::Ok, scaling + (percent == 100 ? QStringLiteral(" – Tamri zeichnet in den Bildpunkten des Bildschirms")
                                                     : QStringLiteral(" – Tamri zeichnet trotzdem in den Bildpunkten "
                                                                      "des Bildschirms"))};
}

CheckLine TpruefForm::taskbars()
{
    platform::Os &os = platform::os();
    const std::size_t count = os.taskbarCount();
    if (count == 0) {
        const bool covered = isFullScreen() || geometry() == common::screenRect();
        if (!common::panelReservesSpace())
            return {CheckLine::Ok, QStringLiteral("Keine Leiste des Desktops auf dem Bildschirm des Tests")};
        return covered ? CheckLine{CheckLine::Ok, QStringLiteral("Die Leisten des Desktops liegen unter dem Vollbild des Tests")}
                       : CheckLine{CheckLine::Problem, QStringLiteral("Eine Leiste des Desktops bleibt neben dem Test "
                                                                      "sichtbar: die Leiste ausblenden lassen")};
    }
    const bool shownBefore = os.taskbarShown();
    os.takeTaskbars();
    const bool hidden = waitFor([&] { return !os.taskbarShown(); });
    os.showTaskbars();
    const bool back = waitFor([&] { return os.taskbarShown() == shownBefore; });
    // Hidden again for the rest, as while the test runs: a taskbar over the report would take
    // its keyboard.
    os.hideTaskbars();
    waitFor([&] { return !os.taskbarShown(); });
    const QString text = QStringLiteral("%1 Taskleiste(n)").arg(count);
    if (!hidden)
        return {CheckLine::Problem, text + QStringLiteral(" – bleibt sichtbar, wenn der Test sie verbirgt: Programme "
                                                          "schließen, die die Taskleiste halten, und erneut prüfen")};
    if (!back)
        return {CheckLine::Problem, text + QStringLiteral(" – kam nach dem Verbergen nicht zurück: Tamri einmal "
                                                          "starten und mit „ENDE“ verlassen")};
    return {CheckLine::Ok, text + QStringLiteral(" – vom Test verborgen und wieder gezeigt")};
}

CheckLine TpruefForm::front()
{
    platform::os().bringToFront(static_cast<platform::WindowHandle>(winId()));
    activateWindow();
    if (waitFor([this] { return isActiveWindow() && platform::os().inForeground(); }))
        return {CheckLine::Ok, QStringLiteral("Das Fenster des Tests kommt nach vorn und hat die Tastatur")};
    return {CheckLine::Problem, QStringLiteral("Das Fenster des Tests kam nicht nach vorn: andere Programme "
                                               "schließen und erneut prüfen")};
}

CheckLine TpruefForm::pointer()
{
    if (QGuiApplication::screens().size() == 1)
        return {CheckLine::Ok, QStringLiteral("Ein Bildschirm – der Mauszeiger bleibt auf dem Test")};
    const bool held = platform::os().confinePointer(static_cast<platform::WindowHandle>(winId()));
    platform::os().freePointer();
    // XWayland takes the barriers, but the compositor moves the desktop's own pointer past them.
    const bool throughXWayland = QGuiApplication::platformName() == QLatin1String("xcb")
                                 && (qEnvironmentVariableIsSet("WAYLAND_DISPLAY")
                                     || qgetenv("XDG_SESSION_TYPE") == "wayland");
    if (throughXWayland)
        return {CheckLine::Problem, QStringLiteral("Mehrere Bildschirme in einer Wayland-Sitzung – der Mauszeiger kann "
                                                   "während der Aufgabe auf den anderen Bildschirm gelangen: bei der "
                                                   "Anmeldung „GNOME on Xorg“ wählen oder die Bildschirme spiegeln")};
    if (held)
        return {CheckLine::Ok, QStringLiteral("Mehrere Bildschirme – der Mauszeiger bleibt während der Aufgabe auf "
                                              "dem Hauptbildschirm")};
    return {CheckLine::Problem, QStringLiteral("Mehrere Bildschirme – der Mauszeiger lässt sich hier nicht auf dem "
                                               "Hauptbildschirm halten: für die Sitzung nur einen Bildschirm "
                                               "anschließen oder spiegeln")};
}

CheckLine TpruefForm::displayKeptOn()
{
    if (platform::os().keepDisplayOn(true))
        return {CheckLine::Ok, QStringLiteral("Bildschirmschoner und Sperre bleiben während des Tests aus")};
    return {CheckLine::Note, QStringLiteral("Der Bildschirmschoner lässt sich hier nicht aufhalten: ihn für die "
                                            "Sitzung von Hand ausschalten")};
}

CheckLine TpruefForm::font(const QString &family)
{
    const QFontInfo info(QFont(family, 11));
    if (info.family() != family)
        return {CheckLine::Problem, QStringLiteral("Schrift „%1“ fehlt, statt ihrer erscheint „%2“: ").arg(family, info.family())
#ifdef _WIN32
                                        + QStringLiteral("die Schrift unter Windows installieren")};
#else
                                        + QStringLiteral("das Paket fonts-wine installieren")};
#endif
#ifdef _WIN32
    // Windows' own MS Sans Serif is a bitmap face (sserife.fon); the counter is drawn in it.
    if (family == QStringLiteral("MS Sans Serif") && QFontDatabase::isSmoothlyScalable(family))
        return {CheckLine::Note, QStringLiteral("Schrift „%1“ ist hier nicht die Bitmap-Schrift von Windows: die "
                                                "Zähler sehen etwas anders aus").arg(family)};
#endif
    return {CheckLine::Ok, QStringLiteral("Schrift „%1“ vorhanden").arg(family)};
}

// The tick the search times are taken from, read for a second: its smallest step is how finely
// a time can fall, next to the tenths it is stored in.
CheckLine TpruefForm::clock()
{
    platform::Os &os = platform::os();
    std::uint32_t smallest = std::numeric_limits<std::uint32_t>::max();
    const std::uint32_t first = os.tickCount();
    std::uint32_t previous = first;
    QElapsedTimer second;
    second.start();
    while (!second.hasExpired(1000) && previous - first < 1000) {
        const std::uint32_t now = os.tickCount();
        if (now != previous)
            smallest = std::min(smallest, now - previous);
        previous = now;
    }
    const QString text = QStringLiteral("Uhr: Zähler mit %1 Schritten je Sekunde, kleinster Schritt der Zeitmessung %2 ms")
                             .arg(os.counterFrequency())
                             .arg(smallest == std::numeric_limits<std::uint32_t>::max() ? QStringLiteral("–")
                                                                                         : QString::number(smallest));
    if (smallest <= 1)
        return {CheckLine::Ok, text};
    if (smallest <= 5)
        return {CheckLine::Note, text + QStringLiteral(" – gröber als üblich, die Zehntel bleiben verlässlich")};
    return {CheckLine::Problem, text + QStringLiteral(" – zu grob, ein Zeitwert kann um ein Zehntel abweichen: bitte "
                                                      "diesen Bericht an das Projekt senden")};
}

CheckLine TpruefForm::printing()
{
    const QString printer = QPrinterInfo::defaultPrinterName();
#ifdef _WIN32
    const bool pdf = QPrinterInfo::availablePrinterNames().contains(QStringLiteral("Microsoft Print to PDF"));
#else
    const bool pdf = true;   // Qt's own "Print to File (PDF)"
#endif
    QString text = printer.isEmpty() ? QStringLiteral("Kein Standarddrucker")
                                     : QStringLiteral("Standarddrucker „%1“").arg(printer);
    text += pdf ? QStringLiteral(", Drucken in eine PDF-Datei möglich") : QStringLiteral(", kein PDF-Drucker");
    if (!pdf && printer.isEmpty())
        return {CheckLine::Problem, text + QStringLiteral(" – die Ergebnisse lassen sich nur kopieren: einen Drucker "
                                                          "einrichten")};
    // A PDF keeps the results as well as paper does.
    return {pdf ? CheckLine::Ok : CheckLine::Note, text};
}

CheckLine TpruefForm::versions()
{
    return {CheckLine::Ok, QStringLiteral("Tamri %1, Qt %2, %3")
                               .arg(QStringLiteral(TAMRI_VERSION), QString::fromLatin1(qVersion()),
                                    QSysInfo::prettyProductName())};
}

void TpruefForm::keyReleaseEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && !event->isAutoRepeat())
        close();
    QWidget::keyReleaseEvent(event);
}

void TpruefForm::closeEvent(QCloseEvent *event)
{
    giveDesktopBack();
    event->accept();
}

void TpruefForm::giveDesktopBack()
{
    platform::os().showTaskbars();
    platform::os().freePointer();
    platform::os().keepDisplayOn(false);
    platform::disarmDesktopGuard();
}
