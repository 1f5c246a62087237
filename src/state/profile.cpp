// profile.cpp - profile access through the Windows profile functions.
#include "profile.h"

#include <windows.h>

#include "text.h"

int readIniText(const char *path, const char *section, const char *key,
                const char *defaultText, char *buffer, size_t cap)
{
    if (cap == 0)
        return 0;
    DWORD n = GetPrivateProfileStringA(section, key, defaultText, buffer, (DWORD)cap, path);
    buffer[n < cap ? n : cap - 1] = 0;
    return (int)n;
}

int32_t readIniInt(const char *path, const char *section, const char *key, int32_t defaultValue)
{
    char text[32];
    if (readIniText(path, section, key, "", text, sizeof text) == 0)
        return defaultValue;
    return parseDecimal(text);
}

void writeIniText(const char *path, const char *section, const char *key, const char *value)
{
    WritePrivateProfileStringA(section, key, value, path);
}

void writeIniInt(const char *path, const char *section, const char *key, int32_t value)
{
    char text[16];
    formatText(text, sizeof text, "%d", (int)value);
    writeIniText(path, section, key, text);
}

void deleteIniSection(const char *path, const char *section)
{
    WritePrivateProfileStringA(section, nullptr, nullptr, path);
}

void deleteIniKey(const char *path, const char *section, const char *key)
{
    WritePrivateProfileStringA(section, key, nullptr, path);
}
