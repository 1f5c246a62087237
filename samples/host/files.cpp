// files.cpp - text, folders and the work copy of the media. Fixed buffers
// are written through copyText and formatText, which always terminate and
// say whether the whole text fit. Paths are walked a character at a time in
// the system code page: the second byte of a double-byte character (code
// pages 932, 936, 949, 950) can be 0x5C, the backslash, and a UTF-8
// character spans up to four bytes. The library writes install.ini, so it
// works on a copy of the media, in a folder a marker file makes the host's.
#include "host.h"

#include <stdarg.h>
#include <stdio.h>
#include <string.h>

// A work folder that holds this file was made by the host and may be
// emptied; any other non-empty folder is left alone.
static const char WORK_MARKER[] = "setuphost.work";

// The integration modules the library loads from its source folder.
static const char *const integrationModules[] = {"apnint.dll", "bpnint.dll", "cpnint.dll", "fixint.dll"};

bool copyText(char *dst, size_t cap, const char *src)
{
    return formatText(dst, cap, "%s", src);
}

bool formatText(char *dst, size_t cap, const char *format, ...)
{
    if (cap == 0)
        return false;
    va_list arguments;
    va_start(arguments, format);
    int n = vsnprintf(dst, cap, format, arguments);
    va_end(arguments);
    if (n < 0)
        dst[0] = 0;
    return n >= 0 && (size_t)n < cap;
}

const char *nextCharacter(const char *p)
{
    static UINT codePage;   // asked once
    if (!codePage)
        codePage = GetACP();
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

bool endsWithBackslash(const char *path)
{
    const char *last = lastBackslash(path);
    return last && !last[1];
}

bool joinPath(char *out, size_t cap, const char *dir, const char *name)
{
    bool fits = formatText(out, cap, "%s%s%s", dir, dir[0] && !endsWithBackslash(dir) ? "\\" : "", name);
    if (!fits)
        printLine("setuphost: path too long: %s%s", dir, name);
    return fits;
}

static bool exists(const char *path, bool folder)
{
    DWORD a = GetFileAttributesA(path);
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY) == !folder;
}

bool fileExistsAt(const char *path) { return exists(path, false); }

bool makeDirectories(const char *dir)
{
    char prefix[HOST_PATH];
    if (!copyText(prefix, sizeof prefix, dir))
        return false;
    while (strlen(prefix) > 3 && endsWithBackslash(prefix))
        prefix[strlen(prefix) - 1] = 0;
    // Each level from the drive on, as a user would make them.
    for (char *p = prefix + 3; strlen(prefix) >= 3; p = (char *)nextCharacter(p)) {
        if (*p != '\\' && *p != 0)
            continue;
        char saved = *p;
        *p = 0;
        if (!exists(prefix, true) && !CreateDirectoryA(prefix, nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
            return false;
        *p = saved;
        if (!saved)
            break;
    }
    return exists(prefix, true);
}

// A folder's entries but "." and ".."; false (the search closed) at the end.
static bool skipDots(HANDLE search, WIN32_FIND_DATAA *found, bool more)
{
    while (more && (strcmp(found->cFileName, ".") == 0 || strcmp(found->cFileName, "..") == 0))
        more = FindNextFileA(search, found) != 0;
    if (!more)
        FindClose(search);
    return more;
}

static bool firstEntry(const char *dir, HANDLE *search, WIN32_FIND_DATAA *found)
{
    char pattern[HOST_PATH];
    *search = joinPath(pattern, sizeof pattern, dir, "*") ? FindFirstFileA(pattern, found) : INVALID_HANDLE_VALUE;
    return *search != INVALID_HANDLE_VALUE && skipDots(*search, found, true);
}

// Copies the folder from into to, or with to null removes it; false when
// something could not be copied or removed.
static bool walkTree(const char *from, const char *to)
{
    if (to && (!exists(from, true) || !makeDirectories(to)))
        return false;
    HANDLE search;
    WIN32_FIND_DATAA found;
    bool all = true;
    for (bool more = firstEntry(from, &search, &found); more;
         more = skipDots(search, &found, FindNextFileA(search, &found) != 0)) {
        char source[HOST_PATH], target[HOST_PATH] = "";
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
        } else {
            SetFileAttributesA(target, FILE_ATTRIBUTE_NORMAL);   // media from a read-only disk
        }
    }
    return to ? all : RemoveDirectoryA(from) && all;
}

// Two names or paths the same but for the case of their letters, compared
// as text of the system's language: a byte-wise comparison would fold the
// second byte of a double-byte character as if it were a letter.
bool sameText(const char *a, const char *b)
{
    return CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a, -1, b, -1) == CSTR_EQUAL;
}

// True when inner is the folder outer (with its separator) or lies inside
// it, compared as text of the system's language, not byte by byte.
static bool liesWithin(const char *inner, const char *outer)
{
    int n = (int)strlen(outer) - (endsWithBackslash(outer) ? 1 : 0);
    return (int)strlen(inner) >= n && (inner[n] == 0 || inner[n] == '\\') &&
           CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, inner, n, outer, n) == CSTR_EQUAL;
}

bool makeWorkCopy()
{
    HostRun &h = hostRun;
    char marker[HOST_PATH];
    if (liesWithin(h.workDir, h.mediaDir) || liesWithin(h.mediaDir, h.workDir)) {
        printLine("setuphost: the work folder %s must lie outside the media %s", h.workDir, h.mediaDir);
        return false;
    }
    HANDLE search;
    WIN32_FIND_DATAA found;
    if (!joinPath(marker, sizeof marker, h.workDir, WORK_MARKER))
        return false;
    if (firstEntry(h.workDir, &search, &found)) {
        FindClose(search);
        if (!fileExistsAt(marker)) {
            printLine("setuphost: %s is not empty and not a work folder of this host; choose another with --work",
                      h.workDir);
            return false;
        }
        walkTree(h.workDir, nullptr);
    }
    if (!walkTree(h.mediaDir, h.workDir)) {
        printLine("setuphost: cannot copy the media %s into %s", h.mediaDir, h.workDir);
        return false;
    }
    HANDLE file = CreateFileA(marker, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    // The integration modules beside the host go beside install.ini; the
    // media carry them when the host does not.
    for (const char *module : integrationModules) {
        char from[HOST_PATH], to[HOST_PATH];
        if (joinPath(from, sizeof from, h.hostDir, module) && fileExistsAt(from) &&
            joinPath(to, sizeof to, h.workDir, module))
            CopyFileA(from, to, FALSE);
    }
    // The library puts a module name after the source folder in paths of at
    // most 99 characters: the short form leaves the most room.
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
    if (!h.keepWork && joinPath(marker, sizeof marker, h.workDir, WORK_MARKER) && fileExistsAt(marker))
        walkTree(h.workDir, nullptr);
}
