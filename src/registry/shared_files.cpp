// shared_files.cpp - what the removal entries do beside asking: the shared
// file's question text, the launch module's start, and the unload
// broadcast. Nothing is kept between calls; only the launch module stays
// loaded, as the product expects it to run on in the host process.
#include "shared_files.h"

#include <string.h>

#include "registry_access.h"
#include "state/module_load.h"
#include "state/setup_state.h"
#include "state/text.h"
#include "state/setup_log.h"
#include "state/path_text.h"

bool formLaunchPath(const char *directory, char *path, size_t cap)
{
    bool fits = copyText(path, cap, directory);
    // An empty folder gives the root's module; the entry never asks for it.
    if (fits && !directory[0])
        fits = appendText(path, cap, "\\");
    if (fits)
        fits = appendPathName(path, cap, LAUNCH_MODULE_NAME);
    if (!fits && cap > 0)
        path[0] = 0;
    return fits;
}

// True when format holds at most one conversion and that one is "%s".
static bool takesOneTextInsert(const WCHAR *format)
{
    int inserts = 0;
    for (const WCHAR *p = format; *p; p++) {
        if (*p != '%')
            continue;
        if (p[1] == '%') {
            p++;
            continue;
        }
        if (p[1] != 's' || ++inserts > 1)
            return false;
        p++;
    }
    return true;
}

bool formatSharedFileMessage(WCHAR *message, size_t cap, const WCHAR *format, const WCHAR *insertText)
{
    if (cap == 0)
        return false;
    // The format is the resource module's: a translation with another
    // conversion is shown as it stands.
    bool insert = takesOneTextInsert(format);
    size_t used = 0;
    bool whole = true;
    for (const WCHAR *p = format; *p && whole; p++) {
        const WCHAR *piece = p;
        size_t length = 1;
        if (insert && p[0] == '%' && p[1] == '%') {
            p++;
        } else if (insert && p[0] == '%' && p[1] == 's') {
            piece = insertText ? insertText : L"";
            length = (size_t)lstrlenW(piece);
            p++;
        }
        for (size_t i = 0; i < length; i++) {
            if (used + 1 >= cap) {
                whole = false;
                break;
            }
            message[used++] = piece[i];
        }
    }
    // Never half of a character made of two units.
    if (!whole && used > 0 && IS_HIGH_SURROGATE(message[used - 1]))
        used--;
    message[used] = 0;
    return whole;
}

typedef void(WINAPI *LaunchEntry)(void);

LaunchStart startLaunchModule(const char *path)
{
    UINT previous = SetErrorMode(SEM_NOOPENFILEERRORBOX);
    HMODULE module = loadModuleAt(path);
    LaunchStart start = LAUNCH_NOT_LOADED;
    if ((UINT_PTR)module > 32) {
        LaunchEntry entry =
            (LaunchEntry)(void *)GetProcAddress(module, MAKEINTRESOURCEA(LAUNCH_ENTRY_ORDINAL));
        start = entry ? LAUNCH_STARTED : LAUNCH_NO_ENTRY;
        if (entry)
            entry();
    }
    SetErrorMode(previous);
    return start;
}

// The broadcast, window by window as HWND_BROADCAST would reach them.
struct UnloadBroadcast {
    UINT message;
    DWORD hungThreads[64];   // threads that did not answer: their other windows are passed over
    int hungCount;
};

static bool threadHung(const UnloadBroadcast &b, DWORD thread)
{
    for (int i = 0; i < b.hungCount; i++)
        if (b.hungThreads[i] == thread)
            return true;
    return false;
}

static void passOver(UnloadBroadcast &b, DWORD thread)
{
    if (b.hungCount < (int)(sizeof b.hungThreads / sizeof b.hungThreads[0]))
        b.hungThreads[b.hungCount++] = thread;
}

static BOOL CALLBACK tellWindow(HWND window, LPARAM param)
{
    UnloadBroadcast &b = *(UnloadBroadcast *)param;
    DWORD thread = GetWindowThreadProcessId(window, nullptr);
    if (threadHung(b, thread))
        return TRUE;
    // A bounded question first: whether the window's program still answers.
    // One that does is then given the time it needs to unload while it goes
    // on reading its messages; one that stops doing so while it handles the
    // message (hung, by the system's test) is passed over, or the removal
    // would wait for it for ever.
    DWORD_PTR reply;
    if (!SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG | SMTO_NORMAL, UNLOAD_BROADCAST_TIMEOUT_MS,
                             &reply)) {
        logFailure(GetLastError(), "unload broadcast: window %p does not answer", (void *)window);
        passOver(b, thread);
        return TRUE;
    }
    if (!SendMessageTimeoutA(window, b.message, 0, 0, SMTO_ABORTIFHUNG | SMTO_NOTIMEOUTIFNOTHUNG,
                             UNLOAD_HANDLING_TIMEOUT_MS, &reply)) {
        logFailure(GetLastError(), "unload broadcast: window %p stopped answering while it unloaded",
                   (void *)window);
        passOver(b, thread);
    }
    return TRUE;
}

int broadcastUnload()
{
    UnloadBroadcast broadcast = {};
    broadcast.message = RegisterWindowMessageA(DEINSTALL_MESSAGE_NAME);
    if (!broadcast.message) {
        logFailure(GetLastError(), "unload broadcast: the message cannot be registered");
        return -1;
    }
    EnumWindows(tellWindow, (LPARAM)&broadcast);
    return broadcast.hungCount;
}
