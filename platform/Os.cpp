#include "platform/Os.h"

#include <cassert>

namespace platform {

namespace {
Os *installed = nullptr;
}

void Os::bringToFront(WindowHandle window)
{
    struct Detach {
        Os &os;
        AttachToken token;
        ~Detach() { os.detachForegroundInput(token); }
    } detach{*this, attachForegroundInput()};
    raiseWindow(window);
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
