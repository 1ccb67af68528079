// Screenshots as the player sees them: plain RGB pixels, and the checks made on them.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0;
    bool operator==(const Rgb &) const = default;
};

constexpr Rgb white{255, 255, 255};
constexpr Rgb black{0, 0, 0};
constexpr Rgb lightYellow{250, 250, 170};
constexpr Rgb silver{192, 192, 192};
constexpr Rgb lightGrey{238, 238, 238};
constexpr Rgb grey{170, 170, 170};
constexpr Rgb red{255, 0, 0};
constexpr Rgb aqua{0, 255, 255};
// The desktop panel's colour in the tint2 configuration of end_to_end.sh.
constexpr Rgb panelColour{32, 64, 128};

std::string str(Rgb c);

struct Rect {
    int x = 0, y = 0, w = 0, h = 0;
    int centreX() const { return x + w / 2; }
    int centreY() const { return y + h / 2; }
};

struct Image {
    int width = 0, height = 0;
    std::vector<Rgb> pixels;

    Rgb at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
    Image crop(Rect r) const;
    bool operator==(const Image &) const = default;
};

bool uniform(const Image &image);
void savePng(const std::string &path, const Image &image);

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

// Every pixel of the rectangle has the colour.
void expectArea(const Image &shot, Rect r, Rgb colour, const std::string &what);
void expectPixel(const Image &shot, int x, int y, Rgb colour, const std::string &what);

bool waitUntil(const std::function<bool()> &done, std::chrono::milliseconds timeout);
void waitFor(const std::string &what, const std::function<bool()> &done,
             std::chrono::milliseconds timeout = std::chrono::seconds(10));
