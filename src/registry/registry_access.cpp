// registry_access.cpp - writeRegText (and writeRegValue under any root),
// deleteRegValue and readRegText. Each opens and closes its key within the
// call, but for writes inside a run of registry work, which keep each key
// open until the run ends. Writes go through the journal, which keeps what
// they change while a setup run may still be undone. Owns the table of open
// keys.
#include "registry_access.h"

#include <windows.h>
#include <string.h>

#include "state/setup_state.h"
#include "registry_journal.h"
#include "state/text.h"
#include "state/setup_log.h"

int64_t registryCalls;

namespace {

// The product's keys under its three roots, with room to spare.
constexpr int OPEN_KEYS = 48;

struct OpenKey {
    HKEY root;
    char path[PATH_BYTES];
    HKEY key;
};

OpenKey openKeys[OPEN_KEYS];
int openKeyCount;
int registryWorkDepth;

// The open key of a path inside a run of work, opened at its first write.
// Null when it cannot be created, or when the table is full (then the
// caller opens the key for this one write).
HKEY keptKey(HKEY root, const char *subKey, bool *failed)
{
    *failed = false;
    for (int i = 0; i < openKeyCount; i++)
        if (openKeys[i].root == root && equalsNoCase(openKeys[i].path, subKey))
            return openKeys[i].key;
    if (openKeyCount == OPEN_KEYS || strlen(subKey) >= PATH_BYTES)
        return nullptr;
    HKEY key;
    if (!openKeyForWriting(root, subKey, &key)) {
        *failed = true;
        return nullptr;
    }
    openKeys[openKeyCount].root = root;
    copyText(openKeys[openKeyCount].path, PATH_BYTES, subKey);
    openKeys[openKeyCount].key = key;
    openKeyCount++;
    return key;
}

} // namespace

void beginRegistryWork()
{
    registryWorkDepth++;
}

void endRegistryWork()
{
    if (registryWorkDepth == 0 || --registryWorkDepth > 0)
        return;
    for (int i = 0; i < openKeyCount; i++)
        RegCloseKey(openKeys[i].key);
    openKeyCount = 0;
}

int writeRegValue(HKEY root, const char *subKey, const char *valueName, const char *text)
{
    if (registryWorkDepth > 0) {
        bool failed = false;
        HKEY kept = keptKey(root, subKey, &failed);
        if (failed)
            return 0;
        if (kept) {
            setValueNoting(root, subKey, kept, valueName, text);
            return 1;
        }
    }
    HKEY key;
    if (!openKeyForWriting(root, subKey, &key))
        return 0;
    setValueNoting(root, subKey, key, valueName, text);
    RegCloseKey(key);
    return 1;
}

int writeRegText(const char *subKey, const char *valueName, const char *text)
{
    return writeRegValue(HKEY_LOCAL_MACHINE, subKey, valueName, text ? text : "");
}

int deleteRegValue(const char *subKey, const char *valueName)
{
    registryCalls++;
    HKEY key;
    LONG status = RegOpenKeyExA(HKEY_LOCAL_MACHINE, subKey, 0, KEY_SET_VALUE, &key);
    if (status == ERROR_SUCCESS) {
        status = RegDeleteValueA(key, valueName);
        RegCloseKey(key);
    }
    // A value that is not there is as good as deleted.
    if (status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND)
        return 1;
    logFailure((DWORD)status, "deleting %s\\%s", subKey, valueName ? valueName : "");
    return 0;
}

int readRegText(const char *subKey, const char *valueName, char *buffer, size_t cap)
{
    registryCalls++;
    if (cap == 0)
        return 0;
    HKEY key;
    LONG status = RegOpenKeyExA(HKEY_LOCAL_MACHINE, subKey, 0, KEY_QUERY_VALUE, &key);
    DWORD size = (DWORD)cap;
    if (status == ERROR_SUCCESS) {
        status = RegQueryValueExA(key, valueName, nullptr, nullptr, (BYTE *)buffer, &size);
        RegCloseKey(key);
    }
    // Absent is an answer; anything else (no rights, a locked key) is a
    // failure the log names, read as absent all the same.
    if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND)
        logFailure((DWORD)status, "reading HKLM\\%s\\%s", subKey, valueName ? valueName : "");
    if (status != ERROR_SUCCESS)
        return 0;
    // The data need not carry its own terminator: end the text after it.
    size_t end = size < cap ? size : cap - 1;
    buffer[end] = 0;
    return 1;
}
