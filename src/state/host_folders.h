// host_folders.h - the folders the host names (source, server and
// installation folder, the launch module's folder) made absolute once, when
// an entry receives them. A relative folder means the current folder of that
// moment; the host may change its current folder between entries, and the
// setup must not move with it. The library itself never changes the current
// folder.
#pragma once

#include <stddef.h>

// The folder in given (read up to givenCap bytes: a record's slot may lack
// its terminator) made absolute into field. A null or empty given leaves
// field empty, which each caller reads as it always has. The same relative
// text resolves as it did the first time any entry received it. False, with
// an empty field, when the text has no terminator, cannot be resolved or
// its full form does not fit: a folder cut short would name another one.
// A trailing separator is kept. On failure GetLastError says why.
bool takeHostFolder(char *field, size_t cap, const char *given, size_t givenCap);

// The same for a folder passed as an argument (terminated text).
bool takeHostFolderArgument(char *field, size_t cap, const char *given);

// takeHostFolder for what names the folder in the setup log (what: "the
// source folder", ...): a folder that cannot be taken is logged with the
// reason (module_lifecycle.cpp, beside the log's other users).
bool takeLoggedHostFolder(char *field, size_t cap, const char *given, size_t givenCap, const char *what);
