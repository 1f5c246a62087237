// module_path.h - where the library finds its own companion files (the
// resource module, the integration modules, the help file): in sourceDir,
// or, when the host named none, in the host program's own folder. Never in
// the current folder or along the search path, where any file of that name
// could answer.
#pragma once

#include <stddef.h>

// sourceDir (which ends with its separator; none is inserted) or the host
// program's folder, followed by name. False, with an empty path, when the
// result does not fit (a path cut short would name another file) or when
// sourceDir names no folder at all (a bare name would be looked up along the
// search path).
bool companionPath(const char *name, char *path, size_t cap);

// sourceDir from the host, made absolute (host_folders.h); a folder that
// cannot be taken whole is refused as below.
void takeSourceDir(const char *given, size_t givenCap);
void takeSourceDirArgument(const char *given);

// For an entry that could not take the host's folder (its record slot is
// cut): sourceDir then names no folder, and nothing is loaded from it.
void refuseSourceDir();
