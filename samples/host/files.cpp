// files.cpp - text, folders and the work copy of the media. Fixed buffers
// are written through copyText and formatText, which always terminate and
// say whether the whole text fit. Paths are walked a character at a time in
// the system code page: the second byte of a double-byte character (code
// pages 932, 936, 949, 950) can be 0x5C, the backslash, and a UTF-8
// character spans up to four bytes. The library writes install.ini, so it
// works on a copy of the media, in a folder a marker file makes the host's.
#include "host.h"

#include <shlwapi.h>
#include <stdarg.h>
#include <stdio.h>
#include <string.h>

// A work folder that holds this file was made by the host and may be
// emptied; any other non-empty folder is left alone.
static const char WORK_MARKER[] = "setuphost.work";

// The integration modules the library loads from its source folder.
static const char *const integrationModules[] = {"apnint.dll", "bpnint.dll", "cpnint.dll", "fixint.dll"};

bool copyText(char *dst, size_t cap, const char *src) { return formatText(dst, cap, "%s", src); }

bool formatText(char *dst, size_t cap, const char *format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    int n = cap ? vsnprintf(dst, cap, format, arguments) : -1;
    va_end(arguments);
    if (n < 0 && cap)
        dst[0] = 0;
    return n >= 0 && (size_t)n < cap;
}

static const char *nextCharacter(const char *p)
{
    static UINT codePage = GetACP();
    if (!*p)
        return p;
    if (codePage == CP_UTF8) {
        unsigned char lead = (unsigned char)*p;
        size_t length = lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        for (size_t i = 1; i < length; i++)
            if ((p[i] & 0xC0) != 0x80)
                return p + 1;
        return p + length;
    }
    return IsDBCSLeadByte((BYTE)*p) && p[1] ? p + 2 : p + 1;
}

const char *lastBackslash(const char *path)
{
    const char *last = nullptr;
    for (const char *p = path; *p; p = nextCharacter(p))
        if (*p == '\\')
            last = p;
    return last;
}

// Compared as text of the system's language: a byte-wise case fold would
// take the second byte of a double-byte character for a letter.
bool sameText(const char *a, const char *b)
{
    return CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a, -1, b, -1) == CSTR_EQUAL;
}

bool joinPath(char *out, size_t cap, const char *dir, const char *name)
{
    bool fits = formatText(out, cap, "%s%s%s", dir, dir[0] && !endsWithBackslash(dir) ? "\\" : "", name);
    if (!fits)
        printLine("setuphost: path too long: %s%s", dir, name);
    return fits;
}

bool fileExistsAt(const char *path) { return PathFileExistsA(path) && !PathIsDirectoryA(path); }

// The missing levels from the drive on, as a user would make them.
bool makeDirectories(const char *dir)
{
    char parent[HOST_PATH];
    if (PathIsDirectoryA(dir))
        return true;
    const char *slash = copyText(parent, sizeof parent, dir) ? lastBackslash(parent) : nullptr;
    if (!slash)
        return false;
    bool trailing = !slash[1];
    parent[slash - parent + !trailing] = 0;   // C:\a\b into C:\a\, C:\a\ into C:\a
    return makeDirectories(parent) &&
           (trailing || CreateDirectoryA(dir, nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
}

// Copies the folder from into to, or with to null removes it; false when
// something could not be copied or removed.
static bool walkTree(const char *from, const char *to)
{
    char pattern[HOST_PATH];
    WIN32_FIND_DATAA found;
    HANDLE search =
        joinPath(pattern, sizeof pattern, from, "*") ? FindFirstFileA(pattern, &found) : INVALID_HANDLE_VALUE;
    bool all = search != INVALID_HANDLE_VALUE && (!to || makeDirectories(to));
    for (bool more = all; more; more = FindNextFileA(search, &found) != 0) {
        char source[HOST_PATH], target[HOST_PATH] = "";
        if (strcmp(found.cFileName, ".") == 0 || strcmp(found.cFileName, "..") == 0)
            continue;
        if (!joinPath(source, sizeof source, from, found.cFileName) ||
            (to && !joinPath(target, sizeof target, to, found.cFileName)))
            all = false;
        else if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            all &= walkTree(source, to ? target : nullptr);
        else if (!to) {
            SetFileAttributesA(source, FILE_ATTRIBUTE_NORMAL);
            all &= DeleteFileA(source) != 0;
        } else if (!CopyFileA(source, target, FALSE)) {
            printLine("setuphost: cannot copy %s (error %lu)", source, GetLastError());
            all = false;
        } else
            SetFileAttributesA(target, FILE_ATTRIBUTE_NORMAL);   // media from a read-only disk
    }
    if (search != INVALID_HANDLE_VALUE)
        FindClose(search);
    return to ? all : RemoveDirectoryA(from) && all;
}

// True when inner is the folder outer or lies inside it.
static bool liesWithin(const char *inner, const char *outer)
{
    int n = (int)strlen(outer) - (endsWithBackslash(outer) ? 1 : 0);
    return (int)strlen(inner) >= n && (inner[n] == 0 || inner[n] == '\\') &&
           CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, inner, n, outer, n) == CSTR_EQUAL;
}

bool makeWorkCopy()
{
    char marker[HOST_PATH], from[HOST_PATH], to[HOST_PATH];
    if (liesWithin(host.workDir, host.mediaDir) || liesWithin(host.mediaDir, host.workDir)) {
        printLine("setuphost: the work folder %s must lie outside the media %s", host.workDir, host.mediaDir);
        return false;
    }
    if (!joinPath(marker, sizeof marker, host.workDir, WORK_MARKER))
        return false;
    if (PathIsDirectoryA(host.workDir) && !PathIsDirectoryEmptyA(host.workDir)) {
        if (!fileExistsAt(marker)) {
            printLine("setuphost: %s is not empty and not a work folder of this host; choose another with --work",
                      host.workDir);
            return false;
        }
        walkTree(host.workDir, nullptr);
    }
    if (!walkTree(host.mediaDir, host.workDir)) {
        printLine("setuphost: cannot copy the media %s into %s", host.mediaDir, host.workDir);
        return false;
    }
    HANDLE file = CreateFileA(marker, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    // The integration modules beside the host go beside install.ini; the
    // media carry them when the host does not.
    for (const char *module : integrationModules)
        if (joinPath(from, sizeof from, host.hostDir, module) && fileExistsAt(from) &&
            joinPath(to, sizeof to, host.workDir, module))
            CopyFileA(from, to, FALSE);
    // The library puts a module name after the source folder in paths of at
    // most 99 characters: the short form leaves the most room.
    DWORD n = GetShortPathNameA(host.workDir, to, sizeof to);
    if (n > 0 && n < sizeof to)
        copyText(host.workDir, sizeof host.workDir, to);
    return true;
}

void removeWorkCopy()
{
    char marker[HOST_PATH];
    if (!host.keepWork && joinPath(marker, sizeof marker, host.workDir, WORK_MARKER) && fileExistsAt(marker))
        walkTree(host.workDir, nullptr);
}
