// dllmain.cpp - the library's entry point. The state block is made at the
// first attach and kept for the life of the process; a block that cannot be
// allocated makes the load fail rather than every later entry crash. At
// detach the setup logs are closed: every line is in its file already.
#include <windows.h>

#include "state/module_lifecycle.h"
#include "state/setup_log.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    (void)reserved;
    if (reason == DLL_PROCESS_DETACH) {
        closeSetupLogs();
        return TRUE;
    }
    return attachLibrary(instance);
}
