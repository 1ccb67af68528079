// The ways through the program the player takes, by the names the command line gives them.
#include "Player.h"

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
    if (scenario == "system-check") {
        // Copied by its access key until the report is whole (the versions come last).
        const std::string read = "timeout 2 xclip -selection clipboard -o 2>/dev/null";
        std::vector<std::string> lines;
        waitFor("the system check's whole report on the clipboard", [&] {
            screen.key(XK_k, true);
            lines = split(command(read), '\n');
            return lines.size() == 12 && lines[11].rfind("Tamri ", 0) == 0;
        }, 30s);
        std::printf("%s", command(read).c_str());
        const std::string size = std::to_string(screen.width) + " × " + std::to_string(screen.height);
        expect(lines[0] == "Tamri Systemprüfung" && lines[1].find("Hauptbildschirm") != std::string::npos &&
                   lines[1].find("(" + size + " Bildpunkte") != std::string::npos,
               "the report does not name the test's screen of " + size + ": " + lines[1]);
        // Wine's display scaling is the desktop's; elsewhere the screen is not scaled.
        const char *dpi = std::getenv("TAMRI_WINE_DPI");
        const int percent = wineDesktop && dpi ? std::atoi(dpi) * 100 / 96 : 100;
        const std::string scaling = percent == 100 ? "Anzeige nicht skaliert (100 %)"
                                                   : "Anzeige auf " + std::to_string(percent) + " % skaliert";
        expect(lines[2].rfind(scaling + " – Tamri zeichnet", 0) == 0, "the report's scaling: " + lines[2]);
        for (std::size_t i = 2; i < lines.size(); ++i)
            // Wine has no printer that prints to PDF, and a default one only once the shell
            // stand-in added it.
            if (!(wineDesktop && lines[i].find("kein PDF-Drucker") != std::string::npos))
                expect(lines[i].size() > 12 && lines[i].substr(lines[i].size() - 12) == ": in Ordnung",
                       "reported: " + lines[i]);
        screen.key(XK_Escape);
        waitFor("the system check to end on Escape", [&] { return !screen.box("Tamri Systemprüfung"); }, 5s);
        return;
    }
    if (scenario == "pointer-free")
        return player.pointerFree("with no program running");
    const Image start = player.startScreen();
    const auto click = [&](Rect button) { screen.click(button.centreX(), button.centreY()); };
    const Rect ende = Player::buttons()[2], help = Player::buttons()[3];
    // Escape, then "Ja" in the box that asks whether to stop.
    const auto escape = [&] {
        screen.key(XK_Escape);
        player.answerBox(screen.plainBoxTitle());
    };
    if (scenario == "start-screen")
        return;
    if (scenario == "alt-f4") {
        player.waitForMainWindowFocus();
        screen.key(XK_F4, true);
        waitFor("the main window to close after Alt+F4", [&] { return !screen.mainWindow(); }, 5s);
        expect(!screen.box(screen.plainBoxTitle()), "a box came up when the main window was closed");
    } else if (scenario == "bad-input") {
        click(help);
        player.answerBox("Information", XK_F4, true);
        player.waitForMainWindowFocus();
        expectArea(screen.grab(), {0, 33, screen.width, screen.height - 33}, lightYellow,
                   "the start screen after the help box was closed with Alt+F4");
        player.openTask(false, true);
        player.play(2);
        escape();
    } else if (scenario == "help-ende") {
        click(help);
        player.answerBox("Information");
        click(ende);
    } else if (scenario == "escape-start") {
        player.waitForMainWindowFocus();
        escape();
    } else if (scenario == "escape-task" || scenario == "task-begun") {
        player.openTask(true);
        player.play(3);
        if (scenario == "escape-task")
            escape();
    } else if (scenario == "task" || scenario == "escape-finished" || scenario == "ende-finished") {
        if (scenario == "task" && numbers)
            player.save("start", start);
        player.openTask(false);
        player.play();
        player.finishedScreen(start);
        if (scenario == "task") {
            player.results();
        } else if (scenario == "escape-finished") {
            player.waitForMainWindowFocus();
            escape();
        } else {
            click(ende);
        }
    } else {
        fail("unknown scenario " + scenario);
    }
}
