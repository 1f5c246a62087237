// registry_access.cpp - writeRegText, deleteRegValue and readRegText under
// HKEY_LOCAL_MACHINE. Each opens and closes its key within the call, but for
// writes inside a run of registry work, which keep each key open until the
// run ends. Owns the table of open keys.
#include "registry_access.h"

#include <windows.h>
#include <string.h>

#include "state/setup_state.h"
#include "state/text.h"

int64_t registryCalls;

namespace {

constexpr int OPEN_KEYS = 16;

struct OpenKey {
    char path[PATH_BYTES];
    HKEY key;
};

OpenKey openKeys[OPEN_KEYS];
int openKeyCount;
int registryWorkDepth;

bool createKey(const char *subKey, HKEY *key)
{
    registryCalls++;
    char noClass[1] = "";
    return RegCreateKeyExA(HKEY_LOCAL_MACHINE, subKey, 0, noClass, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                           nullptr, key, nullptr) == ERROR_SUCCESS;
}

// The open key of a path inside a run of work, opened at its first write.
// Null when it cannot be created, or when the table is full (then the
// caller opens the key for this one write).
HKEY keptKey(const char *subKey, bool *failed)
{
    *failed = false;
    for (int i = 0; i < openKeyCount; i++)
        if (equalsNoCase(openKeys[i].path, subKey))
            return openKeys[i].key;
    if (openKeyCount == OPEN_KEYS || strlen(subKey) >= PATH_BYTES)
        return nullptr;
    HKEY key;
    if (!createKey(subKey, &key)) {
        *failed = true;
        return nullptr;
    }
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

int writeRegText(const char *subKey, const char *valueName, const char *text)
{
    if (registryWorkDepth > 0) {
        bool failed = false;
        HKEY kept = keptKey(subKey, &failed);
        if (failed)
            return 0;
        if (kept) {
            registryCalls++;
            RegSetValueExA(kept, valueName, 0, REG_SZ, (const BYTE *)text, (DWORD)strlen(text) + 1);
            return 1;
        }
    }
    HKEY key;
    if (!createKey(subKey, &key))
        return 0;
    RegSetValueExA(key, valueName, 0, REG_SZ, (const BYTE *)text, (DWORD)strlen(text) + 1);
    RegCloseKey(key);
    return 1;
}

void deleteRegValue(const char *subKey, const char *valueName)
{
    registryCalls++;
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, subKey, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return;
    RegDeleteValueA(key, valueName);
    RegCloseKey(key);
}

int readRegText(const char *subKey, const char *valueName, char *buffer, size_t cap)
{
    registryCalls++;
    if (cap == 0)
        return 0;
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, subKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return 0;
    DWORD size = (DWORD)cap;
    LONG status = RegQueryValueExA(key, valueName, nullptr, nullptr, (BYTE *)buffer, &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS)
        return 0;
    // The data need not carry its own terminator: end the text after it.
    size_t end = size < cap ? size : cap - 1;
    buffer[end] = 0;
    return 1;
}
