/* ctl3d32.c - stand-in for the 3-D control look module. Exports ordinals 12
 * (register), 13 (unregister) and 16 (automatic subclassing) and appends one
 * line "<ordinal> <instance> <1 if a luinsres.dll is loaded, else 0>" per call
 * to CTL3D32.log beside itself, so that tests can check the bracket of every
 * entry and where the resource module's release falls in it. */
#include <windows.h>
#include <stdio.h>
#include <string.h>

static HINSTANCE self;

static void record(int ordinal, HINSTANCE instance)
{
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(self, path, MAX_PATH);
    if (n == 0 || n + 4 >= MAX_PATH)
        return;
    char *dot = strrchr(path, '.');
    if (dot)
        strcpy(dot, ".log");
    FILE *f = fopen(path, "a");
    if (!f)
        return;
    fprintf(f, "%d %p %d\n", ordinal, (void *)instance, GetModuleHandleA("luinsres.dll") != NULL);
    fclose(f);
}

BOOL WINAPI Ctl3dRegister(HINSTANCE instance) { record(12, instance); return TRUE; }
BOOL WINAPI Ctl3dUnregister(HINSTANCE instance) { record(13, instance); return TRUE; }
BOOL WINAPI Ctl3dAutoSubclass(HINSTANCE instance) { record(16, instance); return TRUE; }

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    (void)reserved;
    if (reason == DLL_PROCESS_ATTACH)
        self = instance;
    return TRUE;
}
