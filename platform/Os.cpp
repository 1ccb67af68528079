#include "platform/Os.h"

#include <algorithm>
#include <cassert>

namespace platform {

namespace {
Os *installed = nullptr;
}

bool Os::taskbarShown()
{
    bool shown = false;
    eachTaskbar([&](WindowHandle taskbar) { shown = shown || isTaskbarShown(taskbar); });
    return shown;
}

std::size_t Os::taskbarCount()
{
    std::size_t count = 0;
    eachTaskbar([&](WindowHandle) { ++count; });
    return count;
}

void Os::hideTaskbars()
{
    eachTaskbar([this](WindowHandle taskbar) { setTaskbarShown(taskbar, false); });
}

void Os::takeTaskbars()
{
    hiddenBeforeCount = 0;
    eachTaskbar([this](WindowHandle taskbar) {
        if (!isTaskbarShown(taskbar))
            hiddenBefore[hiddenBeforeCount++] = taskbar;
    });
    hideTaskbars();
}

void Os::showTaskbars()
{
    const WindowHandle *hiddenBegin = hiddenBefore, *hiddenEnd = hiddenBefore + hiddenBeforeCount;
    eachTaskbar([&](WindowHandle taskbar) {
        if (std::find(hiddenBegin, hiddenEnd, taskbar) == hiddenEnd)
            setTaskbarShown(taskbar, true);
    });
}

bool Os::bringToFront(WindowHandle window)
{
    // Without the sharing the request may still be granted, e.g. once the foreground lock has
    // timed out.
    const std::optional<AttachToken> token = foregroundHung() ? std::nullopt : attachForegroundInput();
    if (!token)
        return raiseWindow(window);
    struct Detach {
        Os &os;
        AttachToken token;
        ~Detach() { os.detachForegroundInput(token); }
    } detach{*this, *token};
    return raiseWindow(window);
}

Os &os()
{
    assert(installed && "platform::install() must run before the first window is created");
    return *installed;
}

void install(Os *implementation)
{
    installed = implementation;
}

} // namespace platform
