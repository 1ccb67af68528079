// Plays the real program like a test subject would: it sees nothing but the pixels of the
// root window and acts only through synthetic mouse and keyboard events (XTest).
//
// Usage: tamri_play SCENARIO [numbers|pictures] [--shots FOLDER] [--human-pace] [--print]
//                   [--pixels-only] [--area WxH[+X+Y]] [--focus-away COMMAND]
//   task              play a whole task, check the results windows, copy the results and
//                     cancel the print dialog (--print: print to the dialog's file instead),
//                     leave by "Betrachter schliessen"
//   escape-start      Escape on the start screen
//   escape-task       start the task by its access key, a few hits, then Escape
//   escape-finished   play a whole task, then Escape on the finished screen
//   ende-finished     play a whole task, then "ENDE"
//   start-screen      check the start screen only (the caller then signals the program)
//   bad-input         close the help box by Alt+F4, click the task button again while the
//                     instruction box is open, close that box by Alt+F4, a few hits, Escape
//   alt-f4            Alt+F4 on the main window (for a window manager to close it)
//   panel-shown       wait for the desktop's panel to show at the bottom (no program running)
//   help-ende         the help box on the start screen, then "ENDE"
// --pixels-only: the program's windows are not X windows of this display (a nested Wayland
// compositor draws them): boxes and windows are known by their pixels alone.
// --area: the program's screen is this part of the display (top-left unless placed); the rest
//         must not change.
// --focus-away: runs the command (a window that takes the focus and goes again) during the task.
// --wine-desktop: the program runs inside Wine's virtual desktop, which covers the screen.
// The program is started by the caller, who also checks its exit code. Exit code 1: the play
// went through but some checks failed; 2: the play broke off, the program is left as it is.

// Qt before X11, whose Bool macro breaks Qt's headers.
#include <QFile>

#include "BoardLayout.h"
#include "Desktop.h"
#include "Digits.h"
#include "Image.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

namespace {

using namespace std::chrono_literals;

// For the README's pictures: a subject who takes 0.6 to 3 s per target and is slower on the
// left of the board than on the right. Drawn from a fixed seed, so every run looks alike.
bool humanPace = false;
bool printToFile = false;
std::optional<Rect> area;
std::string focusAway;

std::chrono::milliseconds humanInterval(int column, int columns)
{
    static std::mt19937 generator(20261209);
    const int base = 600 + static_cast<int>(generator() % 1601);
    return std::chrono::milliseconds(base + 800 * (columns - 1 - column) / (columns - 1));
}

class Player {
public:
    Player(const Desktop &screen, std::string shots, bool numbers)
        : screen(screen), shots(std::move(shots)), board(numbers, screen.width, screen.height)
    {
    }

    void save(const std::string &name, const Image &shot) const
    {
        if (!shots.empty())
            savePng(shots + "/" + name + ".png", shot);
    }

    // The message box of this title appears over the main window and gets the keyboard.
    Window boxOnTop(const std::string &title)
    {
        std::optional<Window> box;
        waitFor("a box titled \"" + title + "\"", [&] { return (box = screen.window(title)).has_value(); });
        waitFor("the keyboard focus on the box \"" + title + "\"", [&] { return screen.hasFocus(*box); });
        if (const auto main = screen.window("Tamri"))
            expect(screen.stackingPosition(*box) > screen.stackingPosition(*main),
                   "the box \"" + title + "\" lies below the main window");
        return *box;
    }

    // Answers the box of this title with Return, or closes it the way given.
    void answerBox(const std::string &title, KeySym key = XK_Return, bool withAlt = false)
    {
        if (pixelsOnly) {
            // The caller then waits for what the closed box uncovers.
            screen.settled();
            screen.key(key, withAlt);
            return;
        }
        boxOnTop(title);
        screen.key(key, withAlt);
        waitFor("the box \"" + title + "\" to close", [&] { return !screen.window(title); });
    }

    void waitForMainWindowFocus()
    {
        std::optional<Window> main;
        waitFor("the main window \"Tamri\"", [&] { return (main = screen.window("Tamri")).has_value(); });
        waitFor("the keyboard focus on the main window", [&] { return screen.hasFocus(*main); });
    }

    Image startScreen()
    {
        const int w = screen.width, h = screen.height;
        // Wine loads a Qt program slowly on a busy machine.
        waitFor("the light yellow start screen", [&] {
            const Image shot = screen.grab();
            return shot.at(w / 2, h / 2) == lightYellow && shot.at(5, 16) == silver;
        }, screen.inWine() ? 30s : 10s);
        const Image shot = screen.settled();
        if (const auto beside = screen.beside())
            otherOutput = screen.grab(*beside);
        expectArea(shot, {0, 33, w, h - 33}, lightYellow, "start screen below the panel");
        expectArea(shot, {0, 0, 5, 33}, silver, "left end of the control panel");
        expectArea(shot, {545, 0, 100, 33}, silver, "control panel right of the buttons");
        // The blue title at the panel's right end, whole: its brackets, 19 px high, run from the
        // panel's top edge; one pushed up beyond the screen's edge shows less of them.
        int top = 33, bottom = -1;
        for (int y = 0; y < 33; ++y)
            for (int x = w - 250; x < w; ++x)
                if (const Rgb p = shot.at(x, y); p.b > 128 && p.r < 128 && p.g < 128)
                    top = std::min(top, y), bottom = std::max(bottom, y);
        const bool titleWhole = bottom < 32 && bottom - top >= 16;
        expect(titleWhole, bottom < 0 ? std::string("no blue title at the panel's right end")
                                      : "the blue title's ink runs from y " + std::to_string(top) + " to " +
                                            std::to_string(bottom) + ", not whole inside the panel");
        if (!titleWhole)
            save("failure_title", shot);
        for (const Rect &button : buttons())
            expect(!uniform(shot.crop(button)),
                   "no push button at (" + std::to_string(button.x) + "," + std::to_string(button.y) + ")");
        return shot;
    }

    // What lies beside the program's screen (another output) is as it was at the start.
    void otherOutputUnchanged(const std::string &when)
    {
        if (const auto beside = screen.beside())
            expect(screen.grab(*beside) == otherOutput, "the other output changed " + when);
    }

    // The Pictures and Numbers task buttons, ENDE and HILFE.
    static std::vector<Rect> buttons() { return {{13, 3, 144, 26}, {161, 3, 142, 26}, {325, 3, 111, 27}, {442, 3, 97, 27}}; }
    Rect taskButton() const { return buttons()[board.numbers ? 1 : 0]; }
    Rect otherTaskButton() const { return buttons()[board.numbers ? 0 : 1]; }

    void openTask(bool byKey, bool badInput = false)
    {
        if (byKey) {
            waitForMainWindowFocus();
            screen.key(board.numbers ? XK_z : XK_b, true);
        } else {
            screen.click(taskButton().centreX(), taskButton().centreY());
        }
        if (!pixelsOnly)
            waitFor("the instruction box \"Information\"", [&] { return screen.window("Information").has_value(); });
        const Rect picture{(screen.width - 337) / 2, (screen.height - 328) / 5, 337, 328};
        const int right = picture.x + picture.w - 1, bottom = picture.y + picture.h - 1;
        // Under a window manager the box may be placed again once its frame is known; the
        // picture's surroundings are checked when that is done, or after 5 s.
        if (!pixelsOnly)
            boxOnTop("Information");
        Image shot;
        const auto framedByYellow = [&] {
            for (int y = picture.y; y < picture.y + picture.h; ++y)
                if (shot.at(picture.x - 1, y) != lightYellow || shot.at(picture.x + picture.w, y) != lightYellow)
                    return false;
            return true;
        };
        // Without windows to ask, the box is known by what it covers away from the picture.
        const auto boxAside = [&] {
            for (int y = 40; y < screen.height; y += 4)
                for (int x = 0; x < screen.width; x += 4)
                    if ((x < picture.x - 30 || x > picture.x + picture.w + 30 || y > picture.y + picture.h + 30) &&
                        shot.at(x, y) != lightYellow)
                        return true;
            return false;
        };
        waitUntil([&] {
            shot = screen.grab();
            return shot.at(picture.x, picture.y) != lightYellow && shot.at(right, bottom) != lightYellow &&
                   (pixelsOnly ? boxAside() : framedByYellow());
        }, 5s);
        if (pixelsOnly)
            expect(boxAside(), "no instruction box to be seen");
        expect(shot.at(picture.x, picture.y) != lightYellow && shot.at(right, bottom) != lightYellow,
               "no instruction picture with its corners at (" + std::to_string(picture.x) + "," +
                   std::to_string(picture.y) + ") and (" + std::to_string(right) + "," + std::to_string(bottom) + ")");
        // Where a native Wayland window goes is the compositor's choice (mutter 48 centres the box
        // over the main window): without windows to ask, the box is the bounding rectangle of
        // what is not light yellow away from the panel and more than 2 px away from the picture
        // (so that a picture out of place does not count as box), and the picture's surroundings
        // are checked outside it.
        Rect box{};
        if (pixelsOnly) {
            const Rect nearPicture{picture.x - 2, picture.y - 2, picture.w + 4, picture.h + 4};
            int left = screen.width, top = screen.height, right = -1, bottom = -1;
            for (int y = 33; y < screen.height; ++y)
                for (int x = 0; x < screen.width; ++x)
                    if (!nearPicture.contains(x, y) && !hasColour(shot, x, y, lightYellow))
                        left = std::min(left, x), top = std::min(top, y), right = std::max(right, x), bottom = std::max(bottom, y);
            if (right >= 0)
                box = {left, top, right - left + 1, bottom - top + 1};
        }
        const auto yellowBesideTheBox = [&](Rect area, const std::string &what) {
            for (int y = area.y; y < area.y + area.h; ++y)
                for (int x = area.x; x < area.x + area.w; ++x)
                    if (!box.contains(x, y) && !hasColour(shot, x, y, lightYellow)) {
                        expectPixel(shot, x, y, lightYellow, what);
                        return;
                    }
        };
        yellowBesideTheBox({picture.x - 1, picture.y - 1, picture.w + 2, 1}, "above the instruction picture");
        yellowBesideTheBox({picture.x - 1, picture.y, 1, picture.h}, "left of the instruction picture");
        yellowBesideTheBox({picture.x + picture.w, picture.y, 1, picture.h}, "right of the instruction picture");
        expectBottomRow(shot, lightYellow, "the instruction screen");
        otherOutputUnchanged("with the instruction box open");
        if (badInput) {
            const Image before = screen.grab();
            screen.click(taskButton().centreX(), taskButton().centreY());
            expect(screen.settled(quietAfterClick()) == before, "a second click on the task button while the instruction box is open "
                                            "changed the screen");
            boxOnTop("Information");
            // Closed by the window manager (Alt+F4) instead of "OK": the task goes on all the same.
            answerBox("Information", XK_F4, true);
        } else {
            save(board.numbers ? "instruction" : "instruction_pictures", shot);
            answerBox("Information");
        }
        boardShown();
    }

    // The bottom row, where a desktop's panel would be, shows the main window.
    void expectBottomRow(const Image &shot, Rgb colour, const std::string &what)
    {
        expectArea(shot, {0, screen.height - 1, screen.width, 1}, colour, what + ", bottom row");
    }

    void boardShown()
    {
        // The first cell's corner on the screens the runs use, worked out by hand.
        const std::map<std::tuple<bool, int, int>, std::pair<int, int>> firstCell = {
            {{true, 1024, 768}, {33, 31}},  {{false, 1024, 768}, {31, 34}}, {{true, 1920, 1080}, {81, 52}},
            {{false, 1920, 1080}, {95, 64}}, {{true, 1366, 768}, {52, 31}},  {{false, 1366, 768}, {55, 34}}};
        const auto known = firstCell.find({board.numbers, screen.width, screen.height});
        if (known != firstCell.end())
            expect(std::pair{board.left, board.top} == known->second,
                   "the player puts the first cell at (" + std::to_string(board.left) + "," + std::to_string(board.top) +
                       "), the worked layout at (" + std::to_string(known->second.first) + "," +
                       std::to_string(known->second.second) + ")");

        const Rect c = board.centre();
        const int m = board.numbers ? 20 : 2;
        waitFor("the board with the red target frame", [&] {
            const Image shot = screen.grab();
            return shot.at(c.x - m, c.centreY()) == red && shot.at(c.x + c.w + m, c.centreY()) == red &&
                   shot.at(c.centreX(), c.y - m) == red && shot.at(c.centreX(), c.y + c.h + m) == red &&
                   !glyphs(shot.crop(counterBand)).empty();
        });
        const Image board0 = screen.grab();
        // The 6 px pen runs from 3 px outside to 2 px inside the frame line.
        expectPixel(board0, c.x - m - 4, c.centreY(), white, "left of the target frame");
        expectArea(board0, {c.x - m - 3, c.y, 6, c.h}, red, "the frame's left line");
        if (board.numbers)
            expectPixel(board0, c.x - m + 3, c.centreY(), white, "right of the frame's left line");
        expectPixel(board0, board.left - 1, board.top, white, "left of the first cell");
        if (board.numbers) {
            const Rect last = board.cell(board.columns - 1, board.rows - 1);
            expectPixel(board0, board.left, board.top, lightGrey, "top-left pixel of the first cell");
            expectPixel(board0, last.x + last.w - 1, last.y + last.h - 1, lightGrey, "bottom-right pixel of the last cell");
            expectPixel(board0, last.x + last.w, last.y + last.h - 1, white, "right of the last cell");
        }
        expectBottomRow(board0, white, "the board");
        if (!board.numbers)
            expectSheetTiles(board0);
        save(board.numbers ? "board_numbers" : "board_pictures", board0);
    }

    // Every picture cell but the centre shows one tile of the embedded stimulus sheet pixel for
    // pixel: nothing resampled on the way to the screen.
    void expectSheetTiles(const Image &shot) const
    {
        QFile file(QStringLiteral(TAMRI_STIMULUS_SHEET));
        if (!file.open(QIODevice::ReadOnly))
            fail("cannot read the stimulus sheet " TAMRI_STIMULUS_SHEET);
        // The resource is a bare DIB; a BMP file adds only the 14-byte file header.
        const QByteArray dib = file.readAll();
        QByteArray bmp("BM");
        for (const quint32 field : {quint32(14 + dib.size()), quint32(0), quint32(14 + 40)})
            for (int byte = 0; byte < 4; ++byte)
                bmp.append(static_cast<char>(field >> (8 * byte)));
        const QImage sheet = QImage::fromData(bmp + dib, "BMP");
        if (sheet.isNull())
            fail("cannot decode the stimulus sheet " TAMRI_STIMULUS_SHEET);
        std::vector<Image> tiles;
        for (int r = 0; r < 5; ++r)
            for (int c = 0; c < 7; ++c)
                tiles.push_back(fromQImage(sheet.copy(15 + c * 103, 10 + r * 103, 103, 103)));
        int unlike = 0;
        for (int r = 0; r < board.rows; ++r)
            for (int c = 0; c < board.columns; ++c)
                if ((c != board.centreColumn() || r != board.centreRow()) &&
                    std::find(tiles.begin(), tiles.end(), shot.crop(board.cell(c, r))) == tiles.end())
                    ++unlike;
        expect(unlike == 0, std::to_string(unlike) + " picture cells are unlike every tile of the stimulus sheet");
    }

    // The one cell other than the centre that shows the centre's picture.
    std::pair<int, int> findTarget(const Image &shot, int t) const
    {
        const Image wanted = shot.crop(board.interior(board.centreColumn(), board.centreRow()));
        if (uniform(wanted))
            fail("the centre cell is empty at target " + std::to_string(t));
        std::vector<std::pair<int, int>> matches;
        for (int r = 0; r < board.rows; ++r)
            for (int c = 0; c < board.columns; ++c)
                if ((c != board.centreColumn() || r != board.centreRow()) && shot.crop(board.interior(c, r)) == wanted)
                    matches.emplace_back(c, r);
        if (matches.size() != 1)
            fail("at target " + std::to_string(t) + " the centre's picture is shown by " +
                 std::to_string(matches.size()) + " other cells, expected exactly 1");
        return matches.front();
    }

    // How long the screen must stay as it was after a click before the player takes it that
    // the click did nothing: three times the longest the program took to answer a hit.
    std::chrono::milliseconds quietAfterClick() const { return std::max(200ms, 3 * slowestAnswer); }

    // A click that must change nothing on the screen.
    void wrongClick(int kind, const Image &before, std::pair<int, int> target)
    {
        std::optional<Image> settledBefore;
        int x = 0, y = 0;
        std::string what;
        if (kind == 0) {
            const int c = target.first == 0 ? 1 : 0;
            const Rect cell = board.cell(c, target.second);
            x = cell.centreX();
            y = cell.centreY();
            what = "a cell without the target";
        } else if (kind == 1) {
            x = board.centre().centreX();
            y = board.centre().centreY();
            what = "the centre cell";
        } else {
            const Rect cell = board.cell(0, board.rows - 1);
            x = cell.x + cell.w + board.gapX / 2;
            y = cell.centreY();
            what = "the gap between two cells";
        }
        // A nested compositor may still be putting the last frame together: compare settled
        // pictures there, so that only what the click did counts.
        const Image &reference = pixelsOnly ? settledBefore.emplace(screen.settled()) : before;
        screen.click(x, y);
        if (const Image after = screen.settled(quietAfterClick()); after != reference) {
            Rect changed{after.width, after.height, 0, 0};
            for (int y = 0; y < after.height; ++y)
                for (int x = 0; x < after.width; ++x)
                    if (after.at(x, y) != reference.at(x, y)) {
                        changed.w = std::max(changed.w, x + 1);
                        changed.h = std::max(changed.h, y + 1);
                        changed.x = std::min(changed.x, x);
                        changed.y = std::min(changed.y, y);
                    }
            fail("a click on " + what + " at (" + std::to_string(x) + "," + std::to_string(y) +
                 ") changed the screen between (" + std::to_string(changed.x) + "," + std::to_string(changed.y) +
                 ") and (" + std::to_string(changed.w - 1) + "," + std::to_string(changed.h - 1) + ")");
        }
        ++wrongClicks;
    }

    // Another window takes the keyboard for a while and goes again: then the board fills the
    // screen as before. Whether the other window shows depends on the main window staying on top.
    void leaveAndComeBack(const Image &before)
    {
        std::atomic<bool> gone = false;
        std::thread other([&] {
            if (std::system(focusAway.c_str()) == -1)
                std::printf("cannot run %s\n", focusAway.c_str());
            gone = true;
        });
        bool seen = false;
        while (!gone) {
            if (!seen && screen.grab() != before) {
                seen = true;
                save("focus_away", screen.grab());
            }
            std::this_thread::sleep_for(50ms);
        }
        other.join();
        std::printf("the other window %s\n", seen ? "showed over the board" : "stayed behind the board");
        waitFor("the whole board again once the other window went", [&] { return screen.grab() == before; });
    }

    // Plays targets until `stopAfter` hits, or all of them; returns the hits made.
    int play(int stopAfter = -1)
    {
        const Rect centre = board.interior(board.centreColumn(), board.centreRow());
        std::vector<Image> bands;
        int t = 0;
        for (;; ++t) {
            if (t == stopAfter)
                return t;
            const Image shot = screen.grab();
            expectBottomRow(shot, white, "the board at target " + std::to_string(t));
            const Image band = shot.crop(counterBand);
            const Image target = shot.crop(centre);
            bands.push_back(band);
            if (t == 10 && !focusAway.empty())
                leaveAndComeBack(shot);
            const auto [c, r] = findTarget(shot, t);
            if (t % 7 == 3)
                wrongClick((t / 7) % 3, shot, {c, r});
            const Rect cell = board.cell(c, r);
            if (humanPace)
                std::this_thread::sleep_for(humanInterval(c, board.columns));
            screen.click(cell.centreX(), cell.centreY());
            const auto clicked = std::chrono::steady_clock::now();

            bool thanks = false;
            waitFor("a new target or the thanks box after hit " + std::to_string(t + 1), [&] {
                if (pixelsOnly ? t + 1 == board.targets() && screen.grab() != shot : screen.window("tamri").has_value()) {
                    thanks = true;
                    return true;
                }
                return screen.grab(centre) != target && screen.grab(counterBand) != band;
            }, 5s);
            slowestAnswer = std::max(slowestAnswer, std::chrono::duration_cast<std::chrono::milliseconds>(
                                                        std::chrono::steady_clock::now() - clicked));
            if (thanks)
                break;
        }
        const int hits = t + 1;
        if (hits != board.targets())
            fail("the thanks box came after " + std::to_string(hits) + " hits, expected " +
                 std::to_string(board.targets()));
        std::printf("%d targets found, %d ignored wrong clicks\n", hits, wrongClicks);
        checkCounters(bands, board);
        if (screen.inWine()) {
            // Windows' "MS Sans Serif" is a bitmap face: every pixel of the counter is ink or
            // paper. A smoothed face there is a fallback.
            int smoothed = 0;
            for (const Image &band : bands)
                smoothed += static_cast<int>(std::count_if(band.pixels.begin(), band.pixels.end(), [](Rgb p) {
                    return p != white && p != Rgb{0, 0, 0};
                }));
            expect(smoothed == 0, "the counter is not in the bitmap face \"MS Sans Serif\": " + std::to_string(smoothed) +
                                      " pixels are neither black nor white");
        }
        otherOutputUnchanged("with the thanks box open");
        answerBox("tamri");
        return hits;
    }

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
        expect(g.x == 0 && g.y == 0 && g.w == w && g.h == h,
               "the results window lies at (" + std::to_string(g.x) + "," + std::to_string(g.y) + ") " +
                   std::to_string(g.w) + "x" + std::to_string(g.h) + ", expected the whole screen");
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
            // the title bar begins at the top edge and the client area fills the rest. Wine 10
            // (Debian 13) keeps the left border on the screen (4 px, 5 px at 150 and 200 %), where
            // Wine 8 puts it beyond the edge with the same program.
            const Rect frame = screen.geometry(*lateral);
            expect(frame.y == 0 && frame.x <= 0 && frame.x + frame.w >= w && frame.y + frame.h >= h,
                   "the window \"Durchschnittszeiten\" does not cover the screen from its top edge");
            expect(client.x >= 0 && client.x <= 5 && client.x + client.w == w && client.y > 0 && client.y + client.h == h,
                   "the client area of \"Durchschnittszeiten\" seen by its colours, " + std::to_string(client.w) + "x" +
                       std::to_string(client.h) + " at (" + std::to_string(client.x) + "," + std::to_string(client.y) +
                       "), is not the screen below the title bar");
        }
        // Only the compositor knows where a native window's frame lies.
        const Rect frame = lateral && !screen.inWine() ? screen.frame(*lateral) : Rect{0, 0, w, h};
        const Rect seen = lateral && !screen.inWine() ? screen.geometry(*lateral) : client;
        expect(frame.x == 0 && frame.y == 0 && frame.w == w && frame.h == h,
               "the frame of the window \"Durchschnittszeiten\" lies at (" + std::to_string(frame.x) + "," +
                   std::to_string(frame.y) + ") " + std::to_string(frame.w) + "x" + std::to_string(frame.h) +
                   ", expected the whole screen");
        expect(seen.x == client.x && seen.y == client.y && seen.w == client.w && seen.h == client.h,
               "the client area of \"Durchschnittszeiten\" seen by its colours, " + std::to_string(client.w) + "x" +
                   std::to_string(client.h) + " at (" + std::to_string(client.x) + "," + std::to_string(client.y) +
                   "), differs from the X window, " + std::to_string(seen.w) + "x" + std::to_string(seen.h) + " at (" +
                   std::to_string(seen.x) + "," + std::to_string(seen.y) + ")");
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
            // yellow background or blue ink may then lie over the outline at the picture's foot.
            const int y = picture.y + picture.h - 1;
            const auto is = [&](int x, Rgb colour) { return hasColour(shot, x, y, colour); };
            int outline = 0;
            for (int x = picture.x; x < picture.x + picture.w; ++x) {
                outline += is(x, lightGrey);
                if (!is(x, lightGrey) && !is(x, Rgb{255, 255, 196}) && !is(x, Rgb{0, 0, 255})) {
                    expect(false, "bottom edge of the picture: pixel (" + std::to_string(x) + "," + std::to_string(y) +
                                      ") is " + str(shot.at(x, y)) + ", expected the outline or a bar's label");
                    break;
                }
            }
            expect(outline >= picture.w / 2, "bottom edge of the picture: only " + std::to_string(outline) + " of " +
                                                 std::to_string(picture.w) + " pixels are the light grey outline");
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

        // Wine knows printers only through CUPS, which the test machine lacks.
        if (screen.inWine()) {
            std::printf("note: no print dialog under Wine, which has no printer here\n");
            return;
        }
        screen.click(331 + 100 / 2, 4 + 30 / 2);
        // As an examiner does, the key is pressed once the dialog is in front with the keyboard:
        // before that it would reach the results window.
        boxOnTop("Print");
        save(board.numbers ? "print_dialog" : "print_dialog_pictures", screen.grab());
        screen.key(printToFile ? XK_Return : XK_Escape);
        waitFor("the print dialog to close", [&] { return !screen.window("Print"); });
        waitFor("the chart as it was before copying and printing", [&] { return screen.grab(chart) == before; });
    }

    static std::string command(const std::string &line)
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

    static std::vector<std::string> split(const std::string &text, char separator)
    {
        std::vector<std::string> parts;
        std::size_t from = 0;
        for (std::size_t at; (at = text.find(separator, from)) != std::string::npos; from = at + 1)
            parts.push_back(text.substr(from, at - from));
        if (from < text.size())
            parts.push_back(text.substr(from));
        return parts;
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

    const Desktop &screen;
    std::string shots;
    Board board;
    int wrongClicks = 0;
    std::chrono::milliseconds slowestAnswer{0};
    Image otherOutput;
};

bool wineDesktop = false;

void run(const std::string &scenario, bool numbers, const std::string &shots)
{
    Desktop screen(area);
    if (wineDesktop)
        screen.insideWineDesktop();
    if (pixelsOnly)
        screen.park();
    Player player(screen, shots, numbers);
    if (scenario == "panel-shown") {
        waitFor("the desktop's panel at the bottom", [&] {
            const Image row = screen.grab({0, screen.height - 1, screen.width, 1});
            return uniform(row) && row.at(0, 0) == panelColour;
        }, 5s);
        return;
    }
    const Image start = player.startScreen();
    if (scenario == "start-screen")
        return;
    if (scenario == "alt-f4") {
        player.waitForMainWindowFocus();
        screen.key(XK_F4, true);
        waitFor("the main window to close after Alt+F4", [&] { return !screen.window("Tamri"); }, 5s);
        expect(!screen.window("tamri"), "a box came up when the main window was closed");
        return;
    }
    if (scenario == "bad-input") {
        const Rect help = Player::buttons()[3];
        screen.click(help.centreX(), help.centreY());
        player.answerBox("Information", XK_F4, true);
        player.waitForMainWindowFocus();
        expectArea(screen.grab(), {0, 33, screen.width, screen.height - 33}, lightYellow,
                   "the start screen after the help box was closed with Alt+F4");
        player.openTask(false, true);
        player.play(2);
        screen.key(XK_Escape);
        player.answerBox("tamri");
        return;
    }
    if (scenario == "help-ende") {
        const Rect help = Player::buttons()[3], ende = Player::buttons()[2];
        screen.click(help.centreX(), help.centreY());
        player.answerBox("Information");
        screen.click(ende.centreX(), ende.centreY());
        return;
    }
    if (scenario == "escape-start") {
        player.waitForMainWindowFocus();
        screen.key(XK_Escape);
        player.answerBox("tamri");
        return;
    }
    if (scenario == "escape-task") {
        player.openTask(true);
        player.play(3);
        screen.key(XK_Escape);
        player.answerBox("tamri");
        return;
    }
    if (scenario != "task" && scenario != "escape-finished" && scenario != "ende-finished")
        fail("unknown scenario " + scenario);
    if (scenario == "task" && numbers)
        player.save("start", start);
    player.openTask(false);
    player.play();
    player.finishedScreen(start);
    if (scenario == "task") {
        player.results();
    } else if (scenario == "escape-finished") {
        player.waitForMainWindowFocus();
        screen.key(XK_Escape);
        player.answerBox("tamri");
    } else {
        const Rect ende = Player::buttons()[2];
        screen.click(ende.centreX(), ende.centreY());
    }
}

} // namespace

int main(int argc, char **argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    std::string shots;
    for (const auto &[flag, value] :
         {std::pair{"--human-pace", &humanPace}, {"--print", &printToFile}, {"--pixels-only", &pixelsOnly},
          {"--wine-desktop", &wineDesktop}})
        if (const auto at = std::find(args.begin(), args.end(), flag); at != args.end()) {
            *value = true;
            args.erase(at);
        }
    for (const std::string option : {"--shots", "--area", "--focus-away"})
        for (std::size_t i = 0; i + 1 < args.size(); ++i)
            if (args[i] == option) {
                const std::string value = args[i + 1];
                if (option == "--shots")
                    shots = value;
                else if (option == "--focus-away")
                    focusAway = value;
                else if (int w = 0, h = 0, x = 0, y = 0; std::sscanf(value.c_str(), "%dx%d+%d+%d", &w, &h, &x, &y) >= 2)
                    area = Rect{x, y, w, h};
                args.erase(args.begin() + static_cast<std::ptrdiff_t>(i), args.begin() + static_cast<std::ptrdiff_t>(i) + 2);
                break;
            }
    if (args.empty() || args.size() > 2 || (args.size() == 2 && args[1] != "numbers" && args[1] != "pictures")) {
        std::fprintf(stderr, "usage: tamri_play task|escape-start|escape-task|escape-finished|ende-finished|"
                             "start-screen|bad-input|alt-f4|panel-shown [numbers|pictures] [--shots FOLDER] [--human-pace] [--print]\n"
                             "  [--pixels-only] [--area WxH[+X+Y]] [--focus-away COMMAND]\n");
        return 2;
    }
    const std::string name = args[0] + (args.size() == 2 ? " " + args[1] : "");
    try {
        run(args[0], args.size() < 2 || args[1] == "numbers", shots);
    } catch (const Failure &failure) {
        std::printf("FAIL (%s): %s\n", name.c_str(), failure.what());
        if (!shots.empty()) {
            try {
                std::string file = "failure_" + name;
                for (char &c : file)
                    if (c == ' ')
                        c = '_';
                savePng(shots + "/" + file + ".png", Desktop(area).grab());
            } catch (const Failure &) {
            }
        }
        return 2;
    }
    for (const std::string &problem : problems)
        std::printf("FAIL (%s): %s\n", name.c_str(), problem.c_str());
    if (!problems.empty())
        return 1;
    std::printf("passed: %s\n", name.c_str());
    return 0;
}
