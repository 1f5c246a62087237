// host_record.cpp - readWorkstationFlags and ensureInstallDir, and the layout
// check of HostSetupInfo: the host relies on every offset below.
#include "host_record.h"

#include <windows.h>
#include <direct.h>
#include <stddef.h>
#include <string.h>

#include "../registry/registry_access.h"
#include "profile.h"
#include "setup_state.h"
#include "text.h"

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

static bool createPathComponents(const char *path)
{
    int letter = (unsigned char)path[0];
    if (letter >= 'a' && letter <= 'z')
        letter -= 32;
    if (letter < 'A' || letter > 'Z' || path[1] != ':' || _chdrive(letter - 64) != 0)
        return false;

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
        if (used + 1 + len >= sizeof prefix)
            return false;
        prefix[used] = '\\';
        memcpy(prefix + used + 1, p, len);
        prefix[used + 1 + len] = 0;
        if (GetFileAttributesA(prefix) == INVALID_FILE_ATTRIBUTES && !CreateDirectoryA(prefix, nullptr))
            return false;
        p += len;
    }
    return true;
}

void ensureInstallDir()
{
    SetupState &s = *setupState;
    if (!createPathComponents(s.installDir))
        copyText(s.installDir, sizeof s.installDir, DEFAULT_INSTALL_DIR);
}

void useShortInstallDir()
{
    SetupState &s = *setupState;
    if (GetFileAttributesA(s.installDir) == INVALID_FILE_ATTRIBUTES)
        ensureInstallDir();
    char shortPath[PATH_BYTES];
    DWORD n = GetShortPathNameA(s.installDir, shortPath, 255);
    if (n > 0 && n < 255)
        copyText(s.installDir, sizeof s.installDir, shortPath);
}
