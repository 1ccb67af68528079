#include "platform/FakeOs.h"

#include <cstdio>
#include <stdexcept>

namespace platform {

WindowHandle FakeOs::findTaskbar()
{
    calls.push_back("find");
    return hasTaskbar ? taskbarHandle : 0;
}

void FakeOs::hideTaskbars()
{
    calls.push_back("hide taskbars");
    taskbarVisible = false;
}

void FakeOs::showTaskbars()
{
    calls.push_back("show taskbars");
    taskbarVisible = true;
    if (reportShowToStderr)
        std::fprintf(stderr, "%s\n", calls.back().c_str());
}

std::optional<Os::AttachToken> FakeOs::attachForegroundInput()
{
    calls.push_back("attach");
    return frontRefuses ? std::nullopt : std::optional<AttachToken>(1);
}

bool FakeOs::raiseWindow(WindowHandle window)
{
    calls.push_back("raise");
    lastRaised = window;
    if (raiseThrows)
        throw std::runtime_error("raise refused");
    if (frontRefuses)
        return false;
    foreignForeground = false;
    return true;
}

void FakeOs::detachForegroundInput(AttachToken)
{
    calls.push_back("detach");
}

} // namespace platform
