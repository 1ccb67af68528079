#include "common/Application.h"
#include "platform/NativeOs.h"
#include "task/TamriUnit.h"

int main(int argc, char *argv[])
{
    // A native Wayland client can neither keep itself in front nor place its windows, so X11
    // (XWayland on a Wayland desktop) comes first and Wayland only where there is no X server.
    // A platform the user names wins. Windows has only its own.
#ifndef _WIN32
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "xcb;wayland");
#endif
    common::Application application(argc, argv);
    const auto os = platform::createNativeOs();
    TamriUnit::startProgram(*os);
    return TamriUnit::runProgram();
}
