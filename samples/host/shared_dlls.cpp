// shared_dlls.cpp - files the product shares with other programs. The layout
// file marks them with a second field "SYSTEM" in the component sections
// ("WPCOMMON,SYSTEM"). At installation the host counts each one it copies in
// Windows' shared-file list (HKLM ...\SharedDLLs, value = the file's path,
// a DWORD use count); at removal it counts it down, and when no program uses
// it any more it asks the user through DeleteShareDLL whether to remove it.
#include "host.h"

#include <stdio.h>
#include <string.h>

static const char SHARED_DLLS_KEY[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";

constexpr int MAX_SHARED_NAMES = 64;
constexpr int NAME_BYTES = 24;

static char sharedNames[MAX_SHARED_NAMES][NAME_BYTES];
static int sharedNameCount;

// A name without its language mark: "*WPCOMMON" in a section, "*1WPCOMMON"
// in a list, both stand for "WPCOMMON".
static const char *plainName(const char *name, bool listed)
{
    if (name[0] != '*')
        return name;
    return listed && name[1] ? name + 2 : name + 1;
}

static bool isSharedName(const char *name)
{
    for (int i = 0; i < sharedNameCount; i++)
        if (_stricmp(sharedNames[i], name) == 0)
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
        for (int k = 1;; k++) {
            char key[16], value[256], name[NAME_BYTES], mark[16];
            formatText(key, sizeof key, "FILE%d", k);
            GetPrivateProfileStringA(sections + at, key, "", value, sizeof value, layout);
            if (!value[0])
                break;
            // The name, then the mark after commas and blanks.
            if (sscanf(value, " %23[^,]%*[, \t]%15[^, \t]", name, mark) == 2 && _stricmp(mark, "SYSTEM") == 0 && !isSharedName(plainName(name, false)) &&
                sharedNameCount < MAX_SHARED_NAMES)
                copyText(sharedNames[sharedNameCount++], NAME_BYTES, plainName(name, false));
        }
    }
}

// The use count of a path; 0 when it is not in the list.
static DWORD readUseCount(const char *path, bool *listed)
{
    DWORD count = 0, size = sizeof count, type = 0;
    HKEY key;
    *listed = false;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, SHARED_DLLS_KEY, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return 0;
    if (RegQueryValueExA(key, path, nullptr, &type, (BYTE *)&count, &size) == ERROR_SUCCESS) {
        *listed = true;
        if (type != REG_DWORD || size != sizeof count)
            count = 1;
    }
    RegCloseKey(key);
    return count;
}

static void writeUseCount(const char *path, DWORD count)
{
    HKEY key;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, SHARED_DLLS_KEY, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE,
                        nullptr, &key, nullptr) != ERROR_SUCCESS) {
        printLine("setuphost: cannot open HKLM\\%s", SHARED_DLLS_KEY);
        return;
    }
    RegSetValueExA(key, path, 0, REG_DWORD, (const BYTE *)&count, sizeof count);
    RegCloseKey(key);
}

void registerSharedFiles(int firstNew)
{
    HostRun &h = hostRun;
    collectSharedNames(h.record.layoutFilePath);
    for (int i = firstNew; i < h.copiedCount; i++) {
        CopiedFile &c = h.copied[i];
        if (c.shared || !isSharedName(plainName(c.logicalName, true)))
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
            printLine("  shared file %s is still used by %lu other program(s): kept", c.path,
                      (unsigned long)(count - 1));
            h.keptSharedCount++;
            continue;
        }
        // No program uses the file any more: a zero count until the user
        // decides; yes removes the entry (the library does) and the file.
        if (listed)
            writeUseCount(c.path, 0);
        const char *slash = lastBackslash(c.path), *name = slash ? slash + 1 : c.path;
        int32_t answer = -1;
        int result = h.entries.DeleteShareDLL(name, &answer, c.path, h.workDir);
        char meaning[64];
        formatText(meaning, sizeof meaning, "%s: %s", name,
                   answer == 1 ? "remove" : answer == 0 ? "keep" : "not asked (no resources)");
        noteResult("DeleteShareDLL", result, meaning);
        if (answer == 1) {
            c.shared = 0;  // an ordinary file now, removed with the others
        } else {
            h.keptSharedCount++;
            printLine("  kept shared file %s", c.path);
        }
    }
}
