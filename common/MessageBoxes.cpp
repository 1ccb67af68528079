#include "common/MessageBoxes.h"

#include "common/Application.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QShowEvent>

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
        const QSize screen = screenSize();
        const QSize box = frameGeometry().size();
        move((screen.width() - box.width()) / 2,
             requestedTop ? *requestedTop : (screen.height() - box.height()) / 2);
    }

private:
    std::optional<int> requestedTop;
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
