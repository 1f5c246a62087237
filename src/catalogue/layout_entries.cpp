// layout_entries.cpp - the names and file numbers in layout-file values.
#include "layout_entries.h"

#include "state/text.h"

bool componentEntryName(const char *value, char *name, size_t cap)
{
    return cap > 0 && tokenAt(value, 1, name, cap, true) && name[0];
}

bool setupEntryName(const char *value, char *name, size_t cap)
{
    return tokenAt(value, 1, name, cap, false);
}

int32_t logicalFileNumber(const char *result)
{
    static const char tag[] = "FILE";
    for (int i = 0; i < 4; i++) {
        char c = result[i];
        if (c >= 'a' && c <= 'z')
            c = (char)(c - 32);
        if (c != tag[i])
            return 0;
    }
    const char *digits = result + 4;
    if (!*digits)
        return 0;
    // "FILE12AB" is not of the form FILE<m>: it names no file, rather than
    // file 12.
    for (const char *p = digits; *p; p++)
        if (*p < '0' || *p > '9')
            return 0;
    return parseDecimal(digits);
}

bool isEndOfListName(const char *name)
{
    return equalsNoCase(name, "NOFILE");
}

bool languageVariantName(const char *base, int v, char *out, size_t cap)
{
    static const char *const prefixes[LANGUAGE_VARIANTS] = {"*1", "*2", "*3", "*4"};
    if (cap > 0)
        out[0] = 0;
    if (v < 0 || v >= LANGUAGE_VARIANTS)
        return false;
    if (copyText(out, cap, prefixes[v]) && appendText(out, cap, base))
        return true;
    if (cap > 0)
        out[0] = 0;
    return false;
}

const char *installedFileName(const char *logicalName)
{
    if (logicalName[0] != '*')
        return logicalName;
    return logicalName[1] ? logicalName + 2 : logicalName + 1;
}
