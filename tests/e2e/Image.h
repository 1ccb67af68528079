// Screenshots as the player sees them: plain RGB pixels, and the checks made on them.
#pragma once

#include <QImage>
#include <QString>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>
#include <vector>

struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0;
    bool operator==(const Rgb &) const = default;
};

constexpr Rgb white{255, 255, 255};
constexpr Rgb lightYellow{250, 250, 170};
constexpr Rgb silver{192, 192, 192};
constexpr Rgb lightGrey{238, 238, 238};
constexpr Rgb grey{170, 170, 170};
constexpr Rgb red{255, 0, 0};
constexpr Rgb aqua{0, 255, 255};
// The desktop panel's colour in the tint2 configuration of end_to_end.sh.
constexpr Rgb panelColour{32, 64, 128};

inline std::string str(Rgb c)
{
    return "(" + std::to_string(c.r) + "," + std::to_string(c.g) + "," + std::to_string(c.b) + ")";
}

struct Rect {
    int x = 0, y = 0, w = 0, h = 0;
    int centreX() const { return x + w / 2; }
    int centreY() const { return y + h / 2; }
    bool contains(int px, int py) const { return px >= x && px < x + w && py >= y && py < y + h; }
    bool operator==(const Rect &) const = default;
};

inline std::string at(int x, int y)
{
    return "(" + std::to_string(x) + "," + std::to_string(y) + ")";
}

inline std::string str(Rect r)
{
    return std::to_string(r.w) + "x" + std::to_string(r.h) + " at " + at(r.x, r.y);
}

struct Image {
    int width = 0, height = 0;
    std::vector<Rgb> pixels;

    Rgb at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
    Image crop(Rect r) const
    {
        Image part{r.w, r.h, {}};
        part.pixels.reserve(static_cast<std::size_t>(r.w) * r.h);
        for (int y = r.y; y < r.y + r.h; ++y)
            for (int x = r.x; x < r.x + r.w; ++x)
                part.pixels.push_back(at(x, y));
        return part;
    }
    bool operator==(const Image &) const = default;
};

// A step that cannot go on: the play breaks off.
struct Failure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

[[noreturn]] inline void fail(const std::string &what)
{
    throw Failure(what);
}

// Checks of what the screen shows; a wrong look is reported but the play goes on, so one
// run reports every check that fails.
inline std::vector<std::string> problems;

inline bool expect(bool ok, const std::string &what)
{
    if (!ok)
        problems.push_back(what);
    return ok;
}

// The smallest rectangle round the points of `area` that `picked` takes; empty (w 0) where it takes none.
inline Rect bounds(Rect area, const std::function<bool(int x, int y)> &picked)
{
    int left = area.x + area.w, top = area.y + area.h, right = -1, bottom = -1;
    for (int y = area.y; y < area.y + area.h; ++y)
        for (int x = area.x; x < area.x + area.w; ++x)
            if (picked(x, y)) {
                left = std::min(left, x);
                top = std::min(top, y);
                right = std::max(right, x);
                bottom = std::max(bottom, y);
            }
    return right < 0 ? Rect{} : Rect{left, top, right - left + 1, bottom - top + 1};
}

inline bool uniform(const Image &image)
{
    for (const Rgb &p : image.pixels)
        if (p != image.pixels.front())
            return false;
    return true;
}

inline Image fromQImage(const QImage &picture)
{
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB888);
    Image image{rgb.width(), rgb.height(), {}};
    image.pixels.reserve(static_cast<std::size_t>(rgb.width()) * rgb.height());
    for (int y = 0; y < rgb.height(); ++y) {
        const auto *row = reinterpret_cast<const Rgb *>(rgb.constScanLine(y));
        image.pixels.insert(image.pixels.end(), row, row + rgb.width());
    }
    return image;
}

inline void savePng(const std::string &path, const Image &image)
{
    static_assert(sizeof(Rgb) == 3, "the pixels are read as packed RGB888 rows");
    const QImage picture(reinterpret_cast<const uchar *>(image.pixels.data()), image.width, image.height,
                         image.width * 3, QImage::Format_RGB888);
    if (!picture.save(QString::fromStdString(path), "PNG"))
        fail("cannot write " + path);
}

// A nested compositor draws the program's windows (set by --pixels-only): its faint window
// shadows may tint what should be one colour.
inline bool pixelsOnly = false;

// The first pixel of the rectangle that has not the colour, but for such shadows.
inline std::optional<std::pair<int, int>> otherPixel(const Image &shot, Rect r, Rgb colour)
{
    const int slack = pixelsOnly ? 12 : 0;
    const auto near = [&](std::uint8_t a, std::uint8_t b) { return std::abs(a - b) <= slack; };
    for (int y = r.y; y < r.y + r.h; ++y)
        for (int x = r.x; x < r.x + r.w; ++x)
            if (const Rgb p = shot.at(x, y); !near(p.r, colour.r) || !near(p.g, colour.g) || !near(p.b, colour.b))
                return std::pair{x, y};
    return std::nullopt;
}

// The pixel has the colour, as near as otherPixel asks.
inline bool hasColour(const Image &shot, int x, int y, Rgb colour)
{
    return !otherPixel(shot, {x, y, 1, 1}, colour);
}

// Every pixel of the rectangle has the colour, as near as otherPixel asks.
inline void expectArea(const Image &shot, Rect r, Rgb colour, const std::string &what)
{
    if (const auto p = otherPixel(shot, r, colour))
        expect(false, what + ": pixel " + at(p->first, p->second) + " is " + str(shot.at(p->first, p->second)) +
                          ", expected " + str(colour));
}

inline void expectPixel(const Image &shot, int x, int y, Rgb colour, const std::string &what)
{
    expectArea(shot, {x, y, 1, 1}, colour, what);
}

inline bool waitUntil(const std::function<bool()> &done, std::chrono::milliseconds timeout)
{
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

inline void waitFor(const std::string &what, const std::function<bool()> &done,
                    std::chrono::milliseconds timeout = std::chrono::seconds(10))
{
    if (!waitUntil(done, timeout))
        fail("timed out after " + std::to_string(timeout.count() / 1000) + " s waiting for " + what);
}
