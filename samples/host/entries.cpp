// entries.cpp - loading dialogint.dll from beside the host and finding its
// entries by their undecorated names; the table of answers each entry gave.
#include "host.h"


template <typename Entry> static bool findEntry(Entry *entry, const char *name)
{
    *entry = (Entry)(void *)GetProcAddress(hostRun.entries.module, name);
    if (!*entry)
        printLine("setuphost: dialogint.dll does not export %s", name);
    return *entry != nullptr;
}

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
    bool all = findEntry(&e.setupInstall, "setupInstall");
    all &= findEntry(&e.HaveKeyDialog, "HaveKeyDialog");
    all &= findEntry(&e.initLanguage, "initLanguage");
    all &= findEntry(&e.dodialog, "dodialog");
    // Only a network installation needs it.
    e.networkInstall = (decltype(e.networkInstall))(void *)GetProcAddress(e.module, "networkInstall");
    all &= findEntry(&e.IntegInstall, "IntegInstall");
    all &= findEntry(&e.IntegDeinstall, "IntegDeinstall");
    all &= findEntry(&e.DeleteShareDLL, "DeleteShareDLL");
    all &= findEntry(&e.unLoadDriver, "unLoadDriver");
    // A library without unattended setup still serves a person at the dialogs.
    e.setupAnswers = (decltype(e.setupAnswers))(void *)GetProcAddress(e.module, "setupAnswers");
    e.setupLogFile = (decltype(e.setupLogFile))(void *)GetProcAddress(e.module, "setupLogFile");
    return all;
}

void noteResult(const char *entry, int result, const char *meaning)
{
    printLine("%-15s %4d  %s", entry, result, meaning);
    if (hostRun.resultCount >= MAX_ENTRY_RESULTS)
        return;
    EntryResult &r = hostRun.results[hostRun.resultCount++];
    copyText(r.entry, sizeof r.entry, entry);
    r.result = result;
    copyText(r.meaning, sizeof r.meaning, meaning);
}
