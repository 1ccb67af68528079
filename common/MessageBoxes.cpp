#include "common/MessageBoxes.h"

#include <QApplication>
#include <QGridLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QStyle>
#include <QWindow>

namespace common {

namespace {

// Qt's Wayland client asks the compositor for the keyboard on behalf of the window that has it,
// and crashes when that window has lost its native window (seen as a box closed, with two
// monitors). Such a request is left to the compositor.
void askForKeyboard(QWidget *window)
{
    if (const QWindow *focus = QApplication::focusWindow(); focus && !focus->handle())
        return;
    window->activateWindow();
}

// A box belongs to the window it is asked from, so that it stays above the test and goes with
// it. While another program holds the keyboard the application has no active window; then the
// box belongs to the program's topmost window.
QWidget *boxOwner()
{
    QWidget *active = QApplication::activeWindow();
    return active ? active : topWindow();
}

} // namespace

OkBox::OkBox(Icon icon, const QString &caption, const QString &text, std::optional<int> top)
    : QDialog(boxOwner(), Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowStaysOnTopHint)
    , kind(icon)
    , requestedTop(top)
    , iconLabel(new QLabel(this))
    , textLabel(new QLabel(QString(text).replace(QLatin1Char('\r'), QLatin1Char('\n')), this))
    , okButton(new QPushButton(QStringLiteral("OK"), this))
{
    setWindowTitle(caption);
    if (icon != NoIcon) {
        const int size = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
        const auto standard = icon == Information ? QStyle::SP_MessageBoxInformation : QStyle::SP_MessageBoxCritical;
        iconLabel->setPixmap(style()->standardIcon(standard, nullptr, this).pixmap(size));
    }
    iconLabel->setHidden(icon == NoIcon);

    textLabel->setTextFormat(Qt::PlainText);
    textLabel->setWordWrap(true);
    const QRect wrapped(0, 0, screenSize().width() / 2, QWIDGETSIZE_MAX);
    textLabel->setFixedSize(textLabel->fontMetrics().boundingRect(wrapped, Qt::TextWordWrap, textLabel->text()).size());

    okButton->setDefault(true);
    connect(okButton, &QPushButton::clicked, this, &QDialog::accept);

    auto *grid = new QGridLayout(this);
    grid->setSizeConstraint(QLayout::SetFixedSize);
    grid->addWidget(iconLabel, 0, 0, Qt::AlignTop);
    grid->addWidget(textLabel, 0, 1);
    grid->addWidget(okButton, 1, 0, 1, 2, Qt::AlignHCenter);
}

QString OkBox::text() const
{
    return textLabel->text();
}

void OkBox::run()
{
    QPointer<QWidget> below = parentWidget();
    // A position given before the window exists is the frame's, and a window manager puts
    // the frame there however late Qt learns the frame's widths.
    layout()->activate();
    move(wantedFrame().topLeft());
    exec();
    // Qt 6.8 takes the closed box's native window away, yet still counts the box as the window
    // with the keyboard, and the window below then gets no keyboard. Without a native window at
    // all, the box is forgotten.
    destroy();
    if (below && below->isVisible())
        askForKeyboard(below);
}

// A compositor may leave a new window without the keyboard; Return must still close the box.
void OkBox::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    askForKeyboard(this);
    okButton->setFocus();
}

bool OkBox::event(QEvent *event)
{
    const bool handled = QDialog::event(event);
    // Once the frame is known the client area goes where the frame's margins put it: a move
    // of the frame itself misses by the title bar under some window managers (mutter with
    // XWayland).
    if (frameKeeper.mustPlaceAgain(this, event, wantedFrame())) {
        const QMargins frame = frameMargins(this);
        setGeometry(QRect(wantedFrame().topLeft() + QPoint(frame.left(), frame.top()), size()));
    }
    return handled;
}

// The outer frame, title bar included, is centred or has its top edge at the requested top.
QRect OkBox::wantedFrame() const
{
    const QRect screen = screenRect();
    const QSize box = size().grownBy(frameMargins(this));
    return {screen.topLeft()
                + QPoint((screen.width() - box.width()) / 2, requestedTop ? *requestedTop : (screen.height() - box.height()) / 2),
            box};
}

void showInformationBox(const QString &text, std::optional<int> top)
{
    OkBox(OkBox::Information, QStringLiteral("Information"), text, top).run();
}

void showPlainBox(const QString &text)
{
    OkBox(OkBox::NoIcon, applicationTitle(), text).run();
}

void showErrorBox(const QString &message)
{
    OkBox(OkBox::Critical, applicationTitle(), message.endsWith(QLatin1Char('.')) ? message : message + QLatin1Char('.')).run();
}

} // namespace common
