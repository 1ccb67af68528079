#include "platform/DesktopGuard.h"
#include "platform/FakeOs.h"
#include "tests/TestSupport.h"

#include <gmock/gmock.h>

#include <QPushButton>
#include <QTimer>

#include <csignal>
#include <cstdlib>
#include <stdexcept>

namespace {

// Runs in the death test's child: a desktop whose taskbar was hidden at start.
void armOnAFakeDesktop()
{
    static platform::FakeOs os;
    os.reportShowToStderr = true;
    platform::install(&os);
    platform::armDesktopGuard();
}

// Runs in the child too: the program's windows on the fake desktop, whose calls then go to stderr.
void startTheProgram()
{
    testsupport::startProgram(QSize(1024, 768));
    testsupport::fakeOs().reportShowToStderr = true;
}

// Runs in the child too: the program to its end through "ENDE" as the entry runs it, then its
// Os object gone, as when the entry returns.
void endTheProgram()
{
    startTheProgram();
    QTimer::singleShot(0, [] { TamriUnit::tamriForm->endeBBtn->click(); });
    TamriUnit::runProgram();
    platform::install(nullptr);
}

// The taskbars, then the pointer: both given back before the process goes.
const std::string shown = "show taskbars\nfree pointer";

// An exception that nothing catches: it has to pass a noexcept frame on its way out.
void (*volatile thrower)() = [] { throw std::runtime_error("escaped"); };

void throwFromNoexcept() noexcept
{
    thrower();
}

} // namespace

class DesktopGuard : public testing::Test {
protected:
    void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
    void TearDown() override { platform::install(&testsupport::fakeOs()); }
};

TEST_F(DesktopGuard, TaskbarComesBackOnceOnSignalsAbortAndUncaughtExceptions)
{
    for (const int signal : {SIGTERM, SIGINT})
        EXPECT_EXIT((armOnAFakeDesktop(), std::raise(signal)), testing::KilledBySignal(signal), shown) << signal;
    EXPECT_EXIT((armOnAFakeDesktop(), std::abort()), testing::KilledBySignal(SIGABRT), shown);
    // The terminate handler restores, then abort() raises SIGABRT: the taskbar is shown once.
    EXPECT_EXIT((armOnAFakeDesktop(), throwFromNoexcept()), testing::KilledBySignal(SIGABRT),
                testing::AllOf(testing::HasSubstr(shown),
                               testing::Not(testing::ContainsRegex(shown + "(.|\n)*" + shown))));
}

TEST_F(DesktopGuard, TheMainWindowArmsItWhenItHidesTheTaskbar)
{
    EXPECT_EXIT((startTheProgram(), std::raise(SIGTERM)), testing::KilledBySignal(SIGTERM), shown);
    EXPECT_EXIT((startTheProgram(), throwFromNoexcept()), testing::KilledBySignal(SIGABRT), shown);
}

TEST_F(DesktopGuard, ASignalAfterTheProgramsEndCallsNothingThatIsGone)
{
    EXPECT_EXIT((endTheProgram(), std::raise(SIGTERM)), testing::KilledBySignal(SIGTERM), "");
}

TEST_F(DesktopGuard, ADisarmedGuardLeavesTheDesktopAlone)
{
    EXPECT_EXIT((armOnAFakeDesktop(), platform::disarmDesktopGuard(), std::raise(SIGTERM)),
                testing::KilledBySignal(SIGTERM), testing::Not(testing::HasSubstr(shown)));
}
