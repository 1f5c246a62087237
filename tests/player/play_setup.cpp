// play_setup.cpp - play_setup.exe, which plays a click script on a setup
// host from outside it:
//
//   play_setup --answers FILE [--screenshots DIR] HOST.exe [host options]
//
// It checks the script, installs the player's hook (setup_autopilot.dll, from
// its own folder) for the desktop, and starts the host with the script named
// in its environment; the player wakes in the host's process and answers the
// dialogs there. The host and anything it starts belong to a job that ends
// with play_setup. Exit code: the host's; 2 when the script left a dialog or
// step unanswered (or the player could not be started), 3 for bad options or
// a bad script. "setup: network" in the script adds --network to a setup run.
#include <stdarg.h>
#include <stdint.h>
#include <stdio.h>
#include <string.h>

#include "player.h"
#include "state/path_text.h"
#include "state/text.h"

PlayerRun playerRun;

void playerPrint(const char *format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    vprintf(format, arguments);
    va_end(arguments);
    putchar('\n');
    fflush(stdout);
}

static const char PLAYER_MODULE[] = "setup_autopilot.dll";
constexpr int COMMAND_BYTES = 8192;

// One argument as the host's C runtime will split it again: quoted when it
// holds a blank or a quote, backslashes before a quote doubled. Walked by
// character: a double-byte character's second byte may be a backslash.
static bool appendArgument(char *command, size_t cap, const char *argument)
{
    bool quote = !argument[0] || strpbrk(argument, " \t\"");
    char piece[2 * PLAYER_PATH + 8];
    size_t n = 0;
    if (quote)
        piece[n++] = '"';
    int backslashes = 0;
    for (const char *p = argument; *p; p = nextChar(p)) {
        size_t length = (size_t)(nextChar(p) - p);
        if (n + length + backslashes + 4 >= sizeof piece)
            return false;
        if (*p == '"')
            for (int i = 0; i <= backslashes; i++)
                piece[n++] = '\\';
        backslashes = length == 1 && *p == '\\' ? backslashes + 1 : 0;
        memcpy(piece + n, p, length);
        n += length;
    }
    if (quote) {
        for (int i = 0; i < backslashes; i++)
            piece[n++] = '\\';
        piece[n++] = '"';
    }
    piece[n] = 0;
    return (!command[0] || appendText(command, cap, " ")) && appendText(command, cap, piece);
}

static HHOOK installPlayerHook()
{
    char self[PLAYER_PATH], path[PLAYER_PATH];
    DWORD n = GetModuleFileNameA(nullptr, self, sizeof self);
    const char *separator = n > 0 && n < sizeof self ? lastSeparator(self) : nullptr;
    if (!separator)
        return nullptr;
    self[separator - self + 1] = 0;
    if (!formatText(path, sizeof path, "%s%s", self, PLAYER_MODULE))
        return nullptr;
    // By its full path; Windows loads it by that path into the host too.
    HMODULE module = LoadLibraryExA(path, nullptr, LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32);
    HOOKPROC hook = module ? (HOOKPROC)(void *)GetProcAddress(module, "playerHook") : nullptr;
    HHOOK installed = hook ? SetWindowsHookExA(WH_CBT, hook, module, 0) : nullptr;
    if (!installed)
        playerPrint("play_setup: cannot install the player %s (error %lu)", path, GetLastError());
    return installed;
}

static bool hasOption(int argc, char **argv, int from, const char *option)
{
    for (int i = from; i < argc; i++)
        if (strcmp(argv[i], option) == 0)
            return true;
    return false;
}

// The host's process, in a job that ends with this one; its exit code.
static int runHost(char *command)
{
    HANDLE job = CreateJobObjectA(nullptr, nullptr);
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (job)
        SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, command, nullptr, nullptr, TRUE, CREATE_SUSPENDED, nullptr, nullptr, &startup,
                        &process)) {
        playerPrint("play_setup: cannot start %s (error %lu)", command, GetLastError());
        return 2;
    }
    const char *const handedOver[] = {PLAYER_SCRIPT_VARIABLE, PLAYER_PICTURES_VARIABLE, PLAYER_RUN_VARIABLE,
                                      PLAYER_REPORT_VARIABLE};
    for (const char *name : handedOver)
        SetEnvironmentVariableA(name, nullptr);
    if (job)
        AssignProcessToJobObject(job, process.hProcess);
    ResumeThread(process.hThread);
    while (MsgWaitForMultipleObjects(1, &process.hProcess, FALSE, INFINITE, QS_ALLINPUT) == WAIT_OBJECT_0 + 1) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&message);
    }
    DWORD code = 2;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return (int)code;
}

int main(int argc, char **argv)
{
    PlayerRun &p = playerRun;
    const char *pictures = nullptr;
    int i = 1;
    for (; i + 1 < argc && strncmp(argv[i], "--", 2) == 0; i += 2) {
        if (strcmp(argv[i], "--answers") == 0 && copyText(p.script, sizeof p.script, argv[i + 1]))
            continue;
        if (strcmp(argv[i], "--screenshots") != 0)
            break;
        pictures = argv[i + 1];
        if (!CreateDirectoryA(pictures, nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
            playerPrint("play_setup: cannot create %s (error %lu)", pictures, GetLastError());
            return 3;
        }
    }
    if (i >= argc || !p.script[0] || strncmp(argv[i], "--", 2) == 0) {
        playerPrint("usage: play_setup --answers FILE [--screenshots DIR] HOST.exe [host options]");
        return 3;
    }
    if (!readScript())
        return 3;
    bool removal = hasOption(argc, argv, i + 1, "--remove");
    char command[COMMAND_BYTES] = "";
    for (int a = i; a < argc; a++)
        if (!appendArgument(command, sizeof command, argv[a]))
            return 3;
    if (p.networkAsked && !removal && !hasOption(argc, argv, i + 1, "--network") &&
        !appendArgument(command, sizeof command, "--network"))
        return 3;

    HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(PlayerReport), nullptr);
    PlayerReport *report = mapping ? (PlayerReport *)MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, 0) : nullptr;
    HHOOK hook = report ? installPlayerHook() : nullptr;
    if (!hook)
        return 2;
    SetHandleInformation(mapping, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
    char handle[24];
    formatText(handle, sizeof handle, "%llu", (unsigned long long)(uintptr_t)mapping);
    // Only the host's process sees them: set for its start, gone after (runHost).
    SetEnvironmentVariableA(PLAYER_SCRIPT_VARIABLE, p.script);
    SetEnvironmentVariableA(PLAYER_PICTURES_VARIABLE, pictures);
    SetEnvironmentVariableA(PLAYER_RUN_VARIABLE, removal ? "removal" : "setup");
    SetEnvironmentVariableA(PLAYER_REPORT_VARIABLE, handle);
    int code = runHost(command);
    UnhookWindowsHookEx(hook);
    if (!report->playing) {
        playerPrint("play_setup: the player did not start in the host");
        return code == 0 ? 2 : code;
    }
    if (report->unanswered) {
        playerPrint("play_setup: %d dialog(s) or step(s) the answer file did not answer", report->unanswered);
        return 2;
    }
    return code;
}
