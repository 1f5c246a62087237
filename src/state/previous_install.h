// previous_install.h - the search for an existing installation of the
// product, the HaveKeyDialog entry and the reinstall dialog.
#pragma once

#include <windows.h>
#include <stdint.h>

// Previous-installation states (previousInstallState).
enum PreviousInstallState {
    PREVIOUS_NONE = 0,
    PREVIOUS_OTHER_VERSION = 1,   // registered, internal version differs or unknown
    PREVIOUS_SAME_VERSION = 2,
    PREVIOUS_OLDER_KIND = 3       // a lumoria.ini in the Windows directory
};

// Returns a PreviousInstallState. Sets installDir to the directory found, and
// empties it when the installation names none.
int detectPreviousInstall();

// The path of name in the Windows directory, in path (capacity cap). False,
// with path empty, when the directory is unknown or the path does not fit.
bool windowsDirFile(const char *name, char *path, size_t cap);
