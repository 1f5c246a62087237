/* luinsres_main.c - the entry point of luinsres.dll, Lumoria Setup's language
 * resource module. The module holds only resources, and the installer maps it
 * as an image resource, so this entry point never runs there; it accepts
 * every attach and detach for any other program that loads the module. It
 * links without the C run-time and imports nothing. */
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    (void)instance;
    (void)reason;
    (void)reserved;
    return TRUE;
}
