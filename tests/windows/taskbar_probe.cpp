// Tells from the Windows side whether the desktop's taskbars are shown: the main one
// ("Shell_TrayWnd") and those of further monitors ("Shell_SecondaryTrayWnd"). Prints "visible"
// when every one is shown, "hidden" when none is, "partly hidden" otherwise (exit code 0), or
// "none" (exit code 2) where there is no taskbar. A taskbar window without a size is none: Wine's
// explorer keeps such a one, hidden, on a desktop where it is not the shell.
#include <windows.h>

#include <cstdio>
#include <initializer_list>

int main()
{
    int shown = 0;
    int all = 0;
    for (const wchar_t *className : {L"Shell_TrayWnd", L"Shell_SecondaryTrayWnd"})
        for (HWND taskbar = nullptr; (taskbar = FindWindowExW(nullptr, taskbar, className, nullptr));) {
            RECT place{};
            if (!GetWindowRect(taskbar, &place) || IsRectEmpty(&place))
                continue;
            ++all;
            shown += IsWindowVisible(taskbar) != 0;
        }
    if (all == 0) {
        std::puts("none");
        return 2;
    }
    std::puts(shown == all ? "visible" : shown == 0 ? "hidden" : "partly hidden");
    return 0;
}
