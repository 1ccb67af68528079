#include "platform/FakeOs.h"

#include <cstdio>
#include <stdexcept>

namespace platform {

void FakeOs::hideTaskbars()
{
    calls.push_back("hide taskbars");
    Os::hideTaskbars();
}

void FakeOs::showTaskbars()
{
    calls.push_back("show taskbars");
    Os::showTaskbars();
    if (reportShowToStderr)
        std::fprintf(stderr, "%s\n", calls.back().c_str());
}

void FakeOs::freePointerAtExit()
{
    pointerConfinedTo = 0;
    if (reportShowToStderr)
        std::fprintf(stderr, "free pointer\n");
}

std::size_t FakeOs::listTaskbars(WindowHandle *into, std::size_t room)
{
    std::size_t count = 0;
    for (auto it = taskbars.begin(); it != taskbars.end() && count < room; ++it)
        into[count++] = it->first;
    return count;
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

} // namespace platform
