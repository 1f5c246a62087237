// registry_access.cpp - writeRegText, deleteRegValue and readRegText under
// HKEY_LOCAL_MACHINE. Each opens and closes its key within the call.
#include "registry_access.h"

#include <windows.h>
#include <string.h>

#include "state/setup_state.h"

int64_t registryCalls;

int writeRegText(const char *subKey, const char *valueName, const char *text)
{
    registryCalls++;
    HKEY key;
    char noClass[1] = "";
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, subKey, 0, noClass, REG_OPTION_NON_VOLATILE,
                        KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS)
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
