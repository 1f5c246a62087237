// module_load.h - the one way the library loads a module. Every module is
// named by its full path, so that no file of the same name in the host
// program's folder, the current folder or along PATH can answer instead:
// system modules come from the system folder, the library's companion
// modules from the folder they belong to, with their own imports resolved
// from that folder and the system folder only.
#pragma once

#include <windows.h>

// name (for example "ole32.dll") from the system folder. Null, with the
// Windows error, when the module is not there or cannot be loaded.
HMODULE loadSystemModule(const char *name);

// A module by its full path (drive or UNC); its imports are looked up beside
// it and in the system folder. A relative path is refused
// (ERROR_INVALID_PARAMETER): it would be read against the current folder.
HMODULE loadModuleAt(const char *fullPath);

// A module whose resources alone are used (dialogs, strings, bitmaps), by its
// full path, refused like loadModuleAt's when relative. It is mapped as an
// image resource: its entry point never runs, its imports are never resolved
// and it is in no list of loaded modules. The handle has its low bits set, as
// every data-file handle; the resource functions and dialog creation take it,
// GetModuleFileName and GetProcAddress do not.
HMODULE loadResourceImageAt(const char *fullPath);
