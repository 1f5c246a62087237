// shared_files.cpp - DeleteShareDLL, LoadLaunch and unLoadDriver. None of them
// keeps state between calls; only the launch module stays loaded, as the
// product expects it to run on in the host process.
#include "shared_files.h"

#include <string.h>

#include "dialogs/dialog_toolkit.h"
#include "luinsres_ids.h"
#include "registry_access.h"
#include "state/host_folders.h"
#include "state/module_lifecycle.h"
#include "state/module_path.h"
#include "state/module_load.h"
#include "state/setup_state.h"
#include "state/text.h"
#include "unattended/answers.h"
#include "state/setup_log.h"

// The question's bounds: its format holds at most 199 characters, the
// message made from it 255, the caption 89.
constexpr int SHARED_FORMAT_BYTES = 200;
constexpr int SHARED_MESSAGE_BYTES = 256;
constexpr int CAPTION_BYTES = 90;

bool formLaunchPath(const char *directory, char *path, size_t cap)
{
    size_t length = strlen(directory);
    bool fits = copyText(path, cap, directory);
    if (fits && (length == 0 || directory[length - 1] != '\\'))
        fits = appendText(path, cap, "\\");
    if (fits)
        fits = appendText(path, cap, LAUNCH_MODULE_NAME);
    if (!fits && cap > 0)
        path[0] = 0;
    return fits;
}

// True when format holds at most one conversion and that one is "%s".
static bool takesOneTextInsert(const char *format)
{
    int inserts = 0;
    for (const char *p = format; *p; p++) {
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

bool formatSharedFileMessage(char *message, size_t cap, const char *format, const char *insertText)
{
    // The format is the resource module's: a translation with another
    // conversion would make printf read arguments that were never passed.
    if (!takesOneTextInsert(format))
        return copyText(message, cap, format);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    return formatText(message, cap, format, insertText ? insertText : "");
#pragma GCC diagnostic pop
}

extern "C" int WINAPI DeleteShareDLL(const char *insertText, int32_t *answer, const char *valueName,
                                     const char *sourceDir)
{
    takeSourceDirArgument(sourceDir);
    if (enterExport() != 1)
        return 0;
    if (answer)
        *answer = 0;

    char format[SHARED_FORMAT_BYTES] = "";
    char message[SHARED_MESSAGE_BYTES] = "";
    char caption[CAPTION_BYTES] = "";
    loadResourceText(IDS_REMOVE_SHARED, format, sizeof format);
    formatSharedFileMessage(message, sizeof message, format, insertText);
    loadResourceText(IDS_CAPTION, caption, sizeof caption);

    if (answerSharedFile(valueName, message, caption)) {
        // An empty or missing name would address the key's unnamed value,
        // which is no shared file's entry. An entry that stays in the list
        // is no removal: the host keeps the file with it.
        bool removed = !valueName || !valueName[0] || deleteRegValue(SHARED_DLLS_KEY, valueName);
        if (answer)
            *answer = removed ? 1 : 0;
    }
    // This entry lets the resource module go before it leaves CTL3D.
    freeResourceModule();
    unregisterCtl3d();
    saveRecordedAnswers();
    logLine("DeleteShareDLL: %s: answer %d", valueName ? valueName : "(none)", answer ? (int)*answer : -1);
    return 0;
}

typedef void(WINAPI *LaunchEntry)(void);

extern "C" int WINAPI LoadLaunch(const char *directory)
{
    char path[LAUNCH_PATH_BYTES];
    char folder[PATH_BYTES];
    // A path that does not fit is not loaded at all: a cut path could name
    // another module.
    if (!takeHostFolderArgument(folder, sizeof folder, directory) || !folder[0] ||
        !formLaunchPath(folder, path, sizeof path))
        return 0;
    UINT previous = SetErrorMode(SEM_NOOPENFILEERRORBOX);
    HMODULE module = loadModuleAt(path);
    if ((UINT_PTR)module > 32) {
        LaunchEntry entry =
            (LaunchEntry)(void *)GetProcAddress(module, MAKEINTRESOURCEA(LAUNCH_ENTRY_ORDINAL));
        if (entry)
            entry();
    }
    SetErrorMode(previous);
    return 0;
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

extern "C" int WINAPI unLoadDriver(int32_t ignored)
{
    (void)ignored;
    UnloadBroadcast broadcast = {};
    broadcast.message = RegisterWindowMessageA(DEINSTALL_MESSAGE_NAME);
    if (!broadcast.message)
        return 0;
    EnumWindows(tellWindow, (LPARAM)&broadcast);
    return 0;
}
