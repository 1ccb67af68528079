#include "common/Application.h"
#include "platform/NativeOs.h"
#include "results/Betrachter.h"
#include "results/LatPraef.h"
#include "task/TamriUnit.h"

int main(int argc, char *argv[])
{
    common::Application application(argc, argv);
    common::registerFonts();
    const auto os = platform::createNativeOs();
    platform::install(os.get());

    using namespace TamriUnit;
    tamriForm = new TtamriForm;
    lpForm = new TlpForm(tamriForm);
    datenbetrachter = new Tdatenbetrachter(tamriForm);
    tamriForm->showFullScreen();
    const int exitCode = application.exec();
    delete tamriForm;
    return exitCode;
}
