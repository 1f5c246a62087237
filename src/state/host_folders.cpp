// host_folders.cpp - takeHostFolder: host folders made absolute at the entry
// that receives them, and the relative ones remembered as first resolved.
// Owns setupState->resolvedFolders.
#include "host_folders.h"

#include <windows.h>
#include <string.h>

#include "setup_state.h"
#include "text.h"

static const char *firstResolution(const char *given)
{
    for (const ResolvedFolder &r : setupState->resolvedFolders)
        if (r.given[0] && strcmp(r.given, given) == 0)
            return r.full;
    return nullptr;
}

static void rememberResolution(const char *given, const char *full)
{
    SetupState &s = *setupState;
    // An absolute folder resolves to itself whatever the current folder is.
    if (strcmp(given, full) == 0)
        return;
    ResolvedFolder &r = s.resolvedFolders[s.nextResolvedFolder];
    s.nextResolvedFolder = (s.nextResolvedFolder + 1) % RESOLVED_FOLDERS;
    copyText(r.given, sizeof r.given, given);
    copyText(r.full, sizeof r.full, full);
}

bool takeHostFolder(char *field, size_t cap, const char *given, size_t givenCap)
{
    if (cap == 0)
        return false;
    field[0] = 0;
    if (!given)
        return true;
    char text[PATH_BYTES];
    if (!copyFieldText(text, sizeof text, given, givenCap)) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return false;
    }
    if (!text[0])
        return true;
    char full[PATH_BYTES];
    const char *earlier = firstResolution(text);
    if (earlier)
        copyText(full, sizeof full, earlier);
    else {
        DWORD n = GetFullPathNameA(text, sizeof full, full, nullptr);
        if (n >= sizeof full)
            SetLastError(ERROR_FILENAME_EXCED_RANGE);
        if (n == 0 || n >= sizeof full)
            return false;
        rememberResolution(text, full);
    }
    if (copyText(field, cap, full))
        return true;
    field[0] = 0;
    SetLastError(ERROR_FILENAME_EXCED_RANGE);
    return false;
}

bool takeHostFolderArgument(char *field, size_t cap, const char *given)
{
    return takeHostFolder(field, cap, given, given ? strlen(given) + 1 : 0);
}
