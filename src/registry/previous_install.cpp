// previous_install.cpp - the search for an existing installation of the
// product (the registry's record of it, or the older kind's lumoria.ini in
// the Windows folder) and the ways of setting up again that it leaves open.
// Owns workstationCopy; previousInstallState belongs to the host record.
#include "previous_install.h"

#include <string.h>

#include "registry_access.h"
#include "state/profile.h"
#include "state/setup_state.h"
#include "state/text.h"
#include "state/path_text.h"

int32_t workstationCopy;

// install.ini's Internal holds at most 199 characters; a longer value cannot
// be compared and counts as another version.
constexpr int INTERNAL_VERSION_BYTES = 200;

#define OLDER_KIND_INI "lumoria.ini"

bool windowsDirFile(const char *name, char *path, size_t cap)
{
    UINT length = GetWindowsDirectoryA(path, (UINT)cap);
    bool fits = length > 0 && length < cap;
    fits = fits && appendPathName(path, cap, name);
    if (!fits && cap > 0)
        path[0] = 0;
    return fits;
}

static bool fileExists(const char *path)
{
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

int detectPreviousInstall()
{
    SetupState &s = *setupState;
    // Only a directory found by this search may go back to the host.
    s.installDir[0] = 0;

    char iniPath[PATH_BYTES];
    if (windowsDirFile(OLDER_KIND_INI, iniPath, sizeof iniPath) && fileExists(iniPath)) {
        int length = readProfileApiText(iniPath, "General", "Home", s.installDir, sizeof s.installDir);
        // The profile API cuts a value to the buffer: a cut path names
        // another directory.
        if (length >= (int)sizeof s.installDir - 1)
            s.installDir[0] = 0;
        return PREVIOUS_OLDER_KIND;
    }

    char value[PATH_BYTES];
    if (!readRegText(PRODUCT_GENERAL_KEY, "Home", value, sizeof value) || !value[0])
        return PREVIOUS_NONE;
    copyText(s.installDir, sizeof s.installDir, value);

    if (!readRegText(PRODUCT_GENERAL_KEY, "Internal", value, sizeof value) || !value[0])
        return PREVIOUS_OTHER_VERSION;
    char setupVersion[PATH_BYTES];
    int length = readIniText(s.setupIniPath, "General", "Internal", "", setupVersion, sizeof setupVersion);
    if (length >= INTERNAL_VERSION_BYTES)
        return PREVIOUS_OTHER_VERSION;
    return strcmp(value, setupVersion) == 0 ? PREVIOUS_SAME_VERSION : PREVIOUS_OTHER_VERSION;
}

static bool removalMarked()
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, REMOVAL_MARKER_KEY, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

bool reinstallWayOffered(int way)
{
    bool modifiable = previousInstallState == PREVIOUS_SAME_VERSION && workstationCopy != 1;
    switch (way) {
    case HAVEKEY_MODIFY: return modifiable && !removalMarked();
    case HAVEKEY_REINSTALL: return !removalMarked();
    default: return true;
    }
}

void readWorkstationFlags(int32_t *destination)
{
    SetupState &s = *setupState;
    *destination = 0;
    networkOptionEnabled = 0;
    if (s.networkInstallMode)
        return;
    char value[PATH_BYTES];
    if (readRegText(PRODUCT_GENERAL_KEY, "WorkStation", value, sizeof value))
        *destination = strcmp(value, "TRUE") == 0;
    readIniText(s.setupIniPath, "Config", "Network", "", value, sizeof value);
    if (value[0])
        networkOptionEnabled = strcmp(value, "TRUE") == 0;
}
