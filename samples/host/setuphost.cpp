// setuphost.cpp - a setup host for Lumoria's installer library, the sample
// that setup authors start from. It loads dialogint.dll from beside itself
// and calls its entries in the order a setup script does:
//
//   setupInstall, HaveKeyDialog, initLanguage, dodialog (or networkInstall),
//   then copies every file that install.ini lists, then IntegInstall;
//   a removal run: IntegDeinstall, DeleteShareDLL, unLoadDriver, and the
//   copied files go.
//
// The library works on a copy of the media, since it writes install.ini.
// A user answers the dialogs. With --replay the library itself sets up from
// a recorded answer file and shows nothing; --record makes that file from
// the choices made in the dialogs.
#include "host.h"

#include <stdarg.h>
#include <stdio.h>
#include <string.h>

HostRun hostRun;

static const char DEFAULT_TARGET[] = "C:\\Program Files\\Lumoria";
static const char PRODUCT_GENERAL_KEY[] = "SOFTWARE\\Jor\\Lumoria\\General";

static const char USAGE[] =
    "usage: setuphost [options]\n"
    "  --media DIR        the setup media (default: media\\ beside setuphost.exe)\n"
    "  --work DIR         where the copy of the media goes (default: %TEMP%\\lumoria-setup)\n"
    "  --target DIR       the installation folder to offer (default: C:\\Program Files\\Lumoria,\n"
    "                     or the folder of an installation that is found)\n"
    "  --record FILE      the dialogs show; the library writes the choices into FILE\n"
    "  --replay FILE      no dialog and no window: the library takes every choice from FILE\n"
    "  --log FILE         the library's setup log (record and replay always write one,\n"
    "                     by default a new %TEMP%\\lumoria-setup-<date>-<n>.log)\n"
    "  --network          a network (server copy) installation: networkInstall\n"
    "  --remove           remove the installation\n"
    "  --keep-work        leave the copy of the media in place\n";

void printLine(const char *format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    vprintf(format, arguments);
    va_end(arguments);
    putchar('\n');
    fflush(stdout);
}

// A folder named on the command line, made absolute, with its separator.
static bool takeFolder(char *field, size_t cap, const char *text)
{
    char full[HOST_PATH];
    DWORD n = GetFullPathNameA(text, sizeof full, full, nullptr);
    if (n == 0 || n >= sizeof full || !copyText(field, cap, full)) {
        printLine("setuphost: bad folder %s", text);
        return false;
    }
    if (field[0] && !endsWithBackslash(field) && !appendText(field, cap, "\\"))
        return false;
    return true;
}

static bool takeFile(char *field, size_t cap, const char *text)
{
    DWORD n = GetFullPathNameA(text, (DWORD)cap, field, nullptr);
    if (n == 0 || n >= cap) {
        printLine("setuphost: bad file name %s", text);
        return false;
    }
    return true;
}

static bool parseOptions(int argc, char **argv)
{
    HostRun &h = hostRun;
    char self[HOST_PATH];
    DWORD n = GetModuleFileNameA(nullptr, self, sizeof self);
    if (n == 0 || n >= sizeof self)
        return false;
    if (const char *slash = lastBackslash(self))
        self[slash - self + 1] = 0;
    copyText(h.hostDir, sizeof h.hostDir, self);
    if (!joinPath(h.mediaDir, sizeof h.mediaDir, h.hostDir, "media\\"))
        return false;
    char temp[HOST_PATH];
    n = GetTempPathA(sizeof temp, temp);
    if (n == 0 || n >= sizeof temp || !joinPath(h.workDir, sizeof h.workDir, temp, "lumoria-setup\\"))
        return false;

    for (int i = 1; i < argc; i++) {
        const char *option = argv[i];
        const char *value = i + 1 < argc ? argv[i + 1] : nullptr;
        bool good = true;
        if (strcmp(option, "--network") == 0)
            h.networkSetup = 1;
        else if (strcmp(option, "--remove") == 0)
            h.removeRun = 1;
        else if (strcmp(option, "--keep-work") == 0)
            h.keepWork = 1;
        else if (value && strcmp(option, "--media") == 0)
            good = takeFolder(h.mediaDir, sizeof h.mediaDir, argv[++i]);
        else if (value && strcmp(option, "--work") == 0)
            good = takeFolder(h.workDir, sizeof h.workDir, argv[++i]);
        else if (value && strcmp(option, "--target") == 0)
            good = takeFile(h.targetDir, sizeof h.targetDir, argv[++i]);
        else if (value && (strcmp(option, "--record") == 0 || strcmp(option, "--replay") == 0) &&
                 !h.libraryAnswersMode) {
            h.libraryAnswersMode = strcmp(option, "--record") == 0 ? ANSWERS_RECORD : ANSWERS_REPLAY;
            good = takeFile(h.libraryAnswers, sizeof h.libraryAnswers, argv[++i]);
        } else if (value && strcmp(option, "--log") == 0)
            good = takeFile(h.setupLog, sizeof h.setupLog, argv[++i]);
        else {
            fputs(USAGE, stdout);
            return false;
        }
        if (!good)
            return false;
    }
    return true;
}

static bool fitRecordField(char *field, size_t cap, const char *text)
{
    if (copyText(field, cap, text))
        return true;
    printLine("setuphost: path longer than the record's %u bytes: %s", (unsigned)cap, text);
    return false;
}

bool fillPaths(const char *setupIni, const char *layout)
{
    HostSetupInfo &r = hostRun.record;
    return fitRecordField(r.setupIniPath, sizeof r.setupIniPath, setupIni) &&
           fitRecordField(r.layoutFilePath, sizeof r.layoutFilePath, layout);
}

bool findInstallDir(char *dir, size_t cap)
{
    if (hostRun.targetDir[0])
        return copyText(dir, cap, hostRun.targetDir);
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, PRODUCT_GENERAL_KEY, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return false;
    char value[HOST_PATH] = "";
    DWORD size = sizeof value - 1, type = 0;
    bool found = RegQueryValueExA(key, "Home", nullptr, &type, (BYTE *)value, &size) == ERROR_SUCCESS &&
                 type == REG_SZ && value[0];
    RegCloseKey(key);
    return found && copyText(dir, cap, value);
}

// ---------------------------------------------------------------------------
// The language

// Where a multilingual medium keeps each language's resource module
// (lang\<folder>\luinsres.dll), and the name install.log keeps it under.
struct LanguageFolder {
    int bit;             // in languageFlags
    const char *folder;
    const char *name;
};
constexpr LanguageFolder languageFolders[] = {
    {LANGUAGE_ENGLISH, "en", "ENGLISH"},
    {LANGUAGE_FRENCH, "fr", "FRENCH"},
    {LANGUAGE_GERMAN, "de", "GERMAN"},
    {LANGUAGE_SPANISH, "es", "SPANISH"},
    {LANGUAGE_JAPANESE, "ja", "JAPANESE"},
    {LANGUAGE_RUSSIAN, "ru", "RUSSIAN"},
};

const char *languageName(int bit)
{
    for (const LanguageFolder &l : languageFolders)
        if (l.bit == bit)
            return l.name;
    return "?";
}

int languageByName(const char *name)
{
    for (const LanguageFolder &l : languageFolders)
        if (_stricmp(name, l.name) == 0)
            return l.bit;
    return 0;
}

// A multilingual medium holds one resource module per language in
// lang\<folder>\luinsres.dll; the one in the medium's own folder speaks the
// language initLanguage runs in. Once the language is known, the host makes
// that language's module the one in its work copy, which stays the source
// folder of every later call: the library also loads the integration modules
// and the help file from there. A medium without the folder keeps its module.
bool useLanguageModule(int languageBit)
{
    HostRun &h = hostRun;
    for (const LanguageFolder &l : languageFolders) {
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

static bool singleBit(int value) { return value > 0 && (value & (value - 1)) == 0; }

// initLanguage's answer: a single bit when it settled the language (chosen
// in the language dialog, or 1 when it asked nothing), several bits after a
// cancelled dialog, and the run stops. Either way the record's
// languageFlags holds the language the library settled on: the one chosen,
// the system's own, the only one offered, or English.
static int takeLanguage(int result, int settled, char *meaning, size_t cap)
{
    if (!singleBit(result)) {
        formatText(meaning, cap, "language dialog cancelled");
        return 0;
    }
    if (!singleBit(settled))
        settled = result;
    if (result == LANGUAGE_ENGLISH)
        formatText(meaning, cap, "%s (chosen, or settled without asking)", languageName(settled));
    else
        formatText(meaning, cap, "%s chosen in the language dialog", languageName(settled));
    return settled;
}

// ---------------------------------------------------------------------------
// The setup run

static const char NO_ANSWER_MEANING[] = "no usable answer in the answer file (the setup log names it)";

static const char *haveKeyMeaning(int code)
{
    switch (code) {
    case HAVEKEY_STOP: return "stop";
    case HAVEKEY_NEW_INSTALL: return "new installation";
    case HAVEKEY_REMOVE: return "remove the installation";
    case HAVEKEY_REINSTALL: return "reinstall";
    case HAVEKEY_MODIFY: return "modify the installation";
    case HAVEKEY_UPDATE_SAME_VERSION: return "update over the same version";
    case HAVEKEY_UPDATE_NOT_POSSIBLE: return "no installation this setup can update";
    case HAVEKEY_OLDER_KIND_ACCEPTED: return "install over the older kind of installation";
    case RESULT_NO_ANSWER: return NO_ANSWER_MEANING;
    }
    return "unknown answer";
}

static const char *dodialogMeaning(int code)
{
    switch (code) {
    case DODIALOG_CANCELLED: return "cancelled";
    case DODIALOG_STANDARD: return "standard selection";
    case DODIALOG_CUSTOM: return "custom selection";
    case DODIALOG_WORKSTATION: return "workstation installation";
    case DODIALOG_MAINTENANCE_CANCELLED: return "modification cancelled";
    case DODIALOG_NO_RESOURCES: return "the resource module did not load";
    case DODIALOG_NO_CATALOGUE: return "the component catalogue could not be built";
    case RESULT_NO_ANSWER: return NO_ANSWER_MEANING;
    }
    return "unknown answer";
}

static bool prepareRecord()
{
    HostRun &h = hostRun;
    HostSetupInfo &r = h.record;
    memset(&r, 0, sizeof r);
    char ini[HOST_PATH], layout[HOST_PATH];
    if (!joinPath(ini, sizeof ini, h.workDir, "install.ini") || !joinPath(layout, sizeof layout, h.workDir, "setup.lay") ||
        !fillPaths(ini, layout) || !fitRecordField(r.sourceDir, sizeof r.sourceDir, h.workDir) ||
        !fitRecordField(r.serverDir, sizeof r.serverDir, h.mediaDir) ||
        !fitRecordField(r.installDir, sizeof r.installDir, h.targetDir[0] ? h.targetDir : DEFAULT_TARGET))
        return false;
    // "Windows 3.x" would ask for the 16-bit viewer engine.
    copyText(r.platformName, sizeof r.platformName, (GetVersion() & 0x80000000u) ? "Windows 95" : "Windows NT");
    r.networkInstallMode = h.networkSetup;
    return true;
}

// The installed install.ini and layout file, for a modification or update.
static bool installedFile(const char *name, char *path, size_t cap)
{
    return joinPath(path, cap, hostRun.record.installDir, name) && fileExistsAt(path);
}

static int afterHaveKey(int code)
{
    HostSetupInfo &r = hostRun.record;
    char ini[HOST_PATH], layout[HOST_PATH];
    switch (code) {
    case HAVEKEY_MODIFY:
        // The installed install.ini holds the selection that is modified.
        r.maintenanceMode = 1;
        if (installedFile("install.ini", ini, sizeof ini) && !fitRecordField(r.setupIniPath, sizeof r.setupIniPath, ini))
            return EXIT_FAILED;
        return EXIT_DONE;
    case HAVEKEY_UPDATE_SAME_VERSION:
        r.upgradeMode = 1;
        if (installedFile("install.ini", ini, sizeof ini) && installedFile("setup.lay", layout, sizeof layout) &&
            (!fitRecordField(r.installedIniPath, sizeof r.installedIniPath, ini) ||
             !fitRecordField(r.installedLayoutFilePath, sizeof r.installedLayoutFilePath, layout)))
            return EXIT_FAILED;
        return EXIT_DONE;
    case HAVEKEY_NEW_INSTALL:
    case HAVEKEY_REINSTALL:
    case HAVEKEY_OLDER_KIND_ACCEPTED:
        return EXIT_DONE;
    case RESULT_NO_ANSWER:
        return EXIT_FAILED;
    }
    return EXIT_STOPPED;
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
    noteResult("HaveKeyDialog", code, haveKeyMeaning(code));
    if (code == HAVEKEY_REMOVE) {
        copyText(h.installDir, sizeof h.installDir, r.installDir);
        return runRemoval(true);
    }
    int next = afterHaveKey(code);
    if (next != EXIT_DONE)
        return next;
    // HaveKeyDialog has put what it found into previousInstallState.

    code = h.entries.initLanguage(h.window, &r);
    char meaning[64];
    int language = code < 0 ? 0 : takeLanguage(code, r.languageFlags, meaning, sizeof meaning);
    noteResult("initLanguage", code,
               code == RESULT_NO_ANSWER ? NO_ANSWER_MEANING : code < 0 ? "the resource module did not load" : meaning);
    if (code < 0)
        return EXIT_FAILED;
    if (!language)
        return EXIT_STOPPED;
    r.languageFlags = language;
    if (!useLanguageModule(language))
        return EXIT_FAILED;

    bool copy = false;
    int installResult = 0;
    if (h.networkSetup) {
        if (!h.entries.networkInstall) {
            printLine("setuphost: dialogint.dll does not export networkInstall");
            return EXIT_FAILED;
        }
        code = h.entries.networkInstall(h.window, &r);
        noteResult("networkInstall", code,
                   code == 1                  ? "installed"
                   : code == 0                ? "cancelled"
                   : code == RESULT_NO_ANSWER ? NO_ANSWER_MEANING
                                              : "the resource module did not load");
        if (code != 1)
            return code == 0 ? EXIT_STOPPED : EXIT_FAILED;
        copy = true;
    } else {
        code = h.entries.dodialog(h.window, &r);
        noteResult("dodialog", code,
                   r.maintenanceMode && code == DODIALOG_STANDARD ? "modified selection confirmed" : dodialogMeaning(code));
        if (code == DODIALOG_CANCELLED || code == DODIALOG_MAINTENANCE_CANCELLED)
            return EXIT_STOPPED;
        if (code < 0 || code > DODIALOG_WORKSTATION)
            return EXIT_FAILED;
        copy = code != DODIALOG_WORKSTATION;
    }
    installResult = code;

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
        code = h.entries.IntegInstall(0, 0, &r);
        char bytes[64] = "integration bytes";
        for (int i = 0; i < 6; i++) {
            char one[8];
            formatText(one, sizeof one, " %u", r.integrationResults[i]);
            appendText(bytes, sizeof bytes, one);
        }
        noteResult("IntegInstall", code, bytes);
    }

    printLine("%s", "");
    printEntryResults();
    if (h.networkSetup || installResult == DODIALOG_WORKSTATION)
        printLine("Components chosen: every component");
    else
        printComponentsChosen(r.setupIniPath);
    printLine("Files copied: %d, %lld bytes, into %s%s", h.copiedNow, (long long)h.copiedBytes, h.installDir,
              h.copyErrors ? " (with errors)" : "");
    if (h.copiedCount != h.copiedNow)
        printLine("The installation now holds %d files (install.log)", h.copiedCount);
    printRegistryKeys();
    if (h.networkSetup)
        printLine("A network installation is not registered; remove it with: setuphost --remove --target %s",
                  h.installDir);
    return h.copyErrors ? EXIT_FAILED : EXIT_DONE;
}

// Before anything is loaded: every module this process loads by name from
// now on (the library's own imports included) comes from the system folder,
// never from the host's folder, the current folder or PATH, where anybody
// could have put a file of that name. Looked up, so that the host still
// starts on a Windows without the function.
static void loadFromSystemFolderOnly()
{
    typedef BOOL(WINAPI * SetDirectories)(DWORD);
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    SetDirectories set =
        kernel ? (SetDirectories)(void *)GetProcAddress(kernel, "SetDefaultDllDirectories") : nullptr;
    if (set)
        set(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

int main(int argc, char **argv)
{
    loadFromSystemFolderOnly();
    HostRun &h = hostRun;
    if (!parseOptions(argc, argv))
        return EXIT_USAGE;
    // A replay runs where there may be no desktop: no window of the host's
    // either (the copy is reported on the console).
    if (h.libraryAnswersMode != ANSWERS_REPLAY)
        h.window = createHostWindow();
    int code = h.removeRun ? runRemoval(false) : runSetup();

    removeWorkCopy();
    printLine("setuphost: %s (exit code %d)",
              code == EXIT_DONE ? "done" : code == EXIT_STOPPED ? "stopped" : "failed", code);
    if (h.window)
        DestroyWindow(h.window);
    if (h.entries.module)
        FreeLibrary(h.entries.module);
    return code;
}
