#include "resources/ArtworkGenerator.h"

#include <QGuiApplication>

#include <cstdio>
#include <exception>

// Rewrites the embedded pictures: tamri_artgen [folder]
int main(int argc, char **argv)
{
    // The committed files must match what the tests draw, and they draw offscreen.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(TAMRI_RESOURCES_DIR);
    try {
        ArtworkGenerator::writeAll(folder);
    } catch (const std::exception &error) {
        std::fprintf(stderr, "tamri_artgen: %s\n", error.what());
        return 1;
    }
    std::printf("artwork written to %s\n", qPrintable(folder));
    return 0;
}
