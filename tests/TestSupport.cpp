#include "tests/TestSupport.h"

#include "common/Application.h"
#include "results/Betrachter.h"
#include "results/LatPraef.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLocale>
#include <QTest>

namespace testsupport {

platform::FakeOs &fakeOs()
{
    static platform::FakeOs os;
    return os;
}

BoxAnswerer::BoxAnswerer()
{
    timer.setInterval(5);
    QObject::connect(&timer, &QTimer::timeout, [this] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box || !box->isVisible())
            return;
        seen.push_back({box->windowTitle(), box->text(), box->icon(), box->frameGeometry(),
                        static_cast<int>(box->buttons().size())});
        if (whileOpen)
            whileOpen(box);
        box->button(QMessageBox::Ok)->click();
    });
    timer.start();
}

void ProgramTest::start(QSize screen)
{
    delete TamriUnit::tamriForm;
    TamriUnit::resetState();
    fakeOs() = platform::FakeOs();
    common::screenSizeOverride = screen;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    using namespace TamriUnit;
    tamriForm = new TtamriForm;
    lpForm = new TlpForm(tamriForm);
    datenbetrachter = new Tdatenbetrachter(tamriForm);
    tamriForm->show();
    tamriForm->activateWindow();
    QApplication::processEvents();
}

void ProgramTest::TearDown()
{
    delete TamriUnit::tamriForm;
    TamriUnit::resetState();
    QLocale::setDefault(QLocale::system());
}

void click(QWidget *widget, Qt::MouseButton button)
{
    QTest::mouseClick(widget, button, Qt::NoModifier, widget->rect().center());
    // Let the window system's activation after a closed box arrive, as it would for a user.
    QApplication::processEvents();
}

TTeil *cellAt(int column, int row)
{
    return TamriUnit::cells[column][row];
}

TTeil *targetCell()
{
    return cellAt(TamriUnit::targetColumn, TamriUnit::targetRow);
}

} // namespace testsupport
