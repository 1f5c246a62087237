// setup_autopilot.cpp - setup_autopilot.dll, the click-script player as a
// window hook. play_setup.exe installs playerHook for the whole desktop and
// starts setuphost.exe; Windows then loads this module into each process
// that makes a window. It wakes only in the process whose environment names
// a script (PLAYER_SCRIPT_VARIABLE, which play_setup gives the host alone):
// there it answers the library's dialogs on the thread that shows them, from
// inside their own modal loops as a user's clicks arrive, photographs them,
// and takes one picture of the host's copy window as it closes. When the
// host process ends, it lists the dialogs it met and hands play_setup the
// number it could not answer. The host itself knows nothing of it.
#include <stdarg.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "player.h"
#include "state/path_text.h"
#include "state/text.h"

PlayerRun playerRun;

// What play_setup hands the host's process: the script, the pictures'
// folder, the run's name and the handle of the report it reads back.
static PlayerReport *report;
static bool started;
static bool copyPictured;
static HHOOK windowCallHook;

// Straight to the process's standard output: the host's C runtime may have
// closed its streams by the time the process ends and the list is printed.
void playerPrint(const char *format, ...)
{
    char line[600];
    va_list arguments;
    va_start(arguments, format);
    vsnprintf(line, sizeof line - 2, format, arguments);
    va_end(arguments);
    appendText(line, sizeof line, "\r\n");
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), line, (DWORD)strlen(line), &written, nullptr);
}

static bool environmentText(const char *name, char *value, size_t cap)
{
    DWORD n = GetEnvironmentVariableA(name, value, (DWORD)cap);
    return n > 0 && n < cap;
}

static bool isDialogWindow(HWND window)
{
    char name[16] = "";
    return GetClassNameA(window, name, sizeof name) && strcmp(name, "#32770") == 0;
}

// The host's own window is hidden again when its copy ends: the moment to
// photograph it, every file copied. The screen is given time to catch up
// while the thread still serves its messages.
static LRESULT CALLBACK onWindowCall(int code, WPARAM wParam, LPARAM lParam)
{
    const CWPSTRUCT *call = (const CWPSTRUCT *)lParam;
    if (code == HC_ACTION && !copyPictured && call->message == WM_SHOWWINDOW && !call->wParam &&
        !GetParent(call->hwnd) && IsWindowVisible(call->hwnd) && !isDialogWindow(call->hwnd)) {
        copyPictured = true;
        DWORD until = GetTickCount() + 300;
        while ((int)(until - GetTickCount()) > 0)
            MsgWaitForMultipleObjects(0, nullptr, FALSE, until - GetTickCount(), QS_PAINT);
        capturePicture(call->hwnd, "copying");
    }
    return CallNextHookEx(windowCallHook, code, wParam, lParam);
}

static void startInThisProcess()
{
    started = true;
    PlayerRun &p = playerRun;
    char value[PLAYER_PATH];
    if (!environmentText(PLAYER_SCRIPT_VARIABLE, p.script, sizeof p.script))
        return;
    copyText(p.runName, sizeof p.runName,
             environmentText(PLAYER_RUN_VARIABLE, value, sizeof value) ? value : "setup");
    if (environmentText(PLAYER_PICTURES_VARIABLE, value, sizeof value)) {
        // By character: the folder's last byte may be a trail byte 0x5C.
        formatText(p.pictureDir, sizeof p.pictureDir, "%s%s", value, endsWithSeparator(value) ? "" : "\\");
    }
    if (environmentText(PLAYER_REPORT_VARIABLE, value, sizeof value)) {
        HANDLE mapping = (HANDLE)(uintptr_t)strtoull(value, nullptr, 10);
        report = (PlayerReport *)MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, sizeof(PlayerReport));
    }
    if (!startPlayer()) {
        p.unanswered++;
        return;
    }
    if (report)
        report->playing = 1;
    if (p.pictureDir[0])
        windowCallHook = SetWindowsHookExA(WH_CALLWNDPROC, onWindowCall, nullptr, GetCurrentThreadId());
}

extern "C" {

// The hook play_setup installs; it only wakes the player.
__declspec(dllexport) LRESULT CALLBACK playerHook(int code, WPARAM wParam, LPARAM lParam)
{
    if (!started && code >= 0 && GetEnvironmentVariableA(PLAYER_SCRIPT_VARIABLE, nullptr, 0) > 0)
        startInThisProcess();
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

}

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, void *)
{
    if (reason == DLL_PROCESS_DETACH && started && playerRun.script[0]) {
        printDialogsSeen();
        if (report)
            report->unanswered = playerRun.unanswered;
    }
    return TRUE;
}
