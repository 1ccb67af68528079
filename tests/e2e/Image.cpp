#include "Image.h"

#include <QImage>
#include <QString>

#include <cstdlib>
#include <thread>

std::string str(Rgb c)
{
    return "(" + std::to_string(c.r) + "," + std::to_string(c.g) + "," + std::to_string(c.b) + ")";
}

Image Image::crop(Rect r) const
{
    Image part{r.w, r.h, {}};
    part.pixels.reserve(static_cast<std::size_t>(r.w) * r.h);
    for (int y = r.y; y < r.y + r.h; ++y)
        for (int x = r.x; x < r.x + r.w; ++x)
            part.pixels.push_back(at(x, y));
    return part;
}

bool uniform(const Image &image)
{
    for (const Rgb &p : image.pixels)
        if (p != image.pixels.front())
            return false;
    return true;
}

void savePng(const std::string &path, const Image &image)
{
    static_assert(sizeof(Rgb) == 3, "the pixels are read as packed RGB888 rows");
    const QImage picture(reinterpret_cast<const uchar *>(image.pixels.data()), image.width, image.height,
                         image.width * 3, QImage::Format_RGB888);
    if (!picture.save(QString::fromStdString(path), "PNG"))
        fail("cannot write " + path);
}

std::optional<std::pair<int, int>> otherPixel(const Image &shot, Rect r, Rgb colour)
{
    const int slack = pixelsOnly ? 12 : 0;
    const auto near = [&](std::uint8_t a, std::uint8_t b) { return std::abs(a - b) <= slack; };
    for (int y = r.y; y < r.y + r.h; ++y)
        for (int x = r.x; x < r.x + r.w; ++x)
            if (const Rgb p = shot.at(x, y); !near(p.r, colour.r) || !near(p.g, colour.g) || !near(p.b, colour.b))
                return std::pair{x, y};
    return std::nullopt;
}

void expectArea(const Image &shot, Rect r, Rgb colour, const std::string &what)
{
    if (const auto p = otherPixel(shot, r, colour))
        expect(false, what + ": pixel (" + std::to_string(p->first) + "," + std::to_string(p->second) + ") is " +
                          str(shot.at(p->first, p->second)) + ", expected " + str(colour));
}

void expectPixel(const Image &shot, int x, int y, Rgb colour, const std::string &what)
{
    expectArea(shot, {x, y, 1, 1}, colour, what);
}

bool waitUntil(const std::function<bool()> &done, std::chrono::milliseconds timeout)
{
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

void waitFor(const std::string &what, const std::function<bool()> &done, std::chrono::milliseconds timeout)
{
    if (!waitUntil(done, timeout))
        fail("timed out after " + std::to_string(timeout.count() / 1000) + " s waiting for " + what);
}
