// copy_files.cpp - the host's copy engine and install.log. install.ini lists
// the files to copy as FILE<n> of SETUPFILES, INSTALLFILES, SAMPLEFILES or
// NOTEFILES (one running n, with SIZEFILES and PERCENT under it): logical
// names the layout file turns into files on the media (LOGICALFILE ->
// FILE<m> -> FILENAMES). install.log keeps what was copied, for the removal.
#include "host.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

// The sections that list files to copy, and the folder below the
// installation folder where each kind goes.
static const struct {
    const char *name;
    const char *subfolder;
} listSections[SECTION_COUNT] = {
    {"SETUPFILES", "SETUP"},    // the setup program's own files, for the removal
    {"INSTALLFILES", ""},
    {"SAMPLEFILES", "SAMPLES"},
    {"NOTEFILES", "NOTES"},
};

static const char INSTALL_LOG[] = "install.log";
static const char *const keptRecords[] = {INSTALL_LOG, "install.ini", "setup.lay"};

constexpr int VALUE_BYTES = 256;

static void readProfile(const char *file, const char *section, const char *key, char *value, size_t cap)
{
    GetPrivateProfileStringA(section, key, "", value, (DWORD)cap, file);
}

// The file on the media that a logical name stands for (FILENAMES are
// relative to the layout file's folder), and where it goes.
static bool placesOf(int section, const char *logicalName, char *source, char *target)
{
    const char *layout = hostRun.record.layoutFilePath;
    char fileKey[VALUE_BYTES], relative[VALUE_BYTES], folder[HOST_PATH];
    readProfile(layout, "LOGICALFILE", logicalName, fileKey, sizeof fileKey);
    readProfile(layout, "FILENAMES", fileKey, relative, sizeof relative);
    if (!fileKey[0] || !relative[0]) {
        printLine("setuphost: the layout file has no file on the media for %s", logicalName);
        return false;
    }
    copyText(folder, sizeof folder, layout);
    const char *slash = lastBackslash(folder);
    folder[slash ? slash - folder + 1 : 0] = 0;
    if (!joinPath(source, HOST_PATH, folder, relative) ||
        !joinPath(folder, sizeof folder, hostRun.installDir, listSections[section].subfolder))
        return false;
    if (!makeDirectories(folder)) {
        printLine("setuphost: cannot create the folder %s", folder);
        return false;
    }
    slash = lastBackslash(source);
    return joinPath(target, HOST_PATH, folder, slash ? slash + 1 : source);
}

// A file copied again keeps its place (and its SharedDLLs count).
static bool noteCopied(int section, const char *logicalName, const char *path, int64_t size)
{
    HostRun &h = hostRun;
    int at = 0;
    while (at < h.copiedCount && !sameText(h.copied[at].path, path))
        at++;
    if (at == MAX_COPIED_FILES) {
        printLine("setuphost: more than %d files; %s is not kept in %s", MAX_COPIED_FILES, path, INSTALL_LOG);
        return false;
    }
    CopiedFile &c = h.copied[at];
    c.shared = at < h.copiedCount && c.shared;
    h.copiedCount += at == h.copiedCount;
    c.section = section;
    c.size = size;
    copyText(c.logicalName, sizeof c.logicalName, logicalName);
    return copyText(c.path, sizeof c.path, path);
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
    // A dropped setup section leaves its numbers counted, with nothing under them.
    if (section < 0)
        return true;
    char text[32], source[HOST_PATH], target[HOST_PATH];
    readProfile(ini, "PERCENT", key, text, sizeof text);
    int percent = text[0] ? atoi(text) : n * 100 / count;
    showCopyProgress(logicalName, percent);
    if (!placesOf(section, logicalName, source, target))
        return false;
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!CopyFileA(source, target, FALSE) || !GetFileAttributesExA(target, GetFileExInfoStandard, &data)) {
        printLine("setuphost: cannot copy %s to %s (error %lu)", source, target, GetLastError());
        return false;
    }
    SetFileAttributesA(target, FILE_ATTRIBUTE_NORMAL);
    int64_t size = ((int64_t)data.nFileSizeHigh << 32) | data.nFileSizeLow;
    readProfile(ini, "SIZEFILES", key, text, sizeof text);
    if (text[0] && strtoll(text, nullptr, 10) != size)
        printLine("setuphost: %s has %lld bytes, the layout file says %s", source, (long long)size, text);
    h.copiedBytes += size;
    h.copiedNow++;
    printLine("  %3d%%  %-12s %-14s %8lld  %s", percent, listSections[section].name, logicalName, (long long)size,
              target);
    return noteCopied(section, logicalName, target, size);
}

static void deleteCopied(int at)
{
    HostRun &h = hostRun;
    const char *path = h.copied[at].path;
    SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
    if (DeleteFileA(path) || GetLastError() == ERROR_FILE_NOT_FOUND) {
        printLine("  removed %s", path);
        h.removedCount++;
    } else {
        printLine("setuphost: cannot remove %s (error %lu)", path, GetLastError());
        h.copyErrors++;
    }
    h.copied[at] = h.copied[--h.copiedCount];
}

// A modified installation: REMOVEFILES names the files no longer wanted,
// without a language prefix ("HELP" stands for "*2HELP" too).
static void removeUnwantedFiles()
{
    HostRun &h = hostRun;
    const char *ini = h.record.setupIniPath;
    int count = (int)GetPrivateProfileIntA("REMOVEFILES", "NUMFILES", 0, ini);
    for (int r = 1; r <= count; r++) {
        char key[16], name[VALUE_BYTES];
        formatText(key, sizeof key, "FILE%d", r);
        readProfile(ini, "REMOVEFILES", key, name, sizeof name);
        for (int i = h.copiedCount - 1; i >= 0 && name[0]; i--) {
            const char *logged = h.copied[i].logicalName;
            bool match = sameText(logged, name) || (logged[0] == '*' && logged[1] && sameText(logged + 2, name));
            if (match && !h.copied[i].shared)
                deleteCopied(i);
        }
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

// The installed install.ini holds the selection and the space used, from
// which a later setup starts; the layout file belongs with it.
void keepSetupRecords()
{
    HostRun &h = hostRun;
    const char *from[] = {h.record.setupIniPath, h.record.layoutFilePath};
    for (int i = 0; i < 2; i++) {
        char target[HOST_PATH];
        if (joinPath(target, sizeof target, h.installDir, keptRecords[i + 1]) && !sameText(target, from[i]))
            CopyFileA(from[i], target, FALSE);
    }
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
        fprintf(log, "%s\t%s\t%lld\t%d\t%s\n", listSections[c.section].name, c.logicalName, (long long)c.size,
                c.shared, c.path);
    }
    fclose(log);
    return true;
}

bool readInstallLog()
{
    HostRun &h = hostRun;
    char path[HOST_PATH], line[HOST_PATH + 128];
    h.copiedCount = 0;
    FILE *log = joinPath(path, sizeof path, h.installDir, INSTALL_LOG) ? fopen(path, "r") : nullptr;
    if (!log)
        return false;
    while (fgets(line, sizeof line, log) && h.copiedCount < MAX_COPIED_FILES) {
        CopiedFile &c = h.copied[h.copiedCount];
        char section[16];
        long long size = 0;
        int fields = sscanf(line, "%15[^\t\r\n]\t%23[^\t\r\n]\t%lld\t%d\t%259[^\r\n]", section, c.logicalName, &size,
                            &c.shared, c.path);
        if (fields == 2 && strcmp(section, "LANGUAGE") == 0 && !h.record.languageFlags)
            h.record.languageFlags = languageByName(c.logicalName);
        if (fields != 5 || line[0] == ';')
            continue;
        c.section = 0;
        while (c.section < SECTION_COUNT && !sameText(section, listSections[c.section].name))
            c.section++;
        c.size = size;
        c.shared = c.shared == 1;
        h.copiedCount += c.section < SECTION_COUNT;
    }
    fclose(log);
    return true;
}

// Shared files were handled by releaseSharedFiles; what it kept stays.
void removeListedFiles()
{
    HostRun &h = hostRun;
    for (int i = h.copiedCount - 1; i >= 0; i--)
        if (!h.copied[i].shared)
            deleteCopied(i);
    char path[HOST_PATH];
    for (const char *name : keptRecords)
        if (joinPath(path, sizeof path, h.installDir, name) && DeleteFileA(path))
            printLine("  removed %s", path);
    for (const auto &s : listSections)
        if (s.subfolder[0] && joinPath(path, sizeof path, h.installDir, s.subfolder) && RemoveDirectoryA(path))
            printLine("  removed folder %s", path);
    if (RemoveDirectoryA(h.installDir))
        printLine("  removed folder %s", h.installDir);
}
