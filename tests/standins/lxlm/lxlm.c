/* lxlm.c - stand-in for the product's launch module. Ordinal 200 takes no
 * arguments and appends one line "200" to lxlm.log beside the module, so that
 * tests can see which copy of the module ran and how often. Built twice: with
 * ordinal 200 (lxlm.dll) and without it (lxlm_noentry.dll, which the tests
 * copy under the name lxlm.dll). */
#include <windows.h>
#include <stdio.h>
#include <string.h>
#include "../standin_path.h"

static HINSTANCE self;

#ifdef LXLM_WITH_ENTRY
void WINAPI LaunchEntry(void)
{
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(self, path, MAX_PATH);
    if (n == 0 || n + 4 >= MAX_PATH)
        return;
    char *slash = standinLastBackslash(path);
    if (!slash)
        return;
    strcpy(slash + 1, "lxlm.log");
    FILE *f = fopen(path, "ab");
    if (!f)
        return;
    fputs("200\n", f);
    fclose(f);
}
#endif

/* Present in both variants, under another ordinal: a module lacking 200 still
 * exports something. */
int WINAPI LaunchVersion(void) { return 1; }

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    (void)reserved;
    if (reason == DLL_PROCESS_ATTACH)
        self = instance;
    return TRUE;
}
