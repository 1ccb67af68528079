#include "Digits.h"

#include <cstdio>
#include <map>
#include <string>

std::vector<Image> glyphs(const Image &band)
{
    std::vector<Image> found;
    int start = -1;
    for (int x = 0; x <= band.width; ++x) {
        bool ink = false;
        for (int y = 0; x < band.width && y < band.height && !ink; ++y)
            ink = band.at(x, y) != white;
        if (ink && start < 0)
            start = x;
        if (!ink && start >= 0) {
            found.push_back(band.crop({start, 0, x - start, band.height}));
            start = -1;
        }
    }
    return found;
}

static int inkHeight(const Image &glyph)
{
    int first = -1, last = -1;
    for (int y = 0; y < glyph.height; ++y)
        for (int x = 0; x < glyph.width; ++x)
            if (glyph.at(x, y) != white) {
                if (first < 0)
                    first = y;
                last = y;
            }
    return first < 0 ? 0 : last - first + 1;
}

void checkCounters(const std::vector<Image> &bands, const Board &board)
{
    std::map<int, Image> digit;
    const auto glyphCount = [&](int t, std::size_t wanted) {
        const std::size_t n = glyphs(bands[t]).size();
        return expect(n == wanted, "the counter at target " + std::to_string(t) + " shows " + std::to_string(n) +
                                       " glyphs, expected " + std::to_string(wanted));
    };
    for (int t = 1; t <= 9; ++t) {
        if (!glyphCount(t, 1))
            return;
        digit[t] = glyphs(bands[t]).front();
        for (int d = 1; d < t; ++d)
            if (!expect(digit[d] != digit[t], "the counters at targets " + std::to_string(d) + " and " +
                                                   std::to_string(t) + " look alike"))
                return;
    }
    if (!glyphCount(10, 2))
        return;
    const auto ten = glyphs(bands[10]);
    if (!expect(ten[0] == digit[1], "the first digit of the counter at target 10 differs from the counter at target 1"))
        return;
    digit[0] = ten[1];
    for (int d = 1; d <= 9; ++d)
        if (!expect(digit[d] != digit[0], "the second digit of the counter at target 10 looks like " + std::to_string(d)))
            return;

    if (glyphCount(0, 1)) {
        const Image firstZero = glyphs(bands[0]).front();
        // Debian's copy of "MS Sans Serif" is a bitmap face that Qt offers at one size only,
        // so there both zeros come out alike; any other difference must be a smaller first one.
        if (firstZero == digit[0])
            std::printf("note: the first \"0\" and the later zeros share one glyph (a single-size bitmap face)\n");
        else
            expect(inkHeight(firstZero) < inkHeight(digit[0]),
                   "the first counter \"0\" is not drawn smaller than the later zeros: " +
                       std::to_string(firstZero.width) + " x " + std::to_string(inkHeight(firstZero)) + " px against " +
                       std::to_string(digit[0].width) + " x " + std::to_string(inkHeight(digit[0])) + " px");
    }

    std::string seen = "0", expected = "0";
    for (int t = 1; t < static_cast<int>(bands.size()); ++t) {
        std::string text;
        for (const Image &g : glyphs(bands[t])) {
            char c = '?';
            for (const auto &[d, known] : digit)
                if (known == g)
                    c = static_cast<char>('0' + d);
            text += c;
        }
        seen += " " + text;
        expected += " " + std::to_string(board.counterAt(t));
    }
    if (expect(seen == expected, "the counters read " + seen + "\n  expected " + expected))
        std::printf("counters read %s\n", seen.c_str());
}
