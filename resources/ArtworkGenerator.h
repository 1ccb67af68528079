#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QString>

// Draws and encodes the embedded pictures. Only tamri_artgen and the tests use it; the program
// carries the files it wrote.
namespace ArtworkGenerator {

// Throws std::runtime_error when the letter face cannot be loaded.
QImage drawStimulusSheet();
QImage drawInstructionPicture();
QImage drawProgramIcon();

QByteArray encodeDib(const QImage &image);
QByteArray encodeJpeg(const QImage &image, int quality = 90);
QByteArray encodePng(const QImage &image);
QByteArray encodeIco(const QImage &image);

struct Artwork {
    QString fileName;
    QByteArray bytes;
};
// stimulus_sheet.dib, instruction.jpg, tamri_icon.png, tamri.ico
QList<Artwork> generateAll();
// Throws std::runtime_error when a file cannot be written.
void writeAll(const QString &folder);

} // namespace ArtworkGenerator
