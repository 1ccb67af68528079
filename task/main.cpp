#include "common/Application.h"
#include "platform/NativeOs.h"
#include "results/Betrachter.h"
#include "results/LatPraef.h"
#include "task/TamriUnit.h"

int main(int argc, char *argv[])
{
    // A native Wayland client can neither keep itself in front nor place its windows, so X11
    // (XWayland on a Wayland desktop) comes first and Wayland only where there is no X server.
    // A platform the user names wins.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "xcb;wayland");
    common::Application application(argc, argv);
    common::registerFonts();
    const auto os = platform::createNativeOs();
    platform::install(os.get());

    using namespace TamriUnit;
    tamriForm = new TtamriForm;
    lpForm = new TlpForm(tamriForm);
    datenbetrachter = new Tdatenbetrachter(tamriForm);
    tamriForm->setScreen(QGuiApplication::primaryScreen());
    tamriForm->showFullScreen();
    const int exitCode = application.exec();
    delete tamriForm;
    return exitCode;
}
