// answer_plugin.cpp - --answers and --screenshots. The click scripts are
// played by a plug-in of the project's tests, setup_autopilot.dll, which
// presses the buttons of the library's real dialogs from inside their modal
// loops and takes their pictures. The host loads it from its own folder only
// when it is given an answer file, tells it which run and entry are under
// way, and asks it for one picture of its own window; a setup of your own
// needs none of this.
#include "host.h"

static const char PLAYER_MODULE[] = "setup_autopilot.dll";

static struct {
    HMODULE module;
    int(WINAPI *start)(const char *script, const char *pictureDir, int32_t *networkAsked, int32_t *language);
    void(WINAPI *context)(const char *run, const char *entry);
    int(WINAPI *picture)(HWND window, const char *name);
    int(WINAPI *stop)(int32_t listDialogs);
    int32_t language;
    bool playing;
} player;

// EXIT_DONE playing; EXIT_FAILED without the player, EXIT_USAGE when the
// script cannot be read or a line of it means nothing (the player says why).
int startAnswers()
{
    HostRun &h = hostRun;
    char path[HOST_PATH];
    if (!joinPath(path, sizeof path, h.hostDir, PLAYER_MODULE))
        return EXIT_FAILED;
    // By its full path, as dialogint.dll: its imports from beside it and the system folder.
    player.module = LoadLibraryExA(path, nullptr, LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!player.module && GetLastError() == ERROR_INVALID_PARAMETER)  // Windows without the search flags
        player.module = LoadLibraryExA(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (!player.module) {
        printLine("setuphost: --answers needs the click-script player %s beside setuphost.exe, which the "
                  "project's tests build (error %lu)",
                  path, GetLastError());
        return EXIT_FAILED;
    }
    player.start = (decltype(player.start))(void *)GetProcAddress(player.module, "autopilotStart");
    player.context = (decltype(player.context))(void *)GetProcAddress(player.module, "autopilotContext");
    player.picture = (decltype(player.picture))(void *)GetProcAddress(player.module, "autopilotPicture");
    player.stop = (decltype(player.stop))(void *)GetProcAddress(player.module, "autopilotStop");
    if (!player.start || !player.context || !player.picture || !player.stop) {
        printLine("setuphost: %s is not the click-script player this host knows", path);
        return EXIT_FAILED;
    }
    int32_t networkAsked = 0;
    if (!player.start(h.answerFile, h.screenshotDir, &networkAsked, &player.language))
        return EXIT_USAGE;
    player.playing = true;
    // "setup: network" in the script asks for what --network does.
    if (networkAsked)
        h.networkSetup = 1;
    return EXIT_DONE;
}

// The language the script's "language:" line names, 0 without one. It
// stands for the system's language of the machine the script was written
// for: the host installs it when initLanguage asked nothing.
int answersLanguage() { return player.playing ? player.language : 0; }

void tellAnswers(const char *entry)
{
    if (player.playing)
        player.context(hostRun.runName, entry);
}

void pictureOfWindow(HWND window, const char *name)
{
    if (player.playing && hostRun.screenshotDir[0])
        player.picture(window, name);
}

void stopAnswers(bool listDialogs)
{
    if (!player.playing)
        return;
    hostRun.unansweredDialogs += player.stop(listDialogs);
    player.playing = false;
}
