/* listener.c - stand-in for a running part of the product: a hidden top-level
 * window that registers "Lumoria deinstall" and appends one line
 * "Lumoria deinstall <wParam> <lParam>" per broadcast it receives to the file
 * named on its command line. With "hang" as the second argument it stops
 * pumping messages once its window exists, as a hung program does; with
 * "slow" it takes about five seconds to handle the broadcast, as a program
 * that has much to unload does, and records it after that; with "block" it
 * answers every other message but never returns from the broadcast, as a
 * program that hangs while it unloads does.
 *
 *   listener.exe <record file> [hang|slow|block] */
#include <windows.h>
#include <stdio.h>
#include <string.h>

static UINT deinstallMessage;
static char recordPath[MAX_PATH];
static int slow;
static int block;

static void record(WPARAM wParam, LPARAM lParam)
{
    FILE *f = fopen(recordPath, "ab");
    if (!f)
        return;
    fprintf(f, "Lumoria deinstall %lu %ld\n", (unsigned long)wParam, (long)lParam);
    fclose(f);
}

static LRESULT CALLBACK listenerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (deinstallMessage && message == deinstallMessage) {
        if (slow)
            Sleep(5000);
        if (block)
            for (;;)
                Sleep(INFINITE);
        record(wParam, lParam);
        return 0;
    }
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

/* The command line's first argument, quoted or not, and the rest. */
static const char *nextArgument(const char *p, char *out, size_t cap)
{
    while (*p == ' ')
        p++;
    char end = ' ';
    if (*p == '"')
        end = *p++;
    size_t n = 0;
    while (*p && *p != end) {
        if (n + 1 < cap)
            out[n++] = *p;
        p++;
    }
    out[n] = 0;
    if (*p == end)
        p++;
    return p;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show)
{
    (void)previous;
    (void)show;
    char mode[16];
    const char *rest = nextArgument(commandLine, recordPath, sizeof recordPath);
    nextArgument(rest, mode, sizeof mode);
    if (!recordPath[0])
        return 2;

    deinstallMessage = RegisterWindowMessageA("Lumoria deinstall");
    WNDCLASSA wc;
    memset(&wc, 0, sizeof wc);
    wc.lpfnWndProc = listenerProc;
    wc.hInstance = instance;
    wc.lpszClassName = "DialogintListener";
    if (!RegisterClassA(&wc))
        return 3;
    HWND window = CreateWindowA("DialogintListener", "dialogint listener", WS_OVERLAPPEDWINDOW,
                                0, 0, 100, 100, NULL, NULL, instance, NULL);
    if (!window)
        return 4;

    slow = strcmp(mode, "slow") == 0;
    block = strcmp(mode, "block") == 0;
    if (strcmp(mode, "hang") == 0)
        for (;;)
            Sleep(INFINITE);

    MSG msg;
    while (GetMessageA(&msg, NULL, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}
