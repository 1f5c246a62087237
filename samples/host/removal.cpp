// removal.cpp - the removal run: the integrations are switched off, the
// shared files counted down (the user decides about those no program uses
// any more), running parts of the product are told to unload, and the files
// of install.log, the installation folder and the product's registry keys
// go.
#include "host.h"

#include <string.h>


static bool pathFits(char *field, size_t cap, const char *path)
{
    if (copyText(field, cap, path))
        return true;
    printLine("setuphost: path longer than the record's %u bytes: %s", (unsigned)cap, path);
    return false;
}

// The installed install.ini and layout file when the installation kept them,
// else the media's.
static bool useInstalledRecords()
{
    HostRun &h = hostRun;
    char ini[HOST_PATH], layout[HOST_PATH];
    if (!joinPath(ini, sizeof ini, h.installDir, "install.ini") ||
        !joinPath(layout, sizeof layout, h.installDir, "setup.lay"))
        return false;
    if (!fileExistsAt(ini) && !joinPath(ini, sizeof ini, h.workDir, "install.ini"))
        return false;
    if (!fileExistsAt(layout) && !joinPath(layout, sizeof layout, h.workDir, "setup.lay"))
        return false;
    return fillPaths(ini, layout);
}

int runRemoval(bool entriesLoaded)
{
    HostRun &h = hostRun;
    printLine("== Lumoria sample setup: removal ==");
    if (!entriesLoaded) {
        if (!makeWorkCopy() || !loadEntries() || !startLibraryAnswers())
            return EXIT_FAILED;
        memset(&h.record, 0, sizeof h.record);
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
    if (!useInstalledRecords() || !pathFits(h.record.sourceDir, sizeof h.record.sourceDir, h.workDir) ||
        !pathFits(h.record.serverDir, sizeof h.record.serverDir, h.mediaDir) ||
        !pathFits(h.record.installDir, sizeof h.record.installDir, h.installDir))
        return EXIT_FAILED;
    // The removal speaks the language the installation was made in.
    if (!entriesLoaded && h.record.languageFlags && !useLanguageModule(h.record.languageFlags))
        return EXIT_FAILED;

    if (!entriesLoaded) {
        int r = h.entries.setupInstall(h.window, h.record.serverDir, h.record.sourceDir);
        noteResult("setupInstall", r, r == SETUP_GO_ON ? "go on" : "stop");
        if (r != SETUP_GO_ON)
            return EXIT_FAILED;
    }
    int r = h.entries.IntegDeinstall(0, 0, &h.record);
    noteResult("IntegDeinstall", r, "integrations switched off");

    releaseSharedFiles();

    r = h.entries.unLoadDriver(0);
    noteResult("unLoadDriver", r, "\"Lumoria deinstall\" broadcast");

    printLine("Removing the installation:");
    removeListedFiles();
    removeProductRegistry();

    printLine("%s", "");
    printEntryResults();
    printLine("Files removed: %d; shared files kept: %d (asked about %d)", h.removedCount, h.keptSharedCount,
              h.sharedAsked);
    printRegistryKeys();
    return h.copyErrors ? EXIT_FAILED : EXIT_DONE;
}
