// library.cpp - dialogint.dll: loaded by its full path from beside the host,
// its entries found by their undecorated names; and unattended setup, which
// the library does itself: the host names the answer file (--record,
// --replay) and the setup log before the first entry.
#include "host.h"

#include <stddef.h>
#include <string.h>

// Every entry, where it goes, and whether every run needs it: networkInstall
// serves --network only, the unattended pair --record, --replay and --log.
#define ENTRY(name, required) {#name, offsetof(DialogintEntries, name), required}
static const struct {
    const char *name;
    size_t field;
    bool required;
} entryTable[] = {
    ENTRY(setupInstall, true),    ENTRY(HaveKeyDialog, true),  ENTRY(initLanguage, true),
    ENTRY(dodialog, true),        ENTRY(networkInstall, false), ENTRY(IntegInstall, true),
    ENTRY(IntegDeinstall, true),  ENTRY(DeleteShareDLL, true),  ENTRY(unLoadDriver, true),
    ENTRY(setupAnswers, false),   ENTRY(setupLogFile, false),
};
#undef ENTRY

bool loadEntries()
{
    DialogintEntries &e = hostRun.entries;
    if (e.module)
        return true;
    char path[HOST_PATH];
    if (!joinPath(path, sizeof path, hostRun.hostDir, "dialogint.dll"))
        return false;
    // By its full path; its own imports from beside it and the system folder.
    e.module = LoadLibraryExA(path, nullptr, LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!e.module && GetLastError() == ERROR_INVALID_PARAMETER)   // Windows without the search flags
        e.module = LoadLibraryExA(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (!e.module) {
        printLine("setuphost: cannot load %s (error %lu)", path, GetLastError());
        return false;
    }
    bool all = true;
    for (const auto &entry : entryTable) {
        FARPROC found = GetProcAddress(e.module, entry.name);
        memcpy((char *)&e + entry.field, &found, sizeof found);
        if (!found && entry.required) {
            printLine("setuphost: dialogint.dll does not export %s", entry.name);
            all = false;
        }
    }
    return all;
}

// False when the library cannot use the log or the answer file; -3 from a
// later entry then means "the file had no usable answer", the log says which.
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
    noteResult("setupAnswers", r, r == 1 ? (record ? "recording" : "replaying")
                                         : (record ? "cannot write the file" : "cannot read the file"));
    if (r != 1)
        printLine("setuphost: %s %s", record ? "cannot record into" : "cannot replay", h.libraryAnswers);
    return r == 1;
}
