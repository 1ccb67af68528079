// Tells from the Windows side whether the desktop's taskbars are shown: the main one
// ("Shell_TrayWnd") and those of further monitors ("Shell_SecondaryTrayWnd"). Prints "visible"
// when every one is shown, "hidden" when none is, "partly hidden" otherwise (exit code 0), or
// "none" (exit code 2) where there is no taskbar. A taskbar window without a size is none: Wine 8's
// explorer keeps such a one, hidden, on a desktop where it is not the shell. Wine 10's has a size
// there: with --without-explorer (on the shell stand-in's desktop) explorer's windows are none.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <initializer_list>

namespace {

bool ofExplorer(HWND window)
{
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    const HANDLE handle = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process);
    if (!handle)
        return false;
    wchar_t path[MAX_PATH] = L"";
    DWORD size = MAX_PATH;
    const bool named = QueryFullProcessImageNameW(handle, 0, path, &size);
    CloseHandle(handle);
    const std::size_t length = std::wcslen(path);
    return named && length >= 12 && _wcsicmp(path + length - 12, L"explorer.exe") == 0;
}

} // namespace

int main(int argc, char *argv[])
{
    const bool withoutExplorer = argc > 1 && std::strcmp(argv[1], "--without-explorer") == 0;
    int shown = 0;
    int all = 0;
    for (const wchar_t *className : {L"Shell_TrayWnd", L"Shell_SecondaryTrayWnd"})
        for (HWND taskbar = nullptr; (taskbar = FindWindowExW(nullptr, taskbar, className, nullptr));) {
            RECT place{};
            if (!GetWindowRect(taskbar, &place) || IsRectEmpty(&place) || (withoutExplorer && ofExplorer(taskbar)))
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
