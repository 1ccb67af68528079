#include "resources/ArtworkGenerator.h"
#include "resources/StimulusMaterial.h"
#include "tests/TestSupport.h"

#include <QFile>
#include <QRandomGenerator>
#include <QResource>
#include <QtEndian>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace StimulusMaterial;
using testsupport::countPixels;

namespace {

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

template <typename T> T le(const QByteArray &bytes, int at)
{
    return qFromLittleEndian<T>(bytes.constData() + at);
}

template <typename T> QByteArray with(QByteArray bytes, int at, T value)
{
    qToLittleEndian(value, bytes.data() + at);
    return bytes;
}

// 3 x 2 pixels by hand: bottom row first, blue-green-red, rows padded to 12 bytes.
QByteArray tinyDib()
{
    const quint32 header[10] = {40, 3, 2, 1 | 24 << 16, 0, 24, 0, 0, 0, 0};
    QByteArray dib;
    for (quint32 field : header)
        dib = with(dib + QByteArray(4, '\0'), int(dib.size()), field);
    const char rows[24] = {0, 0, 10, 0, 20, 0, 30, 0, 0, 7, 7, 7, 1, 2, 3, 4, 5, 6, 7, 8, 9, 7, 7, 7};
    return dib.append(rows, 24);
}

bool isWhite(QRgb c) { return (c & 0xffffff) == 0xffffff; }
bool isBlack(QRgb c) { return qRed(c) < 40 && qGreen(c) < 40 && qBlue(c) < 40; }
QRect tile(int t) { return tileRect(t % 7, t / 7, 103); }

const QImage &sheet()
{
    static const QImage image = stimulusSheet().convertToFormat(QImage::Format_RGB32);
    return image;
}

QRect inkBox(const QImage &image, const QRect &area)
{
    QRect box;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (!isWhite(image.pixel(x, y)))
                box |= QRect(x, y, 1, 1);
    return box;
}

// Payloads (offset, length) of the header segments with this marker.
QList<std::pair<int, int>> jpegSegments(const QByteArray &jpeg, quint8 marker)
{
    QList<std::pair<int, int>> found;
    for (int at = 2; at + 4 <= jpeg.size() && quint8(jpeg[at]) == 0xff && quint8(jpeg[at + 1]) != 0xda;) {
        const int length = qFromBigEndian<quint16>(jpeg.constData() + at + 2);
        if (quint8(jpeg[at + 1]) == marker)
            found.append({at + 4, length - 2});
        at += 2 + length;
    }
    return found;
}

} // namespace

TEST(TileRect, PlacesTheGridOnTheSheet)
{
    EXPECT_EQ(tileRect(0, 0, 103), QRect(15, 10, 103, 103));
    EXPECT_EQ(tileRect(6, 0, 103).left(), 633);
    EXPECT_EQ(tileRect(3, 2, 103).topLeft(), QPoint(324, 216));
    EXPECT_EQ(tileRect(6, 4, 103).topLeft(), QPoint(633, 422));
    EXPECT_EQ(tileRect(6, 4, 103).bottomRight(), QPoint(735, 524));
    EXPECT_EQ(tileRect(1, 1, 50), QRect(65, 60, 50, 50));
}

TEST(SheetFromDib, ReadsRowsBottomUpAndColoursBlueGreenRed)
{
    const QImage image = sheetFromDib(tinyDib());
    ASSERT_EQ(image.size(), QSize(3, 2));
    EXPECT_EQ(image.pixel(0, 0), qRgb(3, 2, 1));
    EXPECT_EQ(image.pixel(2, 0), qRgb(9, 8, 7));
    EXPECT_EQ(image.pixel(0, 1), qRgb(10, 0, 0));
    EXPECT_EQ(image.pixel(1, 1), qRgb(0, 20, 0));
    EXPECT_EQ(image.pixel(2, 1), qRgb(0, 0, 30));

    const QImage topDown = sheetFromDib(with(tinyDib(), 8, qint32(-2)));
    EXPECT_EQ(topDown.pixel(0, 0), qRgb(10, 0, 0));
    EXPECT_EQ(topDown.pixel(2, 1), qRgb(9, 8, 7));
    EXPECT_EQ(sheetFromDib(with(tinyDib(), 20, quint32(0))), image) << "size 0 is allowed for BI_RGB";
}

TEST(SheetFromDib, RejectsMalformedInput)
{
    const QByteArray good = tinyDib();
    QRandomGenerator random(7);
    QByteArray garbage(300, '\0');
    for (char &c : garbage)
        c = char(random.bounded(256));
    const QByteArray hugeClaim = with(with(with(good, 4, 20000), 8, 20000), 20, 0);

    const QList<std::pair<const char *, QByteArray>> cases = {
        {"empty", QByteArray()},
        {"header cut short", good.left(39)},
        {"pixel data cut short", good.chopped(1)},
        {"trailing bytes", good + QByteArray(1, '\0')},
        {"core header size", with(good, 0, 12)},
        {"v5 header size", with(good, 0, 124)},
        {"zero width", with(good, 4, 0)},
        {"negative width", with(good, 4, -3)},
        {"zero height", with(good, 8, 0)},
        {"most negative height", with(good, 8, 0x80000000u)},
        {"two planes", with(good, 12, quint16(2))},
        {"32 bits", with(good, 14, quint16(32))},
        {"8 bits", with(good, 14, quint16(8))},
        {"run-length compressed", with(good, 16, 1)},
        {"bit fields", with(good, 16, 3)},
        {"wrong image size", with(good, 20, 18)},
        {"colour table", with(good, 32, 1)},
        {"huge dimensions", hugeClaim},
        {"garbage", garbage},
    };
    for (const auto &[name, bytes] : cases)
        EXPECT_THROW(sheetFromDib(bytes), MaterialError) << name;
}

// Damaged copies of the real files must decode or throw, never crash (see TAMRI_SANITIZE).
TEST(Decoders, SurviveRandomDamage)
{
    const QByteArray dib = readFile(QStringLiteral(":/tamri/stimulus_sheet.dib"));
    const QByteArray jpeg = readFile(QStringLiteral(":/tamri/instruction.jpg"));
    ASSERT_FALSE(dib.isEmpty() || jpeg.isEmpty());
    QRandomGenerator random(42);
    int dibErrors = 0, jpegErrors = 0;
    for (int round = 0; round < 300; ++round) {
        QByteArray badDib = dib.left(dib.size() - (round % 2) * random.bounded(1, 5000));
        badDib[random.bounded(40)] = char(random.bounded(256));
        QByteArray badJpeg = jpeg.left(jpeg.size() - random.bounded(3));
        for (int flips = 0; flips < 4; ++flips)
            badJpeg[random.bounded(int(badJpeg.size()))] = char(random.bounded(256));
        try {
            EXPECT_FALSE(sheetFromDib(badDib).isNull());
        } catch (const MaterialError &) {
            ++dibErrors;
        }
        try {
            EXPECT_FALSE(decodeJpeg(badJpeg).isNull());
        } catch (const MaterialError &) {
            ++jpegErrors;
        }
    }
    EXPECT_GE(dibErrors, 150);
    EXPECT_GT(jpegErrors, 0);
}

TEST(EmbeddedSheet, IsAPackedDibWithTheAgreedHeader)
{
    // Stored as committed, so that loading it is a plain copy without decompression.
    const QResource stored(QStringLiteral(":/tamri/stimulus_sheet.dib"));
    EXPECT_EQ(stored.compressionAlgorithm(), QResource::NoCompression);
    ASSERT_EQ(stored.size(), 1198624);
    EXPECT_TRUE(QByteArray::fromRawData(reinterpret_cast<const char *>(stored.data()), stored.size())
                == readFile(QStringLiteral(TAMRI_SOURCE_DIR "/resources/stimulus_sheet.dib")));
    const QByteArray dib = readFile(QStringLiteral(":/tamri/stimulus_sheet.dib"));
    ASSERT_EQ(dib.size(), 1198624);
    const quint32 header[] = {40, 743, 537, 1 | 24 << 16, 0, 1198584, 3780, 3780, 0, 0};
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(le<quint32>(dib, 4 * i), header[i]) << "header field at byte " << 4 * i;
    // Bottom-up: the file starts with the frame line at y = 536 and ends with the white row 0.
    EXPECT_EQ(quint8(dib[40 + 3 * 100]), 0);
    EXPECT_EQ(quint8(dib[40 + 2232 * 536 + 3 * 100]), 255);
}

TEST(EmbeddedSheet, ParsesRightWayUpWithTrueColours)
{
    const QImage &image = sheet();
    ASSERT_EQ(image.size(), QSize(743, 537));
    for (const QPoint white : {QPoint(0, 0), QPoint(100, 0), QPoint(100, 535)})
        EXPECT_TRUE(isWhite(image.pixel(white))) << white.x() << "," << white.y();
    for (const QPoint black : {QPoint(1, 100), QPoint(100, 1), QPoint(100, 536)})
        EXPECT_TRUE(isBlack(image.pixel(black))) << black.x() << "," << black.y();
    const QRgb circle = image.pixel(tile(9).center());
    EXPECT_TRUE(qRed(circle) > 200 && qGreen(circle) > 200 && qBlue(circle) < 60) << "yellow";
    const QRgb oval = image.pixel(tile(28).center() + QPoint(-20, 0));
    EXPECT_TRUE(qRed(oval) > 200 && qBlue(oval) < 80) << "red";
}

TEST(EmbeddedSheet, FrameAndTicksStayOutOfTheTiles)
{
    const QImage &image = sheet();
    for (int y = 1; y <= 536; ++y)
        EXPECT_TRUE(isBlack(image.pixel(1, y)) && isBlack(image.pixel(742, y))) << y;
    for (int x = 1; x <= 742; ++x)
        EXPECT_TRUE(isBlack(image.pixel(x, 1)) && isBlack(image.pixel(x, 536))) << x;

    // Ticks: two pixels wide, 6 to 9 long counting the frame, at every grid line.
    auto tickOk = [&](QPoint from, QPoint step) {
        int length = 0;
        for (QPoint p = from; image.rect().contains(p) && isBlack(image.pixel(p)); p += step)
            ++length;
        return length >= 6 && length <= 9;
    };
    for (int x = 15; x <= 736; x += 103) {
        for (int dx : {-1, 0})
            EXPECT_TRUE(tickOk({x + dx, 1}, {0, 1}) && tickOk({x + dx, 536}, {0, -1})) << x;
        EXPECT_TRUE(isWhite(image.pixel(x - 2, 4)) && isWhite(image.pixel(x + 1, 4))) << x;
    }
    for (int y = 10; y <= 525; y += 103) {
        for (int dy : {-1, 0})
            EXPECT_TRUE(tickOk({1, y + dy}, {1, 0}) && tickOk({742, y + dy}, {-1, 0})) << y;
        EXPECT_TRUE(isWhite(image.pixel(4, y - 2)) && isWhite(image.pixel(4, y + 1))) << y;
    }

    // Outside the squares only black frame and ticks; inside each, a white 7 pixel border.
    int stray = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb c = image.pixel(x, y);
            if (QRect(15, 10, 721, 515).contains(x, y)) {
                const QRect square = tile((y - 10) / 103 * 7 + (x - 15) / 103);
                stray += !isWhite(c) && !square.adjusted(7, 7, -7, -7).contains(x, y);
            } else {
                stray += !isWhite(c) && !isBlack(c);
            }
        }
    }
    EXPECT_EQ(stray, 0);
}

TEST(EmbeddedSheet, SymbolsFitTheirSquares)
{
    const QImage &image = sheet();
    EXPECT_TRUE(inkBox(image, tile(17)).isNull());
    for (int t = 0; t < 35; ++t) {
        if (t == 17)
            continue;
        const QRect box = inkBox(image, tile(t));
        EXPECT_TRUE(box.width() >= 40 && box.width() <= 82) << t << ": " << box.width();
        EXPECT_TRUE(box.height() >= 30 && box.height() <= 73) << t << ": " << box.height();
        EXPECT_TRUE(tile(t).adjusted(7, 7, -7, -7).contains(box)) << t;
        const QPointF offset = QRectF(box).center() - QRectF(tile(t)).center();
        EXPECT_TRUE(qAbs(offset.x()) <= 5 && qAbs(offset.y()) <= 5) << t;
    }
}

TEST(EmbeddedSheet, EverySymbolDiffersClearlyFromEveryOther)
{
    const QImage &image = sheet();
    for (int a = 0; a < 35; ++a) {
        for (int b = a + 1; b < 35; ++b) {
            if (a == 17 || b == 17)
                continue;
            int differing = 0;
            for (int y = 0; y < 103; ++y) {
                for (int x = 0; x < 103; ++x) {
                    const QRgb p = image.pixel(tile(a).topLeft() + QPoint(x, y));
                    const QRgb q = image.pixel(tile(b).topLeft() + QPoint(x, y));
                    differing += qAbs(qRed(p) - qRed(q)) + qAbs(qGreen(p) - qGreen(q))
                                     + qAbs(qBlue(p) - qBlue(q)) > 90;
                }
            }
            EXPECT_GE(differing, 900) << "tiles " << a << " and " << b;
        }
    }
}

TEST(DecodeJpeg, RoundTripsOurEncoder)
{
    QImage original(20, 10, QImage::Format_RGB888);
    original.fill(QColor(200, 40, 40));
    for (int y = 0; y < 10; ++y)
        for (int x = 10; x < 20; ++x)
            original.setPixelColor(x, y, QColor(30, 60, 220));
    const QImage decoded = decodeJpeg(ArtworkGenerator::encodeJpeg(original, 95));
    ASSERT_EQ(decoded.size(), original.size());
    EXPECT_EQ(decoded.format(), QImage::Format_RGB888);
    for (const QPoint p : {QPoint(2, 5), QPoint(17, 5)}) {
        const QColor want = original.pixelColor(p), got = decoded.pixelColor(p);
        EXPECT_NEAR(got.red(), want.red(), 12);
        EXPECT_NEAR(got.green(), want.green(), 12);
        EXPECT_NEAR(got.blue(), want.blue(), 12);
    }
}

TEST(DecodeJpeg, RaisesMaterialErrorOnDamagedData)
{
    const QByteArray good = readFile(QStringLiteral(":/tamri/instruction.jpg"));
    ASSERT_GT(good.size(), 1000);
    const QByteArray notJpeg = QByteArray("GA") + good.mid(2);
    QByteArray badTables = good;
    for (const auto &[at, length] : jpegSegments(good, 0xc4))
        badTables.replace(at, length, QByteArray(length, '\xff'));

    const QList<std::pair<const char *, QByteArray>> cases = {
        {"empty", QByteArray()},
        {"two bytes", good.left(2)},
        {"headers only", good.left(200)},
        {"cut in half", good.left(good.size() / 2)},
        {"not a JPEG", notJpeg},
        {"broken Huffman tables", badTables},
        {"text", QByteArray("this is no picture at all")},
    };
    for (const auto &[name, bytes] : cases)
        EXPECT_THROW(decodeJpeg(bytes), MaterialError) << name;
    EXPECT_THAT([&] { decodeJpeg(notJpeg); },
                testing::ThrowsMessage<MaterialError>(testing::HasSubstr("Not a JPEG file")));
}

TEST(InstructionPicture, IsABaselineJfifOf337By328)
{
    const QByteArray jpeg = readFile(QStringLiteral(":/tamri/instruction.jpg"));
    ASSERT_TRUE(jpeg.startsWith("\xff\xd8"));
    const auto app0 = jpegSegments(jpeg, 0xe0);
    ASSERT_EQ(app0.size(), 1);
    // "JFIF\0", version 1.01, dots per inch, 72 x 72
    EXPECT_EQ(jpeg.mid(app0[0].first, 12), QByteArray("JFIF\0\x01\x01\x01\0\x48\0\x48", 12));

    EXPECT_TRUE(jpegSegments(jpeg, 0xc2).isEmpty());
    const auto sof = jpegSegments(jpeg, 0xc0);
    ASSERT_EQ(sof.size(), 1);
    const QByteArray frame = jpeg.mid(sof[0].first, sof[0].second);
    ASSERT_EQ(frame.size(), 15);
    // 8 bit, 328 rows, 337 columns, 3 components: Y 2x2, Cb 1x1, Cr 1x1
    EXPECT_EQ(frame.left(6), QByteArray("\x08\x01\x48\x01\x51\x03", 6));
    EXPECT_EQ(quint8(frame[7]), 0x22);
    EXPECT_EQ(quint8(frame[10]), 0x11);
    EXPECT_EQ(quint8(frame[13]), 0x11);
}

TEST(InstructionPicture, DecodesToTheDemonstration)
{
    const QImage picture = instructionPicture();
    ASSERT_EQ(picture.size(), QSize(337, 328));
    auto near = [&](QPoint p, QColor want) {
        const QColor got = picture.pixelColor(p);
        return qAbs(got.red() - want.red()) < 30 && qAbs(got.green() - want.green()) < 30
            && qAbs(got.blue() - want.blue()) < 30;
    };
    EXPECT_TRUE(near({300, 10}, Qt::white));
    EXPECT_TRUE(near({5, 200}, QColor(70, 70, 70)));
    EXPECT_TRUE(near({84, 30}, QColor(230, 30, 30))) << "pointer above the top-left square";
    EXPECT_TRUE(near({168, 156}, QColor(230, 30, 30))) << "frame of the centre square";
}

TEST(ProgramIcon, IsA32PixelMarkOnTransparency)
{
    const QIcon icon = programIcon();
    ASSERT_FALSE(icon.isNull());
    const QImage image = icon.pixmap(32, 32).toImage().convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(image.size(), QSize(32, 32));
    EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(image.pixel(31, 31)), 0);
    const int reds =
        countPixels(image, image.rect(), [](QRgb c) { return qAlpha(c) == 255 && qRed(c) > 150 && qGreen(c) < 80; });
    const int greens =
        countPixels(image, image.rect(), [](QRgb c) { return qAlpha(c) == 255 && qGreen(c) > 120 && qRed(c) < 80; });
    const int blues =
        countPixels(image, image.rect(), [](QRgb c) { return qAlpha(c) == 255 && qBlue(c) > 150 && qRed(c) < 80; });
    EXPECT_TRUE(reds > 20 && greens > 20 && blues > 20) << reds << " " << greens << " " << blues;
}

namespace {

QImage decoded(const QString &fileName, const QByteArray &bytes)
{
    if (fileName.endsWith(".dib"))
        return sheetFromDib(bytes).convertToFormat(QImage::Format_ARGB32);
    if (fileName.endsWith(".jpg"))
        return decodeJpeg(bytes).convertToFormat(QImage::Format_ARGB32);
    return QImage::fromData(bytes).convertToFormat(QImage::Format_ARGB32);
}

// Pixels in `area` that differ by more than a quarter of the range in a channel.
int clearlyDifferent(const QImage &a, const QImage &b, const QRect &area)
{
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            n += qMax(qMax(qAbs(qRed(p) - qRed(q)), qAbs(qGreen(p) - qGreen(q))),
                      qMax(qAbs(qBlue(p) - qBlue(q)), qAbs(qAlpha(p) - qAlpha(q)))) > 64;
        }
    return n;
}

} // namespace

// Other fonts, Qt, libjpeg or zlib versions change the bytes and the edges of what is drawn;
// a change of the drawing itself shows as whole areas of other colours.
TEST(ArtworkGenerator, CommittedFilesShowWhatItDrawsNow)
{
    const QList<ArtworkGenerator::Artwork> art = ArtworkGenerator::generateAll();
    ASSERT_EQ(art.size(), 4);
    for (const ArtworkGenerator::Artwork &file : art) {
        const std::string name = file.fileName.toStdString();
        const QByteArray committed = readFile(QStringLiteral(TAMRI_SOURCE_DIR "/resources/") + file.fileName);
        const QImage now = decoded(file.fileName, file.bytes);
        const QImage then = decoded(file.fileName, committed);
        ASSERT_FALSE(then.isNull()) << name;
        ASSERT_EQ(now.size(), then.size()) << name;
        if (file.fileName.endsWith(".dib")) {
            for (int t = 0; t < 35; ++t)
                EXPECT_LE(clearlyDifferent(now, then, tile(t)), 103 * 103 / 20) << name << " tile " << t << ": run tamri_artgen";
        } else {
            EXPECT_LE(clearlyDifferent(now, then, now.rect()), now.width() * now.height() / 100) << name << ": run tamri_artgen";
        }
        if (!name.ends_with(".ico")) {
            EXPECT_TRUE(readFile(QStringLiteral(":/tamri/") + file.fileName) == committed)
                << name << " is not what the program embeds";
        }
    }
}
