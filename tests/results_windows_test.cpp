#include "tests/ResultsFixture.h"

#include <QApplication>
#include <QClipboard>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>

using namespace testsupport;
using namespace TamriUnit;

// ---------------------------------------------------------------- keeping the results

// A Numbers task whose every time tells its cell: row r, column c took r + (c + 1) / 10 s.
class KeptResults : public ResultsWindows {
protected:
    void SetUp() override
    {
        ResultsWindows::SetUp();
        playTask(true);
        for (int row = 0; row < 7; ++row)
            for (int column = 0; column < 9; ++column)
                cellAt(column, row)->searchTime = row == 3 && column == 4 ? 0.0 : row + (column + 1) / 10.0;
        showViewer();
        chartBefore = viewer().grab().toImage();
    }

    // As "Drucken …" prints once the dialog is accepted, into a PDF file instead.
    void printTo(const QString &file)
    {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(file);
        printer.setPageSize(QPageSize(QPageSize::A4));
        printer.setPageOrientation(QPageLayout::Landscape);
        viewer().printResults(printer);
    }
    // The results stay on the screen as they were, ready to be kept again.
    void expectChartAsBefore()
    {
        EXPECT_TRUE(viewer().lpButton->isEnabled());
        EXPECT_EQ(viewer().grab().toImage(), chartBefore);
    }
    QImage chartBefore;

    // The expected figures, worked out here: each row averages r + 0.5, each column 3 + (c + 1) / 10.
    static QStringList row(int r)
    {
        QStringList line;
        for (int c = 0; c < 9; ++c)
            line << (r == 3 && c == 4 ? QString() : QStringLiteral("%1,%2").arg(r).arg(c + 1));
        return line << QStringLiteral("%1,50").arg(r);
    }
    static QStringList columnAverages()
    {
        QStringList line;
        for (int c = 0; c < 9; ++c)
            line << QStringLiteral("3,%1").arg(c + 1) + QLatin1Char('0');
        return line;
    }
    QString deviation() { return viewer().Chart1->title().section(QLatin1Char('/'), -1); }

    static QString run(const QString &program, const QStringList &arguments)
    {
        QProcess process;
        process.start(program, arguments);
        if (!process.waitForFinished(20000) || process.exitCode() != 0)
            ADD_FAILURE() << program.toStdString() << " failed: " << process.readAllStandardError().toStdString();
        return QString::fromUtf8(process.readAllStandardOutput());
    }
};

TEST_F(KeptResults, PrintedPageHoldsTheTitleEveryTimeTheAveragesAndBothPictures)
{
    QTemporaryDir folder;
    const QString pdf = folder.filePath("results.pdf");
    printTo(pdf);
    const QString info = run("pdfinfo", {pdf});
    EXPECT_TRUE(info.contains(QRegularExpression("Pages: +1\n"))) << info.toStdString();
    EXPECT_TRUE(info.contains(QRegularExpression("Page size: +84[12](\\.\\d+)? x 595(\\.\\d+)? pts \\(A4\\)")))
        << info.toStdString();

    // Text as a reader of the page gets it: the title, the grid line by line, the rest.
    const QStringList lines = run("pdftotext", {"-layout", pdf, "-"}).split('\n');
    const auto lineIndex = [&](const QStringList &tokens) {
        for (int i = 0; i < lines.size(); ++i)
            if (lines[i].split(' ', Qt::SkipEmptyParts) == tokens)
                return i;
        return -1;
    };
    const QString page = lines.join('\n').simplified();
    EXPECT_TRUE(page.contains(viewer().Chart1->title().simplified())) << page.toStdString();
    int previous = -1;
    for (int r = 0; r < 7; ++r) {
        QStringList tokens = row(r);
        tokens.removeAll(QString());
        const int at = lineIndex(tokens);
        EXPECT_GT(at, previous) << "row " << r << " (" << tokens.join(' ').toStdString() << ")";
        previous = at;
    }
    EXPECT_GT(lineIndex(columnAverages()), previous);
    EXPECT_TRUE(page.contains("Mittelwert (AM): 3,5 s Standardabweichung (St.Abw): " + deviation() + " s"));
    EXPECT_TRUE(page.contains(QStringLiteral("Bildschirm: 1920 × 1080 Pixel")));
    EXPECT_TRUE(page.contains("Name / Kennung: ________________"));

    // The chart's red point in the upper half, the lateral picture's blue title bar and
    // yellow bars in the lower left.
    run("pdftoppm", {"-r", "50", "-png", "-singlefile", pdf, folder.filePath("page")});
    const QImage shot(folder.filePath("page.png"));
    ASSERT_FALSE(shot.isNull());
    const QRect upper(0, 0, shot.width(), shot.height() / 2);
    const QRect lowerLeft(0, shot.height() / 2, shot.width() / 2, shot.height() / 2);
    const auto pointRed = [](QRgb c) { return qRed(c) > 200 && qGreen(c) < 80 && qBlue(c) < 80; };
    const auto titleBlue = [](QRgb c) { return qBlue(c) > 200 && qRed(c) < 150 && qGreen(c) < 150; };
    const auto barYellowish = [](QRgb c) { return qRed(c) > 240 && qGreen(c) > 240 && std::abs(qBlue(c) - 196) < 20; };
    EXPECT_GT(countPixels(shot, upper, pointRed), 3);
    EXPECT_GT(countPixels(shot, lowerLeft, titleBlue), 30);
    EXPECT_GT(countPixels(shot, lowerLeft, barYellowish), 50);

    expectChartAsBefore();
}

TEST_F(KeptResults, APrintThatFailsSaysSoAndLeavesTheResultsOnTheScreen)
{
    QTemporaryDir folder;
    const QString unwritable = folder.filePath("no such folder/results.pdf");
    const std::size_t boxesBefore = boxes.seen.size();
    printTo(unwritable);
    ASSERT_EQ(boxes.seen.size(), boxesBefore + 1);
    EXPECT_EQ(boxes.seen.back().icon, common::OkBox::Critical);
    EXPECT_TRUE(boxes.seen.back().text.startsWith("Die Ergebnisse wurden nicht gedruckt (" + unwritable + ")."))
        << boxes.seen.back().text.toStdString();
    EXPECT_FALSE(QFile::exists(unwritable));
    EXPECT_TRUE(viewer().isVisible());
    expectChartAsBefore();
}

TEST_F(KeptResults, CopiedTableParsesIntoTheTimesAndAveragesAndCancelledPrintChangesNothing)
{
    click(viewer().kopierenButton);
    const QStringList lines = QGuiApplication::clipboard()->text().split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 1 + 7 + 1 + 2);
    EXPECT_EQ(lines[0], viewer().Chart1->title());
    for (int r = 0; r < 7; ++r)
        EXPECT_EQ(lines[1 + r].split('\t'), row(r)) << "row " << r;
    EXPECT_EQ(lines[8].split('\t'), columnAverages());
    EXPECT_EQ(lines[9], "AM\t3,5");
    EXPECT_EQ(lines[10], "St.Abw\t" + deviation());

    // The print dialog, cancelled.
    bool cancelled = false;
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        if (auto *dialog = qobject_cast<QPrintDialog *>(QApplication::activeModalWidget())) {
            dialog->reject();
            cancelled = true;
        }
    });
    answer.start(5);
    click(viewer().druckenButton);
    EXPECT_TRUE(cancelled);
    expectChartAsBefore();
}

// ---------------------------------------------------------------- leaving the windows

TEST_F(ResultsWindows, SchliessenButtonEndsTheProgramWithExitCodeOne)
{
    playTask(true);
    os().calls.clear();
    steps.then(datenbetrachter, [this] { click(viewer().schliessenButton); });
    QTimer::singleShot(0, [this] { click(resultsButton()); });
    const int exitCode = runProgramLoop();

    EXPECT_EQ(exitCode, 1);
    EXPECT_TRUE(steps.allRun());
    EXPECT_EQ(os().calls, std::vector<std::string>{"show taskbars"});
    // The main window's close handling did not run.
    EXPECT_TRUE(form().isVisible());
    EXPECT_TRUE(tileRects.has_value());
}

TEST_F(ResultsWindows, LateralWindowOpensOnceAndCloseBReturnsToTheChart)
{
    playTask(true);
    struct : QObject {
        int shown = 0;
        bool eventFilter(QObject *, QEvent *event) override
        {
            shown += event->type() == QEvent::Show;
            return false;
        }
    } lateralShows;
    lateral().installEventFilter(&lateralShows);
    steps.then(datenbetrachter, [this] {
        QTimer::singleShot(0, [this] { click(viewer().lpButton); });
        QTimer::singleShot(0, [this] { click(viewer().lpButton); });
    });
    steps.then(lpForm, [this] {
        EXPECT_FALSE(viewer().lpButton->isEnabled());
        EXPECT_EQ(lateral().windowTitle(), "Durchschnittszeiten");
        // With the buttons of an ordinary window, which a dialog lacks.
        EXPECT_TRUE(lateral().windowFlags().testFlags(Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint));
        EXPECT_EQ(lateral().closeB->text(), "Schließen");
        // The outer frame is the screen (the offscreen platform draws a thin frame of its own);
        // the picture lies where the screen's height puts it, in client coordinates.
        EXPECT_EQ(lateral().frameGeometry(), QRect(primaryOrigin, QSize(1920, 1080)));
        EXPECT_LT(lateral().height(), 1080);
        EXPECT_EQ(lateral().grafIma->geometry(), QRect(384, 130, 1152, 820));
        EXPECT_EQ(lateral().CtrlPanel->geometry(), QRect(0, 0, lateral().width(), 35));
        click(lateral().closeB);
    });
    steps.then(datenbetrachter, [this] {
        EXPECT_EQ(lateral().result(), 1);
        click(viewer().lpButton);   // disabled for the rest of the run
        QApplication::processEvents();
        viewer().reject();
    });
    click(resultsButton());

    EXPECT_TRUE(steps.allRun());
    EXPECT_EQ(lateralShows.shown, 1);
    EXPECT_FALSE(form().isVisible());   // any other way out of the chart closes the main window
}

TEST_F(ResultsWindows, TitleBarCloseOfTheLateralWindowReturnsToTheChart)
{
    playTask(false);
    steps.then(datenbetrachter, [this] { QTimer::singleShot(0, [this] { click(viewer().lpButton); }); });
    steps.then(lpForm, [this] { lateral().close(); });
    steps.then(datenbetrachter, [this] {
        EXPECT_FALSE(lateral().isVisible());
        EXPECT_TRUE(viewer().isVisible());
        viewer().reject();
    });
    click(resultsButton());
    EXPECT_TRUE(steps.allRun());
}

TEST_F(ResultsWindows, EscapeLeavesBothResultsWindowsOpen)
{
    playTask(true);
    const std::size_t boxesBefore = boxes.seen.size();
    const auto pressEscape = [](QWidget *window) {
        QWidget *target = QApplication::focusWidget() ? QApplication::focusWidget() : window;
        QTest::keyClick(target, Qt::Key_Escape);
        QApplication::processEvents();
    };
    steps.then(datenbetrachter, [&] {
        pressEscape(datenbetrachter);
        EXPECT_TRUE(viewer().isVisible());
        QTimer::singleShot(0, [this] { click(viewer().lpButton); });
    });
    steps.then(lpForm, [&] {
        pressEscape(lpForm);
        EXPECT_TRUE(lateral().isVisible());
        click(lateral().closeB);
    });
    steps.then(datenbetrachter, [&] {
        pressEscape(datenbetrachter);
        EXPECT_TRUE(viewer().isVisible());
        viewer().reject();
    });
    click(resultsButton());
    EXPECT_TRUE(steps.allRun());
    EXPECT_EQ(boxes.seen.size(), boxesBefore);   // neither the abort box nor an error box
}
