// nsis_answers.cpp - nsis_answers.dll, a test-only module that the NSIS
// sample setup (samples/nsis) loads when its tests run it unattended. It
// plays the sample host's answer files with the tests' click-script player
// (tests/player) on the calling thread: the entries of dialogint.dll that
// show dialogs are called on that thread, so its dialogs are answered as a
// user would.
#include <stdarg.h>
#include <stdio.h>

#include "player.h"
#include "state/text.h"

PlayerRun playerRun;

static char logPath[PLAYER_PATH];

void playerPrint(const char *format, ...)
{
    FILE *log = logPath[0] ? fopen(logPath, "a") : nullptr;
    if (!log)
        return;
    va_list arguments;
    va_start(arguments, format);
    vfprintf(log, format, arguments);
    va_end(arguments);
    fputc('\n', log);
    fclose(log);
}

extern "C" {

// Starts answering the dialogs of this thread from the answer file; what it
// sees goes to the log. No pictures in these runs. 1 started, 0 the answer
// file is unreadable or bad.
__declspec(dllexport) int WINAPI answersStart(const char *answerFile, const char *logFile)
{
    copyText(logPath, sizeof logPath, logFile);
    copyText(playerRun.runName, sizeof playerRun.runName, "setup");
    playerRun.pictureDir[0] = 0;
    if (!copyText(playerRun.script, sizeof playerRun.script, answerFile))
        return 0;
    playerPrint("== answers from %s, process %lu ==", answerFile, GetCurrentProcessId());
    return startPlayer() ? 1 : 0;
}

// Stops answering; the number of dialogs or steps the file did not answer.
__declspec(dllexport) int WINAPI answersStop()
{
    printDialogsSeen();
    stopPlayer();
    int unanswered = playerRun.unanswered;
    playerRun.unanswered = 0;
    return unanswered;
}

// The entry being called, which tells DeleteShareDLL's question from the
// library's other message boxes; the player keeps a copy.
__declspec(dllexport) void WINAPI answersContext(const char *entry) { setPlayerEntry(entry); }

}
