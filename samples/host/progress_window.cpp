// progress_window.cpp - the host's own window: hidden while the library's
// dialogs run (it owns them), shown while the host copies files, naming the
// file being copied and install.ini's PERCENT figure for it.
#include "host.h"

static const char WINDOW_CLASS[] = "LumoriaSetupHost";
static HWND progressText;   // the static control inside the window

static LRESULT CALLBACK hostWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    // The copy ends by itself: the window cannot be closed.
    return message == WM_CLOSE ? 0 : DefWindowProcA(window, message, wParam, lParam);
}

HWND createHostWindow()
{
    WNDCLASSA c = {};
    c.lpfnWndProc = hostWindowProc;
    c.hInstance = GetModuleHandleA(nullptr);
    c.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    c.hbrBackground = (HBRUSH)(COLOR_BTNFACE + 1);
    c.lpszClassName = WINDOW_CLASS;
    RegisterClassA(&c);
    const int width = 440, height = 110;
    HWND window = CreateWindowExA(0, WINDOW_CLASS, "Lumoria Setup", WS_OVERLAPPED | WS_CAPTION,
                                  (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                                  (GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height, nullptr, nullptr,
                                  c.hInstance, nullptr);
    progressText = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS,
                                   16, 24, width - 40, 20, window, nullptr, c.hInstance, nullptr);
    SendMessageA(progressText, WM_SETFONT, (WPARAM)GetStockObject(DEFAULT_GUI_FONT), FALSE);
    return window;
}

void pumpMessages()
{
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

void showCopyProgress(const char *what, int percent)
{
    HWND window = hostRun.window;
    char text[128];
    if (!window)
        return;
    formatText(text, sizeof text, "Copying %s ...  %d%%", what, percent < 0 ? 0 : percent > 100 ? 100 : percent);
    SetWindowTextA(progressText, text);
    if (!IsWindowVisible(window))
        ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);
    pumpMessages();
}

void hideCopyProgress()
{
    if (hostRun.window)
        ShowWindow(hostRun.window, SW_HIDE);
    pumpMessages();
}
