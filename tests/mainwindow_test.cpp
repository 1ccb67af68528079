#include "common/Application.h"
#include "task/Order.h"
#include "tests/TestSupport.h"

#include <QApplication>
#include <QFontInfo>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QWindow>

using namespace testsupport;

namespace {

const std::string taskbarHidden = "hide taskbars";
const std::string taskbarShown = "show taskbars";

void releaseKey(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTest::keyRelease(QApplication::focusWidget(), key, modifiers);
}

} // namespace

class StartScreen : public ProgramTest, public testing::WithParamInterface<QSize> {};

TEST_P(StartScreen, CoversTheScreenInLightYellowWithTheSilverPanel)
{
    const QSize screen = GetParam();
    start(screen);
    EXPECT_EQ(form().geometry(), QRect(primaryOrigin, screen));
    EXPECT_TRUE(form().windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(form().windowTitle(), "Tamri");

    const QImage shot = form().grab().toImage();
    ASSERT_EQ(shot.size(), screen);
    // Light yellow below the panel; the panel silver, also between the task buttons.
    expectSpots(shot, {{0, 33, lightYellow}, {screen.width() - 1, screen.height() - 1, lightYellow}, {5, 0, silver},
                       {600, 32, silver}, {159, 16, silver}});

    EXPECT_EQ(form().ctrlPanel->geometry(), QRect(0, 0, screen.width(), 33));
    EXPECT_EQ(form().ladenBB_1->geometry(), QRect(13, 3, 144, 26));
    EXPECT_EQ(form().ladenBB_2->geometry(), QRect(161, 3, 142, 26));
    EXPECT_EQ(form().endeBBtn->geometry(), QRect(325, 3, 111, 27));
    EXPECT_EQ(form().helpBBtn->geometry(), QRect(442, 3, 97, 27));
    // The label as wide as its text, blanks included, at the panel's right end.
    const QString caption = QStringLiteral("Tamri-2  (Velkor)  ");
    const int textWidth = QFontMetrics(common::tahoma(19)).horizontalAdvance(caption);
    EXPECT_EQ(form().Label1->geometry(), QRect(screen.width() - textWidth, 0, textWidth, 33));
    EXPECT_TRUE(showsText(shot, QPoint(screen.width() - textWidth, 0), caption, common::tahoma(19), QColor(0, 0, 255),
                          QColor(192, 192, 192)));
}

INSTANTIATE_TEST_SUITE_P(TwoScreens, StartScreen, testing::Values(QSize(1024, 768), QSize(1920, 1080)),
                         [](const auto &info) {
                             return std::to_string(info.param.width()) + "x" + std::to_string(info.param.height());
                         });

TEST_F(ProgramTest, ControlsCaptionsFontsTagsAndTabOrder)
{
    EXPECT_EQ(form().Label1->text(), "Tamri-2  (Velkor)  ");
    EXPECT_EQ(form().ladenBB_1->property("tag").toInt(), 0);
    EXPECT_EQ(form().ladenBB_2->property("tag").toInt(), 2);
    const std::pair<QPushButton *, QString> buttons[] = {
        {form().ladenBB_1, "Aufgabe &Bilder"}, {form().ladenBB_2, "Aufgabe &Zahlen"}, {form().endeBBtn, "&ENDE"},
        {form().helpBBtn, "&HILFE"}};
    for (const auto &[button, caption] : buttons) {
        EXPECT_EQ(button->text(), caption);
        // The faces in use, not only the ones asked for.
        EXPECT_EQ(QFontInfo(button->font()).family(), "Tahoma");
        EXPECT_EQ(QFontInfo(button->font()).pixelSize(), 13);
        EXPECT_TRUE(button->isVisible() && button->isEnabled());
    }
    const auto nextByTab = [](QWidget *widget) {
        do
            widget = widget->nextInFocusChain();
        while (!(widget->focusPolicy() & Qt::TabFocus));
        return widget;
    };
    EXPECT_EQ(nextByTab(form().ladenBB_1), form().endeBBtn);
    EXPECT_EQ(nextByTab(form().endeBBtn), form().helpBBtn);
    EXPECT_EQ(nextByTab(form().helpBBtn), form().ladenBB_2);
    EXPECT_FALSE(form().instrImage1->isVisible());
    EXPECT_EQ(TamriUnit::gridColumns, 0);
    EXPECT_EQ(TamriUnit::cells[0][0], nullptr);
    EXPECT_TRUE(TamriUnit::tileRects && TamriUnit::tileRects->empty());
    EXPECT_TRUE(TamriUnit::drawList && TamriUnit::drawList->empty());
}

TEST_F(ProgramTest, TaskbarHiddenAtCreationThenForegroundRequestedOnActivation)
{
    ASSERT_GE(os().calls.size(), 5u);
    EXPECT_EQ(std::vector<std::string>(os().calls.begin(), os().calls.begin() + 5),
              (std::vector<std::string>{"find", taskbarHidden, "attach", "raise", "detach"}));
    EXPECT_EQ(TamriUnit::taskbarWindow, platform::FakeOs::taskbarHandle);
    EXPECT_EQ(TamriUnit::randSeed, static_cast<std::uint32_t>(*os().counter));
    EXPECT_EQ(QApplication::focusWidget(), &form());
    EXPECT_TRUE(os().displayKeptOn);
}

// Another program shows a taskbar again or puts its own window in front: within a moment every
// taskbar is hidden and the test's topmost window is in front again, until the test ends. A
// taskbar alone does not take the front.
TEST_F(ProgramTest, TakesTheScreenBackFromAnotherProgramUntilItEnds)
{
    const auto retaken = [this] { return !os().taskbarShown() && os().inForeground(); };
    os().calls.clear();
    os().taskbars[platform::FakeOs::taskbarHandle] = true;
    ASSERT_TRUE(QTest::qWaitFor(retaken, giveUpAfterMs));
    QTest::qWait(3 * TtamriForm::desktopKeeperInterval);
    EXPECT_EQ(os().calls, std::vector<std::string>{taskbarHidden});

    os().calls.clear();
    os().lastRaised = 0;
    os().foreignForeground = true;
    ASSERT_TRUE(QTest::qWaitFor(retaken, giveUpAfterMs));
    EXPECT_EQ(std::count(os().calls.begin(), os().calls.end(), taskbarHidden), 0);
    EXPECT_EQ(os().lastRaised, static_cast<platform::WindowHandle>(form().winId()));

    // A box open over the test stays above it.
    platform::WindowHandle box = 0;
    BoxAnswerer boxes;
    boxes.whileOpen = [&](common::OkBox *open) {
        os().foreignForeground = true;
        EXPECT_TRUE(QTest::qWaitFor(retaken, giveUpAfterMs));
        box = static_cast<platform::WindowHandle>(open->winId());
    };
    form().helpBBtn->click();
    ASSERT_EQ(boxes.seen.size(), 1u);
    EXPECT_EQ(os().lastRaised, box);

    // A native dialog that the box opened, and that disables it, comes in front instead; the
    // disabled box is not activated over it.
    QWindow elsewhere;
    const platform::WindowHandle dialog = 0xd1a;
    boxes.whileOpen = [&](common::OkBox *open) {
        os().popups[static_cast<platform::WindowHandle>(open->winId())] = dialog;
        elsewhere.show();
        elsewhere.requestActivate();
        ASSERT_TRUE(QTest::qWaitFor([&] { return QGuiApplication::focusWindow() == &elsewhere; }, giveUpAfterMs));
        os().foreignForeground = true;
        EXPECT_TRUE(QTest::qWaitFor(retaken, giveUpAfterMs));
        QTest::qWait(2 * TtamriForm::desktopKeeperInterval);
        EXPECT_EQ(QGuiApplication::focusWindow(), &elsewhere);
    };
    form().helpBBtn->click();
    EXPECT_EQ(os().lastRaised, dialog);

    os().calls.clear();
    click(form().endeBBtn);
    QTest::qWait(4 * TtamriForm::desktopKeeperInterval);
    EXPECT_TRUE(os().taskbarShown());
    EXPECT_EQ(std::count(os().calls.begin(), os().calls.end(), taskbarShown), 1);
    EXPECT_EQ(std::count(os().calls.begin(), os().calls.end(), taskbarHidden), 0);
}

// An elevated window in front refuses the front: asked again ever more rarely, not at every look,
// and the front is taken back once it goes.
TEST_F(ProgramTest, BacksOffFromAWindowThatRefusesTheFront)
{
    const auto attempts = [this] { return std::count(os().calls.begin(), os().calls.end(), "raise"); };
    os().calls.clear();
    os().frontRefuses = os().foreignForeground = true;
    QTest::qWait(15 * TtamriForm::desktopKeeperInterval);
    EXPECT_GE(attempts(), 2);
    EXPECT_LE(attempts(), 5);
    os().frontRefuses = false;
    EXPECT_TRUE(QTest::qWaitFor([this] { return os().inForeground(); }, giveUpAfterMs));
}

// While another program holds the keyboard the application has no active window; a box must
// still belong to the test, not stand alone behind that program.
TEST_F(ProgramTest, ABoxBelongsToTheTestWhileAnotherProgramHoldsTheKeyboard)
{
    QWindow elsewhere;
    elsewhere.setGeometry(QRect(primaryOrigin + QPoint(100, 100), QSize(200, 100)));
    elsewhere.show();
    elsewhere.requestActivate();
    ASSERT_TRUE(QTest::qWaitFor([&] { return QGuiApplication::focusWindow() == &elsewhere; }, giveUpAfterMs));
    ASSERT_EQ(QApplication::activeWindow(), nullptr);
    QWidget *owner = nullptr;
    BoxAnswerer boxes;
    boxes.whileOpen = [&](common::OkBox *open) { owner = open->parentWidget(); };
    common::showInformationBox(QStringLiteral("Bitte warten"));
    EXPECT_EQ(owner, &form());
}

TEST_F(ProgramTest, EscapeReleaseAbortsWithThePlainBoxWhateverModifierIsHeld)
{
    for (Qt::KeyboardModifier modifier : {Qt::NoModifier, Qt::ShiftModifier, Qt::ControlModifier, Qt::AltModifier}) {
        SCOPED_TRACE(modifier);
        start(QSize(1024, 768));
        BoxAnswerer boxes;
        releaseKey(Qt::Key_Escape, modifier);
        ASSERT_EQ(boxes.seen.size(), 1u);
        EXPECT_EQ(boxes.seen[0].caption, common::applicationTitle());
        EXPECT_EQ(boxes.seen[0].text, "Aufgabe wurde abgebrochen!\nDas Programm endet hier, bye, bye!");
        EXPECT_EQ(boxes.seen[0].icon, common::OkBox::NoIcon);
        EXPECT_EQ(boxes.seen[0].buttons, 1);
        EXPECT_FALSE(form().isVisible());
        EXPECT_EQ(os().calls.back(), taskbarShown);
    }
}

TEST_F(ProgramTest, HeldEscapeAndOtherKeysDoNothingUntilEscapeIsReleased)
{
    BoxAnswerer boxes;
    QWidget *receiver = QApplication::focusWidget();
    QTest::keyPress(receiver, Qt::Key_Escape);
    // A held key repeats as press and release pairs marked as repeats.
    for (int i = 0; i < 3; ++i)
        for (QEvent::Type type : {QEvent::KeyRelease, QEvent::KeyPress}) {
            QKeyEvent repeat(type, Qt::Key_Escape, Qt::NoModifier, QString(), true);
            QApplication::sendEvent(receiver, &repeat);
        }
    ASSERT_TRUE(boxes.seen.empty()) << "a repeated release aborted";
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Space, Qt::Key_A, Qt::Key_F4, Qt::Key_Tab})
        releaseKey(key);
    QTest::qWait(30);
    EXPECT_TRUE(boxes.seen.empty());
    EXPECT_TRUE(form().isVisible());
    releaseKey(Qt::Key_Escape);
    EXPECT_EQ(boxes.seen.size(), 1u);
}

TEST_F(ProgramTest, EscapeReleasedAgainAndAgainGivesOneBox)
{
    BoxAnswerer boxes;
    boxes.whileOpen = [](common::OkBox *box) {
        for (int i = 0; i < 5; ++i)
            QTest::keyRelease(box, Qt::Key_Escape);
    };
    releaseKey(Qt::Key_Escape);
    for (int i = 0; i < 5; ++i)
        QTest::keyRelease(&form(), Qt::Key_Escape);
    QTest::qWait(30);
    EXPECT_EQ(boxes.seen.size(), 1u);
    EXPECT_EQ(std::count(os().calls.begin(), os().calls.end(), taskbarShown), 1);
}

TEST_F(ProgramTest, AccessKeysDoWhatTheirButtonsDo)
{
    // A button's access key presses it visibly, releasing it a moment later.
    const auto press = [this](Qt::Key key, const std::function<bool()> &done) {
        QTest::keyClick(form().windowHandle(), key, Qt::AltModifier);
        return QTest::qWaitFor(done, giveUpAfterMs);
    };
    BoxAnswerer boxes;
    ASSERT_TRUE(press(Qt::Key_H, [&] { return boxes.seen.size() == 1; }));
    EXPECT_EQ(boxes.seen[0].caption, "Information");
    ASSERT_TRUE(press(Qt::Key_B, [&] { return !form().ctrlPanel->isVisible(); }));
    EXPECT_EQ(TamriUnit::gridColumns, 7);

    start(QSize(1024, 768));
    ASSERT_TRUE(press(Qt::Key_E, [this] { return !form().isVisible(); }));
    EXPECT_EQ(os().calls.back(), taskbarShown);
}

TEST_F(ProgramTest, HelpBoxCanBeShownAgainAndAgain)
{
    BoxAnswerer boxes;
    for (int i = 0; i < 3; ++i)
        click(form().helpBBtn);
    ASSERT_EQ(boxes.seen.size(), 3u);
    for (const SeenBox &box : boxes.seen) {
        EXPECT_EQ(box.caption, "Information");
        EXPECT_EQ(box.icon, common::OkBox::Information);
        const QStringList lines = box.text.split('\n');
        ASSERT_EQ(lines.size(), 5);
        EXPECT_EQ(lines[0], "Auswertung, Normwerte, Bedeutung,");
        EXPECT_EQ(lines[1], "usw. und weitere Information:");
        EXPECT_TRUE(lines[3].isEmpty());
    }
    EXPECT_TRUE(form().isVisible());
    EXPECT_TRUE(form().ladenBB_1->isEnabled());
}

// A tiling manager after a focus change, or a desktop switch, takes full screen away.
TEST_F(ProgramTest, FullScreenTakenAwayIsAskedForAgain)
{
    form().showFullScreen();
    QApplication::processEvents();
    ASSERT_TRUE(form().isFullScreen());
    for (const Qt::WindowState state : {Qt::WindowNoState, Qt::WindowMaximized, Qt::WindowMinimized}) {
        form().windowHandle()->setWindowStates(state);
        QApplication::processEvents();
        EXPECT_TRUE(form().isFullScreen()) << state;
        EXPECT_FALSE(form().isMinimized()) << state;
    }
}

TEST_F(ProgramTest, EndeBeforeAnyTaskReleasesNothingAndGivesTheTaskbarBack)
{
    click(form().endeBBtn);
    EXPECT_FALSE(form().isVisible());
    EXPECT_TRUE(TamriUnit::tileRects.has_value());   // no task started: nothing to release
    EXPECT_EQ(os().calls.back(), taskbarShown);
    EXPECT_FALSE(os().displayKeptOn);
}

TEST_F(ProgramTest, WithoutATaskbarTheProgramRunsTheSame)
{
    delete TamriUnit::tamriForm;
    TamriUnit::resetState();
    fakeOs() = platform::FakeOs();
    os().taskbars.clear();
    TamriUnit::startProgram(os());
    EXPECT_EQ(TamriUnit::taskbarWindow, 0u);
    click(form().endeBBtn);
    EXPECT_NE(std::find(os().calls.begin(), os().calls.end(), taskbarShown), os().calls.end());
    EXPECT_FALSE(form().isVisible());
}

// A taskbar hidden before the start (by a kiosk tool) stays hidden; the one the test hid comes
// back, and so does one that a restarted shell made meanwhile.
TEST_F(ProgramTest, AtTheEndOnlyTheTaskbarsItHidOrThatCameMeanwhileAreShown)
{
    delete TamriUnit::tamriForm;
    TamriUnit::resetState();
    fakeOs() = platform::FakeOs();
    os().taskbars[0x51] = false;
    TamriUnit::startProgram(os());
    os().taskbars[0x52] = false;
    click(form().endeBBtn);
    EXPECT_EQ(os().taskbars, (std::map<platform::WindowHandle, bool>{
                                 {0x51, false}, {0x52, true}, {platform::FakeOs::taskbarHandle, true}}));
}

TEST_F(ProgramTest, AnErrorInAHandlerEndsInTheErrorBoxAndTheProgramGoesOn)
{
    BoxAnswerer boxes;
    os().raiseThrows = true;
    QEvent activate(QEvent::WindowActivate);
    QApplication::sendEvent(&form(), &activate);
    ASSERT_EQ(boxes.seen.size(), 1u);
    EXPECT_EQ(boxes.seen[0].text, "raise refused.");
    EXPECT_EQ(boxes.seen[0].icon, common::OkBox::Critical);
    EXPECT_EQ(os().calls.back(), "detach");
    EXPECT_TRUE(form().isVisible());
}
