#include "check/TpruefForm.h"
#include "common/Application.h"
#include "platform/NativeOs.h"

#include <QTimer>

int main(int argc, char *argv[])
{
    // The same platform choice as the test's, so that the check sees what the test will see.
#ifndef _WIN32
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "xcb;wayland");
#endif
    common::Application application(argc, argv);
    const auto os = platform::createNativeOs();
    platform::install(os.get());
    int exitCode = 0;
    {
        TpruefForm form;
        form.showFullScreen();
        QTimer::singleShot(0, &form, &TpruefForm::runChecks);
        exitCode = QApplication::exec();
    }
    platform::install(nullptr);
    return exitCode;
}
