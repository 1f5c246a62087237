// nsis_answers.cpp - nsis_answers.dll, a test-only module that the NSIS
// sample setup (samples/nsis) loads when its tests run it unattended. It
// plays the sample host's answer files with the sample host's own player on
// the calling thread: the entries of dialogint.dll that show dialogs are
// called on that thread, so its dialogs are answered as a user would.
#include <stdarg.h>
#include <stdio.h>

#include "host.h"
#include "state/text.h"

HostRun hostRun;

static char logPath[HOST_PATH];

void printLine(const char *format, ...)
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

// No pictures in these runs.
bool captureWindow(HWND, const char *) { return false; }

// The language an answer file names; the installer reads the language from
// initLanguage itself and never asks the player.
int languageByName(const char *name)
{
    const struct {
        const char *name;
        int bit;
    } languages[] = {{"ENGLISH", LANGUAGE_ENGLISH}, {"FRENCH", LANGUAGE_FRENCH}, {"GERMAN", LANGUAGE_GERMAN},
                     {"SPANISH", LANGUAGE_SPANISH}};
    for (const auto &l : languages)
        if (equalsNoCase(name, l.name))
            return l.bit;
    return 0;
}

extern "C" {

// Starts answering the dialogs of this thread from the answer file; what it
// sees goes to the log. 1 started, 0 the answer file is unreadable or bad.
__declspec(dllexport) int WINAPI answersStart(const char *answerFile, const char *logFile)
{
    copyText(logPath, sizeof logPath, logFile);
    hostRun.runName = "setup";
    if (!copyText(hostRun.answerFile, sizeof hostRun.answerFile, answerFile))
        return 0;
    hostRun.unansweredDialogs = 0;
    printLine("== answers from %s, process %lu ==", answerFile, GetCurrentProcessId());
    return startAnswers() ? 1 : 0;
}

// Stops answering; the number of dialogs or steps the file did not answer.
__declspec(dllexport) int WINAPI answersStop()
{
    printDialogsSeen();
    stopAnswers();
    int unanswered = hostRun.unansweredDialogs;
    hostRun.unansweredDialogs = 0;
    return unanswered;
}

// The entry being called, which tells DeleteShareDLL's question from the
// library's other message boxes. The player keeps the pointer, and the
// caller's text lives only for the call: it is kept here.
__declspec(dllexport) void WINAPI answersContext(const char *entry)
{
    static char context[32];
    copyText(context, sizeof context, entry ? entry : "");
    setAnswerContext(context);
}

}
