#pragma once

#include "platform/Os.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace platform {

// Records what the program asks of the desktop and serves a tick the test controls. The
// tick can also move by itself, as a real clock runs on while the program works: by
// `msPerRead` after every reading and by `msPerPaint` whenever a window paints.
class FakeOs : public Os {
public:
    static constexpr WindowHandle taskbarHandle = 0x7a5c;

    std::vector<std::string> calls;   // "find", "hide taskbars", "show taskbars", "attach", "raise", "detach"
    // Each taskbar and whether it is shown. What another program has done to the desktop: shown
    // a taskbar, or come in front (until the next raise).
    std::map<WindowHandle, bool> taskbars;
    bool foreignForeground = false;
    WindowHandle lastRaised = 0;
    bool raiseThrows = false;
    // The window in front hangs, or refuses the sharing of its input and the front as an
    // elevated window does.
    bool frontHung = false;
    bool frontRefuses = false;
    // The shell does not hide its taskbars when asked.
    bool taskbarsStayShown = false;
    // The window the pointer is kept on, 0 when free; the display kept on; a dialog that
    // disables the window it belongs to, by that window.
    WindowHandle pointerConfinedTo = 0;
    bool displayKeptOn = false;
    std::map<WindowHandle, WindowHandle> popups;
    std::uint32_t tick = 0;
    std::uint32_t msPerRead = 0;
    std::uint32_t msPerPaint = 0;
    std::vector<std::uint32_t> readings;
    int paints = 0;
    std::optional<std::uint64_t> counter = 0x1234'5678'9abc'def0ULL;
    std::function<void()> onTickRead;
    // For tests in a child process that ends by a signal: its calls cannot be read back.
    bool reportShowToStderr = false;

    FakeOs() { taskbars.emplace(taskbarHandle, true); }

    WindowHandle findTaskbar() override
    {
        calls.push_back("find");
        return taskbars.count(taskbarHandle) ? taskbarHandle : 0;
    }
    void hideTaskbars() override;
    void showTaskbars() override;
    bool inForeground() override { return !foreignForeground; }
    std::uint32_t tickCount() override
    {
        if (onTickRead)
            onTickRead();
        const std::uint32_t now = tick;
        readings.push_back(now);
        tick += msPerRead;
        return now;
    }
    // Called by the tests' hook on every paint event of a window.
    void painted()
    {
        ++paints;
        tick += msPerPaint;
    }
    std::optional<std::uint64_t> performanceCounter() override { return counter; }
    std::uint64_t counterFrequency() override { return 10'000'000; }
    bool confinePointer(WindowHandle window) override
    {
        pointerConfinedTo = window;
        return true;
    }
    void freePointer() override { pointerConfinedTo = 0; }
    void freePointerAtExit() override;
    bool keepDisplayOn(bool on) override
    {
        displayKeptOn = on;
        return true;
    }
    WindowHandle enabledPopup(WindowHandle window) override
    {
        return popups.count(window) ? popups.at(window) : window;
    }

protected:
    std::size_t listTaskbars(WindowHandle *into, std::size_t room) override;
    bool isTaskbarShown(WindowHandle taskbar) override { return taskbars.at(taskbar); }
    void setTaskbarShown(WindowHandle taskbar, bool shown) override
    {
        taskbars.at(taskbar) = shown || taskbarsStayShown;
    }
    bool foregroundHung() override { return frontHung; }
    std::optional<AttachToken> attachForegroundInput() override
    {
        calls.push_back("attach");
        return frontRefuses ? std::nullopt : std::optional<AttachToken>(1);
    }
    bool raiseWindow(WindowHandle window) override;
    void detachForegroundInput(AttachToken) override { calls.push_back("detach"); }
};

} // namespace platform
