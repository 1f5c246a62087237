/* withcode_main.c - the entry point of a resource module that carries code:
 * on every call it creates "luinsres.ran" beside itself. The library maps the
 * resource module as an image resource, so the file must never appear; a
 * loader that ran the module's entry would leave it behind. Links without the
 * C run-time, against kernel32 alone. */
#include <windows.h>
#include "../standin_path.h"

static void leaveMarker(HINSTANCE instance)
{
    char path[MAX_PATH + 16];
    DWORD n = GetModuleFileNameA(instance, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return;
    char *slash = standinLastBackslash(path);
    lstrcpynA(slash ? slash + 1 : path, "luinsres.ran", 16);
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    (void)reason;
    (void)reserved;
    leaveMarker(instance);
    return TRUE;
}
