// step_sets.h - the step sets of setup, each run inside the progress dialog,
// and the initial reading of the setup data.
#pragma once

#include <windows.h>
#include <stddef.h>

#include "dialogs/progress_dialog.h"

enum WaitMode {
    WAIT_STEPS = 0,             // file lists, defaults, registry (standard or custom)
    WAIT_PREPARE = 2,           // catalogue build before any dialog
    WAIT_NETWORK_FILES = 3,     // file lists of a network installation
    WAIT_WORKSTATION = 4,       // registry defaults of a workstation installation
    WAIT_ADD_ON = 5             // steps of a custom selection in add-on mode
};

// What a configuration step set did.
enum StepsOutcome { STEPS_WRITTEN = 0, STEPS_FILES_NOT_WRITTEN = 2, STEPS_REGISTRY_NOT_WRITTEN = 3 };

// Runs the steps of mode inside the progress dialog: mode 2 gives 1 when
// the setup data was read, else 0; the others a StepsOutcome. -1 when the
// dialog cannot be created, WORK_NOT_RUN when it was closed before the
// steps ran.
int showProgress(HWND owner, int mode);

// After a step set, given what showProgress returned: true when every file
// and registry value it changed was written. Otherwise the files keep (or
// got back) their old content and the registry is as it was before the step
// set; the user is told (string 704 when install.ini could not be written or
// the steps never ran, 705 when the registry could not be; caption 700) and
// false tells the entry to report a cancelled setup, so that the host copies
// nothing.
bool stepsWritten(HWND owner, int outcome);

// The catalogue build: tables, catalogue, layout sizes, previous space used.
// 1 on success, 0 when the shared-file tables cannot be allocated.
int prepareSetup(HWND owner);

// Allocation of the two shared-file tables; tests replace it to simulate a
// failure. Freed with HeapFree on the process heap.
extern void *(*allocateFileTable)(size_t bytes);
