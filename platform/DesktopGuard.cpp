#include "platform/DesktopGuard.h"

#include <atomic>
#include <csignal>
#include <cstdlib>
#include <exception>

#ifdef _WIN32
#include <windows.h>
#endif

namespace platform {

namespace {

std::atomic<bool> armed{false};
std::terminate_handler previousTerminate = nullptr;

#ifdef _WIN32
constexpr int guardedSignals[] = {SIGINT, SIGTERM, SIGABRT};
#else
constexpr int guardedSignals[] = {SIGINT, SIGTERM, SIGABRT, SIGHUP};
#endif

void restoreDesktop()
{
    if (armed.exchange(false)) {
        os().showTaskbars();
        os().freePointerAtExit();
    }
}

extern "C" void onFatalSignal(int signal)
{
    restoreDesktop();
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

[[noreturn]] void onTerminate()
{
    restoreDesktop();
    if (previousTerminate)
        previousTerminate();
    std::abort();
}

#ifdef _WIN32
// An access violation or an integer division by zero raises no signal on Windows; it ends
// in the unhandled-exception filter. The crash then goes on as it would have without us.
LPTOP_LEVEL_EXCEPTION_FILTER previousFilter = nullptr;

LONG WINAPI onUnhandledException(EXCEPTION_POINTERS *exception)
{
    restoreDesktop();
    return previousFilter ? previousFilter(exception) : EXCEPTION_CONTINUE_SEARCH;
}
#endif

} // namespace

void armDesktopGuard()
{
    armed = true;
    for (int signal : guardedSignals)
        std::signal(signal, onFatalSignal);
    std::terminate_handler previous = std::set_terminate(onTerminate);
    if (previous != onTerminate)
        previousTerminate = previous;
#ifdef _WIN32
    const LPTOP_LEVEL_EXCEPTION_FILTER replaced = SetUnhandledExceptionFilter(onUnhandledException);
    if (replaced != onUnhandledException)
        previousFilter = replaced;
#endif
}

void disarmDesktopGuard()
{
    armed = false;
}

} // namespace platform
