// setuphost.cpp - a setup host for Lumoria's installer library, the sample
// setup authors start from: the options, dialogint.dll, the language, the
// setup run (setupInstall, HaveKeyDialog, initLanguage, dodialog or
// networkInstall, the copy, IntegInstall) and the removal run (IntegDeinstall,
// DeleteShareDLL, unLoadDriver). With --replay the library sets up from an
// answer file --record made, and shows nothing.
#include "host.h"

#include <shlwapi.h>
#include <stdarg.h>
#include <stddef.h>
#include <stdio.h>
#include <string.h>

HostRun host;

static const char DEFAULT_TARGET[] = "C:\\Program Files\\Lumoria";
static const char PRODUCT_GENERAL_KEY[] = "SOFTWARE\\Jor\\Lumoria\\General";
static const char USAGE[] =
    "usage: setuphost [--media DIR] [--work DIR] [--target DIR] [--record FILE | --replay FILE]\n"
    "                 [--log FILE] [--network] [--remove] [--keep-work]   (docs/guide.md)\n";

// A flag sets an int of host, the others take a path, made absolute (a
// folder with its separator); --record and --replay also set the answers'
// mode, one of them at most.
enum OptionKind { OPTION_FLAG, OPTION_FOLDER, OPTION_FILE };
static const struct {
    const char *name;
    OptionKind kind;
    size_t field;
    int answersMode;
} optionTable[] = {
    {"--media", OPTION_FOLDER, offsetof(HostRun, mediaDir), 0},
    {"--work", OPTION_FOLDER, offsetof(HostRun, workDir), 0},
    {"--target", OPTION_FILE, offsetof(HostRun, targetDir), 0},
    {"--record", OPTION_FILE, offsetof(HostRun, libraryAnswers), ANSWERS_RECORD},
    {"--replay", OPTION_FILE, offsetof(HostRun, libraryAnswers), ANSWERS_REPLAY},
    {"--log", OPTION_FILE, offsetof(HostRun, setupLog), 0},
    {"--network", OPTION_FLAG, offsetof(HostRun, networkSetup), 0},
    {"--remove", OPTION_FLAG, offsetof(HostRun, removeRun), 0},
    {"--keep-work", OPTION_FLAG, offsetof(HostRun, keepWork), 0},
};

// Where a multilingual medium keeps each language's resource module
// (lang\<folder>\luinsres.dll), and the name install.log keeps it under.
static const struct {
    int bit;   // in languageFlags
    const char *folder, *name;
} languageTable[] = {
    {LANGUAGE_ENGLISH, "en", "ENGLISH"}, {LANGUAGE_FRENCH, "fr", "FRENCH"},     {LANGUAGE_GERMAN, "de", "GERMAN"},
    {LANGUAGE_SPANISH, "es", "SPANISH"}, {LANGUAGE_JAPANESE, "ja", "JAPANESE"}, {LANGUAGE_RUSSIAN, "ru", "RUSSIAN"},
};

// The answers of HaveKeyDialog, dodialog and networkInstall from 0 on.
static const char *const haveKeyMeanings[] = {
    "stop",   "new installation",     "remove",            "reinstall",
    "modify", "update, same version", "nothing to update", "over the older kind",
};
static const char *const dodialogMeanings[] = {"cancelled", "standard", "custom", "workstation"};
static const char *const networkMeanings[] = {"cancelled", "installed"};

template <size_t N> static const char *meaningOf(const char *const (&texts)[N], int code)
{
    if (code >= 0 && code < (int)N)
        return texts[code];
    return code == RESULT_NO_ANSWER                 ? "no usable answer (the setup log names it)"
           : code == DODIALOG_MAINTENANCE_CANCELLED ? "modification cancelled"
                                                    : "failed";
}

void printLine(const char *format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    vprintf(format, arguments);
    va_end(arguments);
    putchar('\n');
    fflush(stdout);
}

static void noteResult(const char *entry, int result, const char *meaning)
{
    printLine("%-15s %4d  %s", entry, result, meaning);
}

// The option at argv[*i]; false, with the usage, for one it does not know.
static bool takeOption(int argc, char **argv, int *i)
{
    for (const auto &o : optionTable) {
        if (strcmp(argv[*i], o.name) != 0)
            continue;
        char *field = (char *)&host + o.field, full[HOST_PATH] = "";
        if (o.kind == OPTION_FLAG)
            return (*(int *)field = 1) != 0;
        if (*i + 1 >= argc || (o.answersMode && host.libraryAnswersMode))
            break;
        if (o.answersMode)
            host.libraryAnswersMode = o.answersMode;
        const char *text = argv[++*i];
        DWORD n = GetFullPathNameA(text, sizeof full, full, nullptr);
        bool folder = o.kind == OPTION_FOLDER && !endsWithBackslash(full);
        if (n > 0 && n < sizeof full && formatText(field, HOST_PATH, "%s%s", full, folder ? "\\" : ""))
            return true;
        printLine("setuphost: bad path %s", text);
        return false;
    }
    fputs(USAGE, stdout);
    return false;
}

static bool parseOptions(int argc, char **argv)
{
    char temp[HOST_PATH];
    DWORD n = GetModuleFileNameA(nullptr, host.hostDir, sizeof host.hostDir);
    const char *slash = lastBackslash(host.hostDir);
    if (n == 0 || n >= sizeof host.hostDir || !slash)
        return false;
    host.hostDir[slash - host.hostDir + 1] = 0;
    n = GetTempPathA(sizeof temp, temp);
    if (!joinPath(host.mediaDir, sizeof host.mediaDir, host.hostDir, "media\\") || n == 0 || n >= sizeof temp ||
        !joinPath(host.workDir, sizeof host.workDir, temp, "lumoria-setup\\"))
        return false;
    for (int i = 1; i < argc; i++)
        if (!takeOption(argc, argv, &i))
            return false;
    return true;
}

// An entry by its undecorated name; false, said, when a needed one is missing.
template <typename Entry> static bool findEntry(Entry *entry, const char *name, bool needed)
{
    FARPROC found = GetProcAddress(host.entries.module, name);
    memcpy(entry, &found, sizeof found);
    if (!found && needed)
        printLine("setuphost: dialogint.dll does not export %s", name);
    return found || !needed;
}

// dialogint.dll from beside the host, by its full path; its own imports from
// beside it and the system folder. networkInstall and the unattended pair are
// needed by the options that use them alone. Then the setup log and the
// answer file, before the library's first entry (-3 from a later entry then
// means the file had no usable answer); the log first, so that the answers'
// first lines go into it.
static bool loadLibrary()
{
    DialogintEntries &e = host.entries;
    char path[HOST_PATH];
    if (!joinPath(path, sizeof path, host.hostDir, "dialogint.dll"))
        return false;
    e.module = LoadLibraryExA(path, nullptr, LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!e.module && GetLastError() == ERROR_INVALID_PARAMETER)   // Windows without the search flags
        e.module = LoadLibraryExA(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (!e.module) {
        printLine("setuphost: cannot load %s (error %lu)", path, GetLastError());
        return false;
    }
#define FIND(name, needed) findEntry(&e.name, #name, needed)
    if (!(FIND(setupInstall, true) & FIND(HaveKeyDialog, true) & FIND(initLanguage, true) & FIND(dodialog, true) &
          FIND(networkInstall, host.networkSetup) & FIND(IntegInstall, true) & FIND(IntegDeinstall, true) &
          FIND(DeleteShareDLL, true) & FIND(unLoadDriver, true) & FIND(setupAnswers, host.libraryAnswersMode) &
          FIND(setupLogFile, host.libraryAnswersMode || host.setupLog[0])))
        return false;
#undef FIND
    int r = 1;
    if (host.setupLog[0]) {
        r = e.setupLogFile(host.setupLog);
        noteResult("setupLogFile", r, r == 1 ? host.setupLog : "cannot be written");
    }
    if (r == 1 && host.libraryAnswersMode) {
        r = e.setupAnswers(host.libraryAnswers, host.libraryAnswersMode);
        const char *mode = host.libraryAnswersMode == ANSWERS_RECORD ? "recording" : "replaying";
        noteResult("setupAnswers", r, r == 1 ? mode : "cannot use the answer file");
    }
    return r == 1;
}

// Text into a field of the record; false, said, when it does not fit.
template <size_t N> static bool fitRecordField(char (&field)[N], const char *text)
{
    if (copyText(field, N, text))
        return true;
    printLine("setuphost: path longer than the record's %u bytes: %s", (unsigned)N, text);
    return false;
}

// A file the installation kept (install.ini, setup.lay), when it is there.
static bool installedFile(const char *name, char *path)
{
    return joinPath(path, HOST_PATH, host.record.installDir, name) && fileExistsAt(path);
}

const char *languageName(int bit)
{
    for (const auto &l : languageTable)
        if (l.bit == bit)
            return l.name;
    return "?";
}

int languageByName(const char *name)
{
    for (const auto &l : languageTable)
        if (sameText(name, l.name))
            return l.bit;
    return 0;
}

// The language's module from lang\<folder>\ becomes the work copy's own,
// which the library loads for every later call (with the integration
// modules and the help file). A medium without the folder keeps its module.
static bool useLanguageModule(int languageBit)
{
    for (const auto &l : languageTable) {
        char from[HOST_PATH], to[HOST_PATH];
        if (l.bit != languageBit || !formatText(from, sizeof from, "%slang\\%s\\luinsres.dll", host.workDir, l.folder))
            continue;
        bool own = !fileExistsAt(from);
        if (!own && (!joinPath(to, sizeof to, host.workDir, "luinsres.dll") || !CopyFileA(from, to, FALSE))) {
            printLine("setuphost: cannot take the %s resource module %s", l.name, from);
            return false;
        }
        printLine("resources:    %s", own ? "the media's own luinsres.dll" : from + strlen(host.workDir));
    }
    return true;
}

// The record for a setup from the work copy into --target or the default.
static bool prepareRecord()
{
    HostSetupInfo &r = host.record;
    char ini[HOST_PATH], layout[HOST_PATH];
    memset(&r, 0, sizeof r);
    // "Windows 3.x" would ask for the 16-bit viewer engine.
    copyText(r.platformName, sizeof r.platformName, (GetVersion() & 0x80000000u) ? "Windows 95" : "Windows NT");
    r.networkInstallMode = host.networkSetup;
    return joinPath(ini, sizeof ini, host.workDir, "install.ini") &&
           joinPath(layout, sizeof layout, host.workDir, "setup.lay") && fitRecordField(r.setupIniPath, ini) &&
           fitRecordField(r.layoutFilePath, layout) && fitRecordField(r.sourceDir, host.workDir) &&
           fitRecordField(r.serverDir, host.mediaDir) &&
           fitRecordField(r.installDir, host.targetDir[0] ? host.targetDir : DEFAULT_TARGET);
}

// A modification starts from the installed install.ini, an update names the
// installed one and its layout file; EXIT_DONE when the setup goes on.
static int afterHaveKey(int code)
{
    HostSetupInfo &r = host.record;
    char ini[HOST_PATH], layout[HOST_PATH];
    bool modify = code == HAVEKEY_MODIFY, update = code == HAVEKEY_UPDATE_SAME_VERSION;
    if (!modify && !update && code != HAVEKEY_NEW_INSTALL && code != HAVEKEY_REINSTALL &&
        code != HAVEKEY_OLDER_KIND_ACCEPTED)
        return code == RESULT_NO_ANSWER ? EXIT_FAILED : EXIT_STOPPED;
    r.maintenanceMode |= modify;
    r.upgradeMode |= update;
    bool fits = !modify || !installedFile("install.ini", ini) || fitRecordField(r.setupIniPath, ini);
    if (update && installedFile("install.ini", ini) && installedFile("setup.lay", layout))
        fits = fitRecordField(r.installedIniPath, ini) && fitRecordField(r.installedLayoutFilePath, layout);
    return fits ? EXIT_DONE : EXIT_FAILED;
}

// initLanguage answers a single bit when it settled the language (chosen, or
// 1 when it asked nothing) and several after a cancelled dialog, which stops
// the run. What it settled on is in the record's languageFlags either way.
static int chooseLanguage()
{
    HostSetupInfo &r = host.record;
    int code = host.entries.initLanguage(host.window, &r);
    bool single = code > 0 && (code & (code - 1)) == 0;
    int settled = r.languageFlags > 0 && (r.languageFlags & (r.languageFlags - 1)) == 0 ? r.languageFlags : code;
    const char *failure = code < 0 ? meaningOf(networkMeanings, code) : "language dialog cancelled";
    noteResult("initLanguage", code, single ? languageName(settled) : failure);
    if (!single)
        return code < 0 ? EXIT_FAILED : EXIT_STOPPED;
    r.languageFlags = settled;
    return useLanguageModule(settled) ? EXIT_DONE : EXIT_FAILED;
}

// dodialog or networkInstall; EXIT_DONE with *copy set when files are to go.
static int runDialog(bool *copy)
{
    if (host.networkSetup) {
        int code = host.entries.networkInstall(host.window, &host.record);
        noteResult("networkInstall", code, meaningOf(networkMeanings, code));
        *copy = code == 1;
        return code == 1 ? EXIT_DONE : code == 0 ? EXIT_STOPPED : EXIT_FAILED;
    }
    int code = host.entries.dodialog(host.window, &host.record);
    bool modified = host.record.maintenanceMode && code == DODIALOG_STANDARD;
    noteResult("dodialog", code, modified ? "modified selection confirmed" : meaningOf(dodialogMeanings, code));
    *copy = code != DODIALOG_WORKSTATION;
    if (code == DODIALOG_CANCELLED || code == DODIALOG_MAINTENANCE_CANCELLED)
        return EXIT_STOPPED;
    return code < 0 || code > DODIALOG_WORKSTATION ? EXIT_FAILED : EXIT_DONE;
}

static int finishSetup(bool copy)
{
    HostSetupInfo &r = host.record;
    copyText(host.installDir, sizeof host.installDir, r.installDir);
    if (copy)
        installFiles();
    else
        printLine("Workstation installation: Lumoria runs from %s; no files are copied", r.serverDir);
    // A server copy is integrated on each workstation, not on the server.
    if (!host.networkSetup) {
        int code = host.entries.IntegInstall(0, 0, &r);
        const unsigned char *b = r.integrationResults;
        printLine("%-15s %4d  integration bytes %u %u %u %u %u %u", "IntegInstall", code, b[0], b[1], b[2], b[3], b[4],
                  b[5]);
    }
    printLine("Files copied: %d, %lld bytes, into %s%s", host.copiedNow, (long long)host.copiedBytes, host.installDir,
              host.copyErrors ? " (with errors)" : "");
    if (host.networkSetup)
        printLine("A network installation is not registered; remove it with: setuphost --remove --target %s",
                  host.installDir);
    return host.copyErrors ? EXIT_FAILED : EXIT_DONE;
}

static bool callSetupInstall()
{
    int code = host.entries.setupInstall(host.window, host.record.serverDir, host.record.sourceDir);
    noteResult("setupInstall", code, code == SETUP_GO_ON ? "go on" : "stop");
    return code == SETUP_GO_ON;
}

// After a setup's HaveKeyDialog the library is loaded and the record made;
// the record then takes the install.ini and layout file the installation
// kept, and the removal speaks the language the installation was made in.
static int runRemoval(bool entriesLoaded)
{
    HostSetupInfo &r = host.record;
    char ini[HOST_PATH], layout[HOST_PATH];
    printLine("== Lumoria sample setup: removal ==");
    if (!entriesLoaded && (!makeWorkCopy() || !loadLibrary() || !prepareRecord()))
        return EXIT_FAILED;
    // The installation folder: --target, else the registered one.
    char value[HOST_PATH] = "";
    DWORD size = sizeof value - 1, type = 0;
    if (!host.installDir[0])
        copyText(host.installDir, sizeof host.installDir, host.targetDir);
    if (!host.installDir[0] &&
        SHGetValueA(HKEY_LOCAL_MACHINE, PRODUCT_GENERAL_KEY, "Home", &type, value, &size) == ERROR_SUCCESS &&
        type == REG_SZ)
        copyText(host.installDir, sizeof host.installDir, value);
    if (!host.installDir[0]) {
        printLine("setuphost: no installation of Lumoria is registered; name its folder with --target");
        return EXIT_STOPPED;
    }
    printLine("installation: %s", host.installDir);
    if (!readInstallLog()) {
        printLine("setuphost: %s holds no install.log of this host: nothing to remove", host.installDir);
        return EXIT_STOPPED;
    }
    if (!fitRecordField(r.installDir, host.installDir) ||
        (installedFile("install.ini", ini) && !fitRecordField(r.setupIniPath, ini)) ||
        (installedFile("setup.lay", layout) && !fitRecordField(r.layoutFilePath, layout)))
        return EXIT_FAILED;
    if (!entriesLoaded && ((r.languageFlags && !useLanguageModule(r.languageFlags)) || !callSetupInstall()))
        return EXIT_FAILED;
    noteResult("IntegDeinstall", host.entries.IntegDeinstall(0, 0, &r), "integrations switched off");
    releaseSharedFiles();
    noteResult("unLoadDriver", host.entries.unLoadDriver(0), "\"Lumoria deinstall\" broadcast");
    printLine("Removing the installation:");
    removeInstallation();
    printLine("Files removed: %d; shared files kept: %d", host.removedCount, host.keptSharedCount);
    return host.copyErrors ? EXIT_FAILED : EXIT_DONE;
}

static int runSetup()
{
    HostSetupInfo &r = host.record;
    printLine("== Lumoria sample setup ==");
    printLine("media:        %s", host.mediaDir);
    if (!makeWorkCopy() || !loadLibrary() || !prepareRecord())
        return EXIT_FAILED;
    printLine("work copy:    %s", host.workDir);
    if (!callSetupInstall())
        return EXIT_FAILED;
    int32_t workstationFlag = 0;
    int code = host.entries.HaveKeyDialog(host.window, &workstationFlag, &r);
    noteResult("HaveKeyDialog", code, meaningOf(haveKeyMeanings, code));
    if (code == HAVEKEY_REMOVE) {
        copyText(host.installDir, sizeof host.installDir, r.installDir);
        return runRemoval(true);
    }
    bool copy = false;
    int next = afterHaveKey(code);
    if (next == EXIT_DONE)
        next = chooseLanguage();
    if (next == EXIT_DONE)
        next = runDialog(&copy);
    return next == EXIT_DONE ? finishSetup(copy) : next;
}

int main(int argc, char **argv)
{
    // Before anything is loaded: every module loaded by name (the library's
    // imports too) comes from the system folder, never from the host's folder,
    // the current folder or PATH. Looked up: older Windows lacks the function.
    typedef BOOL(WINAPI * SetDirectories)(DWORD);
    if (auto set = (SetDirectories)(void *)GetProcAddress(GetModuleHandleA("kernel32.dll"), "SetDefaultDllDirectories"))
        set(LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!parseOptions(argc, argv))
        return EXIT_USAGE;
    // A replay runs where there may be no desktop: no window of the host's.
    if (host.libraryAnswersMode != ANSWERS_REPLAY)
        host.window = createHostWindow();
    int code = host.removeRun ? runRemoval(false) : runSetup();
    removeWorkCopy();
    const char *end = code == EXIT_DONE ? "done" : code == EXIT_STOPPED ? "stopped" : "failed";
    printLine("setuphost: %s (exit code %d)", end, code);
    if (host.window)
        DestroyWindow(host.window);
    if (host.entries.module)
        FreeLibrary(host.entries.module);
    return code;
}
