// removal.cpp - the removal run: the integrations are switched off, the
// shared files counted down, running parts of the product told to unload,
// and the files of install.log, the installation folder and the product's
// registry keys and shell extensions go (no entry of the library removes
// those).
#include "host.h"

#include <shlwapi.h>
#include <string.h>

static const char PRODUCT_KEY[] = "SOFTWARE\\Jor\\Lumoria";
static const char MAKER_KEY[] = "SOFTWARE\\Jor";
static const char RUN_KEY[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
// The shell's handler lists under HKEY_CLASSES_ROOT where the product
// registers its extensions; each names a class titled "Lumoria ...".
static const char *const shellHandlerKeys[] = {"*\\shellex\\ContextMenuHandlers", "*\\shellex\\PropertySheetHandlers"};
static const char PRODUCT_CLASS_TITLE[] = "Lumoria ";

static bool deleteTree(HKEY root, const char *path) { return SHDeleteKeyA(root, path) == ERROR_SUCCESS; }

static void deleteIfEmpty(HKEY root, const char *path)
{
    HKEY key;
    if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    DWORD subkeys = 1, values = 1;
    RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr, nullptr, nullptr,
                     nullptr);
    RegCloseKey(key);
    if (subkeys == 0 && values == 0)
        RegDeleteKeyA(root, path);
}

static void removeShellExtensions(const char *handlers)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, handlers, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    char names[16][64];
    int count = 0;
    for (DWORD length = sizeof names[0]; count < 16; length = sizeof names[0], count++)
        if (RegEnumKeyExA(key, count, names[count], &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
    RegCloseKey(key);
    for (int i = 0; i < count; i++) {
        char classKey[128], title[128] = "", handler[256];
        LONG size = sizeof title;
        if (!formatText(classKey, sizeof classKey, "CLSID\\%s", names[i]) ||
            RegQueryValueA(HKEY_CLASSES_ROOT, classKey, title, &size) != ERROR_SUCCESS ||
            strncmp(title, PRODUCT_CLASS_TITLE, strlen(PRODUCT_CLASS_TITLE)) != 0)
            continue;
        if (formatText(handler, sizeof handler, "%s\\%s", handlers, names[i]))
            deleteTree(HKEY_CLASSES_ROOT, handler);
        deleteTree(HKEY_CLASSES_ROOT, classKey);
        printLine("  removed the shell extension %s (%s)", names[i], title);
    }
}

static void removeProductRegistry()
{
    if (deleteTree(HKEY_LOCAL_MACHINE, PRODUCT_KEY))
        printLine("  removed HKLM\\%s", PRODUCT_KEY);
    if (deleteTree(HKEY_CURRENT_USER, PRODUCT_KEY))
        printLine("  removed HKCU\\%s", PRODUCT_KEY);
    deleteIfEmpty(HKEY_LOCAL_MACHINE, MAKER_KEY);
    deleteIfEmpty(HKEY_CURRENT_USER, MAKER_KEY);
    for (const char *handlers : shellHandlerKeys)
        removeShellExtensions(handlers);
    // The load manager's autostart, if the product set one up.
    HKEY run;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, RUN_KEY, 0, KEY_SET_VALUE, &run) == ERROR_SUCCESS) {
        RegDeleteValueA(run, "lxldmgr");
        RegCloseKey(run);
    }
}

// The record of the installation: its folder, and the install.ini and
// layout file it kept (else the media's). EXIT_DONE when there is one.
static int findInstallation(bool entriesLoaded)
{
    HostRun &h = hostRun;
    HostSetupInfo &r = h.record;
    if (!entriesLoaded) {
        if (!makeWorkCopy() || !loadEntries() || !startLibraryAnswers())
            return EXIT_FAILED;
        memset(&r, 0, sizeof r);
    }
    if (!h.installDir[0] && !findInstallDir(h.installDir, sizeof h.installDir)) {
        printLine("setuphost: no installation of Lumoria is registered; name its folder with --target");
        return EXIT_STOPPED;
    }
    printLine("installation: %s", h.installDir);
    if (!readInstallLog()) {
        printLine("setuphost: %s holds no install.log of this host: nothing to remove", h.installDir);
        return EXIT_STOPPED;
    }
    if (!fitRecordField(r.installDir, sizeof r.installDir, h.installDir) ||
        !fitRecordField(r.sourceDir, sizeof r.sourceDir, h.workDir) ||
        !fitRecordField(r.serverDir, sizeof r.serverDir, h.mediaDir))
        return EXIT_FAILED;
    char *fields[] = {r.setupIniPath, r.layoutFilePath}, path[HOST_PATH];
    const char *names[] = {"install.ini", "setup.lay"};
    for (int i = 0; i < 2; i++)
        if ((!installedFile(names[i], path, sizeof path) && !joinPath(path, sizeof path, h.workDir, names[i])) ||
            !fitRecordField(fields[i], sizeof r.setupIniPath, path))
            return EXIT_FAILED;
    // The removal speaks the language the installation was made in.
    if (!entriesLoaded && r.languageFlags && !useLanguageModule(r.languageFlags))
        return EXIT_FAILED;
    return EXIT_DONE;
}

int runRemoval(bool entriesLoaded)
{
    HostRun &h = hostRun;
    printLine("== Lumoria sample setup: removal ==");
    int code = findInstallation(entriesLoaded);
    if (code != EXIT_DONE)
        return code;
    if (!entriesLoaded) {
        int r = h.entries.setupInstall(h.window, h.record.serverDir, h.record.sourceDir);
        noteResult("setupInstall", r, r == SETUP_GO_ON ? "go on" : "stop");
        if (r != SETUP_GO_ON)
            return EXIT_FAILED;
    }
    noteResult("IntegDeinstall", h.entries.IntegDeinstall(0, 0, &h.record), "integrations switched off");
    releaseSharedFiles();
    noteResult("unLoadDriver", h.entries.unLoadDriver(0), "\"Lumoria deinstall\" broadcast");

    printLine("Removing the installation:");
    removeListedFiles();
    removeProductRegistry();
    printLine("Files removed: %d; shared files kept: %d", h.removedCount, h.keptSharedCount);
    return h.copyErrors ? EXIT_FAILED : EXIT_DONE;
}
