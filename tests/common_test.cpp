#include "common/Application.h"
#include "common/Formats.h"
#include "common/MessageBoxes.h"
#include "common/Rounding.h"
#include "platform/FakeOs.h"
#include "tests/TestSupport.h"

#include <QLabel>
#include <QLocale>
#include <QPushButton>

#include <gtest/gtest.h>

using namespace common;

TEST(Rounding, HalvesGoToTheEvenNeighbourOfTheExtendedPrecisionValue)
{
    EXPECT_EQ(Round(0.5L), 0);
    EXPECT_EQ(Round(1.5L), 2);
    EXPECT_EQ(Round(2.5L), 2);
    EXPECT_EQ(Round(-2.5L), -2);
    EXPECT_EQ(Round(12.5L), 12);
    EXPECT_EQ(Round(13.5L), 14);
    EXPECT_EQ(Round(12.51L), 13);
    EXPECT_EQ(Round(-0.4L), 0);
    EXPECT_EQ(Trunc(1229.4L), 1229);
    EXPECT_EQ(Trunc(-3.9L), -3);
    EXPECT_THROW(Round(1e30L), MathError);   // no wrong integer for a value out of range
    EXPECT_THROW(Trunc(-1e30L), MathError);
    // 2.675 is stored as 2.67499999999999982236431605997495353221893310546875; formed in
    // extended precision the product stays below the half.
    EXPECT_EQ(Round(static_cast<long double>(2.675) * 100), 267);
    EXPECT_EQ(Round(static_cast<long double>(1250) / 100), 12);
}

class GermanFormats : public testing::Test {
protected:
    void SetUp() override { QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany)); }
    void TearDown() override
    {
        QLocale::setDefault(QLocale::system());
        todayOverride.reset();
    }
};

TEST_F(GermanFormats, EveryConversionOfTheFormatTableAndItsEdges)
{
    struct Row {
        double value;
        const char *general;
        const char *fixed;
        const char *width3;
    };
    const Row table[] = {
        {2.5, "2,5", "2,50", "2.5"},      {3.0, "3", "3,00", "3.0"},
        {1.234, "1,234", "1,23", "1.2"},  {12.345, "12,345", "12,30", "12.3"},
        {9.996, "9,996", "10,00", "10.0"}, {123.4, "123,4", "123,00", "123.4"},
        {0.0, "0", "0,00", "0.0"},
        {0.1 + 0.2, "0,3", "0,30", "0.3"},     // 15 significant digits hide the binary error
        {0.25, "0,25", "0,25", "0.3"},         // a following 5 goes up, not to even
        {0.45, "0,45", "0,45", "0.5"},         // 0.45 is stored a little above the half
        {0.95, "0,95", "0,95", "0.9"},         // 0.95 is stored a little below it
        {2.35, "2,35", "2,35", "2.4"},         // 2.35 a little above
        {9.96, "9,96", "9,96", "10.0"},
        {0.999, "0,999", "1,00", "1.0"},
        {1234.5, "1234,5", "1230,00", "1234.5"},
    };
    for (const Row &row : table) {
        SCOPED_TRACE(row.value);
        EXPECT_EQ(formatGeneral(row.value), QString::fromUtf8(row.general));
        EXPECT_EQ(formatFixed(row.value, 3, 2), QString::fromUtf8(row.fixed));
        EXPECT_EQ(formatWidth3OneDecimal(row.value), QString::fromUtf8(row.width3));
    }
    EXPECT_EQ(formatGeneral(1234567.0), "1234567");   // no thousands separator
    EXPECT_EQ(formatGeneral(-2.5), "-2,5");
}

TEST_F(GermanFormats, ShortDateHasAFourDigitYear)
{
    EXPECT_EQ(formatShortDate(QDate(2026, 12, 7)), "07.12.2026");
    todayOverride = QDate(2027, 1, 2);
    EXPECT_EQ(today(), QDate(2027, 1, 2));
}

TEST(EnglishFormats, SeparatorFollowsTheLocale)
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(formatGeneral(2.3), "2.3");
    EXPECT_EQ(formatFixed(12.345, 3, 2), "12.30");
    EXPECT_EQ(formatWidth3OneDecimal(2.3), "2.3");
    EXPECT_TRUE(formatShortDate(QDate(2026, 12, 7)).endsWith("2026"));
    QLocale::setDefault(QLocale::system());
}

TEST(ApplicationTitle, FileNameWithoutDirectoryAndExtensionLowerCasedAfterTheFirstLetter)
{
    EXPECT_EQ(titleFromExecutable("C:/Programme/TAMRI.EXE"), "Tamri");
    EXPECT_EQ(titleFromExecutable("/opt/tamri/build/Tamri.v2.exe"), "Tamri");
    EXPECT_EQ(titleFromExecutable("/usr/bin/tamri"), "tamri");
}

TEST(Application, QtsOwnDialogsSpeakTheSystemsLanguage)
{
    EXPECT_EQ(QCoreApplication::translate("QPrintDialog", "Print"), "Drucken");
}

TEST(ForegroundRequest, DetachesOnEveryPath)
{
    platform::FakeOs os;
    os.bringToFront(0);
    EXPECT_EQ(os.calls, (std::vector<std::string>{"attach", "raise", "detach"}));

    os.calls.clear();
    os.raiseThrows = true;
    EXPECT_THROW(os.bringToFront(0), std::runtime_error);
    EXPECT_EQ(os.calls, (std::vector<std::string>{"attach", "raise", "detach"}));
}

TEST(ForegroundRequest, NeverSharesAHungWindowsInputAndSaysWhenItIsRefused)
{
    platform::FakeOs os;
    os.frontHung = true;
    EXPECT_TRUE(os.bringToFront(0));
    EXPECT_EQ(os.calls, std::vector<std::string>{"raise"});

    platform::FakeOs elevated;
    elevated.frontRefuses = true;
    EXPECT_FALSE(elevated.bringToFront(0));
    EXPECT_EQ(elevated.calls, (std::vector<std::string>{"attach", "raise"}));
}

// Every kind of box: the icon at the top left, the text to its right, wrapped at word
// boundaries only beyond half the screen width, and the one button centred below.
TEST(MessageBoxes, IconTextUpToHalfTheScreenAndTheButtonCentredBelow)
{
    QString line = QStringLiteral("Ein");
    const QFontMetrics metrics(QApplication::font());
    while (metrics.horizontalAdvance(line) < 700)
        line += QStringLiteral(" Wort");
    const QString text = line + QStringLiteral("\rzweite Zeile");
    using Show = void (*)(const QString &);
    const std::pair<Show, bool> kinds[] = {{[](const QString &t) { showInformationBox(t); }, true},
                                           {showPlainBox, false}, {showErrorBox, true}};
    for (const QSize screen : {QSize(1024, 768), QSize(1920, 1080)})
        for (const auto &[show, hasIcon] : kinds) {
            SCOPED_TRACE(testing::Message() << screen.width() << " wide, " << (hasIcon ? "icon" : "no icon"));
            screenSizeOverride = screen;
            testsupport::BoxAnswerer boxes;
            bool looked = false;
            boxes.whileOpen = [&](common::OkBox *box) {
                looked = true;
                const QLabel *icon = box->iconLabel;
                const QPushButton *ok = box->okButton;
                const QRect textArea = box->textLabel->geometry();
                const int half = screen.width() / 2;
                EXPECT_LE(textArea.width(), half);
                if (metrics.horizontalAdvance(line) <= half) {
                    EXPECT_GE(textArea.width(), metrics.horizontalAdvance(line));
                    EXPECT_LT(textArea.height(), 3 * metrics.lineSpacing());
                } else {
                    EXPECT_GT(textArea.width(), half * 9 / 10);
                    EXPECT_GE(textArea.height(), 3 * metrics.lineSpacing());
                }
                EXPECT_EQ(icon->isVisible(), hasIcon);
                if (hasIcon) {
                    EXPECT_LT(icon->geometry().right(), textArea.left());
                    EXPECT_LE(icon->y(), textArea.top());
                    EXPECT_LT(icon->x(), 20);
                }
                EXPECT_GT(ok->mapTo(box, QPoint()).y(), textArea.bottom());
                EXPECT_NEAR(ok->mapTo(box, ok->rect().center()).x(), box->width() / 2, 1);
                EXPECT_TRUE(ok->isDefault());
                EXPECT_EQ(box->minimumSize(), box->maximumSize());
            };
            show(text);
            EXPECT_TRUE(looked);
            EXPECT_EQ(boxes.seen.size(), 1u);
        }
    screenSizeOverride.reset();
}
