// progress_window.cpp - the host's own window: hidden while the library's
// dialogs run (it owns them), shown while the host copies files, with the
// file being copied and a bar that follows install.ini's PERCENT figures.
#include "host.h"

static const char WINDOW_CLASS[] = "LumoriaSetupHost";
constexpr int WINDOW_WIDTH = 440;
constexpr int WINDOW_HEIGHT = 130;

static char progressText[128];
static int progressPercent;

static void onPaint(HWND window)
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    RECT client;
    GetClientRect(window, &client);
    HGDIOBJ oldFont = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    RECT line = {16, 14, client.right - 16, 34};
    DrawTextA(dc, progressText, -1, &line, DT_LEFT | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);

    RECT bar = {16, 44, client.right - 16, 66};
    FrameRect(dc, &bar, (HBRUSH)GetStockObject(GRAY_BRUSH));
    int percent = progressPercent < 0 ? 0 : progressPercent > 100 ? 100 : progressPercent;
    RECT filled = {bar.left + 2, bar.top + 2, 0, bar.bottom - 2};
    filled.right = filled.left + (bar.right - bar.left - 4) * percent / 100;
    HBRUSH blue = CreateSolidBrush(RGB(0, 0, 160));
    FillRect(dc, &filled, blue);
    DeleteObject(blue);

    char figure[16];
    formatText(figure, sizeof figure, "%d%%", percent);
    RECT under = {16, 72, client.right - 16, 92};
    DrawTextA(dc, figure, -1, &under, DT_CENTER | DT_SINGLELINE);
    SelectObject(dc, oldFont);
    EndPaint(window, &paint);
}

static LRESULT CALLBACK hostWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_PAINT) {
        onPaint(window);
        return 0;
    }
    if (message == WM_CLOSE)   // the copy ends by itself
        return 0;
    return DefWindowProcA(window, message, wParam, lParam);
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
    int x = (GetSystemMetrics(SM_CXSCREEN) - WINDOW_WIDTH) / 2;
    int y = (GetSystemMetrics(SM_CYSCREEN) - WINDOW_HEIGHT) / 2;
    return CreateWindowExA(0, WINDOW_CLASS, "Lumoria Setup", WS_OVERLAPPED | WS_CAPTION, x, y, WINDOW_WIDTH,
                           WINDOW_HEIGHT, nullptr, nullptr, c.hInstance, nullptr);
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
    formatText(progressText, sizeof progressText, "Copying %s ...", what);
    progressPercent = percent;
    if (!window)
        return;
    if (!IsWindowVisible(window))
        ShowWindow(window, SW_SHOWNORMAL);
    InvalidateRect(window, nullptr, TRUE);
    UpdateWindow(window);
    pumpMessages();
}

void hideCopyProgress()
{
    if (hostRun.window)
        ShowWindow(hostRun.window, SW_HIDE);
    pumpMessages();
}
