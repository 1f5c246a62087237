// install_folder.cpp - the installation folder made with its missing
// parents, each with protected permissions; the folders a run made and
// did not install into are taken back while still empty.
#include "install_folder.h"

#include <string.h>

#include "state/folder_security.h"
#include "state/path_text.h"
#include "state/setup_log.h"
#include "state/setup_state.h"
#include "state/text.h"

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

// Notes the first and the last folder made in the state block.
static bool createPathComponents(const char *path, DWORD *makeError)
{
    SetupState &s = *setupState;
    if (!onExistingDrive(path)) {
        *makeError = ERROR_INVALID_DRIVE;
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
        // The next separator that is a character of its own: in a folder
        // named in a double-byte code page a trail byte may be 0x5C.
        const char *end = p;
        while (*end && *end != '\\')
            end = nextChar(end);
        size_t len = (size_t)(end - p);
        size_t used = strlen(prefix);
        if (used + 1 + len >= sizeof prefix) {
            *makeError = ERROR_FILENAME_EXCED_RANGE;
            return false;
        }
        prefix[used] = '\\';
        memcpy(prefix + used + 1, p, len);
        prefix[used + 1 + len] = 0;
        if (GetFileAttributesA(prefix) == INVALID_FILE_ATTRIBUTES) {
            if (!createProtectedFolder(prefix)) {
                *makeError = GetLastError();
                return false;
            }
            if (!s.firstMade[0])
                copyText(s.firstMade, sizeof s.firstMade, prefix);
            copyText(s.lastMade, sizeof s.lastMade, prefix);
        }
        p += len;
    }
    return true;
}

void settleMadeInstallDir(bool installed)
{
    SetupState &s = *setupState;
    if (installed) {
        s.firstMade[0] = 0;
        s.lastMade[0] = 0;
    }
    removeMadeInstallDir();
}

void removeMadeInstallDir()
{
    SetupState &s = *setupState;
    if (!s.firstMade[0])
        return;
    // From the deepest up to the first one made; a folder that holds
    // anything by now is not this run's to remove.
    size_t stop = strlen(s.firstMade);
    for (;;) {
        if (!RemoveDirectoryA(s.lastMade) || strlen(s.lastMade) <= stop)
            break;
        const char *slash = lastSeparator(s.lastMade);
        if (!slash)
            break;
        s.lastMade[slash - s.lastMade] = 0;
    }
    s.firstMade[0] = 0;
    s.lastMade[0] = 0;
}

bool makeInstallFolder(DWORD *error)
{
    SetupState &s = *setupState;
    // A folder made for an earlier choice of this run, still empty.
    removeMadeInstallDir();
    if (GetFileAttributesA(s.installDir) != INVALID_FILE_ATTRIBUTES)
        return true;
    if (createPathComponents(s.installDir, error))
        return true;
    // Part of the path may be made by now.
    removeMadeInstallDir();
    return false;
}

void takeShortInstallFolder()
{
    SetupState &s = *setupState;
    char shortPath[PATH_BYTES];
    DWORD n = GetShortPathNameA(s.installDir, shortPath, 255);
    if (n > 0 && n < 255)
        copyText(s.installDir, sizeof s.installDir, shortPath);
    else if (n == 0)
        logFailure(GetLastError(), "short form of %s; the long form is kept", s.installDir);
}

