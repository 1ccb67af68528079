// The X11 side of the player: the root window's pixels, synthetic input through XTest, and
// the few window properties a test subject could see (names, frames, stacking, focus).
#pragma once

#include "Image.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

inline int ignoreXErrors(Display *, XErrorEvent *)
{
    return 0; // windows may vanish between listing and asking for their name
}

inline int shiftOf(unsigned long mask)
{
    int shift = 0;
    while (mask && !(mask & 1)) {
        mask >>= 1;
        ++shift;
    }
    return shift;
}

class Desktop {
public:
    // area: the program's screen is this part of the display (one of several outputs). All
    // coordinates below are the program's screen's.
    explicit Desktop(std::optional<Rect> area = std::nullopt)
    {
        display = XOpenDisplay(nullptr);
        if (!display)
            fail("cannot open the X display");
        int event, error, major, minor;
        if (!XTestQueryExtension(display, &event, &error, &major, &minor))
            fail("the X server has no XTest extension");
        XSetErrorHandler(ignoreXErrors);
        root = top = DefaultRootWindow(display);
        fullWidth = width = DisplayWidth(display, DefaultScreen(display));
        height = DisplayHeight(display, DefaultScreen(display));
        if (area) {
            x0 = area->x;
            y0 = area->y;
            width = area->w;
            height = area->h;
        }
    }
    ~Desktop() { XCloseDisplay(display); }
    Desktop(const Desktop &) = delete;
    Desktop &operator=(const Desktop &) = delete;

    int width = 0, height = 0, fullWidth = 0;

    // The rest of the display, beside the program's screen, less 32 px along it where the parked
    // pointer's picture may reach over.
    std::optional<Rect> beside() const
    {
        if (x0 > 32)
            return Rect{-x0, 0, x0 - 32, height};
        if (fullWidth > width + 32)
            return Rect{width + 32, 0, fullWidth - width - 32, height};
        return std::nullopt;
    }

    // Wine's virtual desktop holds the program's windows as children of its own X window.
    void insideWineDesktop()
    {
        for (Window w : children(root)) {
            // "shell - Wine desktop" up to Wine 8, "shell - Wine Desktop" in Wine 10.
            std::string name = nameOf(w);
            std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
            if (name.ends_with(" - wine desktop"))
                top = w;
        }
        if (top == root)
            fail("no Wine desktop window");
    }

    bool inWine() const { return top != root; }

    Image grab(Rect r) const
    {
        XImage *shot = XGetImage(display, root, x0 + r.x, y0 + r.y, static_cast<unsigned>(r.w), static_cast<unsigned>(r.h),
                                 AllPlanes, ZPixmap);
        if (!shot)
            fail("XGetImage failed");
        const int rs = shiftOf(shot->red_mask), gs = shiftOf(shot->green_mask), bs = shiftOf(shot->blue_mask);
        Image image{r.w, r.h, {}};
        image.pixels.reserve(static_cast<std::size_t>(r.w) * r.h);
        for (int y = 0; y < r.h; ++y)
            for (int x = 0; x < r.w; ++x) {
                const unsigned long p = XGetPixel(shot, x, y);
                image.pixels.push_back({static_cast<std::uint8_t>((p & shot->red_mask) >> rs),
                                        static_cast<std::uint8_t>((p & shot->green_mask) >> gs),
                                        static_cast<std::uint8_t>((p & shot->blue_mask) >> bs)});
            }
        XDestroyImage(shot);
        return image;
    }

    Image grab() const { return grab({0, 0, width, height}); }

    // The screen once it has not changed for `quiet` (5 s at the most), as a compositor may show a
    // closed window or a half-drawn one for a few frames more: the caller asks for as long as the
    // program is seen to take to answer a click.
    Image settled(std::chrono::milliseconds quiet = std::chrono::milliseconds(100)) const
    {
        using Clock = std::chrono::steady_clock;
        const auto end = Clock::now() + std::chrono::seconds(5);
        Image last = grab();
        for (auto since = Clock::now(); Clock::now() - since < quiet && Clock::now() < end;) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            if (Image now = grab(); now != last) {
                last = std::move(now);
                since = Clock::now();
            }
        }
        return last;
    }

    void click(int x, int y) const
    {
        movePointer(x, y);
        XTestFakeButtonEvent(display, 1, True, CurrentTime);
        XTestFakeButtonEvent(display, 1, False, CurrentTime);
        XSync(display, False);
        if (pixelsOnly)
            park();
    }

    // A nested compositor draws the pointer into the picture: out of the way in the top-right
    // corner, where only its tip shows and nothing is compared, it leaves the checks alone.
    void park() const { movePointer(width - 1, 0); }

    // The X server has moved the pointer once XSync returns, a nested compositor's seat only once
    // it has read the event: a click before then lands where the pointer was. The compositor
    // then draws the pointer at the new place, which is waited for (1 s at the most, for a
    // pointer that was there already).
    void movePointer(int x, int y) const
    {
        const int left = std::max(x - 2, 0), top = std::max(y - 2, 0);
        const Rect spot{left, top, std::min(x + 16, width) - left, std::min(y + 16, height) - top};
        const Image before = pixelsOnly ? grab(spot) : Image{};
        XTestFakeMotionEvent(display, -1, x0 + x, y0 + y, CurrentTime);
        XSync(display, False);
        if (pixelsOnly)
            waitUntil([&] { return grab(spot) != before; }, std::chrono::seconds(1));
    }

    // Where a push of 2000 px to the right from (x, y), relative as a mouse's, takes the pointer.
    int pushPointer(int x, int y) const
    {
        movePointer(x, y);
        XTestFakeRelativeMotionEvent(display, 2000, 0, CurrentTime);
        Window rootReturn, child;
        int rx = 0, ry = 0, wx = 0, wy = 0;
        unsigned mask = 0;
        XQueryPointer(display, root, &rootReturn, &child, &rx, &ry, &wx, &wy, &mask);
        return rx - x0;
    }

    void key(KeySym symbol, bool withAlt = false) const
    {
        const KeyCode alt = XKeysymToKeycode(display, XK_Alt_L);
        const KeyCode code = XKeysymToKeycode(display, symbol);
        if (!code || (withAlt && !alt))
            fail("the X keymap lacks a needed key");
        if (withAlt)
            XTestFakeKeyEvent(display, alt, True, CurrentTime);
        XTestFakeKeyEvent(display, code, True, CurrentTime);
        XTestFakeKeyEvent(display, code, False, CurrentTime);
        if (withAlt)
            XTestFakeKeyEvent(display, alt, False, CurrentTime);
        XSync(display, False);
    }

    // A mapped top-level window with exactly this WM_NAME; under a window manager it lies
    // inside the manager's frame window.
    std::optional<Window> window(const std::string &name) const { return findNamed(top, name, 3, nullptr); }
    // The main window and the plain boxes share their title where the program's file is named
    // Tamri (Tamri.exe on Windows): the main window covers the screen, a box never does.
    std::optional<Window> mainWindow() const { return findNamed(top, "Tamri", 3, [this](Window w) { return geometry(w).w * 4 > width * 3; }); }
    std::optional<Window> box(const std::string &title) const
    {
        return findNamed(top, title, 3, [this](Window w) { return geometry(w).w * 4 <= width * 3; });
    }
    // The plain boxes' title: the program's file name, tamri on Linux, Tamri.exe on Windows.
    std::string plainBoxTitle() const { return inWine() ? "Tamri" : "tamri"; }

    // Where a window's client area lies on the screen.
    Rect geometry(Window w) const
    {
        XWindowAttributes attributes{};
        if (!XGetWindowAttributes(display, w, &attributes))
            return {};
        int x = 0, y = 0;
        Window child = None;
        XTranslateCoordinates(display, w, root, 0, 0, &x, &y, &child);
        return {x - x0, y - y0, attributes.width, attributes.height};
    }

    // The outer frame of a top-level window (the window itself where nobody frames it).
    Rect frame(Window w) const { return geometry(topLevel(w)); }

    // How high a top-level window lies in the stacking order: larger is nearer the viewer.
    int stackingPosition(Window w) const
    {
        const Window outer = topLevel(w);
        const std::vector<Window> all = children(top);
        for (std::size_t i = 0; i < all.size(); ++i)
            if (all[i] == outer)
                return static_cast<int>(i);
        return -1;
    }

    bool hasFocus(Window w) const
    {
        // Wine's desktop keeps the X focus itself and hands keys to its windows: there the
        // window in front is the one that gets them. Wine 10 keeps an input method window of
        // 1 x 1 px there as well, which is no window in front.
        if (inWine()) {
            const Window outer = topLevel(w);
            const std::vector<Window> all = children(top);
            for (auto i = all.rbegin(); i != all.rend(); ++i) {
                XWindowAttributes a{};
                if (XGetWindowAttributes(display, *i, &a) && a.map_state == IsViewable && a.width > 1 && a.height > 1)
                    return *i == outer;
            }
            return false;
        }
        Window focus = None;
        int revert = 0;
        XGetInputFocus(display, &focus, &revert);
        for (; focus != None && focus != PointerRoot && focus != root; focus = parentOf(focus))
            if (focus == w)
                return true;
        return false;
    }

private:
    int x0 = 0, y0 = 0;

    // A window's parent (None once the window is gone) and its children, bottom first.
    std::pair<Window, std::vector<Window>> tree(Window w) const
    {
        Window rootReturn, parent = None, *list = nullptr;
        unsigned count = 0;
        if (!XQueryTree(display, w, &rootReturn, &parent, &list, &count))
            return {None, {}};
        std::vector<Window> children(list, list + (list ? count : 0));
        if (list)
            XFree(list);
        return {parent, children};
    }
    std::vector<Window> children(Window w) const { return tree(w).second; }
    Window parentOf(Window w) const { return tree(w).first; }

    // A window's WM_NAME, empty where it has none.
    std::string nameOf(Window w) const
    {
        char *title = nullptr;
        if (!XFetchName(display, w, &title) || !title)
            return {};
        std::string name(title);
        XFree(title);
        return name;
    }

    Window topLevel(Window w) const
    {
        for (Window parent = parentOf(w); parent != top && parent != None; parent = parentOf(w))
            w = parent;
        return w;
    }

    std::optional<Window> findNamed(Window parent, const std::string &name, int depth,
                                    const std::function<bool(Window)> &accept) const
    {
        for (Window w : children(parent)) {
            XWindowAttributes attributes{};
            if (!XGetWindowAttributes(display, w, &attributes) || attributes.map_state != IsViewable)
                continue;
            if (nameOf(w) == name && (!accept || accept(w)))
                return w;
            if (depth > 1)
                if (const auto inside = findNamed(w, name, depth - 1, accept))
                    return inside;
        }
        return std::nullopt;
    }

    Display *display = nullptr;
    Window root = 0, top = 0; // top: where the top-level windows live
};
