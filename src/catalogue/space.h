// space.h - the space figures the installer dialogs show and check.
#pragma once

#include <windows.h>
#include <stddef.h>
#include <stdint.h>

// Free bytes on the drive of path (made absolute; its first three characters
// are the root) plus previousSpaceUsed. Stores the true figure in
// freeSpaceBytes, the figure saturated to 32 bits in freeSpace and its text in
// freeSpaceText and output; returns freeSpace. A drive that cannot be queried
// counts as having no free bytes.
int32_t computeFreeSpace(const char *path, char *output, size_t cap);

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
