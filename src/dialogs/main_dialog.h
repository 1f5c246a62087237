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

// The space figures the main dialog computes as it opens (once per dodialog
// call): fullSelectionSize and defaultSelectionSize, leaving in the
// catalogue the selection computed last. True when the standard installation
// is offered (an install type that has one, or upgrade mode).
bool computeMainFigures();

// computeFreeSpace of installDir, and whether bytes fit into its figure.
bool installDirHasRoomFor(int64_t bytes);

// The disk query behind computeFreeSpace: free bytes available to the caller
// on root ("C:\"), FALSE when the drive cannot be queried. Tests replace it.
extern BOOL (*queryDiskFreeSpace)(const char *root, int64_t *freeBytes);
