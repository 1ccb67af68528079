// Tells from the Windows side whether the desktop's taskbar window "Shell_TrayWnd" is shown:
// prints "visible" or "hidden" (exit code 0), or "none" (exit code 2) where there is none.
#include <windows.h>

#include <cstdio>

int main()
{
    const HWND taskbar = FindWindowW(L"Shell_TrayWnd", nullptr);
    if (!taskbar) {
        std::puts("none");
        return 2;
    }
    std::puts(IsWindowVisible(taskbar) ? "visible" : "hidden");
    return 0;
}
