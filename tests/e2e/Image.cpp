#include "Image.h"

#include <QImage>
#include <QString>

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

void expectArea(const Image &shot, Rect r, Rgb colour, const std::string &what)
{
    for (int y = r.y; y < r.y + r.h; ++y)
        for (int x = r.x; x < r.x + r.w; ++x)
            if (!expect(shot.at(x, y) == colour, what + ": pixel (" + std::to_string(x) + "," + std::to_string(y) +
                                                     ") is " + str(shot.at(x, y)) + ", expected " + str(colour)))
                return;
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
