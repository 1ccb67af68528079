#ifdef _WIN32

#include "platform/NativeOs.h"

#include <windows.h>

namespace platform {

namespace {

HWND hwnd(WindowHandle window)
{
    return reinterpret_cast<HWND>(window);
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

    void hideWindow(WindowHandle window) override
    {
        if (window)
            ShowWindow(hwnd(window), SW_HIDE);
    }

    void showWindow(WindowHandle window) override
    {
        if (window)
            ShowWindow(hwnd(window), SW_SHOW);
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

protected:
    AttachToken attachForegroundInput() override
    {
        const DWORD foregroundThread = GetWindowThreadProcessId(GetForegroundWindow(), nullptr);
        AttachThreadInput(foregroundThread, GetCurrentThreadId(), TRUE);
        return foregroundThread;
    }

    void raiseWindow(WindowHandle window) override
    {
        SetForegroundWindow(hwnd(window));
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
