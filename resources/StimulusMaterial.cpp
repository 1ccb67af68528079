#include "resources/StimulusMaterial.h"
#include "resources/JpegErrors.h"

#include <QFile>
#include <QtEndian>

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

namespace {

[[noreturn]] void fail(const QString &message)
{
    throw StimulusMaterial::MaterialError(message.toStdString());
}

QByteArray embeddedFile(const QString &name)
{
    QFile file(QStringLiteral(":/tamri/") + name);
    if (!file.open(QIODevice::ReadOnly))
        fail(QStringLiteral("Die eingebettete Datei %1 fehlt im Programm").arg(name));
    return file.readAll();
}

// ---- DIB ----

quint16 u16(QByteArrayView bytes, qsizetype at)
{
    return qFromLittleEndian<quint16>(bytes.data() + at);
}

quint32 u32(QByteArrayView bytes, qsizetype at)
{
    return qFromLittleEndian<quint32>(bytes.data() + at);
}

void failDib(const QString &why)
{
    fail(QStringLiteral("Das Stimulusbild (DIB) ist unbrauchbar: ") + why);
}

// ---- JPEG ----

// A warning means damaged data (e.g. the end of a truncated file, which libjpeg would pad with
// grey); trace messages are dropped instead of going to stderr.
void jpegMessage(j_common_ptr info, int level)
{
    if (level < 0)
        jpegErrorExit(info);
}

// Everything between setjmp and a libjpeg error lives in the caller or in libjpeg, so the
// longjmp skips no destructor.
bool runDecoder(jpeg_decompress_struct *info, JpegErrors *errors, const uchar *data,
                unsigned long size, QImage *image)
{
    if (setjmp(errors->jump))
        return false;
    jpeg_create_decompress(info);
    jpeg_mem_src(info, data, size);
    jpeg_read_header(info, TRUE);
    info->out_color_space = JCS_RGB;
    jpeg_start_decompress(info);
    *image = QImage(int(info->output_width), int(info->output_height), QImage::Format_RGB888);
    if (image->isNull() || info->output_components != 3) {
        std::snprintf(errors->message, sizeof errors->message, "cannot hold %ux%u pixels",
                      info->output_width, info->output_height);
        return false;
    }
    while (info->output_scanline < info->output_height) {
        JSAMPROW row = image->scanLine(int(info->output_scanline));
        jpeg_read_scanlines(info, &row, 1);
    }
    jpeg_finish_decompress(info);
    return true;
}

} // namespace

// Q_INIT_RESOURCE must not be used inside a namespace.
static void initEmbeddedFiles()
{
    Q_INIT_RESOURCE(tamri);
}

namespace StimulusMaterial {

QImage sheetFromDib(QByteArrayView bytes)
{
    constexpr qsizetype headerSize = 40;
    constexpr qint32 maxSide = 16384;
    if (bytes.size() < headerSize)
        failDib(QStringLiteral("nur %1 Bytes, der Kopf allein hat 40").arg(bytes.size()));
    if (u32(bytes, 0) != headerSize)
        failDib(QStringLiteral("Kopfgröße %1 statt 40").arg(u32(bytes, 0)));
    const auto width = qint32(u32(bytes, 4));
    const auto height = qint32(u32(bytes, 8));
    if (u16(bytes, 12) != 1)
        failDib(QStringLiteral("%1 Ebenen statt 1").arg(u16(bytes, 12)));
    if (u16(bytes, 14) != 24)
        failDib(QStringLiteral("%1 Bit je Pixel statt 24").arg(u16(bytes, 14)));
    if (u32(bytes, 16) != 0)
        failDib(QStringLiteral("komprimiert (Verfahren %1)").arg(u32(bytes, 16)));
    if (u32(bytes, 32) != 0)
        failDib(QStringLiteral("unerwartete Farbtabelle"));
    if (width <= 0 || width > maxSide || height == 0 || height > maxSide || height < -maxSide)
        failDib(QStringLiteral("unmögliche Größe %1 x %2").arg(width).arg(height));

    // A positive height means the rows are stored bottom-up.
    const bool bottomUp = height > 0;
    const int rowCount = bottomUp ? height : -height;
    const qsizetype stride = (qsizetype(width) * 3 + 3) / 4 * 4;
    const qsizetype pixelBytes = stride * rowCount;
    const quint32 declared = u32(bytes, 20);
    if (declared != 0 && declared != pixelBytes)
        failDib(QStringLiteral("Bildgröße %1 statt %2 Bytes angegeben").arg(declared).arg(pixelBytes));
    if (bytes.size() != headerSize + pixelBytes)
        failDib(QStringLiteral("%1 statt %2 Bytes").arg(bytes.size()).arg(headerSize + pixelBytes));

    QImage image(width, rowCount, QImage::Format_RGB888);
    if (image.isNull())
        failDib(QStringLiteral("kein Speicher für %1 x %2 Pixel").arg(width).arg(rowCount));
    for (int y = 0; y < rowCount; ++y) {
        const auto *bgr = reinterpret_cast<const uchar *>(bytes.data())
            + headerSize + stride * (bottomUp ? rowCount - 1 - y : y);
        uchar *rgb = image.scanLine(y);
        for (int x = 0; x < width; ++x) {
            rgb[3 * x] = bgr[3 * x + 2];
            rgb[3 * x + 1] = bgr[3 * x + 1];
            rgb[3 * x + 2] = bgr[3 * x];
        }
    }
    return image;
}

QImage stimulusSheet()
{
    initEmbeddedFiles();
    QImage sheet = sheetFromDib(embeddedFile(QStringLiteral("stimulus_sheet.dib")));
    if (sheet.size() != QSize(sheetWidth, sheetHeight))
        failDib(QStringLiteral("%1 x %2 statt %3 x %4 Pixel")
                    .arg(sheet.width()).arg(sheet.height()).arg(sheetWidth).arg(sheetHeight));
    return sheet;
}

QImage decodeJpeg(QByteArrayView bytes)
{
    if (bytes.isEmpty())
        fail(QStringLiteral("Das JPEG-Bild ist leer"));
    jpeg_decompress_struct info{};
    JpegErrors errors{};
    info.err = jpeg_std_error(&errors.manager);
    errors.manager.error_exit = jpegErrorExit;
    errors.manager.emit_message = jpegMessage;
    QImage image;
    const bool done = runDecoder(&info, &errors, reinterpret_cast<const uchar *>(bytes.data()),
                                 static_cast<unsigned long>(bytes.size()), &image);
    jpeg_destroy_decompress(&info);
    if (!done)
        fail(QStringLiteral("Das JPEG-Bild ist unlesbar: ") + QString::fromLocal8Bit(errors.message));
    return image;
}

QImage instructionPicture()
{
    initEmbeddedFiles();
    return decodeJpeg(embeddedFile(QStringLiteral("instruction.jpg")));
}

QIcon programIcon()
{
    initEmbeddedFiles();
    return QIcon(QStringLiteral(":/tamri/tamri_icon.png"));
}

} // namespace StimulusMaterial
