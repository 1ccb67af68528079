#include "common/Application.h"
#include "tests/TestSupport.h"

#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (platform.isEmpty() || platform == "offscreen")
        qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" TAMRI_SOURCE_DIR "/tests/two_screens.json");
    common::Application application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    testsupport::installFakeDesktop();
    return RUN_ALL_TESTS();
}
