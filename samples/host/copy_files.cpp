// copy_files.cpp - the host's copy engine. After dodialog or networkInstall,
// install.ini lists the files to copy under one running number n in
// SETUPFILES, INSTALLFILES, SAMPLEFILES and NOTEFILES, with SIZEFILES and
// PERCENT under the same numbers; each entry is a logical name that the
// layout file turns into a file on the media (LOGICALFILE -> FILE<m> ->
// FILENAMES). The files go into the installation folder, and install.log
// there keeps what was copied, for the removal.
#include "host.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>


// The sections of install.ini that list files to copy, and the folder below
// the installation folder where each kind goes.
struct ListSection {
    const char *name;
    const char *subfolder;
};
constexpr ListSection listSections[SECTION_COUNT] = {
    {"SETUPFILES", "SETUP"},    // the setup program's own files, for the removal
    {"INSTALLFILES", ""},
    {"SAMPLEFILES", "SAMPLES"},
    {"NOTEFILES", "NOTES"},
};

static const char INSTALL_LOG[] = "install.log";
static const char KEPT_INSTALL_INI[] = "install.ini";
static const char KEPT_LAYOUT[] = "setup.lay";

constexpr int VALUE_BYTES = 256;

const char *sectionName(int section)
{
    return section >= 0 && section < SECTION_COUNT ? listSections[section].name : "?";
}

static int sectionByName(const char *name)
{
    for (int i = 0; i < SECTION_COUNT; i++)
        if (_stricmp(name, listSections[i].name) == 0)
            return i;
    return -1;
}

static void readProfile(const char *file, const char *section, const char *key, char *value, size_t cap)
{
    GetPrivateProfileStringA(section, key, "", value, (DWORD)cap, file);
}

// The file on the media that a logical name stands for, as a full path.
static bool resolveLogicalName(const char *layout, const char *logicalName, char *source, size_t cap)
{
    char fileKey[VALUE_BYTES], relative[VALUE_BYTES], mediaFolder[HOST_PATH];
    readProfile(layout, "LOGICALFILE", logicalName, fileKey, sizeof fileKey);
    if (!fileKey[0]) {
        printLine("setuphost: %s is not in the layout file's LOGICALFILE section", logicalName);
        return false;
    }
    readProfile(layout, "FILENAMES", fileKey, relative, sizeof relative);
    if (!relative[0]) {
        printLine("setuphost: %s (%s) has no place on the media in FILENAMES", logicalName, fileKey);
        return false;
    }
    // FILENAMES are relative to the layout file's own folder.
    copyText(mediaFolder, sizeof mediaFolder, layout);
    if (const char *slash = lastBackslash(mediaFolder))
        mediaFolder[slash - mediaFolder + 1] = 0;
    else
        mediaFolder[0] = 0;
    return joinPath(source, cap, mediaFolder, relative);
}

static const char *baseName(const char *path)
{
    const char *slash = lastBackslash(path);
    return slash ? slash + 1 : path;
}

static bool targetFor(int section, const char *source, char *target, size_t cap)
{
    char folder[HOST_PATH];
    const char *sub = listSections[section].subfolder;
    if (sub[0]) {
        if (!joinPath(folder, sizeof folder, hostRun.installDir, sub))
            return false;
    } else if (!copyText(folder, sizeof folder, hostRun.installDir)) {
        return false;
    }
    if (!makeDirectories(folder)) {
        printLine("setuphost: cannot create the folder %s", folder);
        return false;
    }
    return joinPath(target, cap, folder, baseName(source));
}

static int64_t sizeOfFile(const char *path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path, GetFileExInfoStandard, &data))
        return -1;
    return ((int64_t)data.nFileSizeHigh << 32) | data.nFileSizeLow;
}

static int findCopied(const char *path)
{
    for (int i = 0; i < hostRun.copiedCount; i++)
        if (_stricmp(hostRun.copied[i].path, path) == 0)
            return i;
    return -1;
}

static bool noteCopied(int section, const char *logicalName, const char *path, int64_t size)
{
    HostRun &h = hostRun;
    int at = findCopied(path);
    if (at < 0) {
        if (h.copiedCount >= MAX_COPIED_FILES) {
            printLine("setuphost: more than %d files; %s is not kept in %s", MAX_COPIED_FILES, path, INSTALL_LOG);
            return false;
        }
        at = h.copiedCount++;
        h.copied[at].shared = 0;
    }
    CopiedFile &c = h.copied[at];
    c.section = section;
    copyText(c.logicalName, sizeof c.logicalName, logicalName);
    copyText(c.path, sizeof c.path, path);
    c.size = size;
    return true;
}

// Copies file n of the lists; false when it is listed but could not be copied.
static bool copyListedFile(int n, int count)
{
    HostRun &h = hostRun;
    const char *ini = h.record.setupIniPath;
    char key[16], logicalName[VALUE_BYTES] = "";
    formatText(key, sizeof key, "FILE%d", n);
    int section = -1;
    for (int i = 0; i < SECTION_COUNT && section < 0; i++) {
        readProfile(ini, listSections[i].name, key, logicalName, sizeof logicalName);
        if (logicalName[0])
            section = i;
    }
    // The setup files' numbers stay counted when their section is dropped
    // because no component file is listed: nothing to copy under them.
    if (section < 0)
        return true;

    char percentText[32];
    readProfile(ini, "PERCENT", key, percentText, sizeof percentText);
    int percent = percentText[0] ? atoi(percentText) : n * 100 / count;
    showCopyProgress(logicalName, percent);

    char source[HOST_PATH], target[HOST_PATH];
    if (!resolveLogicalName(h.record.layoutFilePath, logicalName, source, sizeof source) ||
        !targetFor(section, source, target, sizeof target))
        return false;
    if (!CopyFileA(source, target, FALSE)) {
        printLine("setuphost: cannot copy %s to %s (error %lu)", source, target, GetLastError());
        return false;
    }
    SetFileAttributesA(target, FILE_ATTRIBUTE_NORMAL);
    int64_t size = sizeOfFile(target);
    char sizeText[32];
    readProfile(ini, "SIZEFILES", key, sizeText, sizeof sizeText);
    if (sizeText[0] && strtoll(sizeText, nullptr, 10) != size)
        printLine("setuphost: %s has %lld bytes, the layout file says %s", source, (long long)size, sizeText);
    h.copiedBytes += size;
    h.copiedNow++;
    printLine("  %3d%%  %-12s %-14s %8lld  %s", percent, listSections[section].name, logicalName,
              (long long)size, target);
    return noteCopied(section, logicalName, target, size);
}

// A removal name has no language prefix: "HELP" stands for "*2HELP" too.
static bool namesMatch(const char *logged, const char *removal)
{
    if (_stricmp(logged, removal) == 0)
        return true;
    return logged[0] == '*' && logged[1] && _stricmp(logged + 2, removal) == 0;
}

static void deleteCopied(int at)
{
    HostRun &h = hostRun;
    SetFileAttributesA(h.copied[at].path, FILE_ATTRIBUTE_NORMAL);
    if (DeleteFileA(h.copied[at].path) || GetLastError() == ERROR_FILE_NOT_FOUND) {
        printLine("  removed %s", h.copied[at].path);
        h.removedCount++;
    } else {
        printLine("setuphost: cannot remove %s (error %lu)", h.copied[at].path, GetLastError());
        h.copyErrors++;
    }
    h.copied[at] = h.copied[--h.copiedCount];
}

// A modified installation: REMOVEFILES names the files no longer wanted.
static void removeUnwantedFiles()
{
    HostRun &h = hostRun;
    const char *ini = h.record.setupIniPath;
    int count = (int)GetPrivateProfileIntA("REMOVEFILES", "NUMFILES", 0, ini);
    for (int r = 1; r <= count; r++) {
        char key[16], name[VALUE_BYTES];
        formatText(key, sizeof key, "FILE%d", r);
        readProfile(ini, "REMOVEFILES", key, name, sizeof name);
        for (int i = h.copiedCount - 1; i >= 0; i--)
            if (name[0] && namesMatch(h.copied[i].logicalName, name) && !h.copied[i].shared)
                deleteCopied(i);
    }
}

bool copyListedFiles()
{
    HostRun &h = hostRun;
    const char *ini = h.record.setupIniPath;
    int count = (int)GetPrivateProfileIntA("INSTALLFILES", "NUMFILES", 0, ini);
    char total[32];
    readProfile(ini, "INSTALLFILES", "SIZEFILES", total, sizeof total);
    printLine("Copying %d files (%s bytes) into %s", count, total[0] ? total : "0", h.installDir);
    if (count > 0 && !makeDirectories(h.installDir)) {
        printLine("setuphost: cannot create the installation folder %s", h.installDir);
        return false;
    }
    int firstNew = h.copiedCount;
    for (int n = 1; n <= count; n++) {
        if (!copyListedFile(n, count))
            h.copyErrors++;
        pumpMessages();
    }
    hideCopyProgress();
    if (h.record.maintenanceMode)
        removeUnwantedFiles();
    registerSharedFiles(firstNew);
    return h.copyErrors == 0;
}

void keepSetupRecords()
{
    HostRun &h = hostRun;
    char target[HOST_PATH];
    // The installed install.ini holds the selection and the space used, from
    // which a later setup starts; the layout file belongs with it.
    if (joinPath(target, sizeof target, h.installDir, KEPT_INSTALL_INI) &&
        _stricmp(target, h.record.setupIniPath) != 0)
        CopyFileA(h.record.setupIniPath, target, FALSE);
    if (joinPath(target, sizeof target, h.installDir, KEPT_LAYOUT) &&
        _stricmp(target, h.record.layoutFilePath) != 0)
        CopyFileA(h.record.layoutFilePath, target, FALSE);
}

bool writeInstallLog()
{
    HostRun &h = hostRun;
    char path[HOST_PATH];
    if (!joinPath(path, sizeof path, h.installDir, INSTALL_LOG))
        return false;
    FILE *log = fopen(path, "w");
    if (!log) {
        printLine("setuphost: cannot write %s", path);
        return false;
    }
    fprintf(log, "; install.log - the files setuphost copied, for their removal:\n"
                 "; section, logical name, size, 1 when registered in SharedDLLs, path\n");
    // The language of the installation, so that its removal speaks it too.
    if (h.record.languageFlags)
        fprintf(log, "LANGUAGE\t%s\n", languageName(h.record.languageFlags));
    for (int i = 0; i < h.copiedCount; i++) {
        const CopiedFile &c = h.copied[i];
        fprintf(log, "%s\t%s\t%lld\t%d\t%s\n", sectionName(c.section), c.logicalName, (long long)c.size, c.shared,
                c.path);
    }
    fclose(log);
    return true;
}

// One line of install.log into a record; false for comments and bad lines.
static bool parseLogLine(char *line, CopiedFile *file)
{
    size_t n = strlen(line);
    while (n > 0 && (line[n - 1] == '\n' || line[n - 1] == '\r'))
        line[--n] = 0;
    if (line[0] == ';' || line[0] == 0)
        return false;
    char *fields[5];
    int count = 0;
    for (char *at = line; count < 5; count++) {
        fields[count] = at;
        char *tab = count < 4 ? strchr(at, '\t') : nullptr;
        if (count < 4 && !tab)
            return false;
        if (tab) {
            *tab = 0;
            at = tab + 1;
        }
    }
    file->section = sectionByName(fields[0]);
    if (file->section < 0 || !copyText(file->logicalName, sizeof file->logicalName, fields[1]) ||
        !copyText(file->path, sizeof file->path, fields[4]))
        return false;
    file->size = strtoll(fields[2], nullptr, 10);
    file->shared = atoi(fields[3]) == 1;
    return true;
}

bool readInstallLog()
{
    HostRun &h = hostRun;
    char path[HOST_PATH];
    h.copiedCount = 0;
    if (!joinPath(path, sizeof path, h.installDir, INSTALL_LOG))
        return false;
    FILE *log = fopen(path, "r");
    if (!log)
        return false;
    char line[HOST_PATH + 128];
    while (fgets(line, sizeof line, log) && h.copiedCount < MAX_COPIED_FILES) {
        if (strncmp(line, "LANGUAGE\t", 9) == 0) {
            char *name = line + 9;
            name[strcspn(name, "\r\n")] = 0;
            if (!h.record.languageFlags)
                h.record.languageFlags = languageByName(name);
        } else if (parseLogLine(line, &h.copied[h.copiedCount])) {
            h.copiedCount++;
        }
    }
    fclose(log);
    return true;
}

static void removeFolderIfEmpty(const char *folder)
{
    if (RemoveDirectoryA(folder))
        printLine("  removed folder %s", folder);
}

void removeListedFiles()
{
    HostRun &h = hostRun;
    // Shared files were handled by releaseSharedFiles; what it kept stays.
    for (int i = h.copiedCount - 1; i >= 0; i--)
        if (!h.copied[i].shared)
            deleteCopied(i);
    const char *own[] = {INSTALL_LOG, KEPT_INSTALL_INI, KEPT_LAYOUT};
    for (const char *name : own) {
        char path[HOST_PATH];
        if (joinPath(path, sizeof path, h.installDir, name) && DeleteFileA(path))
            printLine("  removed %s", path);
    }
    for (const ListSection &s : listSections) {
        char folder[HOST_PATH];
        if (s.subfolder[0] && joinPath(folder, sizeof folder, h.installDir, s.subfolder))
            removeFolderIfEmpty(folder);
    }
    removeFolderIfEmpty(h.installDir);
}
