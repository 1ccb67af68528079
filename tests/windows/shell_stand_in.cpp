// A stand-in for the Windows shell and for the other programs of a real PC, driven line by line
// from stdin while the test runs:
//   taskbar          make the shell's taskbar "Shell_TrayWnd", shown along the screen's bottom
//   show-taskbar     show the taskbar again, as the shell does when Start or Search closes
//   second-taskbar   add a taskbar "Shell_SecondaryTrayWnd", as for a further monitor
//   new-taskbar      the shell restarts: the taskbar is destroyed, a new one made, shown, and
//                    "TaskbarCreated" announced to every top-level window
//   topmost-window   another program's topmost window comes in front and takes the keyboard
//   quit             end (also at the end of stdin)
// After each disturbance it waits up to 3 s for the test to take the screen back, every taskbar
// hidden and the window "Tamri" in front with the keyboard, and prints "back after N ms" or "FAIL: ...".
// Its windows live until it ends, so that the taskbars can be looked at after the test ended.
#include <windows.h>

#include <cstdio>
#include <initializer_list>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr UINT commandMessage = WM_APP + 1;

ATOM windowClass(const wchar_t *name, COLORREF colour)
{
    WNDCLASSW description{};
    description.lpfnWndProc = DefWindowProcW;
    description.hInstance = GetModuleHandleW(nullptr);
    description.hbrBackground = CreateSolidBrush(colour);
    description.lpszClassName = name;
    return RegisterClassW(&description);
}

HWND makeWindow(const wchar_t *className, DWORD exStyle, int left, int top, int width, int height)
{
    const HWND window = CreateWindowExW(exStyle, className, nullptr, WS_POPUP, left, top, width, height, nullptr,
                                        nullptr, GetModuleHandleW(nullptr), nullptr);
    ShowWindow(window, SW_SHOWNOACTIVATE);
    return window;
}

// A taskbar 30 px high along the bottom of the screen, in a colour no test screen has.
HWND makeTaskbar(const wchar_t *className)
{
    return makeWindow(className, WS_EX_TOOLWINDOW | WS_EX_TOPMOST, 0, GetSystemMetrics(SM_CYSCREEN) - 30,
                      GetSystemMetrics(SM_CXSCREEN), 30);
}

std::vector<HWND> taskbars()
{
    std::vector<HWND> found;
    for (const wchar_t *className : {L"Shell_TrayWnd", L"Shell_SecondaryTrayWnd"})
        for (HWND window = nullptr; (window = FindWindowExW(nullptr, window, className, nullptr));)
            found.push_back(window);
    return found;
}

void pump()
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageW(&message);
}

// Whether the test has the screen: no taskbar shown and its main window in front.
std::string testsScreen()
{
    for (HWND taskbar : taskbars())
        if (IsWindowVisible(taskbar)) {
            char className[64] = "";
            GetClassNameA(taskbar, className, sizeof className);
            return std::string("a taskbar ") + className + " is shown";
        }
    const HWND front = GetForegroundWindow();
    char title[64] = "";
    GetWindowTextA(front, title, sizeof title);
    if (std::strcmp(title, "Tamri") != 0)
        return std::string("the window in front is \"") + title + "\", not \"Tamri\"";
    // The keyboard: the focus of the thread in front is a window of the test's.
    GUITHREADINFO input{};
    input.cbSize = sizeof input;
    DWORD testProcess = 0;
    DWORD focusProcess = 0;
    GetWindowThreadProcessId(front, &testProcess);
    if (!GetGUIThreadInfo(0, &input) || !input.hwndFocus)
        return "no window has the keyboard";
    GetWindowThreadProcessId(input.hwndFocus, &focusProcess);
    if (focusProcess != testProcess) {
        GetWindowTextA(input.hwndFocus, title, sizeof title);
        return std::string("the keyboard is with another program's window \"") + title + "\"";
    }
    return {};
}

void awaitTheTest(const std::string &disturbance)
{
    const DWORD start = GetTickCount();
    std::string state;
    while (!(state = testsScreen()).empty() && GetTickCount() - start < 3000) {
        pump();
        Sleep(10);
    }
    if (state.empty())
        std::printf("%s: back after %lu ms\n", disturbance.c_str(), GetTickCount() - start);
    else
        std::printf("FAIL: %s: after 3 s %s\n", disturbance.c_str(), state.c_str());
}

} // namespace

int main()
{
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    windowClass(L"Shell_TrayWnd", RGB(200, 0, 200));
    windowClass(L"Shell_SecondaryTrayWnd", RGB(0, 200, 200));
    windowClass(L"StandInNotice", RGB(255, 128, 0));
    const UINT taskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");

    // Commands arrive on another thread: this one keeps the windows answering.
    const DWORD mainThread = GetCurrentThreadId();
    MSG message;
    PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);   // the thread's queue exists from here
    std::thread reader([mainThread] {
        char line[64];
        while (std::fgets(line, sizeof line, stdin)) {
            line[std::strcspn(line, "\r\n")] = '\0';
            PostThreadMessageW(mainThread, commandMessage, 0, reinterpret_cast<LPARAM>(new std::string(line)));
        }
        PostThreadMessageW(mainThread, commandMessage, 0, reinterpret_cast<LPARAM>(new std::string("quit")));
    });
    reader.detach();

    HWND taskbar = nullptr;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (message.message != commandMessage) {
            DispatchMessageW(&message);
            continue;
        }
        const std::string command = *reinterpret_cast<std::string *>(message.lParam);
        delete reinterpret_cast<std::string *>(message.lParam);
        if (command == "quit")
            break;
        if (command == "taskbar") {
            taskbar = makeTaskbar(L"Shell_TrayWnd");
            std::printf("taskbar: made\n");
            continue;
        }
        if (command == "show-taskbar") {
            ShowWindow(taskbar, SW_SHOWNOACTIVATE);
        } else if (command == "second-taskbar") {
            // Above the main one's place, so that either can be told on the screen.
            const HWND second = makeTaskbar(L"Shell_SecondaryTrayWnd");
            SetWindowPos(second, nullptr, 0, GetSystemMetrics(SM_CYSCREEN) - 60, 0, 0,
                         SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        } else if (command == "new-taskbar") {
            DestroyWindow(taskbar);
            taskbar = makeTaskbar(L"Shell_TrayWnd");
            SendNotifyMessageW(HWND_BROADCAST, taskbarCreated, 0, 0);
        } else if (command == "topmost-window") {
            const int width = GetSystemMetrics(SM_CXSCREEN);
            const HWND notice = makeWindow(L"StandInNotice", WS_EX_TOPMOST, width / 2 - 200, 200, 400, 150);
            SetWindowTextW(notice, L"Update notice");
            SetForegroundWindow(notice);
        } else {
            std::printf("FAIL: unknown command \"%s\"\n", command.c_str());
            continue;
        }
        awaitTheTest(command);
    }
    return 0;
}
