#include "common/Application.h"
#include "tests/TestSupport.h"

#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    common::Application application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    testsupport::installFakeDesktop();
    return RUN_ALL_TESTS();
}
