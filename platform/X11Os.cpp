#ifndef _WIN32

#include "platform/NativeOs.h"
#include "platform/SessionInhibit.h"

#include <QGuiApplication>
#include <QWidget>
#include <qguiapplication_platform.h>

#include <xcb/screensaver.h>
#include <xcb/xcb.h>
#include <xcb/xfixes.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <utility>

namespace platform {

namespace {

std::uint64_t monotonicNanoseconds()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::uint64_t>(now.tv_sec) * 1'000'000'000u + static_cast<std::uint64_t>(now.tv_nsec);
}

// Qt's own connection to the X server, or none where the program runs on another platform
// (natively on Wayland, offscreen) or the application is gone.
xcb_connection_t *xcbConnection()
{
    if (!qGuiApp || QGuiApplication::platformName() != QLatin1String("xcb"))
        return nullptr;
    const auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

template <typename Reply>
using Owned = std::unique_ptr<Reply, decltype(&std::free)>;

template <typename Reply>
Owned<Reply> owned(Reply *reply)
{
    return Owned<Reply>(reply, &std::free);
}

struct Area {
    int x = 0, y = 0, right = 0, bottom = 0; // right and bottom just past the last pixel
    bool operator==(const Area &) const = default;
};

// Where a top-level window lies on the root window, in device pixels, also inside a window
// manager's frame; nothing for a window that is gone.
std::optional<Area> rootArea(xcb_connection_t *c, xcb_window_t window, xcb_window_t *root)
{
    const auto geometry = owned(xcb_get_geometry_reply(c, xcb_get_geometry(c, window), nullptr));
    if (!geometry)
        return std::nullopt;
    const auto place = owned(xcb_translate_coordinates_reply(
        c, xcb_translate_coordinates(c, window, geometry->root, 0, 0), nullptr));
    if (!place)
        return std::nullopt;
    *root = geometry->root;
    return Area{place->dst_x, place->dst_y, place->dst_x + geometry->width, place->dst_y + geometry->height};
}

bool hasBarriers(xcb_connection_t *c)
{
    const xcb_query_extension_reply_t *extension = xcb_get_extension_data(c, &xcb_xfixes_id);
    if (!extension || !extension->present)
        return false;
    // Barriers came with version 5, which the server grants a client only when asked. The version
    // asked for is the one Qt asks for on the same connection: a lower one would replace Qt's.
    const auto version = owned(xcb_xfixes_query_version_reply(
        c, xcb_xfixes_query_version(c, XCB_XFIXES_MAJOR_VERSION, XCB_XFIXES_MINOR_VERSION), nullptr));
    return version && version->major_version >= 5;
}

// X11 desktops have no single taskbar window to hide. The main window is a full-screen,
// stay-on-top window instead, which covers every panel while it is shown; the panels come
// back by themselves when it is hidden or the process ends in any way, even by SIGKILL.
class X11Os : public Os {
public:
    static constexpr WindowHandle desktopPanels = 1;

    WindowHandle findTaskbar() override { return desktopPanels; }
    // Which window has the keyboard is the window manager's affair here.
    bool inForeground() override { return true; }

    std::uint32_t tickCount() override
    {
        return static_cast<std::uint32_t>(monotonicNanoseconds() / 1'000'000u);
    }

    std::optional<std::uint64_t> performanceCounter() override { return monotonicNanoseconds(); }
    std::uint64_t counterFrequency() override { return 1'000'000'000; }

    // Pointer barriers along the window's four edges, which stop the pointer's relative motion
    // (a mouse, a touchpad) and leave Qt's input alone; a server without them gets a pointer grab
    // confined to the window instead. Absolute devices (a tablet, a touch screen) and warps pass
    // barriers, as the X server wants.
    bool confinePointer(WindowHandle window) override
    {
        xcb_connection_t *c = xcbConnection();
        xcb_window_t root = XCB_NONE;
        const auto area = c ? rootArea(c, static_cast<xcb_window_t>(window), &root) : std::nullopt;
        if (!area || (confined && *area == *confined))
            return area.has_value();
        freePointer();
        // A pointer outside would be kept outside: it comes to the nearest point inside first.
        if (const auto pointer = owned(xcb_query_pointer_reply(c, xcb_query_pointer(c, root), nullptr))) {
            const int x = std::clamp<int>(pointer->root_x, area->x, area->right - 1);
            const int y = std::clamp<int>(pointer->root_y, area->y, area->bottom - 1);
            if (x != pointer->root_x || y != pointer->root_y)
                xcb_warp_pointer(c, XCB_NONE, root, 0, 0, 0, 0, static_cast<std::int16_t>(x), static_cast<std::int16_t>(y));
        }
        if (hasBarriers(c)) {
            const auto [left, top, right, bottom] = *area;
            const std::array<std::array<int, 4>, 4> edges = {
                {{left, top, right, top}, {right, top, right, bottom}, {left, bottom, right, bottom}, {left, top, left, bottom}}};
            for (std::size_t i = 0; i < edges.size(); ++i) {
                const auto [x1, y1, x2, y2] = edges[i];
                barriers[i] = xcb_generate_id(c);
                const auto error = owned(xcb_request_check(c, xcb_xfixes_create_pointer_barrier_checked(
                    c, barriers[i], root, static_cast<std::uint16_t>(x1), static_cast<std::uint16_t>(y1),
                    static_cast<std::uint16_t>(x2), static_cast<std::uint16_t>(y2), 0, 0, nullptr)));
                if (error)
                    barriers[i] = XCB_NONE;
            }
        } else {
            const auto grab = owned(xcb_grab_pointer_reply(
                c, xcb_grab_pointer(c, true, static_cast<xcb_window_t>(window), 0, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC,
                                    static_cast<xcb_window_t>(window), XCB_NONE, XCB_CURRENT_TIME), nullptr));
            grabbed = grab && grab->status == XCB_GRAB_STATUS_SUCCESS;
        }
        // Where neither took (another client holds a grab, say), the next call tries again.
        if (grabbed || std::any_of(barriers.begin(), barriers.end(), [](xcb_xfixes_barrier_t b) { return b != XCB_NONE; }))
            confined = area;
        xcb_flush(c);
        return confined.has_value();
    }

    void freePointer() override
    {
        xcb_connection_t *c = xcbConnection();
        confined.reset();
        if (!c)
            return;
        for (xcb_xfixes_barrier_t &barrier : barriers)
            if (barrier != XCB_NONE)
                xcb_xfixes_delete_pointer_barrier(c, std::exchange(barrier, XCB_NONE));
        if (std::exchange(grabbed, false))
            xcb_ungrab_pointer(c, XCB_CURRENT_TIME);
        xcb_flush(c);
    }

    // The X server deletes a client's barriers and ends its grab when its connection closes,
    // however the process ends, by SIGKILL too: nothing is left to undo here.
    void freePointerAtExit() override {}

    bool keepDisplayOn(bool on) override
    {
        const bool inhibited = inhibitSessionScreenSaver(on);
        // The server counts suspensions per client and ends them with its connection.
        xcb_connection_t *c = xcbConnection();
        if (!c || on == saverSuspended)
            return inhibited || saverSuspended;
        const xcb_query_extension_reply_t *extension = xcb_get_extension_data(c, &xcb_screensaver_id);
        if (!extension || !extension->present)
            return inhibited;
        xcb_screensaver_suspend(c, on);
        xcb_flush(c);
        saverSuspended = on;
        return inhibited || saverSuspended;
    }

protected:
    std::size_t listTaskbars(WindowHandle *, std::size_t) override { return 0; }
    bool isTaskbarShown(WindowHandle) override { return false; }
    void setTaskbarShown(WindowHandle, bool) override {}
    bool foregroundHung() override { return false; }
    std::optional<AttachToken> attachForegroundInput() override { return std::nullopt; }

    bool raiseWindow(WindowHandle window) override
    {
        QWidget *widget = QWidget::find(static_cast<WId>(window));
        if (!widget)
            return false;
        widget->raise();
        widget->activateWindow();
        return true;
    }

    void detachForegroundInput(AttachToken) override {}

private:
    std::optional<Area> confined;
    std::array<xcb_xfixes_barrier_t, 4> barriers{};
    bool grabbed = false;
    bool saverSuspended = false;
};

} // namespace

std::unique_ptr<Os> createNativeOs()
{
    return std::make_unique<X11Os>();
}

} // namespace platform

#endif
