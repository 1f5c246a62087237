// module_lifecycle.cpp - the state block's creation, the CTL3D bracket, the
// loading of luinsres.dll, the install type and the setupInstall entry.
// Owns libraryInstance, setupState and resourceModule.
#include "module_lifecycle.h"

#include <string.h>

#include "host_folders.h"
#include "module_load.h"
#include "module_path.h"
#include "profile.h"
#include "setup_state.h"
#include "text.h"
#include "answer_mode.h"
#include "setup_log.h"

HINSTANCE libraryInstance;
SetupState *setupState;
HMODULE resourceModule;

static HMODULE ctl3dModule;

enum Ctl3dOrdinal { CTL3D_REGISTER = 12, CTL3D_UNREGISTER = 13, CTL3D_AUTOSUBCLASS = 16 };
typedef BOOL(WINAPI *Ctl3dCall)(HINSTANCE);

static void *allocateZeroed(size_t bytes)
{
    return HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, bytes);
}

void *(*allocateStateBlock)(size_t bytes) = allocateZeroed;

BOOL attachLibrary(HINSTANCE instance)
{
    if (libraryInstance)
        return TRUE;
    SetupState *block = (SetupState *)allocateStateBlock(sizeof(SetupState));
    if (!block)
        return FALSE;
    setupState = block;
    libraryInstance = instance;
    return TRUE;
}

static void callCtl3d(int ordinal)
{
    Ctl3dCall call = (Ctl3dCall)(void *)GetProcAddress(ctl3dModule, MAKEINTRESOURCEA(ordinal));
    if (call)
        call(libraryInstance);
}

void registerCtl3d()
{
    // Only the system folder's: a copy beside the host or on the medium is
    // anybody's.
    if (!ctl3dModule)
        ctl3dModule = loadSystemModule("CTL3D32.dll");
    if (!ctl3dModule)
        return;
    callCtl3d(CTL3D_REGISTER);
    callCtl3d(CTL3D_AUTOSUBCLASS);
}

void unregisterCtl3d()
{
    if (!ctl3dModule)
        return;
    callCtl3d(CTL3D_UNREGISTER);
    FreeLibrary(ctl3dModule);
    ctl3dModule = nullptr;
}

int loadResourceModule()
{
    char path[PATH_BYTES];
    // A path that does not fit is not loaded at all rather than loaded cut
    // short.
    if (!companionPath("luinsres.dll", path, sizeof path)) {
        logLine("resource module: no usable folder for luinsres.dll");
        return 0;
    }
    // Its resources alone are used: mapped as an image resource, nothing of
    // a luinsres.dll that carries code runs in the host.
    resourceModule = loadResourceImageAt(path);
    DWORD error = GetLastError();
    if ((UINT_PTR)resourceModule > 32)
        return 1;
    logFailure(error, "loading the resource module %s", path);
    return 0;
}

void freeResourceModule()
{
    if ((UINT_PTR)resourceModule > 32)
        FreeLibrary(resourceModule);
    resourceModule = nullptr;
}

int enterExport()
{
    // Every entry reads the setup files afresh, once.
    forgetProfileFiles();
    // CTL3D draws dialogs: a run that makes no window needs none.
    if (windowsAllowed())
        registerCtl3d();
    if (loadResourceModule())
        return 1;
    unregisterCtl3d();
    showBox(nullptr, "-1", "LanEnter", MB_OK);
    return -1;
}

// The resource module goes first, then CTL3D.
void leaveExport()
{
    freeResourceModule();
    unregisterCtl3d();
}

struct InstallTypeName {
    const char *name;
    int32_t code;
};

static constexpr InstallTypeName installTypeNames[] = {
    {"STANDARD", INSTALL_TYPE_STANDARD},
    {"DEMO", INSTALL_TYPE_DEMO},
    {"EVALUATION", INSTALL_TYPE_EVALUATION},
    {"LEGACY", INSTALL_TYPE_LEGACY},
    {"CUSTOM", INSTALL_TYPE_CUSTOM},
    {"NOTES", INSTALL_TYPE_NOTES},
};

void readInstallType()
{
    SetupState &s = *setupState;
    char type[200];
    readIniText(s.setupIniPath, "General", "TYPE", "", type, sizeof type);
    for (const InstallTypeName &t : installTypeNames)
        if (strcmp(type, t.name) == 0)
            s.installType = t.code;
}

bool takeLoggedHostFolder(char *field, size_t cap, const char *given, size_t givenCap, const char *what)
{
    if (takeHostFolder(field, cap, given, givenCap))
        return true;
    logFailure(GetLastError(), "taking %s the host named", what);
    return false;
}
