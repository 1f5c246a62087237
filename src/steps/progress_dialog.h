// progress_dialog.h - the small modal dialog inside which every long step of
// setup runs, and the initial reading of the setup data.
#pragma once

#include <windows.h>
#include <stddef.h>

enum WaitMode {
    WAIT_STEPS = 0,             // file lists, defaults, registry (standard or custom)
    WAIT_PREPARE = 2,           // catalogue build before any dialog
    WAIT_NETWORK_FILES = 3,     // file lists of a network installation
    WAIT_WORKSTATION = 4,       // registry defaults of a workstation installation
    WAIT_ADD_ON = 5             // steps of a custom selection in add-on mode
};

// Runs the progress dialog in the given mode; the dialog's result (mode 2: 1
// when the setup data was read, else 0), or -1 when it cannot be created.
int showProgress(HWND owner, int mode);

// After a step set: true when every file and registry value it changed was
// written. Otherwise the files keep (or got back) their old content and the
// registry is as it was before the step set; the user is told (string 704
// when install.ini could not be written, 705 when the registry could not
// be; caption 700) and false tells the entry to report a cancelled setup,
// so that the host copies nothing.
bool stepsWritten(HWND owner);

// The catalogue build: tables, catalogue, layout sizes, previous space used.
// 1 on success, 0 when the shared-file tables cannot be allocated.
int prepareSetup(HWND owner);

// The wait before the steps run: one second; tests and the benchmark of the
// setup data work shorten it.
extern UINT progressTimerPeriodMs;

// Allocation of the two shared-file tables; tests replace it to simulate a
// failure. Freed with HeapFree on the process heap.
extern void *(*allocateFileTable)(size_t bytes);

// The start of the dialog's timer; tests replace it to simulate a timer that
// cannot be created.
extern UINT_PTR (*startProgressTimer)(HWND dialog, UINT periodMs);
