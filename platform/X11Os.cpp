#ifndef _WIN32

#include "platform/NativeOs.h"
#include "platform/SessionInhibit.h"

#include <QWidget>

#include <ctime>

namespace platform {

namespace {

std::uint64_t monotonicNanoseconds()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::uint64_t>(now.tv_sec) * 1'000'000'000u + static_cast<std::uint64_t>(now.tv_nsec);
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

    bool confinePointer(WindowHandle) override { return false; }
    void freePointer() override {}
    void freePointerAtExit() override {}
    bool keepDisplayOn(bool on) override { return inhibitSessionScreenSaver(on); }

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
};

} // namespace

std::unique_ptr<Os> createNativeOs()
{
    return std::make_unique<X11Os>();
}

} // namespace platform

#endif
