#include "check/TpruefForm.h"
#include "tests/TestSupport.h"

#include <QClipboard>
#include <QPushButton>
#include <QTest>

using namespace testsupport;

class SystemCheck : public testing::Test {
protected:
    void SetUp() override
    {
        fakeOs() = platform::FakeOs();
        fakeOs().msPerRead = 1;
        form.show();
    }
    void TearDown() override { common::screenSizeOverride.reset(); }

    TpruefForm form;
};

// On the tests' desktop (two screens, the primary one right of the other, one taskbar) every
// point is measured, the desktop is given back at the end, and the report is copied whole.
TEST_F(SystemCheck, EveryPointMeasuredTheDesktopGivenBackAndTheReportCopied)
{
    form.runChecks();
    const QList<CheckLine> &lines = form.lines();
    ASSERT_EQ(lines.size(), 11);
    EXPECT_EQ(lines[0].report().toStdString(), "2 Bildschirme – der Test erscheint auf dem Hauptbildschirm „primary“ (1920 × 1080 "
                                 "Bildpunkte bei 1024, 0; 100 %), daneben „second“ (1024 × 768 Bildpunkte bei 0, 0; "
                                 "100 %): Hinweis");
    EXPECT_EQ(lines[1].report().toStdString(), "Anzeige nicht skaliert (100 %) – Tamri zeichnet in den Bildpunkten des Bildschirms: "
                                 "in Ordnung");
    EXPECT_EQ(lines[2].report().toStdString(), "1 Taskleiste(n) – vom Test verborgen und wieder gezeigt: in Ordnung");
    EXPECT_TRUE(lines[8].report().contains("kleinster Schritt der Zeitmessung 1 ms: in Ordnung"));
    for (int i : {3, 4, 5, 6, 7, 10})
        EXPECT_EQ(lines[i].verdict, CheckLine::Ok) << lines[i].report().toStdString();
    EXPECT_FALSE(fakeOs().taskbarShown());   // hidden for the report, as for the test
    EXPECT_EQ(fakeOs().pointerConfinedTo, 0u);

    form.kopierenButton->click();
    const QStringList copied = QGuiApplication::clipboard()->text().split('\n');
    ASSERT_EQ(copied.size(), 13);
    EXPECT_EQ(copied[0], "Tamri Systemprüfung");
    EXPECT_EQ(copied[1], lines[0].report());
    EXPECT_EQ(copied[11], lines[10].report());

    QTest::keyRelease(&form, Qt::Key_Escape);
    EXPECT_FALSE(form.isVisible());
    EXPECT_TRUE(fakeOs().taskbarShown());
    EXPECT_FALSE(fakeOs().displayKeptOn);
}

// What an examiner must hear of before a session: each fault ends in a "Problem" line.
TEST_F(SystemCheck, FaultsOfThePcAreProblems)
{
    EXPECT_EQ(TpruefForm::font("Keine Schrift").verdict, CheckLine::Problem);
    fakeOs().msPerRead = 16;
    EXPECT_TRUE(TpruefForm::clock().report().endsWith("kleinster Schritt der Zeitmessung 16 ms – zu grob, ein Zeitwert "
                                                      "kann um ein Zehntel abweichen: bitte diesen Bericht an das "
                                                      "Projekt senden: Problem"));
    common::screenSizeOverride = QSize(800, 520);
    EXPECT_TRUE(TpruefForm::screens().report().endsWith("zu klein für die Aufgabe Bilder, die mindestens 741 × 535 "
                                                        "Bildpunkte braucht: eine höhere Auflösung einstellen: Problem"));
    fakeOs().msPerRead = 1;
    fakeOs().taskbarsStayShown = true;
    form.runChecks();
    EXPECT_EQ(form.lines()[2].verdict, CheckLine::Problem);
}
