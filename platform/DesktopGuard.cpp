#include "platform/DesktopGuard.h"

#include <atomic>
#include <csignal>
#include <cstdlib>
#include <exception>

namespace platform {

namespace {

std::atomic<WindowHandle> guardedTaskbar{0};
std::atomic<bool> armed{false};
std::terminate_handler previousTerminate = nullptr;

#ifdef _WIN32
constexpr int guardedSignals[] = {SIGINT, SIGTERM, SIGABRT};
#else
constexpr int guardedSignals[] = {SIGINT, SIGTERM, SIGABRT, SIGHUP};
#endif

void restoreDesktop()
{
    if (armed.exchange(false))
        os().showWindow(guardedTaskbar.load());
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

} // namespace

void armDesktopGuard(WindowHandle taskbar)
{
    guardedTaskbar = taskbar;
    armed = true;
    for (int signal : guardedSignals)
        std::signal(signal, onFatalSignal);
    std::terminate_handler previous = std::set_terminate(onTerminate);
    if (previous != onTerminate)
        previousTerminate = previous;
}

void disarmDesktopGuard()
{
    armed = false;
}

} // namespace platform
