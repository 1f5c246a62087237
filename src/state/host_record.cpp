// host_record.cpp - readWorkstationFlags and ensureInstallDir, and the layout
// check of HostSetupInfo: the host relies on every offset below.
#include "host_record.h"

#include <windows.h>
#include <stddef.h>
#include <string.h>

#include "../registry/registry_access.h"
#include "dialogs/dialog_toolkit.h"
#include "folder_security.h"
#include "luinsres_ids.h"
#include "profile.h"
#include "setup_state.h"
#include "text.h"
#include "answer_mode.h"
#include "setup_log.h"

int32_t previousInstallState;
int32_t workstationInstall;
int32_t networkOptionEnabled;

static_assert(sizeof(HostSetupInfo) == 1520, "the host's record is 1,520 bytes");
static_assert(offsetof(HostSetupInfo, integrationResults) == 0, "record layout");
static_assert(offsetof(HostSetupInfo, upgradeMode) == 50, "record layout");
static_assert(offsetof(HostSetupInfo, maintenanceMode) == 54, "record layout");
static_assert(offsetof(HostSetupInfo, addOnMode) == 58, "record layout");
static_assert(offsetof(HostSetupInfo, readmeChoice) == 62, "record layout");
static_assert(offsetof(HostSetupInfo, manualChoice) == 66, "record layout");
static_assert(offsetof(HostSetupInfo, convToolChoice) == 70, "record layout");
static_assert(offsetof(HostSetupInfo, viewEngineChoice) == 74, "record layout");
static_assert(offsetof(HostSetupInfo, networkInstallMode) == 78, "record layout");
static_assert(offsetof(HostSetupInfo, languageFlags) == 82, "record layout");
static_assert(offsetof(HostSetupInfo, installDir) == 86, "record layout");
static_assert(offsetof(HostSetupInfo, setupIniPath) == 286, "record layout");
static_assert(offsetof(HostSetupInfo, installedIniPath) == 486, "record layout");
static_assert(offsetof(HostSetupInfo, layoutFilePath) == 686, "record layout");
static_assert(offsetof(HostSetupInfo, installedLayoutFilePath) == 886, "record layout");
static_assert(offsetof(HostSetupInfo, sourceDir) == 1086, "record layout");
static_assert(offsetof(HostSetupInfo, serverDir) == 1286, "record layout");
static_assert(offsetof(HostSetupInfo, platformName) == 1486, "record layout");
static_assert(offsetof(HostSetupInfo, previousInstallState) == 1516, "record layout");

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

// The folders of installDir's path that this run made, the first and the
// last: a setup that ends without installing takes back those still empty.
static char firstMade[PATH_BYTES];
static char lastMade[PATH_BYTES];
static DWORD makeError;

// Whether path starts with the letter of a drive that exists. The drive is
// asked about by its root, never made current: the current folder is the
// host's.
static bool onExistingDrive(const char *path)
{
    int letter = (unsigned char)path[0];
    if (letter >= 'a' && letter <= 'z')
        letter -= 32;
    if (letter < 'A' || letter > 'Z' || path[1] != ':')
        return false;
    char root[4] = {(char)letter, ':', '\\', 0};
    UINT type = GetDriveTypeA(root);
    return type != DRIVE_NO_ROOT_DIR && type != DRIVE_UNKNOWN;
}

static bool createPathComponents(const char *path)
{
    if (!onExistingDrive(path)) {
        makeError = ERROR_INVALID_DRIVE;
        return false;
    }

    char prefix[PATH_BYTES];
    formatText(prefix, sizeof prefix, "%c:", path[0]);
    const char *p = path + 2;
    while (*p) {
        while (*p == '\\')
            p++;
        if (!*p)
            break;
        const char *end = strchr(p, '\\');
        size_t len = end ? (size_t)(end - p) : strlen(p);
        size_t used = strlen(prefix);
        if (used + 1 + len >= sizeof prefix) {
            makeError = ERROR_FILENAME_EXCED_RANGE;
            return false;
        }
        prefix[used] = '\\';
        memcpy(prefix + used + 1, p, len);
        prefix[used + 1 + len] = 0;
        if (GetFileAttributesA(prefix) == INVALID_FILE_ATTRIBUTES) {
            if (!createProtectedFolder(prefix)) {
                makeError = GetLastError();
                return false;
            }
            if (!firstMade[0])
                copyText(firstMade, sizeof firstMade, prefix);
            copyText(lastMade, sizeof lastMade, prefix);
        }
        p += len;
    }
    return true;
}

void warnIfFolderOpenToOthers(const char *folder)
{
    DWORD error;
    switch (folderAccess(folder, &error)) {
    case FOLDER_OPEN_TO_OTHERS:
        logLine("warning: %s can be changed by users who are not administrators, and machine-wide "
                "shell extensions are registered in it",
                folder);
        break;
    case FOLDER_ACCESS_UNKNOWN:
        logFailure(error, "reading the permissions of %s", folder);
        break;
    default:
        break;
    }
}

void settleMadeInstallDir(bool installed)
{
    if (installed) {
        firstMade[0] = 0;
        lastMade[0] = 0;
    }
    removeMadeInstallDir();
}

void removeMadeInstallDir()
{
    if (!firstMade[0])
        return;
    // From the deepest up to the first one made; a folder that holds
    // anything by now is not this run's to remove.
    size_t stop = strlen(firstMade);
    for (;;) {
        if (!RemoveDirectoryA(lastMade) || strlen(lastMade) <= stop)
            break;
        char *slash = strrchr(lastMade, '\\');
        if (!slash)
            break;
        *slash = 0;
    }
    firstMade[0] = 0;
    lastMade[0] = 0;
}

static bool makeInstallDir()
{
    SetupState &s = *setupState;
    if (createPathComponents(s.installDir))
        return true;
    // Part of the path may be made by now.
    removeMadeInstallDir();
    return false;
}

void ensureInstallDir()
{
    SetupState &s = *setupState;
    if (!makeInstallDir())
        copyText(s.installDir, sizeof s.installDir, DEFAULT_INSTALL_DIR);
}

int useShortInstallDir(HWND owner)
{
    SetupState &s = *setupState;
    // A folder made for an earlier choice of this run, still empty.
    removeMadeInstallDir();
    if (GetFileAttributesA(s.installDir) == INVALID_FILE_ATTRIBUTES && !makeInstallDir()) {
        logFailure(makeError, "installation folder %s could not be created", s.installDir);
        // Nobody is there to agree to another folder.
        if (!windowsAllowed())
            return NO_ANSWER;
        if (showResourceMessageAbout(owner, s.installDir, IDS_FOLDER_NOT_MADE, MB_YESNO | MB_ICONEXCLAMATION) !=
            IDYES) {
            logLine("installation folder: another one is to be chosen");
            return 0;
        }
        copyText(s.installDir, sizeof s.installDir, DEFAULT_INSTALL_DIR);
        logLine("installation folder: %s instead", s.installDir);
    }
    char shortPath[PATH_BYTES];
    DWORD n = GetShortPathNameA(s.installDir, shortPath, 255);
    if (n > 0 && n < 255)
        copyText(s.installDir, sizeof s.installDir, shortPath);
    else if (n == 0)
        logFailure(GetLastError(), "short form of %s; the long form is kept", s.installDir);
    return 1;
}
