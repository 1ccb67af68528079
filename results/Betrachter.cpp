#include "results/Betrachter.h"

#include "common/Application.h"
#include "common/Drawing.h"
#include "common/Formats.h"
#include "common/Rounding.h"
#include "results/LatPraef.h"
#include "results/LineChart.h"
#include "task/TamriUnit.h"

#include <QKeyEvent>
#include <QPushButton>

namespace {

constexpr int panelHeight = 41;
constexpr int chartLeft = 35;
constexpr QRgb silver = qRgb(192, 192, 192);

QPushButton *panelButton(QWidget *panel, int left, int top, int width, int height)
{
    auto *button = new QPushButton(panel);
    button->setGeometry(left, top, width, height);
    button->setFont(common::tahoma(13));
    return button;
}

} // namespace

Tdatenbetrachter::Tdatenbetrachter(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
{
    setWindowTitle(QStringLiteral("Datenbetrachter"));
    common::setBackground(this, QColor(silver));

    Panel1 = new QWidget(this);
    common::setBackground(Panel1, Panel1->palette().color(QPalette::ToolTipBase));
    lpButton = panelButton(Panel1, 9, 5, 151, 29);
    schliessenButton = panelButton(Panel1, 166, 4, 159, 30);

    Chart1 = new LineChart(this);
    Chart1->setMinimumX(1);
    Chart1->setAxisTitleFont(common::tahoma(13, true));
    Chart1->move(chartLeft, 0);
    Series1 = Chart1->series();

    connect(lpButton, &QPushButton::clicked, this, &Tdatenbetrachter::lpButtonClick);
    connect(schliessenButton, &QPushButton::clicked, this, &Tdatenbetrachter::schliessenButtonClick);
}

bool Tdatenbetrachter::event(QEvent *event)
{
    if (event->type() == QEvent::WindowActivate)
        FormActivate();
    return QDialog::event(event);
}

void Tdatenbetrachter::showEvent(QShowEvent *event)
{
    FormShow();
    QDialog::showEvent(event);
}

// The window has no cancel button: Escape leaves it open.
void Tdatenbetrachter::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void Tdatenbetrachter::resizeEvent(QResizeEvent *event)
{
    Panel1->setGeometry(0, 0, width(), panelHeight);
    QDialog::resizeEvent(event);
}

void Tdatenbetrachter::FormShow()
{
    // Maximised without relying on a window manager to do it.
    setGeometry(QRect(QPoint(0, 0), common::screenSize()));
    fillSeries();
    Chart1->show();
    lpButton->setText(QStringLiteral("Laterale Präferenz"));
    schliessenButton->setText(QStringLiteral("Betrachter schliessen"));
    setWindowTitle(QStringLiteral("Datenbetrachter"));
}

void Tdatenbetrachter::FormActivate()
{
    const QSize screen = common::screenSize();
    const int top = Panel1->y() + Panel1->height() + 20;
    const int width = static_cast<int>(common::Trunc(screen.width() * 0.9L));
    Chart1->setGeometry(Chart1->x(), top, width, screen.height() - top);
    Chart1->setMargins(QMargins(0, 0, static_cast<int>(common::Round(width * 0.05L)), 0));
    Chart1->setTitleFont(common::tahoma(21));
    Chart1->setTitleColour(Qt::black);
    Series1->setPointColour(1, Qt::red);
    Chart1->setTitle(buildChartTitle());
    Chart1->setAxisTitles(QStringLiteral("Vorlage Nr.:"), QStringLiteral("Suchzeit in Sekunden:"));
}

void Tdatenbetrachter::fillSeries()
{
    using namespace TamriUnit;
    Series1->clear();
    int i = 0;
    for (int row = 0; row < gridRows; ++row)
        for (int column = 0; column < gridColumns; ++column) {
            const double time = cells[column][row]->searchTime;
            if (i < centreIndex)
                Series1->addPoint(i + 1, time, Qt::black);
            else if (i > centreIndex)
                Series1->addPoint(i, time, Qt::black);
            ++i;
        }
}

QString Tdatenbetrachter::buildChartTitle()
{
    using namespace LatPraef;
    computeMeanAndDeviation();
    return QStringLiteral("Proband") + QStringLiteral("  ") + common::formatShortDate(common::today())
           + QStringLiteral(",  Aufgabe")
           + (TamriUnit::numbersMode ? QStringLiteral(": Zahlen suchen,  AM/St.Abw :")
                                     : QStringLiteral(": Bilder suchen,  AM/St.Abw :"))
           + common::formatGeneral(meanTime) + QStringLiteral("/") + common::formatGeneral(timeDeviation);
}

void Tdatenbetrachter::lpButtonClick()
{
    lpButton->setEnabled(false);
    TamriUnit::lpForm->exec();
}

void Tdatenbetrachter::schliessenButtonClick()
{
    platform::os().showWindow(TamriUnit::taskbarWindow);
    common::endProgramAtOnce(1);
}
