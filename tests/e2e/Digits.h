// Reads the target counter at the top left of the board from its pixels: the digits are
// learnt from the counters themselves, so no font file is needed.
#pragma once

#include "BoardLayout.h"
#include "Image.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

// The counter's text sits with its top-left corner at (15, 5), above every board.
constexpr Rect counterBand{15, 5, 48, 20};

// Column runs with ink: one per glyph (the font leaves a blank column between digits). Where
// the face is smoothed (Wine's vector MS Sans Serif, unlike Windows' bitmap one), the faint
// edge pixels between two digits are not ink.
inline std::vector<Image> glyphs(const Image &band)
{
    std::vector<Image> found;
    int start = -1;
    for (int x = 0; x <= band.width; ++x) {
        bool ink = false;
        for (int y = 0; x < band.width && y < band.height && !ink; ++y) {
            const Rgb p = band.at(x, y);
            ink = p != white && std::min({p.r, p.g, p.b}) < 192;
        }
        if (ink && start < 0)
            start = x;
        if (!ink && start >= 0) {
            found.push_back(band.crop({start, 0, x - start, band.height}));
            start = -1;
        }
    }
    return found;
}

inline int inkHeight(const Image &glyph)
{
    return bounds({0, 0, glyph.width, glyph.height}, [&](int x, int y) { return glyph.at(x, y) != white; }).h;
}

// Learns the digits from the counters of targets 1 to 10, then reads every counter.
inline void checkCounters(const std::vector<Image> &bands, const Board &board)
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
