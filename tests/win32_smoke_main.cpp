// Linked by the cross build only: proves the Windows desktop layer compiles and links.
#include "platform/DesktopGuard.h"
#include "platform/NativeOs.h"

#include <cstdio>

int main()
{
    const auto os = platform::createNativeOs();
    platform::install(os.get());
    const platform::WindowHandle taskbar = os->findTaskbar();
    platform::armDesktopGuard(taskbar);
    std::printf("tick %u, counter %s\n", static_cast<unsigned>(os->tickCount()),
                os->performanceCounter() ? "available" : "missing");
    platform::disarmDesktopGuard();
    return 0;
}
