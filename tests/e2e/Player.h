// The player, as the examiner after the task: the finished screen and the results windows,
// the chart, keeping the results and the lateral preference picture.
#pragma once

#include "TaskPlayer.h"

#include <cctype>
#include <cmath>
#include <cstdio>

inline std::string command(const std::string &line)
{
    std::string out;
    if (FILE *pipe = popen(line.c_str(), "r")) {
        char buffer[4096];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
            out.append(buffer, n);
        pclose(pipe);
    }
    return out;
}

inline std::vector<std::string> split(const std::string &text, char separator)
{
    std::vector<std::string> parts;
    std::size_t from = 0;
    for (std::size_t at; (at = text.find(separator, from)) != std::string::npos; from = at + 1)
        parts.push_back(text.substr(from, at - from));
    if (from < text.size())
        parts.push_back(text.substr(from));
    return parts;
}

class Player : public TaskPlayer {
public:
    using TaskPlayer::TaskPlayer;

    void finishedScreen(const Image &start)
    {
        const int w = screen.width, h = screen.height;
        waitFor("the grey finished screen", [&] {
            const Image shot = screen.grab();
            return shot.at(w / 2, h / 2) == grey && shot.at(5, 16) == silver;
        });
        const Image shot = screen.settled();
        expectArea(shot, {0, 33, w, h - 33}, grey, "finished screen below the panel");
        expectArea(shot, {0, 0, 5, 33}, silver, "left end of the control panel");
        expectArea(shot, otherTaskButton(), silver, "where the other task's button was");
        const Image results = shot.crop(taskButton());
        expect(!uniform(results), "no results button where the task button was");
        expect(results != start.crop(taskButton()), "the results button looks like the task button it replaces");
        save(board.numbers ? "finished_numbers" : "finished_pictures", shot);
    }

    void results()
    {
        const int w = screen.width, h = screen.height;
        screen.click(taskButton().centreX(), taskButton().centreY());
        std::optional<Window> viewer;
        if (!pixelsOnly)
            waitFor("the results window \"Datenbetrachter\"", [&] { return (viewer = screen.window("Datenbetrachter")).has_value(); });
        const Rect g = viewer ? screen.geometry(*viewer) : Rect{0, 0, w, h};
        expect(g == Rect{0, 0, w, h}, "the results window is " + str(g) + ", expected the whole screen");
        const Rect chart{35, 61, static_cast<int>(0.9 * w), h - 61};
        checkChart(chart);
        otherOutputUnchanged("with the results window open");
        save(board.numbers ? "chart" : "chart_pictures", screen.grab());
        // Under a nested compositor the print dialog is no X window of this display and the
        // clipboard is the compositor's: a player that sees only pixels cannot check either.
        if (!pixelsOnly)
            keepResults(chart);

        screen.click(9 + 151 / 2, 5 + 29 / 2);
        lateralPreference();
        checkChart(chart);
        screen.click(166 + 159 / 2, 4 + 30 / 2);
    }

    // The lateral preference window, whose outer frame must be the screen. Its client area
    // is found by its colours, since the title bar and borders belong to the window manager.
    void lateralPreference()
    {
        const int w = screen.width, h = screen.height;
        std::optional<Window> lateral;
        if (!pixelsOnly)
            waitFor("the window \"Durchschnittszeiten\"", [&] { return (lateral = screen.window("Durchschnittszeiten")).has_value(); });
        const int imageWidth = static_cast<int>(std::nearbyint(w * 0.6));
        const int imageHeight = static_cast<int>(std::nearbyint((h - 35 - 20) * 0.8));
        Rect client, picture;
        Image shot;
        // The aqua panel runs along the client's top edge, the silver client below it.
        const auto findClient = [&] {
            shot = screen.grab();
            client = {};
            for (int y = 0; y < h / 2 && !client.w; ++y)
                for (int x = 0; x < w; ++x)
                    if (shot.at(x, y) == aqua) {
                        client.x = x;
                        client.y = y;
                        while (x < w && shot.at(x, y) == aqua)
                            ++x;
                        client.w = x - client.x;
                        break;
                    }
            if (!client.w)
                return false;
            int y = client.y + 35;
            while (y < h && shot.at(client.x, y) == silver)
                ++y;
            client.h = y - client.y;
            picture = {client.x + (w - imageWidth) / 2, client.y + (h - imageHeight) / 2, imageWidth, imageHeight};
            return picture.y + picture.h <= h && shot.at(picture.x, picture.y) == lightGrey &&
                   shot.at(client.x + client.w - 5, client.y + 17) == aqua;
        };
        waitFor("the lateral preference picture in a window with an aqua panel", findClient);
        // A window manager may frame the window only after it is drawn: look again once it settled.
        screen.settled();
        waitFor("the lateral preference picture after the window settled", findClient);
        if (screen.inWine()) {
            // Wine draws the frame into one X window. Its side and bottom borders stand for the
            // resize borders Windows 10 and 11 keep invisible, and lie beyond the screen as there:
            // the title bar begins at the top edge and the client area fills the rest. The left
            // border, 4 px (5 px from 150 % scaling), Wine 8 (Debian 12) puts beyond the edge and
            // Wine 10 (Debian 13) keeps on the screen, with the same program.
            const char *dpi = std::getenv("TAMRI_WINE_DPI");
            const int border = dpi && std::atoi(dpi) >= 144 ? 5 : 4;
            const std::string wine = command("wine --version 2>/dev/null");
            const int left = wine.starts_with("wine-8.") ? 0 : wine.starts_with("wine-10.") ? border : -1;
            expect(left >= 0, "the window's left border is known under Wine 8 and 10, not under " + wine);
            const Rect frame = screen.geometry(*lateral);
            expect(frame.y == 0 && frame.x == left - border && frame.x + frame.w >= w && frame.y + frame.h >= h,
                   "the window \"Durchschnittszeiten\", " + str(frame) + ", does not cover the screen from its top edge");
            expect(client.x == left && client.x + client.w == w && client.y > 0 && client.y + client.h == h,
                   "the client area of \"Durchschnittszeiten\" seen by its colours, " + str(client) +
                       ", is not the screen below the title bar");
        }
        // Only the compositor knows where a native window's frame lies.
        const Rect frame = lateral && !screen.inWine() ? screen.frame(*lateral) : Rect{0, 0, w, h};
        const Rect seen = lateral && !screen.inWine() ? screen.geometry(*lateral) : client;
        expect(frame == Rect{0, 0, w, h}, "the frame of the window \"Durchschnittszeiten\" is " + str(frame) +
                                              ", expected the whole screen");
        expect(seen == client, "the client area of \"Durchschnittszeiten\" seen by its colours, " + str(client) +
                                   ", differs from the X window, " + str(seen));
        const int x0 = client.x, y0 = client.y, right = client.x + client.w, bottom = client.y + client.h;
        expectArea(shot, {x0, y0, 390, 4}, aqua, "top of the aqua panel");
        expectArea(shot, {right - 300, y0, 300, 35}, aqua, "right part of the aqua panel");
        expect(!uniform(shot.crop({x0 + 397, y0 + 5, 84, 25})), "no \"Schließen\" button at (397,5) of the client area");
        expectArea(shot, {x0, y0 + 35, picture.x - x0, client.h - 35}, silver, "left of the lateral preference picture");
        expectArea(shot, {picture.x, picture.y - 1, picture.w, 1}, silver, "above the lateral preference picture");
        expectArea(shot, {picture.x, picture.y + picture.h, picture.w, 1}, silver, "below the lateral preference picture");
        expectArea(shot, {picture.x + picture.w, y0 + 35, right - picture.x - picture.w, client.h - 35}, silver,
                   "right of the lateral preference picture");
        expectArea(shot, {picture.x, picture.y, picture.w, 1}, lightGrey, "top edge of the picture");
        {
            // A column bar lower than its label has the label below its top, and the label's
            // yellow background, 21 px wide (a time "0.00" in the 11 px face) from 10 px right of
            // the bar's left edge, may then lie over the outline at the picture's foot.
            const int y = picture.y + picture.h - 1, pitch = picture.h / static_cast<int>(board.columns * 1.7) + 5;
            std::vector<Rgb> foot(static_cast<std::size_t>(picture.w), lightGrey);
            for (int c = 0; c < board.columns; ++c)
                if (const int x = (c - 1) * pitch + 110; !hasColour(shot, picture.x + x, y, lightGrey))
                    std::fill_n(foot.begin() + x, 21, Rgb{255, 255, 196});
            for (int x = 0; x < picture.w; ++x)
                if (const Rgb colour = foot[static_cast<std::size_t>(x)]; !hasColour(shot, picture.x + x, y, colour)) {
                    expectPixel(shot, picture.x + x, y, colour, "bottom edge of the picture, the outline or a bar's label");
                    break;
                }
        }
        expectArea(shot, {picture.x, picture.y, 1, picture.h}, lightGrey, "left edge of the picture");
        // The header band (from y 16, 19 px text) is drawn over the outline and may reach the
        // right edge on a narrow picture.
        expectArea(shot, {picture.x + picture.w - 1, picture.y + 40, 1, picture.h - 40}, lightGrey,
                   "right edge of the picture below the header");
        for (const auto &[x, y] : {std::pair{1, 1}, {picture.w - 2, 1}, {1, picture.h - 2}, {picture.w - 2, picture.h - 2}})
            expectPixel(shot, picture.x + x, picture.y + y, white, "inside the picture's corner");
        expect(bottom <= h, "the client area of \"Durchschnittszeiten\" runs past the screen's bottom");
        otherOutputUnchanged("with the lateral preference window open");
        save(board.numbers ? "latpraef" : "latpraef_pictures", shot);

        screen.click(x0 + 397 + 84 / 2, y0 + 5 + 25 / 2);
        waitFor("the window \"Durchschnittszeiten\" to close after \"Schließen\"", [&] {
            return pixelsOnly ? screen.grab({x0, y0, 1, 1}).at(0, 0) != aqua : !screen.window("Durchschnittszeiten");
        });
    }

    // "Kopieren" puts the board's times as a table on the X clipboard; "Drucken …" opens the
    // print dialog, which is cancelled; the chart is as it was afterwards.
    void keepResults(Rect chart)
    {
        const Image before = screen.grab(chart);
        // A desktop may keep an earlier run's table on the clipboard (Wine's does).
        // xclip waits for the clipboard's owner to answer, and a busy Wine may not: each look
        // has a time limit, so that waitFor's own can count.
        const std::string read = "timeout 2 xclip -selection clipboard -o 2>/dev/null";
        const std::string earlier = command(read);
        screen.click(437 + 100 / 2, 4 + 30 / 2);
        std::vector<std::string> lines;
        waitFor("the results table on the clipboard", [&] {
            const std::string text = command(read);
            lines = split(text, '\n');
            return text != earlier && !lines.empty() && lines[0].rfind("Proband  ", 0) == 0;
        });
        const std::size_t rows = board.rows, columns = board.columns;
        if (!expect(lines.size() == 1 + rows + 3, "the copied table has " + std::to_string(lines.size()) + " lines"))
            return;
        for (std::size_t r = 0; r <= rows; ++r) {
            const std::vector<std::string> fields = split(lines[1 + r], '\t');
            expect(fields.size() == columns + (r < rows), "line " + std::to_string(r + 2) + " of the copied table has " +
                                                              std::to_string(fields.size()) + " fields");
            for (std::size_t c = 0; c < fields.size(); ++c) {
                const bool centre = r == rows / 2 && c == columns / 2;
                const bool average = r == rows || c == columns;
                const std::string pattern = centre ? "" : average ? "D,DD" : "D,D";
                std::string shape = fields[c];
                for (char &ch : shape)
                    ch = std::isdigit(static_cast<unsigned char>(ch)) ? 'D' : ch == '.' ? ',' : ch;   // the locale's separator
                if (shape.size() > pattern.size() && shape.rfind('D', 0) == 0)   // more digits before the comma
                    shape.erase(0, shape.size() - pattern.size());
                expect(shape == pattern, "copied field \"" + fields[c] + "\" in line " + std::to_string(r + 2) +
                                             (centre ? ", where the centre cell is empty" : ""));
            }
        }
        expect(lines[rows + 2].rfind("AM\t", 0) == 0 && lines[rows + 3].rfind("St.Abw\t", 0) == 0,
               "the copied table ends without the mean and the deviation");

        // Wine knows printers only through CUPS, which the test machine lacks: only the shell
        // stand-in, which disturbs the test (--focus-away), adds one.
        if (screen.inWine() && focusAway.empty()) {
            std::printf("note: no print dialog under Wine, which has no printer here\n");
            return;
        }
        screen.click(331 + 100 / 2, 4 + 30 / 2);
        // Qt names its print dialog in the desktop's language.
        std::string title;
        waitFor("the print dialog \"Print\" or \"Drucken\"", [&] {
            for (const char *name : {"Print", "Drucken"})
                if (screen.window(name))
                    return !(title = name).empty();
            return false;
        });
        // As an examiner does, the key is pressed once the dialog is in front with the keyboard:
        // before that it would reach the results window.
        boxOnTop(title);
        save(board.numbers ? "print_dialog" : "print_dialog_pictures", screen.grab());
        // Disturbed as the board is, the dialog must keep the front and the keyboard.
        if (screen.inWine() && !focusAway.empty())
            expect(std::system((focusAway + " " + title).c_str()) == 0,
                   "the print dialog did not keep the front while another program disturbed it");
        screen.key(printToFile ? XK_Return : XK_Escape);
        waitFor("the print dialog to close", [&] { return !screen.window(title); });
        waitFor("the chart as it was before copying and printing", [&] { return screen.grab(chart) == before; });
    }

    void checkChart(Rect chart)
    {
        const int h = screen.height;
        waitFor("the white chart at (35,61)", [&] {
            const Image shot = screen.grab();
            return shot.at(chart.x, chart.y) == white && shot.at(chart.x - 1, chart.y) == silver;
        });
        const Image shot = screen.settled();
        expectArea(shot, {0, 41, chart.x, h - 41}, silver, "left of the chart");
        expectArea(shot, {chart.x, 41, chart.w, chart.y - 41}, silver, "above the chart");
        expectArea(shot, {chart.x + chart.w, 41, screen.width - chart.x - chart.w, h - 41}, silver, "right of the chart");
        for (const auto &[x, y] : {std::pair{0, 0}, {chart.w - 1, 0}, {0, chart.h - 1}, {chart.w - 1, chart.h - 1}})
            expectPixel(shot, chart.x + x, chart.y + y, white, "the chart's corner");
        expect(!uniform(shot.crop(chart)), "the chart is empty");
    }
};

// Plays the scenario of this name (Scenarios.cpp).
void run(const std::string &scenario, bool numbers, const std::string &shots);
