// module_path.cpp - companionPath: the folder the library's companion files
// come from, the same way for each of them.
#include "module_path.h"

#include <windows.h>
#include <string.h>

#include "host_folders.h"
#include "setup_state.h"
#include "text.h"
#include "path_text.h"

// The folder of the host program's own file, with its trailing separator.
static bool hostFolder(char *folder, size_t cap)
{
    char program[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, program, sizeof program);
    if (n == 0 || n >= sizeof program)
        return false;
    const char *slash = lastSeparator(program);
    if (!slash)
        return false;
    program[slash - program + 1] = 0;
    return copyText(folder, cap, program);
}

bool companionPath(const char *name, char *path, size_t cap)
{
    const char *dir = setupState->sourceDir;
    char folder[MAX_PATH];
    if (!dir[0]) {
        if (!hostFolder(folder, sizeof folder)) {
            if (cap)
                path[0] = 0;
            return false;
        }
        dir = folder;
    }
    if (strpbrk(dir, "\\/:") && copyText(path, cap, dir) && appendText(path, cap, name))
        return true;
    if (cap)
        path[0] = 0;
    return false;
}

void takeSourceDir(const char *given, size_t givenCap)
{
    if (!takeLoggedHostFolder(setupState->sourceDir, sizeof setupState->sourceDir, given, givenCap,
                              "the source folder"))
        refuseSourceDir();
}

void takeSourceDirArgument(const char *given)
{
    takeSourceDir(given, given ? strlen(given) + 1 : 0);
}

void refuseSourceDir()
{
    // Not empty, which would mean the host program's folder, and no folder.
    copyText(setupState->sourceDir, sizeof setupState->sourceDir, "?");
}
