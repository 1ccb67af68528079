#include "resources/ArtworkGenerator.h"

#include "resources/StimulusMaterial.h"
#include "resources/JpegErrors.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QPainter>
#include <QPainterPath>
#include <QRawFont>
#include <QtEndian>
#include <QtMath>

#include <csetjmp>
#include <cstdlib>
#include <stdexcept>

#include <jpeglib.h>

namespace {

const QString letterFace = QStringLiteral("/usr/share/wine/fonts/tahomabd.ttf");

const QColor lightBlue(110, 195, 255);
const QColor brown(150, 85, 35);
const QColor lavender(190, 160, 240);
const QColor orange(255, 135, 0);
const QColor yellow(255, 235, 0);
const QColor grey(150, 150, 150);
const QColor orangeYellow(255, 178, 0);
const QColor green(0, 155, 60);
const QColor red(230, 30, 30);
const QColor blue(20, 60, 220);
const QColor pink(255, 140, 200);
const QColor yellowGreen(175, 225, 30);
const QColor limeGreen(110, 230, 40);

// ---- shapes, in coordinates around the tile centre ----

QPainterPath centred(QPainterPath path)
{
    const QPointF middle = path.boundingRect().center();
    return path.translated(-middle);
}

QPainterPath polygonPath(const QList<QPointF> &points)
{
    QPainterPath path;
    path.addPolygon(QPolygonF(points));
    path.closeSubpath();
    return path;
}

// Vertex 0 sits at `startDegrees`, measured clockwise from "up"; odd vertices use `inner`.
QPainterPath starPath(int vertices, qreal outer, qreal inner, qreal startDegrees = 0)
{
    QList<QPointF> points;
    for (int i = 0; i < vertices; ++i) {
        const qreal angle = qDegreesToRadians(startDegrees + 360.0 * i / vertices);
        const qreal radius = (i % 2 == 0) ? outer : inner;
        points << QPointF(radius * qSin(angle), -radius * qCos(angle));
    }
    return polygonPath(points);
}

QPainterPath regularPolygon(int corners, qreal radius, qreal startDegrees = 0)
{
    return starPath(corners, radius, radius, startDegrees);
}

QPainterPath arrowRight(qreal length, qreal shaft, qreal head, qreal headLength)
{
    const qreal x0 = -length / 2, x1 = length / 2, neck = x1 - headLength;
    return polygonPath({{x0, -shaft / 2}, {neck, -shaft / 2}, {neck, -head / 2}, {x1, 0},
                        {neck, head / 2}, {neck, shaft / 2}, {x0, shaft / 2}});
}

QPainterPath ellipsePath(qreal cx, qreal cy, qreal rx, qreal ry)
{
    QPainterPath path;
    path.addEllipse(QPointF(cx, cy), rx, ry);
    return path;
}

void outlined(QPainter &p, const QPainterPath &path, const QColor &fill, qreal width = 2,
              const QColor &line = Qt::black)
{
    p.setPen(QPen(line, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(fill);
    p.drawPath(path);
}

class Letters {
public:
    Letters() : font(letterFace, 200, QFont::PreferNoHinting)
    {
        if (!font.isValid())
            throw std::runtime_error(("cannot load the letter face " + letterFace).toStdString());
    }

    // The glyph outline scaled to fill a box of at most `width` x `height`, centred on (0, 0).
    QPainterPath glyph(QChar c, qreal width = 72, qreal height = 63) const
    {
        const QList<quint32> indexes = font.glyphIndexesForString(QString(c));
        QPainterPath path = indexes.isEmpty() ? QPainterPath() : font.pathForGlyph(indexes.first());
        const QRectF box = path.boundingRect();
        if (box.isEmpty())
            throw std::runtime_error("the letter face has no outline for " + QString(c).toStdString());
        const qreal scale = qMin(width / box.width(), height / box.height());
        return centred(QTransform::fromScale(scale, scale).map(path));
    }

private:
    QRawFont font;
};

void drawSymbol(QPainter &p, int tile, const Letters &letters)
{
    // The face is too light for a search target: thicken each stroke, then rim it in black.
    auto letter = [&](QChar c, const QColor &colour) {
        const QPainterPath glyph = letters.glyph(c);
        p.strokePath(glyph, QPen(Qt::black, 8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.fillPath(glyph, colour);
        p.strokePath(glyph, QPen(colour, 4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    };
    switch (tile) {
    case 0: outlined(p, centred(regularPolygon(5, 37)), lightBlue); break;
    case 1: outlined(p, polygonPath({{0, -33}, {38, 33}, {-38, 33}}), brown); break;
    case 2: outlined(p, polygonPath({{0, -27}, {38, 0}, {0, 27}, {-38, 0}}), lavender); break;
    case 3: outlined(p, centred(starPath(10, 39, 15.5)), orange); break;
    case 4: outlined(p, starPath(8, 34, 12), yellow); break;
    case 5: outlined(p, polygonPath({{-29, -29}, {29, -29}, {29, 29}, {-29, 29}}), lavender); break;
    case 6: {
        QPainterPath ring = regularPolygon(6, 38, 90);
        ring.addPath(regularPolygon(6, 16, 90));
        outlined(p, ring, brown);
        break;
    }
    case 7: outlined(p, arrowRight(76, 24, 56, 30), grey); break;
    case 8: outlined(p, QTransform().rotate(180).map(arrowRight(76, 24, 56, 30)), orangeYellow); break;
    case 9: outlined(p, ellipsePath(0, 0, 32, 32), yellow); break;
    case 10: outlined(p, QTransform().rotate(90).map(arrowRight(66, 24, 56, 28)), Qt::white); break;
    case 11: outlined(p, QTransform().rotate(-90).map(arrowRight(66, 24, 56, 28)), grey); break;
    case 12: outlined(p, polygonPath({{-34, -32}, {34, 32}, {-34, 32}}), yellow); break;
    case 13:
        p.setPen(QPen(green, 4));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPointF(0, 0), 19, 32);
        p.drawEllipse(QPointF(0, 0), 37, 17);
        break;
    case 14: letter('A', lightBlue); break;
    case 15: letter('O', orange); break;
    case 16: letter('E', grey); break;
    case 18: letter('M', brown); break;
    case 19: letter('B', yellow); break;
    case 20: letter('U', lavender); break;
    case 21: letter('K', lightBlue); break;
    case 22: letter('G', yellow); break;
    case 23: letter('W', lavender); break;
    case 24: letter('S', grey); break;
    case 25: letter('Z', orange); break;
    case 26: letter('T', lightBlue); break;
    case 27:
        outlined(p, polygonPath({{-36, 0}, {-16, -22}, {-16, -9}, {16, -9}, {16, -22}, {36, 0},
                                 {16, 22}, {16, 9}, {-16, 9}, {-16, 22}}),
                 yellow, 5);
        break;
    case 28: {
        outlined(p, ellipsePath(0, 0, 36, 23), red);
        p.setPen(QPen(blue, 5, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(-27, -30), QPointF(27, 30));
        p.drawLine(QPointF(-27, 30), QPointF(27, -30));
        break;
    }
    case 29: letter('2', brown); break;
    case 30: letter('3', lavender); break;
    case 31: {
        const QPainterPath star = starPath(12, 44, 44 / qSqrt(3));
        outlined(p, QTransform::fromScale(38 / 38.1, 0.62).map(star), lightBlue, 2.5, blue);
        break;
    }
    case 32: letter('5', brown); break;
    case 33: {
        QPainterPath funnel;
        funnel.moveTo(-34, -24);
        funnel.cubicTo(-30, -6, -10, 2, -6, 10);
        funnel.lineTo(-5, 22);
        funnel.lineTo(5, 22);
        funnel.lineTo(6, 10);
        funnel.cubicTo(10, 2, 30, -6, 34, -24);
        funnel.closeSubpath();
        outlined(p, funnel, pink);
        outlined(p, ellipsePath(0, -24, 34, 7), pink);
        outlined(p, ellipsePath(0, 28, 6.5, 6.5), yellowGreen);
        break;
    }
    case 34: {
        const QList<QPointF> centres = {{-13, -12}, {13, -12}, {-13, 12}, {13, 12}};
        p.setPen(Qt::NoPen);
        p.setBrush(limeGreen);
        for (const QPointF &c : centres)
            p.drawEllipse(c, 21, 21);
        p.setPen(QPen(Qt::black, 2));
        p.setBrush(Qt::NoBrush);
        for (const QPointF &c : centres)
            p.drawEllipse(c, 21, 21);
        break;
    }
    default: break;
    }
}

// ---- instruction picture ----

using Figure = void (*)(QPainter &);

void duck(QPainter &p)
{
    outlined(p, polygonPath({{18, 2}, {32, -6}, {26, 12}}), Qt::white);
    outlined(p, ellipsePath(4, 10, 22, 13), Qt::white);
    outlined(p, polygonPath({{-22, -13}, {-35, -9}, {-22, -4}}), Qt::white);
    outlined(p, ellipsePath(-13, -10, 10, 10), Qt::white);
    p.setBrush(Qt::black);
    p.drawEllipse(QPointF(-15, -12), 2, 2);
    QPainterPath wing;
    wing.moveTo(-4, 6);
    wing.quadTo(8, 20, 20, 4);
    p.setBrush(Qt::NoBrush);
    p.drawPath(wing);
}

void ape(QPainter &p)
{
    outlined(p, ellipsePath(-24, -2, 8, 8), Qt::black);
    outlined(p, ellipsePath(24, -2, 8, 8), Qt::black);
    outlined(p, ellipsePath(0, -2, 23, 24), Qt::black);
    const QPainterPath face = ellipsePath(-8, -7, 9, 9).united(ellipsePath(8, -7, 9, 9))
                                  .united(ellipsePath(0, 9, 15, 11));
    outlined(p, face, Qt::white);
    p.setBrush(Qt::black);
    p.drawEllipse(QPointF(-8, -7), 2.5, 2.5);
    p.drawEllipse(QPointF(8, -7), 2.5, 2.5);
    p.drawEllipse(QPointF(-3, 5), 1.5, 1.5);
    p.drawEllipse(QPointF(3, 5), 1.5, 1.5);
    QPainterPath mouth;
    mouth.moveTo(-7, 12);
    mouth.quadTo(0, 17, 7, 12);
    p.setBrush(Qt::NoBrush);
    p.drawPath(mouth);
}

void pig(QPainter &p)
{
    outlined(p, polygonPath({{-22, -12}, {-24, -30}, {-8, -20}}), Qt::white);
    outlined(p, polygonPath({{22, -12}, {24, -30}, {8, -20}}), Qt::white);
    outlined(p, ellipsePath(0, 2, 25, 21), Qt::white);
    outlined(p, ellipsePath(0, 9, 11, 7.5), Qt::white);
    p.setBrush(Qt::black);
    p.drawEllipse(QPointF(-4, 9), 2, 3);
    p.drawEllipse(QPointF(4, 9), 2, 3);
    p.drawEllipse(QPointF(-10, -6), 2.5, 2.5);
    p.drawEllipse(QPointF(10, -6), 2.5, 2.5);
}

void fox(QPainter &p)
{
    outlined(p, polygonPath({{-22, -30}, {-8, -15}, {8, -15}, {22, -30}, {27, -4}, {16, 6},
                             {0, 26}, {-16, 6}, {-27, -4}}),
             Qt::white);
    outlined(p, polygonPath({{-19, -24}, {-11, -16}, {-19, -12}}), Qt::black);
    outlined(p, polygonPath({{19, -24}, {11, -16}, {19, -12}}), Qt::black);
    p.setBrush(Qt::black);
    p.drawEllipse(QPointF(-9, -4), 2.5, 2);
    p.drawEllipse(QPointF(9, -4), 2.5, 2);
    p.drawEllipse(QPointF(0, 22), 3.5, 3);
    p.drawLine(QPointF(-5, 4), QPointF(-1, 18));
    p.drawLine(QPointF(5, 4), QPointF(1, 18));
}

void goat(QPainter &p)
{
    QPainterPath horns;
    horns.moveTo(-6, -18);
    horns.cubicTo(-8, -30, -20, -34, -26, -26);
    horns.moveTo(6, -18);
    horns.cubicTo(8, -30, 20, -34, 26, -26);
    p.setPen(QPen(Qt::black, 4, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawPath(horns);
    outlined(p, QTransform().translate(-19, -10).rotate(20).map(ellipsePath(0, 0, 10, 4)), Qt::white);
    outlined(p, QTransform().translate(19, -10).rotate(-20).map(ellipsePath(0, 0, 10, 4)), Qt::white);
    outlined(p, polygonPath({{-6, 16}, {6, 16}, {0, 31}}), Qt::black);
    outlined(p, ellipsePath(0, -2, 12, 21), Qt::white);
    p.setBrush(Qt::black);
    p.drawEllipse(QPointF(-6, -7), 2, 2.5);
    p.drawEllipse(QPointF(6, -7), 2, 2.5);
    p.drawEllipse(QPointF(-3.5, 12), 1.3, 1.3);
    p.drawEllipse(QPointF(3.5, 12), 1.3, 1.3);
}

void squirrel(QPainter &p)
{
    QPainterPath tail;
    tail.moveTo(8, 26);
    tail.cubicTo(34, 26, 36, 0, 26, -12);
    tail.cubicTo(20, -20, 24, -30, 34, -28);
    tail.cubicTo(24, -36, 8, -30, 12, -12);
    tail.cubicTo(16, 2, 20, 14, 4, 18);
    tail.closeSubpath();
    outlined(p, tail, Qt::white);
    outlined(p, ellipsePath(-2, 10, 13, 17), Qt::white);
    outlined(p, polygonPath({{-10, -22}, {-6, -32}, {-2, -20}}), Qt::white);
    outlined(p, ellipsePath(-10, -13, 10, 9), Qt::white);
    p.setBrush(Qt::black);
    p.drawEllipse(QPointF(-12, -15), 2, 2);
    p.drawEllipse(QPointF(-19, -12), 1.5, 1.5);
    outlined(p, ellipsePath(-15, 6, 4, 5), Qt::black);
    p.drawLine(QPointF(-12, 26), QPointF(2, 26));
}

void sheep(QPainter &p)
{
    QPainterPath wool;
    for (int i = 0; i < 10; ++i) {
        const qreal angle = qDegreesToRadians(36.0 * i);
        wool = wool.united(ellipsePath(4 + 19 * qCos(angle), 2 + 10 * qSin(angle), 8, 8));
    }
    wool = wool.united(ellipsePath(4, 2, 20, 11));
    p.setPen(QPen(Qt::black, 4, Qt::SolidLine, Qt::RoundCap));
    for (qreal x : {-8.0, -2.0, 12.0, 18.0})
        p.drawLine(QPointF(x, 14), QPointF(x, 28));
    outlined(p, wool, Qt::white);
    outlined(p, QTransform().translate(-24, -6).rotate(-25).map(ellipsePath(0, 0, 7, 10)), Qt::black);
    outlined(p, QTransform().translate(-20, -15).rotate(-60).map(ellipsePath(0, 0, 6, 2.5)), Qt::black);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(-25, -9), 1.8, 1.8);
}

void fawn(QPainter &p)
{
    p.setPen(QPen(Qt::black, 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(-8, 10), QPointF(-10, 30));
    p.drawLine(QPointF(-1, 12), QPointF(0, 30));
    p.drawLine(QPointF(16, 10), QPointF(14, 30));
    p.drawLine(QPointF(22, 8), QPointF(25, 30));
    outlined(p, polygonPath({{-14, 2}, {-22, -18}, {-12, -22}, {-2, -2}}), Qt::white);
    outlined(p, ellipsePath(7, 3, 20, 11), Qt::white);
    outlined(p, polygonPath({{26, -4}, {33, -8}, {28, 2}}), Qt::white);
    outlined(p, QTransform().translate(-12, -30).rotate(30).map(ellipsePath(0, 0, 4, 9)), Qt::white);
    outlined(p, QTransform().translate(-22, -21).rotate(15).map(ellipsePath(0, 0, 10, 7)), Qt::white);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    p.drawEllipse(QPointF(-22, -23), 2, 2);
    p.drawEllipse(QPointF(-31, -19), 2, 2);
    for (const QPointF &spot : {QPointF(2, -2), QPointF(10, 0), QPointF(17, -3), QPointF(6, 6),
                                QPointF(14, 6)})
        p.drawEllipse(spot, 1.8, 1.8);
}

// ---- encoders ----

// Only plain C objects live in this frame, so the longjmp skips no destructor.
bool runEncoder(jpeg_compress_struct *info, JpegErrors *errors, const QImage *rgb, int quality,
                unsigned char **buffer, unsigned long *size)
{
    if (setjmp(errors->jump))
        return false;
    jpeg_create_compress(info);
    jpeg_mem_dest(info, buffer, size);
    info->image_width = JDIMENSION(rgb->width());
    info->image_height = JDIMENSION(rgb->height());
    info->input_components = 3;
    info->in_color_space = JCS_RGB;
    jpeg_set_defaults(info);
    jpeg_set_quality(info, quality, TRUE);
    info->write_JFIF_header = TRUE;
    info->JFIF_major_version = 1;
    info->JFIF_minor_version = 1;
    info->density_unit = 1;
    info->X_density = 72;
    info->Y_density = 72;
    jpeg_start_compress(info, TRUE);
    while (info->next_scanline < info->image_height) {
        auto row = const_cast<JSAMPROW>(rgb->constScanLine(int(info->next_scanline)));
        jpeg_write_scanlines(info, &row, 1);
    }
    jpeg_finish_compress(info);
    return true;
}

void putU16(QByteArray &out, quint16 value)
{
    char bytes[2];
    qToLittleEndian(value, bytes);
    out.append(bytes, 2);
}

void putU32(QByteArray &out, quint32 value)
{
    char bytes[4];
    qToLittleEndian(value, bytes);
    out.append(bytes, 4);
}

void putBitmapInfoHeader(QByteArray &out, int width, int height, int bits, quint32 imageSize,
                         qint32 pelsPerMetre)
{
    putU32(out, 40);
    putU32(out, quint32(width));
    putU32(out, quint32(height));
    putU16(out, 1);
    putU16(out, quint16(bits));
    putU32(out, 0);
    putU32(out, imageSize);
    putU32(out, quint32(pelsPerMetre));
    putU32(out, quint32(pelsPerMetre));
    putU32(out, 0);
    putU32(out, 0);
}

} // namespace

namespace ArtworkGenerator {

QImage drawStimulusSheet()
{
    using namespace StimulusMaterial;
    const Letters letters;
    QImage sheet(sheetWidth, sheetHeight, QImage::Format_RGB32);
    sheet.fill(Qt::white);
    QPainter p(&sheet);

    // Frame and ticks are placed on exact pixels, outside every tile square.
    const QColor ink = Qt::black;
    const int right = sheetWidth - 1, bottom = sheetHeight - 1, tick = 7;
    p.fillRect(1, 1, 1, bottom, ink);
    p.fillRect(right, 1, 1, bottom, ink);
    p.fillRect(1, 1, right, 1, ink);
    p.fillRect(1, bottom, right, 1, ink);
    for (int c = 0; c <= columns; ++c) {
        const int x = tileRect(c, 0, tileSize).left() - 1;
        p.fillRect(x, 1, 2, tick, ink);
        p.fillRect(x, bottom - tick + 1, 2, tick, ink);
    }
    for (int r = 0; r <= rows; ++r) {
        const int y = tileRect(0, r, tileSize).top() - 1;
        p.fillRect(1, y, tick, 2, ink);
        p.fillRect(right - tick + 1, y, tick, 2, ink);
    }

    p.setRenderHint(QPainter::Antialiasing);
    for (int tile = 0; tile < columns * rows; ++tile) {
        const QRectF square = tileRect(tile % columns, tile / columns, tileSize);
        p.save();
        p.translate(square.center());
        drawSymbol(p, tile, letters);
        p.restore();
    }
    p.end();
    return sheet.convertToFormat(QImage::Format_RGB888);
}

QImage drawInstructionPicture()
{
    const int width = 337, height = 328, band = 64, square = 74, gap = 10;
    const int boardLeft = (width - 3 * square - 2 * gap) / 2;
    const int boardTop = band + (height - band - 3 * square - 2 * gap) / 2;
    const Figure figures[9] = {duck, ape, pig, fox, duck, goat, squirrel, sheep, fawn};

    QImage picture(width, height, QImage::Format_RGB32);
    picture.fill(Qt::white);
    QPainter p(&picture);
    p.fillRect(0, band, width, height - band, QColor(70, 70, 70));
    p.setRenderHint(QPainter::Antialiasing);
    for (int i = 0; i < 9; ++i) {
        const QRectF cell(boardLeft + (i % 3) * (square + gap), boardTop + (i / 3) * (square + gap),
                          square, square);
        p.fillRect(cell, QColor(205, 205, 205));
        if (i == 4) {
            p.setPen(QPen(red, 4, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
            p.setBrush(Qt::NoBrush);
            p.drawRect(cell.adjusted(-3, -3, 3, 3));
        }
        p.save();
        p.translate(cell.center());
        figures[i](p);
        p.restore();
    }

    // The pointer names the sample's twin in the top-left corner.
    const qreal x = boardLeft + square / 2.0;
    outlined(p, QTransform().translate(x, band / 2.0 - 1).rotate(90).map(arrowRight(54, 16, 38, 22)),
             red, 2, QColor(90, 0, 0));
    p.end();
    return picture.convertToFormat(QImage::Format_RGB888);
}

QImage drawProgramIcon()
{
    QImage icon(32, 32, QImage::Format_ARGB32_Premultiplied);
    icon.fill(Qt::transparent);
    QPainter p(&icon);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor colours[3] = {QColor(30, 160, 60), QColor(30, 80, 210), QColor(215, 35, 35)};
    for (int i = 0; i < 3; ++i) {
        QPainterPath swirl;
        swirl.moveTo(0, -1);
        swirl.cubicTo(-2, -10, 6, -15, 13, -10);
        p.setTransform(QTransform().translate(16, 16).rotate(120 * i).scale(0.8, 0.8));
        p.setPen(QPen(colours[i], 5.5, Qt::SolidLine, Qt::RoundCap));
        p.drawPath(swirl);
    }
    p.end();
    return icon.convertToFormat(QImage::Format_ARGB32);
}

QByteArray encodeDib(const QImage &image)
{
    const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
    const int stride = (rgb.width() * 3 + 3) / 4 * 4;
    QByteArray out;
    out.reserve(40 + stride * rgb.height());
    putBitmapInfoHeader(out, rgb.width(), rgb.height(), 24, quint32(stride * rgb.height()), 3780);
    QByteArray row(stride, '\0');
    for (int y = rgb.height() - 1; y >= 0; --y) {
        const uchar *src = rgb.constScanLine(y);
        for (int x = 0; x < rgb.width(); ++x) {
            row[3 * x] = char(src[3 * x + 2]);
            row[3 * x + 1] = char(src[3 * x + 1]);
            row[3 * x + 2] = char(src[3 * x]);
        }
        out.append(row);
    }
    return out;
}

QByteArray encodeJpeg(const QImage &image, int quality)
{
    const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
    jpeg_compress_struct info{};
    JpegErrors errors{};
    info.err = jpeg_std_error(&errors.manager);
    errors.manager.error_exit = jpegErrorExit;
    unsigned char *buffer = nullptr;
    unsigned long size = 0;
    const bool done = runEncoder(&info, &errors, &rgb, quality, &buffer, &size);
    jpeg_destroy_compress(&info);
    const QByteArray out = done ? QByteArray(reinterpret_cast<const char *>(buffer), qsizetype(size))
                                : QByteArray();
    std::free(buffer);
    if (!done)
        throw std::runtime_error(std::string("libjpeg: ") + errors.message);
    return out;
}

QByteArray encodePng(const QImage &image)
{
    QByteArray out;
    QBuffer buffer(&out);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG"))
        throw std::runtime_error("cannot encode PNG");
    return out;
}

// One 32-bit BMP entry, readable by every resource compiler.
QByteArray encodeIco(const QImage &image)
{
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    const int w = argb.width(), h = argb.height();
    const int maskStride = (w + 31) / 32 * 4;
    const quint32 imageSize = quint32(w * h * 4 + maskStride * h);
    QByteArray out;
    putU16(out, 0);
    putU16(out, 1);
    putU16(out, 1);
    out.append(char(w & 0xff)).append(char(h & 0xff)).append(char(0)).append(char(0));
    putU16(out, 1);
    putU16(out, 32);
    putU32(out, 40 + imageSize);
    putU32(out, 22);
    // The icon's height counts the colour rows and the transparency mask.
    putBitmapInfoHeader(out, w, 2 * h, 32, imageSize, 0);
    for (int y = h - 1; y >= 0; --y) {
        const auto *line = reinterpret_cast<const QRgb *>(argb.constScanLine(y));
        for (int x = 0; x < w; ++x)
            putU32(out, line[x]);
    }
    for (int y = h - 1; y >= 0; --y) {
        QByteArray mask(maskStride, '\0');
        const auto *line = reinterpret_cast<const QRgb *>(argb.constScanLine(y));
        for (int x = 0; x < w; ++x) {
            if (qAlpha(line[x]) == 0)
                mask[x / 8] = char(mask[x / 8] | (0x80 >> (x % 8)));
        }
        out.append(mask);
    }
    return out;
}

QList<Artwork> generateAll()
{
    const QImage icon = drawProgramIcon();
    return {{QStringLiteral("stimulus_sheet.dib"), encodeDib(drawStimulusSheet())},
            {QStringLiteral("instruction.jpg"), encodeJpeg(drawInstructionPicture())},
            {QStringLiteral("tamri_icon.png"), encodePng(icon)},
            {QStringLiteral("tamri.ico"), encodeIco(icon)}};
}

void writeAll(const QString &folder)
{
    for (const Artwork &art : generateAll()) {
        QFile file(QDir(folder).filePath(art.fileName));
        if (!file.open(QIODevice::WriteOnly) || file.write(art.bytes) != art.bytes.size())
            throw std::runtime_error(("cannot write " + file.fileName()).toStdString());
    }
}

} // namespace ArtworkGenerator
