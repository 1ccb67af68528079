#include "platform/FakeOs.h"

#include <cstdio>
#include <stdexcept>

namespace platform {

WindowHandle FakeOs::findTaskbar()
{
    calls.push_back("find");
    return hasTaskbar ? taskbarHandle : 0;
}

void FakeOs::hideWindow(WindowHandle window)
{
    calls.push_back("hide " + std::to_string(window));
}

void FakeOs::showWindow(WindowHandle window)
{
    calls.push_back("show " + std::to_string(window));
    if (reportShowToStderr)
        std::fprintf(stderr, "%s\n", calls.back().c_str());
}

Os::AttachToken FakeOs::attachForegroundInput()
{
    calls.push_back("attach");
    return 1;
}

void FakeOs::raiseWindow(WindowHandle)
{
    calls.push_back("raise");
    if (raiseThrows)
        throw std::runtime_error("raise refused");
}

void FakeOs::detachForegroundInput(AttachToken)
{
    calls.push_back("detach");
}

} // namespace platform
