#include "common/MessageBoxes.h"

#include "common/Application.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLayout>
#include <QMessageBox>
#include <QPointer>
#include <QShowEvent>

#include <algorithm>

namespace common {

namespace {

class Box : public QMessageBox {
public:
    Box(Icon icon, const QString &caption, const QString &text, std::optional<int> top)
        : QMessageBox(icon, caption, QString(text).replace(QLatin1Char('\r'), QLatin1Char('\n')), Ok,
                      QApplication::activeWindow(),
                      Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowStaysOnTopHint)
        , requestedTop(top)
    {
        setTextFormat(Qt::PlainText);
        setDefaultButton(Ok);
        setEscapeButton(Ok);
        button(Ok)->setIcon(QIcon());
        if (auto *buttons = findChild<QDialogButtonBox *>())
            buttons->setCenterButtons(true);
    }

    // The window below gets the keyboard back when the box closes, also on a desktop
    // without a window manager to hand it on.
    void run()
    {
        QPointer<QWidget> below = parentWidget();
        exec();
        if (below && below->isVisible())
            below->activateWindow();
    }

protected:
    void showEvent(QShowEvent *event) override
    {
        QMessageBox::showEvent(event);
        if (QLabel *label = textLabel()) {
            label->setWordWrap(false);
            label->setMinimumWidth(0);
            label->setMaximumWidth(QWIDGETSIZE_MAX);
            textWidth = label->sizeHint().width();
        }
        fitToText();
        place();
        // Asked for, since not every desktop gives a new window the keyboard (Wayland).
        activateWindow();
    }

    bool event(QEvent *event) override
    {
        // QMessageBox sizes itself again on every layout request, within its own limits.
        if (event->type() == QEvent::LayoutRequest) {
            const bool handled = QDialog::event(event);
            fitToText();
            if (isVisible())
                place();
            return handled;
        }
        const bool handled = QMessageBox::event(event);
        if (frameKeeper.mustPlaceAgain(this, event, wantedFrame()))
            place();
        return handled;
    }

private:
    QLabel *textLabel() const { return findChild<QLabel *>(QStringLiteral("qt_msgbox_label")); }

    // QMessageBox wraps its text well below half the screen (at most 500 px for the whole
    // box); here the lines keep their length up to half the screen width and wrap beyond.
    void fitToText()
    {
        QLabel *label = textLabel();
        if (!label || textWidth == 0)
            return;
        const int limit = screenSize().width() / 2;
        label->setWordWrap(textWidth > limit);
        label->setFixedWidth(std::min(textWidth, limit));
        layout()->activate();
        const int width = layout()->totalMinimumSize().width();
        setFixedSize(width, layout()->hasHeightForWidth() ? layout()->totalHeightForWidth(width)
                                                          : layout()->totalMinimumSize().height());
    }

    // The outer frame, title bar included, is centred or has its top edge at the requested top.
    QRect wantedFrame() const
    {
        const QSize screen = screenSize();
        const QSize box = size().grownBy(frameMargins(this));
        return {QPoint((screen.width() - box.width()) / 2,
                       requestedTop ? *requestedTop : (screen.height() - box.height()) / 2),
                box};
    }

    // The client area is placed where the frame's margins put it: a move of the frame itself
    // misses by the title bar under some window managers (mutter with XWayland).
    void place()
    {
        const QMargins frame = frameMargins(this);
        setGeometry(QRect(wantedFrame().topLeft() + QPoint(frame.left(), frame.top()), size()));
    }

    std::optional<int> requestedTop;
    FrameKeeper frameKeeper;
    int textWidth = 0;
};

} // namespace

void showInformationBox(const QString &text, std::optional<int> top)
{
    Box box(QMessageBox::Information, QStringLiteral("Information"), text, top);
    box.run();
}

void showPlainBox(const QString &text)
{
    Box box(QMessageBox::NoIcon, applicationTitle(), text, std::nullopt);
    box.run();
}

void showErrorBox(const QString &message)
{
    const QString text = message.endsWith(QLatin1Char('.')) ? message : message + QLatin1Char('.');
    Box box(QMessageBox::Critical, applicationTitle(), text, std::nullopt);
    box.run();
}

} // namespace common
