// setuphost.cpp - a setup host for Lumoria's installer library, the sample
// setup authors start from: the options, the language and the setup run,
// which calls setupInstall, HaveKeyDialog, initLanguage, dodialog (or
// networkInstall), copies every file install.ini lists, then IntegInstall.
// A user answers the dialogs; with --replay the library itself sets up from
// a recorded answer file and shows nothing, --record makes that file.
#include "host.h"

#include <shlwapi.h>
#include <stdarg.h>
#include <stddef.h>
#include <stdio.h>
#include <string.h>

HostRun hostRun;

static const char DEFAULT_TARGET[] = "C:\\Program Files\\Lumoria";
static const char PRODUCT_GENERAL_KEY[] = "SOFTWARE\\Jor\\Lumoria\\General";
static const char NO_ANSWER[] = "no usable answer in the answer file (the setup log names it)";

static const char USAGE[] =
    "usage: setuphost [--media DIR] [--work DIR] [--target DIR] [--record FILE | --replay FILE]\n"
    "                 [--log FILE] [--network] [--remove] [--keep-work]   (docs/guide.md)\n";

// The options: a flag sets an int of hostRun, the others take a path,
// made absolute (a folder with its separator); --record and --replay also
// set the answers' mode, one of them at most.
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
    int bit;             // in languageFlags
    const char *folder;
    const char *name;
} languageTable[] = {
    {LANGUAGE_ENGLISH, "en", "ENGLISH"}, {LANGUAGE_FRENCH, "fr", "FRENCH"},     {LANGUAGE_GERMAN, "de", "GERMAN"},
    {LANGUAGE_SPANISH, "es", "SPANISH"}, {LANGUAGE_JAPANESE, "ja", "JAPANESE"}, {LANGUAGE_RUSSIAN, "ru", "RUSSIAN"},
};

// The answers of HaveKeyDialog, dodialog and networkInstall from 0 on, and
// the failures that entries share.
static const char *const haveKeyMeanings[] = {
    "stop", "new installation", "remove the installation", "reinstall", "modify the installation",
    "update over the same version", "no installation this setup can update",
    "install over the older kind of installation"};
static const char *const dodialogMeanings[] = {"cancelled", "standard selection", "custom selection",
                                               "workstation installation"};
static const char *const networkMeanings[] = {"cancelled", "installed"};

template <size_t N> static const char *meaningOf(const char *const (&texts)[N], int code)
{
    if (code >= 0 && code < (int)N)
        return texts[code];
    return code == RESULT_NO_ANSWER                 ? NO_ANSWER
           : code == DODIALOG_MAINTENANCE_CANCELLED ? "modification cancelled"
           : code == DODIALOG_NO_CATALOGUE          ? "the component catalogue could not be built"
           : code < 0                               ? "the resource module did not load"
                                                    : "unknown answer";
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

// Each entry's answer as it returns.
void noteResult(const char *entry, int result, const char *meaning)
{
    printLine("%-15s %4d  %s", entry, result, meaning);
}

// The option at argv[*i]; false, with the usage, for one it does not know.
static bool takeOption(int argc, char **argv, int *i)
{
    HostRun &h = hostRun;
    for (const auto &o : optionTable) {
        if (strcmp(argv[*i], o.name) != 0)
            continue;
        char *field = (char *)&h + o.field, full[HOST_PATH] = "";
        if (o.kind == OPTION_FLAG)
            return (*(int *)field = 1) != 0;
        if (*i + 1 >= argc || (o.answersMode && h.libraryAnswersMode))
            break;
        if (o.answersMode)
            h.libraryAnswersMode = o.answersMode;
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
    HostRun &h = hostRun;
    char temp[HOST_PATH];
    DWORD n = GetModuleFileNameA(nullptr, h.hostDir, sizeof h.hostDir);
    const char *slash = lastBackslash(h.hostDir);
    if (n == 0 || n >= sizeof h.hostDir || !slash)
        return false;
    h.hostDir[slash - h.hostDir + 1] = 0;
    n = GetTempPathA(sizeof temp, temp);
    if (!joinPath(h.mediaDir, sizeof h.mediaDir, h.hostDir, "media\\") || n == 0 || n >= sizeof temp ||
        !joinPath(h.workDir, sizeof h.workDir, temp, "lumoria-setup\\"))
        return false;
    for (int i = 1; i < argc; i++)
        if (!takeOption(argc, argv, &i))
            return false;
    return true;
}

bool fitRecordField(char *field, size_t cap, const char *text)
{
    if (copyText(field, cap, text))
        return true;
    printLine("setuphost: path longer than the record's %u bytes: %s", (unsigned)cap, text);
    return false;
}

// The installation folder a removal takes: --target, else the registered one.
bool findInstallDir(char *dir, size_t cap)
{
    if (hostRun.targetDir[0])
        return copyText(dir, cap, hostRun.targetDir);
    char value[HOST_PATH] = "";
    DWORD size = sizeof value - 1, type = 0;
    return SHGetValueA(HKEY_LOCAL_MACHINE, PRODUCT_GENERAL_KEY, "Home", &type, value, &size) == ERROR_SUCCESS &&
           type == REG_SZ && value[0] && copyText(dir, cap, value);
}

// A file the installation kept (install.ini, setup.lay), when it is there.
bool installedFile(const char *name, char *path, size_t cap)
{
    return joinPath(path, cap, hostRun.record.installDir, name) && fileExistsAt(path);
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
bool useLanguageModule(int languageBit)
{
    HostRun &h = hostRun;
    for (const auto &l : languageTable) {
        if (l.bit != languageBit)
            continue;
        char from[HOST_PATH], to[HOST_PATH];
        formatText(from, sizeof from, "%slang\\%s\\luinsres.dll", h.workDir, l.folder);
        if (!fileExistsAt(from)) {
            printLine("resources:    the media's own luinsres.dll (no lang\\%s\\ on the media)", l.folder);
            return true;
        }
        if (!joinPath(to, sizeof to, h.workDir, "luinsres.dll") || !CopyFileA(from, to, FALSE)) {
            printLine("setuphost: cannot take the %s resource module %s", l.name, from);
            return false;
        }
        printLine("resources:    lang\\%s\\luinsres.dll (%s)", l.folder, l.name);
        return true;
    }
    return true;
}

static bool prepareRecord()
{
    HostRun &h = hostRun;
    HostSetupInfo &r = h.record;
    memset(&r, 0, sizeof r);
    char ini[HOST_PATH], layout[HOST_PATH];
    if (!joinPath(ini, sizeof ini, h.workDir, "install.ini") || !joinPath(layout, sizeof layout, h.workDir, "setup.lay") ||
        !fitRecordField(r.setupIniPath, sizeof r.setupIniPath, ini) ||
        !fitRecordField(r.layoutFilePath, sizeof r.layoutFilePath, layout) ||
        !fitRecordField(r.sourceDir, sizeof r.sourceDir, h.workDir) ||
        !fitRecordField(r.serverDir, sizeof r.serverDir, h.mediaDir) ||
        !fitRecordField(r.installDir, sizeof r.installDir, h.targetDir[0] ? h.targetDir : DEFAULT_TARGET))
        return false;
    // "Windows 3.x" would ask for the 16-bit viewer engine.
    copyText(r.platformName, sizeof r.platformName, (GetVersion() & 0x80000000u) ? "Windows 95" : "Windows NT");
    r.networkInstallMode = h.networkSetup;
    return true;
}

// A modification starts from the installed install.ini, an update names the
// installed one and its layout file; EXIT_DONE when the setup goes on.
static int afterHaveKey(int code)
{
    HostSetupInfo &r = hostRun.record;
    char ini[HOST_PATH], layout[HOST_PATH];
    if (code == HAVEKEY_MODIFY) {
        r.maintenanceMode = 1;
        bool fits = !installedFile("install.ini", ini, sizeof ini) ||
                    fitRecordField(r.setupIniPath, sizeof r.setupIniPath, ini);
        return fits ? EXIT_DONE : EXIT_FAILED;
    }
    if (code == HAVEKEY_UPDATE_SAME_VERSION) {
        r.upgradeMode = 1;
        bool fits = !installedFile("install.ini", ini, sizeof ini) || !installedFile("setup.lay", layout, sizeof layout) ||
                    (fitRecordField(r.installedIniPath, sizeof r.installedIniPath, ini) &&
                     fitRecordField(r.installedLayoutFilePath, sizeof r.installedLayoutFilePath, layout));
        return fits ? EXIT_DONE : EXIT_FAILED;
    }
    if (code == HAVEKEY_NEW_INSTALL || code == HAVEKEY_REINSTALL || code == HAVEKEY_OLDER_KIND_ACCEPTED)
        return EXIT_DONE;
    return code == RESULT_NO_ANSWER ? EXIT_FAILED : EXIT_STOPPED;
}

// initLanguage answers a single bit when it settled the language (chosen, or
// 1 when it asked nothing) and several after a cancelled dialog, which stops
// the run. What it settled on is in the record's languageFlags either way.
static int chooseLanguage()
{
    HostSetupInfo &r = hostRun.record;
    int code = hostRun.entries.initLanguage(hostRun.window, &r);
    bool single = code > 0 && (code & (code - 1)) == 0;
    int settled = r.languageFlags > 0 && (r.languageFlags & (r.languageFlags - 1)) == 0 ? r.languageFlags : code;
    noteResult("initLanguage", code, single ? languageName(settled) : code < 0 ? meaningOf(networkMeanings, code)
                                                                                 : "language dialog cancelled");
    if (code < 0)
        return EXIT_FAILED;
    if (!single)
        return EXIT_STOPPED;
    r.languageFlags = settled;
    return useLanguageModule(settled) ? EXIT_DONE : EXIT_FAILED;
}

// dodialog or networkInstall; EXIT_DONE with *copy set when files are to go.
static int runDialog(bool *copy)
{
    HostRun &h = hostRun;
    if (h.networkSetup) {
        if (!h.entries.networkInstall) {
            printLine("setuphost: dialogint.dll does not export networkInstall");
            return EXIT_FAILED;
        }
        int code = h.entries.networkInstall(h.window, &h.record);
        noteResult("networkInstall", code, meaningOf(networkMeanings, code));
        *copy = code == 1;
        return code == 1 ? EXIT_DONE : code == 0 ? EXIT_STOPPED : EXIT_FAILED;
    }
    int code = h.entries.dodialog(h.window, &h.record);
    noteResult("dodialog", code,
               h.record.maintenanceMode && code == DODIALOG_STANDARD ? "modified selection confirmed"
                                                                     : meaningOf(dodialogMeanings, code));
    *copy = code != DODIALOG_WORKSTATION;
    if (code == DODIALOG_CANCELLED || code == DODIALOG_MAINTENANCE_CANCELLED)
        return EXIT_STOPPED;
    return code < 0 || code > DODIALOG_WORKSTATION ? EXIT_FAILED : EXIT_DONE;
}

static int finishSetup(bool copy)
{
    HostRun &h = hostRun;
    HostSetupInfo &r = h.record;
    if (!copyText(h.installDir, sizeof h.installDir, r.installDir))
        return EXIT_FAILED;
    if (copy) {
        readInstallLog();  // a reinstallation or modification adds to what is there
        copyListedFiles();
        keepSetupRecords();
        writeInstallLog();
    } else {
        printLine("Workstation installation: Lumoria runs from %s; no files are copied", r.serverDir);
    }
    // A server copy is integrated on each workstation, not on the server.
    if (!h.networkSetup) {
        int code = h.entries.IntegInstall(0, 0, &r);
        const unsigned char *b = r.integrationResults;
        char bytes[64];
        formatText(bytes, sizeof bytes, "integration bytes %u %u %u %u %u %u", b[0], b[1], b[2], b[3], b[4], b[5]);
        noteResult("IntegInstall", code, bytes);
    }
    printLine("Files copied: %d, %lld bytes, into %s%s", h.copiedNow, (long long)h.copiedBytes, h.installDir,
              h.copyErrors ? " (with errors)" : "");
    if (h.networkSetup)
        printLine("A network installation is not registered; remove it with: setuphost --remove --target %s",
                  h.installDir);
    return h.copyErrors ? EXIT_FAILED : EXIT_DONE;
}

static int runSetup()
{
    HostRun &h = hostRun;
    HostSetupInfo &r = h.record;
    printLine("== Lumoria sample setup ==");
    printLine("media:        %s", h.mediaDir);
    if (!makeWorkCopy() || !loadEntries() || !startLibraryAnswers() || !prepareRecord())
        return EXIT_FAILED;
    printLine("work copy:    %s", h.workDir);
    int code = h.entries.setupInstall(h.window, r.serverDir, r.sourceDir);
    noteResult("setupInstall", code, code == SETUP_GO_ON ? "go on" : "stop");
    if (code != SETUP_GO_ON)
        return EXIT_FAILED;
    int32_t workstationFlag = 0;
    code = h.entries.HaveKeyDialog(h.window, &workstationFlag, &r);
    noteResult("HaveKeyDialog", code, meaningOf(haveKeyMeanings, code));
    if (code == HAVEKEY_REMOVE) {
        copyText(h.installDir, sizeof h.installDir, r.installDir);
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
    // Before anything is loaded: every module loaded by name from now on (the
    // library's own imports too) comes from the system folder, never from the
    // host's folder, the current folder or PATH. Looked up, so that the host
    // still starts on a Windows without the function.
    typedef BOOL(WINAPI * SetDirectories)(DWORD);
    if (auto set = (SetDirectories)(void *)GetProcAddress(GetModuleHandleA("kernel32.dll"), "SetDefaultDllDirectories"))
        set(LOAD_LIBRARY_SEARCH_SYSTEM32);
    HostRun &h = hostRun;
    if (!parseOptions(argc, argv))
        return EXIT_USAGE;
    // A replay runs where there may be no desktop: no window of the host's.
    if (h.libraryAnswersMode != ANSWERS_REPLAY)
        h.window = createHostWindow();
    int code = h.removeRun ? runRemoval(false) : runSetup();
    removeWorkCopy();
    printLine("setuphost: %s (exit code %d)", code == EXIT_DONE ? "done" : code == EXIT_STOPPED ? "stopped" : "failed",
              code);
    if (h.window)
        DestroyWindow(h.window);
    if (h.entries.module)
        FreeLibrary(h.entries.module);
    return code;
}
