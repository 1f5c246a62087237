// folder_security.h - the permissions of the folders the library creates,
// and the question whether an existing folder is open to others. A folder the
// library makes can be changed by administrators and the system only;
// everyone else may read it and run what is in it. Files and folders made
// inside later inherit the same.
#pragma once

#include <windows.h>

// CreateDirectoryA with those permissions. False, with the Windows error in
// GetLastError, when the folder could not be made; also when the
// permissions could not be built: the folder is then not made at all rather
// than made open to everyone.
bool createProtectedFolder(const char *path);

enum FolderAccess {
    FOLDER_ADMINS_ONLY,        // only administrators, the system or the owner can change it
    FOLDER_OPEN_TO_OTHERS,     // a group anybody belongs to may add, remove or re-permit files
    FOLDER_ACCESS_UNKNOWN,     // its permissions could not be read (error in *error)
};

// Who may change the existing folder path.
FolderAccess folderAccess(const char *path, DWORD *error);

// Logs a warning when folder, where machine-wide shell extensions are
// registered, can be changed by others than administrators and the system:
// whoever can change it can run code in every program that opens a menu.
void warnIfFolderOpenToOthers(const char *folder);
