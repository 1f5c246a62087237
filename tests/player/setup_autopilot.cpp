// setup_autopilot.cpp - setup_autopilot.dll, the plug-in through which the
// sample host plays click scripts (--answers) and takes pictures of the
// dialogs (--screenshots). setuphost.exe loads it by its full path from its
// own folder only when it is given an answer file; the player runs on the
// host's thread, so the library's dialogs are answered from inside their own
// modal loops, as a user's clicks arrive. Its lines go to the host's console.
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

extern "C" {

// Reads the script and answers every dialog of the calling thread from now
// on; pictures go into pictureDir when one is named (null or empty: none).
// *networkAsked becomes 1 when the script says "setup: network", *language
// the language bit its "language:" line names (0 none), which the host
// installs when initLanguage asks nothing. 1 playing, 0 the script cannot be
// read or a line means nothing (the reason printed).
__declspec(dllexport) int WINAPI autopilotStart(const char *script, const char *pictureDir, int32_t *networkAsked,
                                                int32_t *language)
{
    PlayerRun &p = playerRun;
    memset(&p, 0, sizeof p);
    copyText(p.runName, sizeof p.runName, "setup");
    if (!script || !copyText(p.script, sizeof p.script, script))
        return 0;
    if (pictureDir && pictureDir[0]) {
        // By character: the folder's last byte may be a trail byte 0x5C.
        const char *separator = endsWithSeparator(pictureDir) ? "" : "\\";
        if (!formatText(p.pictureDir, sizeof p.pictureDir, "%s%s", pictureDir, separator))
            return 0;
    }
    if (!startPlayer())
        return 0;
    if (networkAsked)
        *networkAsked = p.networkAsked;
    if (language)
        *language = scriptLanguage();
    return 1;
}

// What the host is doing: the run ("setup", "removal"), which names the
// pictures from now on, and the entry it calls next (null or empty: none).
__declspec(dllexport) void WINAPI autopilotContext(const char *run, const char *entry)
{
    if (run && run[0])
        copyText(playerRun.runName, sizeof playerRun.runName, run);
    setPlayerEntry(entry);
}

// A picture of one of the host's own windows, named like the dialogs'; 0
// when no pictures are asked for or it could not be saved.
__declspec(dllexport) int WINAPI autopilotPicture(HWND window, const char *name)
{
    return capturePicture(window, name ? name : "window") ? 1 : 0;
}

// Stops answering; with listDialogs first prints the dialogs the run met.
// The number of dialogs or steps the script did not answer.
__declspec(dllexport) int WINAPI autopilotStop(int32_t listDialogs)
{
    if (listDialogs)
        printDialogsSeen();
    stopPlayer();
    return playerRun.unanswered;
}

}
