// main_dialog.h - the main dialog's procedure (MainDialogProc, declared in
// dialogint.h) and the space figures that the installer dialogs show.
#pragma once

#include <windows.h>
#include <stddef.h>
#include <stdint.h>

#include "thousands_text.h"

// Free bytes on the drive of path (made absolute; its first three characters
// are the root) plus previousSpaceUsed. Stores the true figure in
// freeSpaceBytes, the figure saturated to 32 bits in freeSpace and its text in
// freeSpaceText and output; returns freeSpace. A drive that cannot be queried
// counts as having no free bytes.
int32_t computeFreeSpace(const char *path, char *output, size_t cap);

// The installation-directory edit (control 301) and its free figure (401), as
// the main and the network dialog show them.
void startDirectoryEdit(HWND dialog);          // limit to 199 characters, show installDir
void readDirectory(HWND dialog, char *buffer); // buffer of 200 bytes
void showFreeSpace(HWND dialog);               // computeFreeSpace of installDir into 401
// Takes a changed edit into installDir and recomputes the free figure; the
// comparison is case-sensitive, so any change recomputes.
void followDirectoryEdit(HWND dialog);

// The disk query behind computeFreeSpace: free bytes available to the caller
// on root ("C:\"), FALSE when the drive cannot be queried. Tests replace it.
extern BOOL (*queryDiskFreeSpace)(const char *root, int64_t *freeBytes);
