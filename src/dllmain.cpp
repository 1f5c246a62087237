// dllmain.cpp - the library's entry point. The state block is made at the
// first attach and kept for the life of the process; a block that cannot be
// allocated makes the load fail rather than every later entry crash.
#include <windows.h>

#include "state/module_lifecycle.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    (void)reason;
    (void)reserved;
    return attachLibrary(instance);
}
