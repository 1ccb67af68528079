// A stand-in for the Windows shell and for the other programs of a real PC, driven line by line
// from stdin while the test runs:
//   taskbar          make the shell's taskbar "Shell_TrayWnd", shown along the screen's bottom
//   show-taskbar     show the taskbar again, as the shell does when Start or Search closes
//   second-taskbar   add a taskbar "Shell_SecondaryTrayWnd", as for a further monitor
//   new-taskbar      the shell restarts: the taskbar is destroyed, a new one made, shown, and
//                    "TaskbarCreated" announced to every top-level window
//   topmost-window   another program's topmost window comes in front and takes the keyboard
//   hung-window      the same, and then its thread stops answering until the end; once the
//                    desktop calls it hung, it comes in front once more
//   clip-pointer     another program keeps the pointer on a corner without coming in front
//   printer          add a default printer that prints to a file (Wine finds none without CUPS)
//   quit             end (also at the end of stdin)
// After each disturbance it waits up to 3 s for the test to take the screen back, every taskbar
// hidden and the window "Tamri" in front with the keyboard and the pointer kept on it, and prints
// "back after N ms" or "FAIL: ...". After "show-taskbar TITLE" or "topmost-window TITLE" the
// test's dialog of that title must be in front with the keyboard instead.
// Its windows live until it ends, so that the taskbars can be looked at after the test ended.
#include <windows.h>
#include <winspool.h>

#include <cstdio>
#include <initializer_list>
#include <cstring>
#include <cwchar>
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

// Read without asking the window, which may not answer (GetWindowText asks this process's own).
std::string titleOf(HWND window)
{
    wchar_t title[64] = L"";
    InternalGetWindowText(window, title, 64);
    return std::string(title, title + std::wcslen(title));
}

// Whether the test has the screen: no taskbar shown and its window of this title in front.
std::string testsScreen(const std::string &expected)
{
    for (HWND taskbar : taskbars())
        if (IsWindowVisible(taskbar)) {
            char className[64] = "";
            GetClassNameA(taskbar, className, sizeof className);
            return std::string("a taskbar ") + className + " is shown";
        }
    const HWND front = GetForegroundWindow();
    std::string title = titleOf(front);
    if (title != expected)
        return "the window in front is \"" + title + "\", not \"" + expected + "\"";
    // The keyboard: the focus of the thread in front is a window of the test's.
    GUITHREADINFO input{};
    input.cbSize = sizeof input;
    DWORD testProcess = 0;
    DWORD focusProcess = 0;
    GetWindowThreadProcessId(front, &testProcess);
    if (!GetGUIThreadInfo(0, &input) || !input.hwndFocus)
        return "no window has the keyboard";
    GetWindowThreadProcessId(input.hwndFocus, &focusProcess);
    if (focusProcess != testProcess)
        return "the keyboard is with another program's window \"" + titleOf(input.hwndFocus) + "\"";
    if (expected != "Tamri")   // a dialog, which leaves the pointer free
        return {};
    // One monitor: Tamri's rectangle is the whole screen, as a free pointer's, and a change of the
    // window in front frees the pointer; only a clip of another program's shows here.
    RECT clip{}, place{};
    GetClipCursor(&clip);
    GetWindowRect(front, &place);
    if (!EqualRect(&clip, &place))
        return "the pointer is kept on a rectangle " + std::to_string(clip.right - clip.left) + " x " +
               std::to_string(clip.bottom - clip.top) + " px, not on \"Tamri\"";
    return {};
}

void awaitTheTest(const std::string &disturbance, const std::string &front = "Tamri")
{
    const DWORD start = GetTickCount();
    std::string state;
    while (!(state = testsScreen(front)).empty() && GetTickCount() - start < 3000) {
        pump();
        Sleep(10);
    }
    if (state.empty())
        std::printf("%s: back after %lu ms\n", disturbance.c_str(), GetTickCount() - start);
    else
        std::printf("FAIL: %s: after 3 s %s\n", disturbance.c_str(), state.c_str());
}

HANDLE unhang = CreateEventW(nullptr, TRUE, FALSE, nullptr);

// Once the desktop calls the window hung (Windows does after 5 s without an answer), it comes in
// front again: the test must take the front back without sharing the hung thread's input.
void hangWindow()
{
    HWND window = nullptr;
    const HANDLE shown = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::thread([&window, shown] {
        const HWND own = makeWindow(L"StandInNotice", WS_EX_TOPMOST, 100, 200, 400, 150);
        SetWindowTextW(own, L"Hung program");
        SetForegroundWindow(own);
        window = own;
        SetEvent(shown);
        WaitForSingleObject(unhang, INFINITE);
        DestroyWindow(own);
    }).detach();
    // Answering meanwhile: its activation sends to this thread's windows.
    while (MsgWaitForMultipleObjects(1, &shown, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0)
        pump();
    CloseHandle(shown);
    // Meanwhile the test takes the front back from it.
    const DWORD start = GetTickCount();
    while (!IsHungAppWindow(window) && GetTickCount() - start < 8000) {
        pump();
        Sleep(10);
    }
    if (!IsHungAppWindow(window)) {
        std::printf("FAIL: hung-window: Wine does not call it hung within 8 s\n");
        return;
    }
    SetForegroundWindow(window);
    awaitTheTest("hung-window (hung after " + std::to_string(GetTickCount() - start) + " ms)");
}

// Wine's PostScript driver with the least description it reads, and a printer using it.
bool addPrinter()
{
    wchar_t ppd[MAX_PATH];
    GetTempPathW(MAX_PATH, ppd);
    std::wcscat(ppd, L"tamri_test.ppd");
    FILE *file = _wfopen(ppd, L"w");
    if (!file)
        return false;
    std::fputs("*PPD-Adobe: \"4.3\"\n*NickName: \"Test printer\"\n*DefaultPageSize: A4\n*PageSize A4: \"\"\n"
               "*DefaultImageableArea: A4\n*ImageableArea A4: \"0 0 595 842\"\n*DefaultPaperDimension: A4\n"
               "*PaperDimension A4: \"595 842\"\n", file);
    std::fclose(file);
    DRIVER_INFO_3W driver{};
    driver.cVersion = 3;
    driver.pName = const_cast<wchar_t *>(L"Test printer");
    driver.pDriverPath = driver.pConfigFile = const_cast<wchar_t *>(L"wineps.drv");
    driver.pDataFile = ppd;
    PRINTER_INFO_2W printer{};
    printer.pPrinterName = printer.pDriverName = driver.pName;
    printer.pPortName = const_cast<wchar_t *>(L"FILE:");
    printer.pPrintProcessor = const_cast<wchar_t *>(L"WinPrint");
    printer.pDatatype = const_cast<wchar_t *>(L"RAW");
    if (!AddPrinterDriverExW(nullptr, 3, reinterpret_cast<BYTE *>(&driver), APD_COPY_NEW_FILES))
        return false;
    const HANDLE added = AddPrinterW(nullptr, 2, reinterpret_cast<BYTE *>(&printer));
    return added && ClosePrinter(added) && SetDefaultPrinterW(printer.pPrinterName);
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
        const std::string line = *reinterpret_cast<std::string *>(message.lParam);
        delete reinterpret_cast<std::string *>(message.lParam);
        // "command TITLE": the test's window of that title must come back in front.
        const std::size_t space = line.find(' ');
        const std::string command = line.substr(0, space);
        const std::string front = space == std::string::npos ? "Tamri" : line.substr(space + 1);
        if (command == "quit")
            break;
        if (command == "hung-window") {
            hangWindow();
            continue;
        }
        if (command == "printer") {
            if (addPrinter())
                std::printf("printer: added\n");
            else
                std::printf("FAIL: printer: error %lu\n", GetLastError());
            continue;
        }
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
        } else if (command == "clip-pointer") {
            const RECT corner{0, 0, 200, 100};
            ClipCursor(&corner);
        } else {
            std::printf("FAIL: unknown command \"%s\"\n", command.c_str());
            continue;
        }
        awaitTheTest(line, front);
    }
    SetEvent(unhang);
    return 0;
}
