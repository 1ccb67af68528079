#include "check/TpruefForm.h"
#include "common/Application.h"
#include "platform/NativeOs.h"

#include <QTimer>

int main(int argc, char *argv[])
{
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
