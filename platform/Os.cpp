#include "platform/Os.h"

#include <algorithm>
#include <cassert>

namespace platform {

namespace {
Os *installed = nullptr;
}

bool Os::taskbarShown()
{
    WindowHandle taskbars[maxTaskbars];
    const std::size_t count = listTaskbars(taskbars, maxTaskbars);
    return std::any_of(taskbars, taskbars + count, [this](WindowHandle taskbar) { return isTaskbarShown(taskbar); });
}

void Os::hideTaskbars()
{
    WindowHandle taskbars[maxTaskbars];
    const std::size_t count = listTaskbars(taskbars, maxTaskbars);
    for (std::size_t i = 0; i < count; ++i)
        setTaskbarShown(taskbars[i], false);
}

void Os::takeTaskbars()
{
    WindowHandle taskbars[maxTaskbars];
    const std::size_t count = listTaskbars(taskbars, maxTaskbars);
    hiddenBeforeCount = 0;
    for (std::size_t i = 0; i < count; ++i)
        if (!isTaskbarShown(taskbars[i]))
            hiddenBefore[hiddenBeforeCount++] = taskbars[i];
    hideTaskbars();
}

void Os::showTaskbars()
{
    WindowHandle taskbars[maxTaskbars];
    const std::size_t count = listTaskbars(taskbars, maxTaskbars);
    for (std::size_t i = 0; i < count; ++i)
        if (std::find(hiddenBefore, hiddenBefore + hiddenBeforeCount, taskbars[i]) == hiddenBefore + hiddenBeforeCount)
            setTaskbarShown(taskbars[i], true);
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
