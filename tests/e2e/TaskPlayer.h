// The player, as the test subject: the start screen, the instruction box and the board played
// target by target. It sees nothing but the pixels of the root window and acts only through
// synthetic mouse and keyboard events (XTest). Player.h adds the results windows.
#pragma once

// Qt before X11, whose Bool macro breaks Qt's headers.
#include <QFile>

#include "BoardLayout.h"
#include "Desktop.h"
#include "Digits.h"
#include "Image.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

using namespace std::chrono_literals;

// The command line's options (see play.cpp).
inline bool humanPace = false;
inline bool printToFile = false;
inline bool wineDesktop = false;
inline std::optional<Rect> area;
inline std::string focusAway;
inline bool pushPointer = false;

// For the README's pictures: a subject who takes 0.6 to 3 s per target and is slower on the
// left of the board than on the right. Drawn from a fixed seed, so every run looks alike.
inline std::chrono::milliseconds humanInterval(int column, int columns)
{
    static std::mt19937 generator(20261209);
    const int base = 600 + static_cast<int>(generator() % 1601);
    return std::chrono::milliseconds(base + 800 * (columns - 1 - column) / (columns - 1));
}

class TaskPlayer {
public:
    TaskPlayer(const Desktop &screen, std::string shots, bool numbers)
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
        waitFor("a box titled \"" + title + "\"", [&] { return (box = screen.box(title)).has_value(); });
        waitFor("the keyboard focus on the box \"" + title + "\"", [&] { return screen.hasFocus(*box); });
        if (const auto main = screen.mainWindow())
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
        waitFor("the box \"" + title + "\" to close", [&] { return !screen.box(title); });
    }

    void waitForMainWindowFocus()
    {
        std::optional<Window> main;
        waitFor("the main window \"Tamri\"", [&] { return (main = screen.mainWindow()).has_value(); });
        waitFor("the keyboard focus on the main window", [&] { return screen.hasFocus(*main); });
    }

    void pointerFree(const std::string &when)
    {
        waitFor("a push to the right to leave the program's screen " + when,
                [&] { return screen.pushPointer(screen.width / 2, screen.height / 2) >= screen.width; }, 2s);
    }

    // What lies beside the program's screen (another output) is as it was at the start.
    void otherOutputUnchanged(const std::string &when)
    {
        if (const auto beside = screen.beside())
            expect(screen.grab(*beside) == otherOutput, "the other output changed " + when);
    }

    // The bottom row, where a desktop's panel would be, shows the main window.
    void expectBottomRow(const Image &shot, Rgb colour, const std::string &what)
    {
        expectArea(shot, {0, screen.height - 1, screen.width, 1}, colour, what + ", bottom row");
    }

    // The Pictures and Numbers task buttons, ENDE and HILFE.
    static std::vector<Rect> buttons() { return {{13, 3, 144, 26}, {161, 3, 142, 26}, {325, 3, 111, 27}, {442, 3, 97, 27}}; }
    Rect taskButton() const { return buttons()[board.numbers ? 1 : 0]; }
    Rect otherTaskButton() const { return buttons()[board.numbers ? 0 : 1]; }

    // How long the screen must stay as it was after a click before the player takes it that
    // the click did nothing: three times the longest the program took to answer a hit.
    std::chrono::milliseconds quietAfterClick() const { return std::max(200ms, 3 * slowestAnswer); }

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
        const Rect title = bounds({w - 250, 0, 250, 33}, [&](int x, int y) {
            const Rgb p = shot.at(x, y);
            return p.b > 128 && p.r < 128 && p.g < 128;
        });
        const bool titleWhole = title.w && title.y + title.h < 33 && title.h >= 17;
        expect(titleWhole, !title.w ? std::string("no blue title at the panel's right end")
                                    : "the blue title's ink runs from y " + std::to_string(title.y) + " to " +
                                          std::to_string(title.y + title.h - 1) + ", not whole inside the panel");
        if (!titleWhole)
            save("failure_title", shot);
        for (const Rect &button : buttons())
            expect(!uniform(shot.crop(button)),
                   "no push button at " + at(button.x, button.y));
        return shot;
    }

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
               "no instruction picture with its corners at " + at(picture.x, picture.y) + " and " + at(right, bottom));
        // Where a native Wayland window goes is the compositor's choice (mutter 48 centres the box
        // over the main window): without windows to ask, the box is the bounding rectangle of
        // what is not light yellow away from the panel and more than 2 px away from the picture
        // (so that a picture out of place does not count as box), and the picture's surroundings
        // are checked outside it.
        const Rect nearPicture{picture.x - 2, picture.y - 2, picture.w + 4, picture.h + 4};
        const Rect box = !pixelsOnly ? Rect{} : bounds({0, 33, screen.width, screen.height - 33}, [&](int x, int y) {
            return !nearPicture.contains(x, y) && !hasColour(shot, x, y, lightYellow);
        });
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

    void boardShown()
    {
        // The first cell's corner on the screens the runs use, worked out by hand.
        const std::map<std::tuple<bool, int, int>, std::pair<int, int>> firstCell = {
            {{true, 1024, 768}, {33, 31}},  {{false, 1024, 768}, {31, 34}}, {{true, 1920, 1080}, {81, 52}},
            {{false, 1920, 1080}, {95, 64}}, {{true, 1366, 768}, {52, 31}},  {{false, 1366, 768}, {55, 34}}};
        const auto known = firstCell.find({board.numbers, screen.width, screen.height});
        if (known != firstCell.end())
            expect(std::pair{board.left, board.top} == known->second,
                   "the player puts the first cell at " + at(board.left, board.top) + ", the worked layout at " +
                       at(known->second.first, known->second.second));

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

    // A click that must change nothing on the screen.
    void wrongClick(int kind, const Image &before, std::pair<int, int> target)
    {
        std::optional<Image> settledBefore;
        const Rect beside = board.cell(target.first == 0 ? 1 : 0, target.second), corner = board.cell(0, board.rows - 1);
        const std::tuple<int, int, std::string> spots[] = {
            {beside.centreX(), beside.centreY(), "a cell without the target"},
            {board.centre().centreX(), board.centre().centreY(), "the centre cell"},
            {corner.x + corner.w + board.gapX / 2, corner.centreY(), "the gap between two cells"}};
        const auto &[x, y, what] = spots[kind];
        // A nested compositor may still be putting the last frame together: compare settled
        // pictures there, so that only what the click did counts.
        const Image &reference = pixelsOnly ? settledBefore.emplace(screen.settled()) : before;
        screen.click(x, y);
        if (const Image after = screen.settled(quietAfterClick()); after != reference) {
            const Rect changed = bounds({0, 0, after.width, after.height},
                                        [&](int px, int py) { return after.at(px, py) != reference.at(px, py); });
            fail("a click on " + what + " at " + at(x, y) + " changed the screen between " + at(changed.x, changed.y) +
                 " and " + at(changed.x + changed.w - 1, changed.y + changed.h - 1));
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
            if (pushPointer)
                expect(screen.pushPointer(cell.centreX(), cell.centreY()) < screen.width,
                       "at target " + std::to_string(t) + " a push to the right left the program's screen");
            screen.click(cell.centreX(), cell.centreY());
            const auto clicked = std::chrono::steady_clock::now();

            bool thanks = false;
            waitFor("a new target or the thanks box after hit " + std::to_string(t + 1), [&] {
                if (pixelsOnly ? t + 1 == board.targets() && screen.grab() != shot : screen.box(screen.plainBoxTitle()).has_value()) {
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
        if (pushPointer)
            pointerFree("at the thanks box");
        answerBox(screen.plainBoxTitle());
        return hits;
    }

    const Desktop &screen;
    std::string shots;
    Board board;
    int wrongClicks = 0;
    std::chrono::milliseconds slowestAnswer{0};
    Image otherOutput;
};
