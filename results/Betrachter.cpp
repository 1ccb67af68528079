#include "results/Betrachter.h"

#include "common/Application.h"
#include "common/Drawing.h"
#include "common/Formats.h"
#include "common/MessageBoxes.h"
#include "common/Rounding.h"
#include "results/LatPraef.h"
#include "results/LineChart.h"
#include "task/TamriUnit.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLocale>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
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
    // Made on the primary screen, where it will be shown. Moved there from another screen only
    // when shown, the window took up a stale size from its creation (100 x 30) with Qt 6.8: the
    // change of screen makes Qt handle its pending geometry events after ours.
    setGeometry(common::screenRect());
    common::setBackground(this, QColor(silver));
    // Where a panel or top bar reserves part of the screen (GNOME Shell's top bar), the window
    // manager keeps it above a window that is merely screen-sized; full screen covers it, as the
    // test itself does. Elsewhere the geometry alone, for a modal window that is full screen from
    // the start is left unpainted where no window manager runs.
    if (common::panelReservesSpace())
        setWindowState(Qt::WindowFullScreen);

    Panel1 = new QWidget(this);
    common::setBackground(Panel1, Panel1->palette().color(QPalette::ToolTipBase));
    lpButton = panelButton(Panel1, 9, 5, 151, 29);
    schliessenButton = panelButton(Panel1, 166, 4, 159, 30);
    druckenButton = panelButton(Panel1, 331, 4, 100, 30);
    druckenButton->setText(QStringLiteral("Drucken …"));
    kopierenButton = panelButton(Panel1, 437, 4, 100, 30);
    kopierenButton->setText(QStringLiteral("Kopieren"));

    Chart1 = new LineChart(this);
    Chart1->setMinimumX(1);
    Chart1->setAxisTitleFont(common::tahoma(13, true));
    Chart1->move(chartLeft, 0);
    Series1 = Chart1->series();

    connect(lpButton, &QPushButton::clicked, this, &Tdatenbetrachter::lpButtonClick);
    connect(schliessenButton, &QPushButton::clicked, this, &Tdatenbetrachter::schliessenButtonClick);
    connect(druckenButton, &QPushButton::clicked, this, &Tdatenbetrachter::druckenButtonClick);
    connect(kopierenButton, &QPushButton::clicked, this, &Tdatenbetrachter::kopierenButtonClick);
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
    // Not every desktop activates a new window (a native Wayland compositor may not): the
    // chart must not stay empty until it is clicked.
    FormActivate();
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
    setGeometry(common::screenRect());
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
    // Made before this window, the lateral window belongs to the main window; as a child of
    // this one it stays above it also where the desktop decides the stacking (Wayland).
    TamriUnit::lpForm->setParent(this, TamriUnit::lpForm->windowFlags());
    TamriUnit::lpForm->exec();
}

void Tdatenbetrachter::schliessenButtonClick()
{
    platform::os().showTaskbars();
    common::endProgramAtOnce(1);
}

namespace {

// Times are whole tenths; the averages as the lateral preference window writes them.
QString timeText(double seconds)
{
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale.toString(seconds, 'f', 1);
}

QString averageText(double average)
{
    return common::formatFixed(average, 3, 2);
}

// The board's times row by row, each row's average last, then the column averages; the
// centre cell stays empty.
QList<QStringList> timeGrid()
{
    using namespace TamriUnit;
    LatPraef::computeLineAverages();
    QList<QStringList> grid;
    for (int row = 0; row < gridRows; ++row) {
        QStringList line;
        for (int column = 0; column < gridColumns; ++column)
            line << (row * gridColumns + column == centreIndex ? QString() : timeText(cells[column][row]->searchTime));
        line << averageText(LatPraef::rowAverages[row]);
        grid << line;
    }
    QStringList averages;
    for (int column = 0; column < gridColumns; ++column)
        averages << averageText(LatPraef::columnAverages[column]);
    grid << averages;
    return grid;
}

} // namespace

QString Tdatenbetrachter::resultsTable()
{
    const QString title = buildChartTitle();
    QStringList lines{title};
    for (const QStringList &line : timeGrid())
        lines << line.join(QLatin1Char('\t'));
    lines << QStringLiteral("AM\t") + common::formatGeneral(LatPraef::meanTime)
          << QStringLiteral("St.Abw\t") + common::formatGeneral(LatPraef::timeDeviation);
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

void Tdatenbetrachter::kopierenButtonClick()
{
    QGuiApplication::clipboard()->setText(resultsTable());
}

void Tdatenbetrachter::druckenButtonClick()
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(QPageLayout::Landscape);
    printer.setDocName(QStringLiteral("Tamri"));
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() == QDialog::Accepted)
        printResults(printer);
}

void Tdatenbetrachter::printResults(QPrinter &printer)
{
    using namespace LatPraef;
    printer.setPageMargins(QMarginsF(12, 12, 12, 12), QPageLayout::Millimeter);
    // A printer that cannot be opened, a file that cannot be written, or an error the print engine
    // reports at the end must not pass for kept results: the examiner is told, and the results
    // stay on the screen to print again. Qt's Windows engine reports no failed EndPage or EndDoc
    // (it only warns), so a printer that fails after taking the job is not seen here.
    const auto failed = [&printer] {
        const QString target = printer.outputFileName().isEmpty() ? printer.printerName() : printer.outputFileName();
        common::showErrorBox(QStringLiteral("Die Ergebnisse wurden nicht gedruckt (%1).\r"
                                            "Sie bleiben auf dem Bildschirm: bitte den Drucker prüfen und noch einmal drucken")
                                 .arg(target));
    };
    QPainter painter;
    if (!printer.isValid() || !painter.begin(&printer)) {
        failed();
        return;
    }
    // Laid out in pixels of a 96 dpi screen, the unit all the program's fonts are given in.
    const double scale = printer.resolution() / 96.0;
    painter.scale(scale, scale);
    const QRect page(QPoint(0, 0), (QSizeF(printer.pageLayout().paintRectPixels(printer.resolution()).size()) / scale)
                                       .toSize());

    // The chart with its title across the top half.
    const int chartHeight = page.height() * 9 / 20;
    Chart1->paintChart(painter, QRect(page.left(), page.top(), page.width(), chartHeight));

    // The lateral preference picture at the bottom left, whole.
    const QRect lower(page.left(), page.top() + chartHeight + 12, page.width(), page.height() - chartHeight - 12);
    const QImage lateral = lateralPicture(common::screenSize());
    const QSize pictureSize = lateral.size().scaled(QSize(lower.width() * 9 / 20, lower.height()), Qt::KeepAspectRatio);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QRect(lower.topLeft(), pictureSize), lateral);

    // The figures at the bottom right: the times in the board's layout, then the rest.
    const QList<QStringList> grid = timeGrid();
    computeMeanAndDeviation();
    const int left = lower.left() + pictureSize.width() + 20;
    const int cellWidth = (lower.right() - left) / (TamriUnit::gridColumns + 1);
    const int lineHeight = 18;
    QFont font = common::tahoma(12);
    QFont bold = common::tahoma(12, true);
    int y = lower.top();
    painter.setPen(Qt::black);
    painter.setFont(bold);
    painter.drawText(QRect(left, y, lower.right() - left, lineHeight), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("Suchzeiten in Sekunden (Zeilenmittel rechts, Spaltenmittel unten):"));
    y += lineHeight + 4;
    for (int row = 0; row < grid.size(); ++row) {
        for (int column = 0; column < grid[row].size(); ++column) {
            const bool average = row == grid.size() - 1 || column == TamriUnit::gridColumns;
            painter.setFont(average ? bold : font);
            painter.drawText(QRect(left + column * cellWidth, y, cellWidth - 6, lineHeight),
                             Qt::AlignRight | Qt::AlignVCenter, grid[row][column]);
        }
        y += lineHeight;
    }
    painter.setFont(font);
    y += 10;
    const QSize screen = common::screenSize();
    const QStringList facts{
        QStringLiteral("Mittelwert (AM): ") + common::formatGeneral(meanTime)
            + QStringLiteral(" s     Standardabweichung (St.Abw): ") + common::formatGeneral(timeDeviation) + QStringLiteral(" s"),
        QStringLiteral("Bildschirm: %1 × %2 Pixel     Tamri %3     %4")
            .arg(screen.width())
            .arg(screen.height())
            .arg(QStringLiteral(TAMRI_VERSION), common::formatShortDate(common::today())),
    };
    for (const QString &fact : facts) {
        painter.drawText(QRect(left, y, lower.right() - left, lineHeight), Qt::AlignLeft | Qt::AlignVCenter, fact);
        y += lineHeight + 2;
    }
    painter.setFont(common::tahoma(14));
    painter.drawText(QRect(left, lower.bottom() - 30, lower.right() - left, 24), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("Name / Kennung: ________________"));
    if (!painter.end() || printer.printerState() == QPrinter::Error)
        failed();
}
