// shared_dlls.cpp - files the product shares with other programs, which the
// layout file marks with a second field "SYSTEM" ("WPCOMMON,SYSTEM"). Each
// one the host copies is counted in Windows' shared-file list (HKLM
// ...\SharedDLLs, value = the file's path, a DWORD use count); a removal
// counts it down, and when no program uses it any more the user says
// through DeleteShareDLL whether it goes.
#include "host.h"

#include <shlwapi.h>
#include <stdio.h>
#include <string.h>

static const char SHARED_DLLS_KEY[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";

constexpr int MAX_SHARED_NAMES = 64;
constexpr int NAME_BYTES = 24;

static char sharedNames[MAX_SHARED_NAMES][NAME_BYTES];
static int sharedNameCount;

// "*WPCOMMON" in a section and "*1WPCOMMON" in a list stand for "WPCOMMON".
static bool isSharedName(const char *name, bool listed)
{
    if (name[0] == '*')
        name += listed && name[1] ? 2 : 1;
    for (int i = 0; i < sharedNameCount; i++)
        if (sameText(sharedNames[i], name))
            return true;
    return false;
}

// Every FILE<k> = "<name>,SYSTEM" of every section of the layout file.
static void collectSharedNames(const char *layout)
{
    static char sections[32768];
    sharedNameCount = 0;
    DWORD n = GetPrivateProfileSectionNamesA(sections, sizeof sections, layout);
    for (DWORD at = 0; at < n && sections[at]; at += (DWORD)strlen(sections + at) + 1) {
        char key[16], value[256], name[NAME_BYTES], mark[16];
        for (int k = 1; formatText(key, sizeof key, "FILE%d", k) &&
                        GetPrivateProfileStringA(sections + at, key, "", value, sizeof value, layout);
             k++) {
            // The name, then the mark after commas and blanks.
            if (sscanf(value, " %23[^,]%*[, \t]%15[^, \t]", name, mark) == 2 && sameText(mark, "SYSTEM") &&
                !isSharedName(name, false) && sharedNameCount < MAX_SHARED_NAMES)
                copyText(sharedNames[sharedNameCount++], NAME_BYTES, name + (name[0] == '*'));
        }
    }
}

// The use count of a path; 0 when it is not in the list.
static DWORD readUseCount(const char *path, bool *listed)
{
    DWORD count = 0, size = sizeof count, type = 0;
    *listed = SHGetValueA(HKEY_LOCAL_MACHINE, SHARED_DLLS_KEY, path, &type, &count, &size) == ERROR_SUCCESS;
    return !*listed ? 0 : type == REG_DWORD && size == sizeof count ? count : 1;
}

static void writeUseCount(const char *path, DWORD count)
{
    if (SHSetValueA(HKEY_LOCAL_MACHINE, SHARED_DLLS_KEY, path, REG_DWORD, &count, sizeof count) != ERROR_SUCCESS)
        printLine("setuphost: cannot write HKLM\\%s", SHARED_DLLS_KEY);
}

void registerSharedFiles(int firstNew)
{
    HostRun &h = hostRun;
    collectSharedNames(h.record.layoutFilePath);
    for (int i = firstNew; i < h.copiedCount; i++) {
        CopiedFile &c = h.copied[i];
        if (c.shared || !isSharedName(c.logicalName, true))
            continue;
        bool listed;
        DWORD count = readUseCount(c.path, &listed) + 1;
        writeUseCount(c.path, count);
        c.shared = 1;
        printLine("  shared file %s: use count %lu", c.path, (unsigned long)count);
    }
}

void releaseSharedFiles()
{
    HostRun &h = hostRun;
    for (int i = h.copiedCount - 1; i >= 0; i--) {
        CopiedFile &c = h.copied[i];
        if (!c.shared)
            continue;
        bool listed;
        DWORD count = readUseCount(c.path, &listed);
        if (count > 1) {
            writeUseCount(c.path, count - 1);
            printLine("  shared file %s is still used by %lu other program(s): kept", c.path, (unsigned long)count - 1);
            h.keptSharedCount++;
            continue;
        }
        // No program uses it any more: a zero count until the user decides;
        // yes removes the entry (the library does) and the file.
        if (listed)
            writeUseCount(c.path, 0);
        const char *slash = lastBackslash(c.path), *name = slash ? slash + 1 : c.path;
        int32_t answer = -1;
        int result = h.entries.DeleteShareDLL(name, &answer, c.path, h.workDir);
        char meaning[64];
        formatText(meaning, sizeof meaning, "%s: %s", name, answer == 1 ? "remove" : answer == 0 ? "keep" : "not asked");
        noteResult("DeleteShareDLL", result, meaning);
        c.shared = answer != 1;   // else an ordinary file now, removed with the others
        if (c.shared) {
            h.keptSharedCount++;
            printLine("  kept shared file %s", c.path);
        }
    }
}
