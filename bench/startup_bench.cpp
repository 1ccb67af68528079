// Starts a program on the current X display and reports how long it takes until a pixel
// of the screen shows the expected colour, and the program's peak resident memory then
// and a second later. Usage: tamri_startup_bench x y rrggbb runs program [args...]
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

unsigned long pixelAt(Display *display, int x, int y)
{
    XImage *image = XGetImage(display, DefaultRootWindow(display), x, y, 1, 1, AllPlanes, ZPixmap);
    if (!image)
        return 0;
    const unsigned long pixel = XGetPixel(image, 0, 0) & 0xffffff;
    XDestroyImage(image);
    return pixel;
}

long peakRssKb(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::strtol(line.c_str() + 6, nullptr, 10);
    return -1;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 6) {
        std::fprintf(stderr, "usage: %s x y rrggbb runs program [args...]\n", argv[0]);
        return 2;
    }
    const int x = std::atoi(argv[1]);
    const int y = std::atoi(argv[2]);
    const unsigned long colour = std::strtoul(argv[3], nullptr, 16);
    const int runs = std::atoi(argv[4]);
    Display *display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "no X display\n");
        return 2;
    }
    std::vector<double> startMs;
    std::vector<double> rssMb;
    for (int run = 0; run < runs; ++run) {
        const auto started = std::chrono::steady_clock::now();
        const pid_t child = fork();
        if (child == 0) {
            execv(argv[5], argv + 5);
            _exit(127);
        }
        bool seen = false;
        while (std::chrono::steady_clock::now() - started < std::chrono::seconds(20)) {
            if (pixelAt(display, x, y) == colour) {
                seen = true;
                break;
            }
            std::this_thread::sleep_for(std::chrono::microseconds(500));
        }
        const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started).count();
        std::this_thread::sleep_for(std::chrono::seconds(1));
        const long rss = peakRssKb(child);
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
        // Let the screen go back to the root window's colour before the next run.
        while (pixelAt(display, x, y) == colour)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        if (!seen) {
            std::fprintf(stderr, "%s: the colour never appeared\n", argv[5]);
            return 1;
        }
        startMs.push_back(ms);
        rssMb.push_back(static_cast<double>(rss) / 1024.0);
    }
    std::printf("%s: start to first frame median %.1f ms (of %d runs), peak RSS median %.1f MB\n", argv[5],
                median(startMs), runs, median(rssMb));
    XCloseDisplay(display);
    return 0;
}
