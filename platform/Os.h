#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

namespace platform {

// An opaque window handle of the desktop (a HWND on Windows); 0 means "none".
using WindowHandle = std::uintptr_t;

// The few things the program takes from the operating system. One implementation is
// installed at start; tests install a fake.
class Os {
public:
    virtual ~Os() = default;

    // The desktop's taskbar, or 0 where there is none.
    virtual WindowHandle findTaskbar() = 0;
    // Every taskbar of the desktop: the main one and one on each further monitor, also those
    // made after the start (a restarted shell makes new ones, shown).
    bool taskbarShown();
    std::size_t taskbarCount();
    virtual void hideTaskbars();
    // Hides the taskbars at the start, remembering those hidden already (by a kiosk tool): they
    // stay hidden at the end, when every other taskbar is shown, the ones hidden here as well as
    // any a restarted shell made meanwhile. Allocates nothing, so that a signal handler may
    // show them.
    void takeTaskbars();
    virtual void showTaskbars();
    // Whether the desktop's foreground window is one of this program's.
    virtual bool inForeground() = 0;

    // Brings the program's top-level window to the front even against the desktop's
    // foreground rules, and says whether it got there. The input of the thread in front is
    // shared only for the request and never with a hung window's thread: this thread would
    // stall with it. An elevated window may refuse both the sharing and the front; the caller
    // then waits before asking again. The sharing is undone on every path, also when raising
    // throws.
    bool bringToFront(WindowHandle window);

    // Keeps the pointer on the window's rectangle, so that a click cannot land on another screen.
    // The keeper asks again while the test holds the front, since the desktop lifts it (another
    // window in front, a change of displays, the secure desktop); asking again where nothing has
    // changed costs nothing. Says whether the desktop holds the pointer there, as far as it tells.
    virtual bool confinePointer(WindowHandle window) = 0;
    virtual void freePointer() = 0;
    // The same from the desktop guard as the process ends: allocates nothing and waits for
    // nothing. Where the desktop frees the pointer itself when the process goes, it does nothing.
    virtual void freePointerAtExit() = 0;
    // No screen saver, no blanking and no lock from idleness while on. Silent where the desktop
    // offers no way; what is asked dies with the process, so the guard need not undo it. Says
    // whether something took the request.
    virtual bool keepDisplayOn(bool on) = 0;
    // The window to bring in front for this one: the native dialog it opened and that disables
    // it (printing, a file dialog), or the window itself.
    virtual WindowHandle enabledPopup(WindowHandle window) { return window; }

    // Milliseconds since an arbitrary start, wrapping at 2^32 like the Windows tick count.
    virtual std::uint32_t tickCount() = 0;
    // A high-resolution counter, or nothing where it cannot be read, and its counts per second.
    virtual std::optional<std::uint64_t> performanceCounter() = 0;
    virtual std::uint64_t counterFrequency() = 0;

protected:
    virtual std::size_t listTaskbars(WindowHandle *into, std::size_t room) = 0;
    virtual bool isTaskbarShown(WindowHandle taskbar) = 0;
    // Asked without waiting for the answer: the taskbars belong to the shell, and a shell that
    // hangs must not hang the test, nor a process that is ending.
    virtual void setTaskbarShown(WindowHandle taskbar, bool shown) = 0;

    using AttachToken = std::uintptr_t;
    // Whether the window in front has stopped answering its messages.
    virtual bool foregroundHung() = 0;
    // Nothing where the input is not shared: refused, or this thread is in front itself.
    virtual std::optional<AttachToken> attachForegroundInput() = 0;
    virtual bool raiseWindow(WindowHandle window) = 0;
    virtual void detachForegroundInput(AttachToken token) = 0;

private:
    static constexpr std::size_t maxTaskbars = 16;
    // On the stack: the guard shows the taskbars from a signal handler.
    template <typename Action>
    void eachTaskbar(Action action)
    {
        WindowHandle taskbars[maxTaskbars];
        const std::size_t count = listTaskbars(taskbars, maxTaskbars);
        for (std::size_t i = 0; i < count; ++i)
            action(taskbars[i]);
    }
    WindowHandle hiddenBefore[maxTaskbars] = {};
    std::size_t hiddenBeforeCount = 0;
};

Os &os();
// Installs the implementation used from now on; the caller keeps ownership.
void install(Os *implementation);

} // namespace platform
