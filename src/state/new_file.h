// new_file.h - a file the library writes before it takes the place of
// another: created new (CREATE_NEW) under a random name in the target's
// folder, so that nothing planted there beforehand (a file, a link) is ever
// opened, and moved over the target once it is complete.
#pragma once

#include <windows.h>
#include <stddef.h>

// A new file open for writing (nobody else may open it) beside target; its
// full name goes into name (cap bytes). INVALID_HANDLE_VALUE, with the
// Windows error in *error, when no name could be had.
HANDLE createFileBeside(const char *target, char *name, size_t cap, DWORD *error);

// Writes all of bytes into the open file and flushes it; false, with the
// Windows error set, when any of it did not reach the disk.
bool writeFlushed(HANDLE h, const void *bytes, DWORD size);

// Writes bytes into a new file beside target, flushed, and moves it over
// target in one move; the target stays as it was when anything fails. False
// with the Windows error in *error.
bool replaceWithBytes(const char *target, const void *bytes, DWORD size, DWORD *error);
