/* luinsres_main.c - the entry point of luinsres.dll, Lumoria Setup's language
 * resource module. The module holds only resources; the installer loads it
 * with LoadLibraryA, so it needs an entry point that accepts every attach and
 * detach. It links without the C run-time and imports nothing. */
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    (void)instance;
    (void)reason;
    (void)reserved;
    return TRUE;
}
