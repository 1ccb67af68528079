#include "common/Application.h"
#include "tests/TestSupport.h"

#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (platform.isEmpty() || platform == "offscreen")
        qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" TAMRI_SOURCE_DIR "/tests/two_screens.json");
    // A desktop that scales, as KDE exports it: the program must keep to the display's pixels.
    qputenv("QT_SCALE_FACTOR", "1.25");
    qputenv("QT_SCREEN_SCALE_FACTORS", "primary=1.5;second=2");
    // An examiner's German desktop, for Qt's own texts (the locale of the formats is set apart).
    qputenv("LANGUAGE", "de");
    common::Application application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    testsupport::installFakeDesktop();
    return RUN_ALL_TESTS();
}
