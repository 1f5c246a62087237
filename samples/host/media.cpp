// media.cpp - the copy of the setup media that a run works on. The library
// writes install.ini, so it never gets the media themselves: the host copies
// them, with the integration modules that lie beside the host, into a work
// folder that a marker file identifies as its own, and removes it afterwards.
#include "host.h"

#include <string.h>


// A work folder that holds this file was made by the host and may be
// emptied; any other non-empty folder is left alone.
static const char WORK_MARKER[] = "setuphost.work";

// Integration modules the setup finds in its source folder: one per
// INTEGRATION entry of install.ini and the fixed integrations' module.
static const char *const integrationModules[] = {"apnint.dll", "bpnint.dll", "cpnint.dll", "fixint.dll"};

bool joinPath(char *out, size_t cap, const char *dir, const char *name)
{
    bool fits = copyText(out, cap, dir);
    if (fits && out[0] && !endsWithBackslash(out))
        fits = appendText(out, cap, "\\");
    if (fits)
        fits = appendText(out, cap, name);
    if (!fits)
        printLine("setuphost: path too long: %s%s", dir, name);
    return fits;
}

bool fileExistsAt(const char *path)
{
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

static bool directoryExists(const char *path)
{
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool makeDirectories(const char *dir)
{
    char prefix[HOST_PATH];
    if (!copyText(prefix, sizeof prefix, dir))
        return false;
    while (strlen(prefix) > 3 && endsWithBackslash(prefix))
        prefix[strlen(prefix) - 1] = 0;
    if (strlen(prefix) < 3)
        return directoryExists(prefix);
    // Each level from the drive on, as a user would make them.
    for (char *p = prefix + 3;; p = (char *)nextCharacter(p)) {
        if (*p != '\\' && *p != 0)
            continue;
        char saved = *p;
        *p = 0;
        if (!directoryExists(prefix) && !CreateDirectoryA(prefix, nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
            return false;
        *p = saved;
        if (!saved)
            break;
    }
    return directoryExists(prefix);
}

bool removeTree(const char *dir)
{
    char pattern[HOST_PATH];
    if (!joinPath(pattern, sizeof pattern, dir, "*"))
        return false;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern, &found);
    bool all = true;
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (strcmp(found.cFileName, ".") == 0 || strcmp(found.cFileName, "..") == 0)
                continue;
            char path[HOST_PATH];
            if (!joinPath(path, sizeof path, dir, found.cFileName)) {
                all = false;
                continue;
            }
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                all &= removeTree(path);
            } else {
                SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
                all &= DeleteFileA(path) != 0;
            }
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    return RemoveDirectoryA(dir) != 0 && all;
}

static bool copyTree(const char *from, const char *to)
{
    if (!makeDirectories(to))
        return false;
    char pattern[HOST_PATH];
    if (!joinPath(pattern, sizeof pattern, from, "*"))
        return false;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern, &found);
    if (search == INVALID_HANDLE_VALUE)
        return false;
    bool all = true;
    do {
        if (strcmp(found.cFileName, ".") == 0 || strcmp(found.cFileName, "..") == 0)
            continue;
        char source[HOST_PATH], target[HOST_PATH];
        if (!joinPath(source, sizeof source, from, found.cFileName) ||
            !joinPath(target, sizeof target, to, found.cFileName)) {
            all = false;
            continue;
        }
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            all &= copyTree(source, target);
        else if (!CopyFileA(source, target, FALSE)) {
            printLine("setuphost: cannot copy %s (error %lu)", source, GetLastError());
            all = false;
        } else {
            // Media from a read-only disk stay writable in the copy.
            SetFileAttributesA(target, FILE_ATTRIBUTE_NORMAL);
        }
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return all;
}

static bool isEmptyOrMissing(const char *dir)
{
    if (!directoryExists(dir))
        return true;
    char pattern[HOST_PATH];
    if (!joinPath(pattern, sizeof pattern, dir, "*"))
        return false;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern, &found);
    bool empty = true;
    if (search != INVALID_HANDLE_VALUE) {
        do
            empty = strcmp(found.cFileName, ".") == 0 || strcmp(found.cFileName, "..") == 0;
        while (empty && FindNextFileA(search, &found));
        FindClose(search);
    }
    return empty;
}

// True when inner is outer or lies inside it.
static bool liesWithin(const char *inner, const char *outer)
{
    char trimmed[HOST_PATH];
    if (!copyText(trimmed, sizeof trimmed, outer))
        return false;
    while (endsWithBackslash(trimmed))
        trimmed[strlen(trimmed) - 1] = 0;
    int n = (int)strlen(trimmed);
    // Compared as text of the system's language, not byte by byte: a
    // case-blind byte comparison would also fold second bytes.
    if ((int)strlen(inner) < n ||
        CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, inner, n, trimmed, n) != CSTR_EQUAL)
        return false;
    return inner[n] == 0 || inner[n] == '\\';
}

bool makeWorkCopy()
{
    HostRun &h = hostRun;
    if (liesWithin(h.workDir, h.mediaDir) || liesWithin(h.mediaDir, h.workDir)) {
        printLine("setuphost: the work folder %s must lie outside the media %s", h.workDir, h.mediaDir);
        return false;
    }
    char marker[HOST_PATH];
    if (!joinPath(marker, sizeof marker, h.workDir, WORK_MARKER))
        return false;
    if (!isEmptyOrMissing(h.workDir)) {
        if (!fileExistsAt(marker)) {
            printLine("setuphost: %s is not empty and not a work folder of this host; choose another with --work",
                      h.workDir);
            return false;
        }
        removeTree(h.workDir);
    }
    if (!copyTree(h.mediaDir, h.workDir)) {
        printLine("setuphost: cannot copy the media %s into %s", h.mediaDir, h.workDir);
        return false;
    }
    HANDLE file = CreateFileA(marker, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);

    // The library loads the integration modules from its source folder, so
    // they go beside install.ini; the media carry them when the host does not.
    for (const char *module : integrationModules) {
        char from[HOST_PATH], to[HOST_PATH];
        if (joinPath(from, sizeof from, h.hostDir, module) && fileExistsAt(from) &&
            joinPath(to, sizeof to, h.workDir, module))
            CopyFileA(from, to, FALSE);
    }

    // The library puts a module name right after the source folder in paths
    // of at most 99 characters: the short form leaves the most room.
    char shortForm[HOST_PATH];
    DWORD n = GetShortPathNameA(h.workDir, shortForm, sizeof shortForm);
    if (n > 0 && n < sizeof shortForm)
        copyText(h.workDir, sizeof h.workDir, shortForm);
    return true;
}

void removeWorkCopy()
{
    HostRun &h = hostRun;
    char marker[HOST_PATH];
    if (h.keepWork || !joinPath(marker, sizeof marker, h.workDir, WORK_MARKER) || !fileExistsAt(marker))
        return;
    removeTree(h.workDir);
}
