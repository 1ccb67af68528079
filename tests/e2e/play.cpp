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
//   system-check      the system check (tamri-check): its copied report, then Escape
//   task-begun        start the task by its access key, a few hits (the caller then signals)
//   pointer-free      a push to the right leaves the program's screen (after the program)
// --pixels-only: the program's windows are not X windows of this display (a nested Wayland
// compositor draws them): boxes and windows are known by their pixels alone.
// --area: the program's screen is this part of the display (top-left unless placed); the rest
//         must not change.
// --focus-away: runs the command (a window that takes the focus and goes again) during the task.
// --wine-desktop: the program runs inside Wine's virtual desktop, which covers the screen.
// --push-pointer: a push to the right stays on the program's screen before each hit, not at the end.
// The program is started by the caller, who also checks its exit code. Exit code 1: the play
// went through but some checks failed; 2: the play broke off, the program is left as it is.
// The player is in TaskPlayer.h and Player.h, the scenarios in Scenarios.cpp.

#include "Player.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

int main(int argc, char **argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    std::string shots;
    for (const auto &[flag, value] :
         {std::pair{"--human-pace", &humanPace}, {"--print", &printToFile}, {"--pixels-only", &pixelsOnly},
          {"--wine-desktop", &wineDesktop}, {"--push-pointer", &pushPointer}})
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
                             "start-screen|bad-input|alt-f4|panel-shown|task-begun|pointer-free [numbers|pictures] [--shots FOLDER] [--human-pace] [--print]\n"
                             "  [--pixels-only] [--area WxH[+X+Y]] [--focus-away COMMAND] [--push-pointer]\n");
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
                std::replace(file.begin(), file.end(), ' ', '_');
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
