// unattended.cpp - setup with no person at the dialogs, done by the library
// itself: with --record it writes the choices made in its dialogs into an
// answer file, with --replay it takes every choice from one and shows
// nothing at all. The host only names the file (and the setup log) before
// its first entry and reads -3 as "the file had no usable answer"; the log
// says which.
#include "host.h"


bool startLibraryAnswers()
{
    HostRun &h = hostRun;
    DialogintEntries &e = h.entries;
    if (!h.libraryAnswersMode && !h.setupLog[0])
        return true;
    if (!e.setupAnswers || !e.setupLogFile) {
        printLine("setuphost: this dialogint.dll has no unattended setup (setupAnswers, setupLogFile)");
        return false;
    }
    // The log first: the answers' first lines go into it.
    if (h.setupLog[0]) {
        int r = e.setupLogFile(h.setupLog);
        noteResult("setupLogFile", r, r == 1 ? h.setupLog : "cannot be written");
        if (r != 1)
            return false;
    }
    if (!h.libraryAnswersMode)
        return true;
    bool record = h.libraryAnswersMode == ANSWERS_RECORD;
    int r = e.setupAnswers(h.libraryAnswers, h.libraryAnswersMode);
    char meaning[60];
    formatText(meaning, sizeof meaning, r == 1 ? (record ? "recording" : "replaying") : "cannot %s the file",
               record ? "write" : "read");
    noteResult("setupAnswers", r, meaning);
    if (r != 1)
        printLine("setuphost: %s %s", record ? "cannot record into" : "cannot replay", h.libraryAnswers);
    return r == 1;
}
