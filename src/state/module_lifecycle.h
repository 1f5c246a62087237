// module_lifecycle.h - attach handling, the CTL3D bracket, the resource module
// and the common prologue and epilogue of the exported entries.
#pragma once

#include <windows.h>
#include <stddef.h>

// Stores the instance handle and allocates SetupState at the first attach.
// FALSE when the block cannot be allocated, so that the load fails.
BOOL attachLibrary(HINSTANCE instance);

// Allocation of the state block; tests replace it to simulate a failure.
extern void *(*allocateStateBlock)(size_t bytes);

// CTL3D32.dll is loaded at run time: modern Windows has none, and a missing
// module only means the dialogs keep their plain look.
void registerCtl3d();
void unregisterCtl3d();

int loadResourceModule();
void freeResourceModule();

// Prologue: CTL3D registration and the resource module; 1 or -1 (after the
// "-1" / "LanEnter" box).
int enterExport();
// Epilogue of every entry that ran enterExport successfully.
void leaveExport();

void readInstallType();
