// space.cpp - the space figures the installer dialogs show and check: the
// free bytes on the installation folder's drive (with the space an existing
// installation already uses), and the space the full and the default
// selections need. Owns spaceUsed and previousSpaceUsed.
#include "space.h"

#include <string.h>

#include "selection.h"
#include "state/setup_log.h"
#include "state/setup_state.h"
#include "state/text.h"
#include "state/thousands_text.h"

int32_t spaceUsed;
int32_t previousSpaceUsed;

static BOOL queryDiskFreeSpaceOfSystem(const char *root, int64_t *freeBytes)
{
    ULARGE_INTEGER available, total, totalFree;
    if (GetDiskFreeSpaceExA(root, &available, &total, &totalFree)) {
        *freeBytes = available.QuadPart > (ULONGLONG)INT64_MAX ? INT64_MAX : (int64_t)available.QuadPart;
        return TRUE;
    }
    DWORD sectorsPerCluster, bytesPerSector, freeClusters, clusters;
    if (!GetDiskFreeSpaceA(root, &sectorsPerCluster, &bytesPerSector, &freeClusters, &clusters))
        return FALSE;
    *freeBytes = (int64_t)sectorsPerCluster * bytesPerSector * freeClusters;
    return TRUE;
}

BOOL (*queryDiskFreeSpace)(const char *root, int64_t *freeBytes) = queryDiskFreeSpaceOfSystem;

// Whether path is the folder whose full path failed last. What is kept of
// it may be cut: a folder too long to be made absolute is one that does not
// fit, and its kept part stands for it.
static bool isLastUnresolved(const char *path)
{
    const char *kept = setupState->freeSpaceUnresolved;
    size_t n = strlen(kept);
    return n > 0 && strncmp(kept, path, n) == 0 && (path[n] == 0 || n + 4 >= sizeof setupState->freeSpaceUnresolved);
}

// The root of the drive that holds path, as "C:\"; false when the path cannot
// be made absolute within 255 characters.
static bool driveRootOf(const char *path, char *root, size_t cap)
{
    char full[PATH_BYTES];
    DWORD n = path[0] ? GetFullPathNameA(path, sizeof full, full, nullptr)
                      : GetCurrentDirectoryA(sizeof full, full);
    if (n == 0 || n >= sizeof full) {
        // The figure is asked again at each keystroke in the folder box: a
        // folder that stays unresolvable is logged once.
        DWORD error = n == 0 ? GetLastError() : (DWORD)ERROR_FILENAME_EXCED_RANGE;
        if (!isLastUnresolved(path)) {
            copyText(setupState->freeSpaceUnresolved, sizeof setupState->freeSpaceUnresolved, path);
            logFailure(error, "free space: the full path of %s", path[0] ? path : "the current folder");
        }
        return false;
    }
    char first[4];
    copyText(first, sizeof first, full);
    return copyText(root, cap, first);
}

int32_t computeFreeSpace(const char *path, char *output, size_t cap)
{
    SetupState &s = *setupState;
    char root[4];
    int64_t freeBytes = 0;
    // A drive that cannot be queried (a UNC path, a drive not ready) has no
    // free bytes of its own; the existing installation's space still counts.
    if (!driveRootOf(path ? path : "", root, sizeof root) || !queryDiskFreeSpace(root, &freeBytes))
        freeBytes = 0;
    int64_t figure = freeBytes + previousSpaceUsed;
    s.freeSpaceBytes = figure;
    s.freeSpace = saturate32(figure);
    formatThousands(figure, s.freeSpaceText, sizeof s.freeSpaceText);
    copyText(output, cap, s.freeSpaceText);
    return s.freeSpace;
}

static int32_t selectionSizeOf(int mode)
{
    computeSelection(mode);
    return setupState->selectedSize;
}

static bool offersStandardInstallation(int32_t installType)
{
    return installType == INSTALL_TYPE_STANDARD || installType == INSTALL_TYPE_EVALUATION ||
           installType == INSTALL_TYPE_LEGACY;
}

// The selection computed last stays in install.ini: the defaults where a
// standard installation is offered (and in upgrade mode), everything
// otherwise.
bool computeMainFigures()
{
    SetupState &s = *setupState;
    if (s.upgradeMode) {
        if (s.fullSelectionSize == 0)
            s.fullSelectionSize = s.defaultSelectionSize = selectionSizeOf(SELECT_DEFAULTS);
        return true;
    }
    bool standard = offersStandardInstallation(s.installType);
    if (s.fullSelectionSize == 0)
        s.fullSelectionSize = selectionSizeOf(SELECT_EVERYTHING);
    if (standard && s.defaultSelectionSize == 0)
        s.defaultSelectionSize = selectionSizeOf(SELECT_DEFAULTS);
    return standard;
}

bool installDirHasRoomFor(int64_t bytes)
{
    SetupState &s = *setupState;
    char freeText[PATH_BYTES];
    computeFreeSpace(s.installDir, freeText, sizeof freeText);
    return bytes <= s.freeSpaceBytes;
}
