// import_patch.h - replaces a function in a loaded module's import table, so
// that a test can make a real Windows call of dialogint.dll fail (or count
// it) without any change to the library: the module calls through its import
// table, and only that module's table is touched.
#pragma once

#include <windows.h>

// Puts replacement in the slot of `function` imported by `module` from `dll`
// (compared without regard to case; null: from any DLL). Returns what stood
// in the slot, or null when the module does not import that function.
void *patchImport(HMODULE module, const char *dll, const char *function, void *replacement);
