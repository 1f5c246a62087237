// previous_install.h - the search for an existing installation of the
// product, and the ways of setting up again that it leaves open.
#pragma once

#include <windows.h>
#include <stdint.h>

#include "dialogint.h"

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

// Whether the reinstall question offers way (a HAVEKEY_ result): modify only
// over an installation of the same version that is no workstation, and
// neither modify nor reinstall while the removal marker stands.
bool reinstallWayOffered(int way);

// The workstation flag of the installation found (its WorkStation value is
// exactly TRUE) into destination, and networkOptionEnabled from install.ini's
// Config/Network; both 0 for a network installation, which reads neither.
void readWorkstationFlags(int32_t *destination);
