// module_load.cpp - loadSystemModule, loadModuleAt and loadResourceImageAt:
// every module load of the library, with the load's error boxes suppressed (a
// missing module is the caller's to report) and the Windows error kept.
#include "module_load.h"

#include "text.h"

// Drive-rooted ("C:\") or UNC ("\\server"): nothing of it depends on the
// current folder.
static bool isFullPath(const char *path)
{
    if (!path)
        return false;
    bool drive = ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z')) && path[1] == ':' &&
                 (path[2] == '\\' || path[2] == '/');
    bool unc = path[0] == '\\' && path[1] == '\\';
    return drive || unc;
}

// The LOAD_LIBRARY_SEARCH_* flags came with AddDllDirectory: a Windows
// without that update refuses them with ERROR_INVALID_PARAMETER, and there
// the altered search path is the nearest: the module's own folder first.
static DWORD ownFolderSearch()
{
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    if (kernel && GetProcAddress(kernel, "AddDllDirectory"))
        return LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32;
    return LOAD_WITH_ALTERED_SEARCH_PATH;
}

static HMODULE loadQuietly(const char *path, DWORD flags)
{
    if (!isFullPath(path)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    UINT previous = SetErrorMode(SEM_NOOPENFILEERRORBOX | SEM_FAILCRITICALERRORS);
    HMODULE module = LoadLibraryExA(path, nullptr, flags);
    DWORD error = GetLastError();
    SetErrorMode(previous);
    SetLastError(error);
    return module;
}

HMODULE loadModuleAt(const char *fullPath) { return loadQuietly(fullPath, ownFolderSearch()); }

HMODULE loadSystemModule(const char *name)
{
    char path[MAX_PATH];
    UINT n = GetSystemDirectoryA(path, sizeof path);
    if (n == 0 || n >= sizeof path) {
        SetLastError(n ? ERROR_FILENAME_EXCED_RANGE : GetLastError());
        return nullptr;
    }
    if (!appendText(path, sizeof path, "\\") || !appendText(path, sizeof path, name)) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return nullptr;
    }
    return loadModuleAt(path);
}

HMODULE loadResourceImageAt(const char *fullPath)
{
    HMODULE module = loadQuietly(fullPath, LOAD_LIBRARY_AS_IMAGE_RESOURCE | LOAD_LIBRARY_AS_DATAFILE);
    // A Windows that knows no image resources refuses the flag; a plain data
    // file serves the same strings, dialogs and bitmaps, and runs nothing
    // either. A relative path was refused with the same error: not again.
    if (!module && GetLastError() == ERROR_INVALID_PARAMETER && isFullPath(fullPath))
        module = loadQuietly(fullPath, LOAD_LIBRARY_AS_DATAFILE);
    return module;
}
