#ifdef _WIN32

#include "platform/NativeOs.h"

#include <windows.h>

#include <initializer_list>

namespace platform {

namespace {

HWND hwnd(WindowHandle window)
{
    return reinterpret_cast<HWND>(window);
}

// The shell's taskbar, and with more than one monitor a further one on each of the others; the
// one on the primary screen may then be one of those.
template <typename Action>
void forEachTaskbar(Action action)
{
    for (const wchar_t *taskbarClass : {L"Shell_TrayWnd", L"Shell_SecondaryTrayWnd"})
        for (HWND taskbar = nullptr; (taskbar = FindWindowExW(nullptr, taskbar, taskbarClass, nullptr));)
            action(taskbar);
}

class Win32Os : public Os {
public:
    Win32Os()
    {
        LARGE_INTEGER f;
        if (QueryPerformanceFrequency(&f) && f.QuadPart > 0)
            frequency = static_cast<std::uint64_t>(f.QuadPart);
    }

    WindowHandle findTaskbar() override
    {
        return reinterpret_cast<WindowHandle>(FindWindowW(L"Shell_TrayWnd", nullptr));
    }

    bool inForeground() override
    {
        DWORD process = 0;
        GetWindowThreadProcessId(GetForegroundWindow(), &process);
        return process == GetCurrentProcessId();
    }

    // GetTickCount advances in steps of about 15.6 ms, enough to move a search time across
    // a tenth of a second; the performance counter gives whole milliseconds instead, with
    // the same 32-bit wrap.
    std::uint32_t tickCount() override
    {
        const auto counter = performanceCounter();
        if (!counter || frequency == 0)
            return GetTickCount();
        const std::uint64_t ms = *counter / frequency * 1000 + *counter % frequency * 1000 / frequency;
        return static_cast<std::uint32_t>(ms);
    }

    std::optional<std::uint64_t> performanceCounter() override
    {
        LARGE_INTEGER value;
        if (!QueryPerformanceCounter(&value))
            return std::nullopt;
        return static_cast<std::uint64_t>(value.QuadPart);
    }

    std::uint64_t counterFrequency() override { return frequency; }

    // The clip is in device pixels of the virtual screen, as the window's rectangle is for a
    // program that is aware of each monitor's scaling.
    bool confinePointer(WindowHandle window) override
    {
        RECT wanted, now;
        if (!GetWindowRect(hwnd(window), &wanted))
            return false;
        if (!GetClipCursor(&now) || !EqualRect(&now, &wanted))
            ClipCursor(&wanted);
        return GetClipCursor(&now) && EqualRect(&now, &wanted);
    }

    void freePointer() override { ClipCursor(nullptr); }
    void freePointerAtExit() override { ClipCursor(nullptr); }

    bool keepDisplayOn(bool on) override
    {
        return SetThreadExecutionState(on ? ES_CONTINUOUS | ES_DISPLAY_REQUIRED | ES_SYSTEM_REQUIRED : ES_CONTINUOUS) != 0;
    }

    // A modal native dialog (printing, and the file dialog a PDF printer opens from it) disables
    // the window that owns it; the one to bring in front is its enabled popup.
    WindowHandle enabledPopup(WindowHandle window) override
    {
        const HWND owner = hwnd(window);
        if (IsWindowEnabled(owner))
            return window;
        HWND popup = GetLastActivePopup(owner);
        if (!popup || popup == owner || !IsWindowEnabled(popup))
            popup = GetWindow(owner, GW_ENABLEDPOPUP);
        return popup ? reinterpret_cast<WindowHandle>(popup) : window;
    }

protected:
    std::size_t listTaskbars(WindowHandle *into, std::size_t room) override
    {
        std::size_t count = 0;
        forEachTaskbar([&](HWND taskbar) {
            if (count < room)
                into[count++] = reinterpret_cast<WindowHandle>(taskbar);
        });
        return count;
    }

    bool isTaskbarShown(WindowHandle taskbar) override { return IsWindowVisible(hwnd(taskbar)); }

    void setTaskbarShown(WindowHandle taskbar, bool shown) override
    {
        ShowWindowAsync(hwnd(taskbar), shown ? SW_SHOW : SW_HIDE);
    }

    // IsHungAppWindow tells only after 5 s without an answer; sharing the input of a window that
    // stopped answering sooner, just after it came in front, stalls this thread as long as that
    // window does (seen under Wine). So the window is also asked, briefly.
    bool foregroundHung() override
    {
        const HWND front = GetForegroundWindow();
        DWORD_PTR answer = 0;
        return front
            && (IsHungAppWindow(front)
                || !SendMessageTimeoutW(front, WM_NULL, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK, 100, &answer));
    }

    // Fails also for this thread itself, for no window in front, and for an elevated window's
    // thread, which a program of lower integrity may not attach to.
    std::optional<AttachToken> attachForegroundInput() override
    {
        const DWORD foregroundThread = GetWindowThreadProcessId(GetForegroundWindow(), nullptr);
        if (!foregroundThread || !AttachThreadInput(foregroundThread, GetCurrentThreadId(), TRUE))
            return std::nullopt;
        return foregroundThread;
    }

    bool raiseWindow(WindowHandle window) override
    {
        return SetForegroundWindow(hwnd(window)) != FALSE;
    }

    void detachForegroundInput(AttachToken token) override
    {
        AttachThreadInput(static_cast<DWORD>(token), GetCurrentThreadId(), FALSE);
    }

private:
    std::uint64_t frequency = 0;
};

} // namespace

std::unique_ptr<Os> createNativeOs()
{
    return std::make_unique<Win32Os>();
}

} // namespace platform

#endif
