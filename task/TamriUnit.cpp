#include "task/TamriUnit.h"

#include "common/Application.h"
#include "common/Drawing.h"
#include "common/Formats.h"
#include "common/MessageBoxes.h"
#include "platform/DesktopGuard.h"
#include "resources/StimulusMaterial.h"
#include "results/Betrachter.h"
#include "results/LatPraef.h"
#include "task/Order.h"
#include "task/TargetOverlay.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTimer>

#include <algorithm>

namespace {

constexpr QRgb lightYellow = qRgb(250, 250, 170);
constexpr QRgb silver = qRgb(192, 192, 192);

} // namespace

// ---------------------------------------------------------------- TImage

TImage::TImage(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QImage &TImage::canvas()
{
    if (image.isNull()) {
        image = QImage(105, 105, QImage::Format_RGB32);
        image.fill(Qt::white);
    }
    return image;
}

void TImage::setPicture(const QImage &picture)
{
    image = picture;
    update();
}

void TImage::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.drawImage(0, 0, image);
}

void TImage::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        leftPressed = true;
}

void TImage::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || !leftPressed)
        return;
    leftPressed = false;
    if (rect().contains(event->position().toPoint()))
        emit clicked(this);
}

// ---------------------------------------------------------------- module state

void TamriUnit::startProgram(platform::Os &os)
{
    platform::install(&os);
    tamriForm = new TtamriForm;
    common::mainWindow = tamriForm;
    lpForm = new TlpForm(tamriForm);
    datenbetrachter = new Tdatenbetrachter(tamriForm);
    tamriForm->setScreen(QGuiApplication::primaryScreen());
    // Full screen is the platform screen's size; a screen size fixed for a test is not.
    if (common::screenSizeOverride)
        tamriForm->show();
    else
        tamriForm->showFullScreen();
}

int TamriUnit::runProgram()
{
    const int exitCode = QApplication::exec();
    delete tamriForm;
    tamriForm = nullptr;
    // Every way out has shown the taskbar by now.
    platform::disarmDesktopGuard();
    return exitCode;
}

void TamriUnit::resetState()
{
    taskColumns = taskRows = 0;
    numbersMode = false;
    lastIndex = centreIndex = 0;
    gridColumns = gridRows = tileSize = 0;
    gapX = gapY = 0;
    centreColumn = centreRow = targetColumn = targetRow = 0;
    currentTarget = 0;
    lastTick = 0;
    cellRect = QRect();
    presentationOrder.fill(0);
    cellContent.fill(0);
    for (auto &column : cells)
        for (auto &cell : column)
            cell = nullptr;
    tileRects.reset();
    drawList.reset();
    taskbarWindow = 0;
    randSeed = 0;
    tamriForm = nullptr;
    lpForm = nullptr;
    datenbetrachter = nullptr;
    platform::disarmDesktopGuard();
    common::screenSizeOverride.reset();
    common::todayOverride.reset();
    common::endingAtOnce = false;
    common::mainWindow = nullptr;
}

// ---------------------------------------------------------------- main window

TtamriForm::TtamriForm(QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setWindowTitle(QStringLiteral("Tamri"));
    setWindowIcon(StimulusMaterial::programIcon());
    setFont(common::msSansSerif(11));
    setFocusPolicy(Qt::StrongFocus);

    ctrlPanel = new QWidget(this);
    common::setBackground(ctrlPanel, QColor(silver));
    ctrlPanel->hide();

    const auto button = [this](int left, int top, int width, int height, int tag) {
        auto *b = new QPushButton(ctrlPanel);
        b->setGeometry(left, top, width, height);
        b->setFont(common::tahoma(13));
        b->setProperty("tag", tag);
        b->setAutoDefault(false);
        return b;
    };
    ladenBB_1 = button(13, 3, 144, 26, 0);
    endeBBtn = button(325, 3, 111, 27, 0);
    helpBBtn = button(442, 3, 97, 27, 0);
    Label1 = new QLabel(QStringLiteral("Tamri-2  (Velkor)  "), ctrlPanel);
    Label1->setFont(common::tahoma(19));
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    QPalette labelPalette = Label1->palette();
    labelPalette.setColor(QPalette::WindowText, QColor(0, 0, 255));
    Label1->setPalette(labelPalette);
    instrImage1 = new TImage(this);
    instrImage1->setPicture(StimulusMaterial::instructionPicture());
    instrImage1->resize(instrImage1->picture().size());
    instrImage1->hide();
    ladenBB_2 = button(161, 3, 142, 26, 2);
    setTabOrder(ladenBB_1, endeBBtn);
    setTabOrder(endeBBtn, helpBBtn);
    setTabOrder(helpBBtn, ladenBB_2);

    connect(ladenBB_1, &QPushButton::clicked, this, [this] { UbungOeffnen(ladenBB_1); });
    connect(ladenBB_2, &QPushButton::clicked, this, [this] { UbungOeffnen(ladenBB_2); });
    connect(endeBBtn, &QPushButton::clicked, this, &TtamriForm::endeClick);
    connect(helpBBtn, &QPushButton::clicked, this, &TtamriForm::helpBBtnClick);

    overlay = new TargetOverlay(this);
    qApp->installEventFilter(this);
    desktopKeeper = new QTimer(this);
    desktopKeeper->setInterval(desktopKeeperInterval);
    connect(desktopKeeper, &QTimer::timeout, this, &TtamriForm::keepDesktop);

    FormCreate();
}

TtamriForm::~TtamriForm()
{
    qApp->removeEventFilter(this);
}

void TtamriForm::FormCreate()
{
    using namespace TamriUnit;
    taskbarWindow = platform::os().findTaskbar();
    platform::os().takeTaskbars();
    platform::armDesktopGuard();
    platform::os().keepDisplayOn(true);
    desktopKeeper->start();
    setFullScreen(lightYellow);
    const auto counter = platform::os().performanceCounter();
    randSeed = counter ? static_cast<std::uint32_t>(*counter) : platform::os().tickCount();
    setCaptions();
    drawList.emplace();
    tileRects.emplace();
    ctrlPanel->show();
}

void TtamriForm::setFullScreen(QRgb colour)
{
    const QSize screen = common::screenSize();
    setGeometry(common::screenRect());
    ctrlPanel->setGeometry(0, 0, screen.width(), 33);
    Label1->setGeometry(screen.width() - Label1->sizeHint().width(), 0, Label1->sizeHint().width(), 33);
    overlay->setGeometry(rect());
    common::setBackground(this, QColor(colour));
    overlay->wipe();
}

void TtamriForm::setCaptions()
{
    endeBBtn->setText(QStringLiteral("&ENDE"));
    helpBBtn->setText(QStringLiteral("&HILFE"));
    ladenBB_1->setText(QStringLiteral("Aufgabe &Bilder"));
    ladenBB_2->setText(QStringLiteral("Aufgabe &Zahlen"));
}

bool TtamriForm::event(QEvent *event)
{
    if (event->type() == QEvent::WindowActivate)
        FormActivate();
    // A tiling manager after a focus change, or a desktop switch, may take full screen away.
    if (event->type() == QEvent::WindowStateChange && isVisible() && (!isFullScreen() || isMinimized())
        && (static_cast<QWindowStateChangeEvent *>(event)->oldState() & Qt::WindowFullScreen))
        showFullScreen();
    return QWidget::event(event);
}

void TtamriForm::FormActivate()
{
    platform::os().bringToFront(static_cast<platform::WindowHandle>(winId()));
    setFocus();
}

// While the test runs another program may show a taskbar again (the Start menu closing, a
// restarted shell, a further monitor) or put its own window in front (an update notice, a call):
// the taskbar goes at once, and the test takes the screen and the keyboard back from the other
// window. That window is left one look longer, until its own activation is done: taken back in
// the middle of it, the window was seen to keep the keyboard although the test was in front.
// The program's topmost window comes in front, so that a box or the results stay above the board.
// A window that will not give up the front (an elevated one, as Task Manager) is asked again
// ever more rarely rather than at every look, until it goes.
void TtamriForm::keepDesktop()
{
    if (common::endingAtOnce)
        return;
    if (platform::os().taskbarShown())
        platform::os().hideTaskbars();
    const bool foreignWindow = !platform::os().inForeground();
    const bool foreignWindowSettled = foreignWindow && foreignWindowSeen;
    foreignWindowSeen = foreignWindow;
    if (!foreignWindow) {
        looksSinceRefused = looksToWait = 0;
        // Only while the test is in front: the examiner may need the pointer in a window that
        // has come (Task Manager, say).
        if (pointerKept)
            platform::os().confinePointer(static_cast<platform::WindowHandle>(winId()));
    }
    if (!foreignWindowSettled || ++looksSinceRefused <= looksToWait)
        return;
    QWidget *front = common::topWindow();
    const auto frontHandle = static_cast<platform::WindowHandle>(front->winId());
    // A native dialog of the program's own (printing) disables its window: the dialog comes in
    // front, and the window it disables is never activated over it.
    const platform::WindowHandle popup = platform::os().enabledPopup(frontHandle);
    if (!platform::os().bringToFront(popup)) {
        looksToWait = std::clamp(2 * looksToWait, 1, 1000 / desktopKeeperInterval);
        looksSinceRefused = 0;
        return;
    }
    if (popup == frontHandle)
        front->activateWindow();
}

// From the board's first paint to the last hit the pointer stays on the test's screen, so that
// a click of the subject cannot land on another monitor.
void TtamriForm::keepPointer(bool kept)
{
    pointerKept = kept;
    if (kept)
        platform::os().confinePointer(static_cast<platform::WindowHandle>(winId()));
    else
        platform::os().freePointer();
}

void TtamriForm::helpBBtnClick()
{
    common::showInformationBox(QStringLiteral("Auswertung, Normwerte, Bedeutung,\r"
                                              "usw. und weitere Information:\r"
                                              "Fragen zu Auswertung und Normen an die betreuende Fachstelle\r"
                                              "\r"
                                              "Programm: die Tamri-Entwickler"));
}

// Key preview: the window sees every key release while it has the keyboard, whatever
// control has the focus. Key events travel up to the parents when ignored, so only the
// first receiver counts.
bool TtamriForm::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyRelease && QGuiApplication::focusWindow() == windowHandle()) {
        QWidget *firstReceiver = QApplication::focusWidget() ? QApplication::focusWidget() : this;
        const auto *key = static_cast<QKeyEvent *>(event);
        if (watched == firstReceiver && !key->isAutoRepeat())
            FormKeyUp(key->key(), key->modifiers());
    }
    return QWidget::eventFilter(watched, event);
}

void TtamriForm::FormKeyUp(int key, Qt::KeyboardModifiers)
{
    if (key != Qt::Key_Escape)
        return;
    keepPointer(false);
    common::showPlainBox(QStringLiteral("Aufgabe wurde abgebrochen!\rDas Programm endet hier, bye, bye!"));
    close();
}

void TtamriForm::endeClick()
{
    if (TamriUnit::cells[0][0])
        destroyCells();
    close();
}

void TtamriForm::destroyCells()
{
    using namespace TamriUnit;
    for (int row = 0; row < gridRows; ++row)
        for (int column = 0; column < gridColumns; ++column) {
            delete cells[column][row];
            cells[column][row] = nullptr;
        }
}

void TtamriForm::closeEvent(QCloseEvent *event)
{
    FormClose();
    event->accept();
}

void TtamriForm::FormClose()
{
    if (TamriUnit::gridColumns != 0)
        freeTileRects();
    desktopKeeper->stop();
    keepPointer(false);
    platform::os().keepDisplayOn(false);
    hide();
    platform::os().showTaskbars();
}

void TtamriForm::freeTileRects()
{
    TamriUnit::tileRects.reset();
}
