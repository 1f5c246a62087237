// host_record.h - the workstation and network flags and the installation
// directory's creation. The record itself is declared in dialogint.h.
#pragma once

#include <windows.h>
#include <stdint.h>

void readWorkstationFlags(int32_t *destination);
void ensureInstallDir();
// Makes sure installDir exists and replaces it by its short (8.3) form; a
// failed query keeps the long form (and logs it). A folder that cannot be
// created is the person's to settle: they take the default folder (1) or
// choose another (0). Replaying, nobody can: NO_ANSWER, logged.
int useShortInstallDir(HWND owner);
// Removes the folders this run made for installDir that are still empty.
void removeMadeInstallDir();
// End of an entry: the folders it made stay when it installed, and go
// again (while still empty) when it did not.
void settleMadeInstallDir(bool installed);

// The directory used when installDir cannot be created.
#define DEFAULT_INSTALL_DIR "c:\\lumoria"

// Logs a warning when folder, where machine-wide shell extensions are
// registered, can be changed by others than administrators and the system:
// whoever can change it can run code in every program that opens a menu.
void warnIfFolderOpenToOthers(const char *folder);
