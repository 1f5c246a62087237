/* ctl3d32.c - stand-in for the 3-D control look module. Exports ordinals 12
 * (register), 13 (unregister) and 16 (automatic subclassing) and appends one
 * line "<ordinal> <instance> <1 if a luinsres.dll is mapped, else 0>" per call
 * to CTL3D32.log beside itself, so that tests can check the bracket of every
 * entry and where the resource module's release falls in it. The resource
 * module is mapped as an image resource, in no list of loaded modules: the
 * views of the process are searched for it instead. */
#include <windows.h>
#include <psapi.h>
#include <stdio.h>
#include <string.h>

static HINSTANCE self;

static int resourceModuleMapped(void)
{
    static const char tail[] = "\\luinsres.dll";
    SYSTEM_INFO system;
    GetSystemInfo(&system);
    char *address = (char *)system.lpMinimumApplicationAddress;
    MEMORY_BASIC_INFORMATION region;
    while (address < (char *)system.lpMaximumApplicationAddress &&
           VirtualQuery(address, &region, sizeof region) == sizeof region) {
        char name[1024];
        if ((region.Type == MEM_MAPPED || region.Type == MEM_IMAGE) && region.BaseAddress == region.AllocationBase &&
            GetMappedFileNameA(GetCurrentProcess(), region.BaseAddress, name, sizeof name)) {
            size_t length = strlen(name);
            if (length >= sizeof tail - 1 && _stricmp(name + length - (sizeof tail - 1), tail) == 0)
                return 1;
        }
        address = (char *)region.BaseAddress + region.RegionSize;
    }
    return 0;
}

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
    fprintf(f, "%d %p %d\n", ordinal, (void *)instance, resourceModuleMapped());
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
