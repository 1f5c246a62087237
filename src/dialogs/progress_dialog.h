// progress_dialog.h - the small modal dialog inside which every long step of
// setup runs (WaitDialog, declared in dialogint.h).
#pragma once

#include <windows.h>

// The result of a showing closed before its timer: the work never ran.
constexpr int WORK_NOT_RUN = -2;

// Shows the dialog with the string messageId, centred on the screen or above
// its bottom edge, and after one tick of its timer runs work once; returns
// work's result, WORK_NOT_RUN when the dialog was closed first, or -1 when
// it cannot be shown.
int showWorking(HWND owner, int messageId, bool centred, int (*work)(HWND dialog));

// The wait before the work runs: one second; tests and the benchmark of the
// setup data work shorten it.
extern UINT progressTimerPeriodMs;

// The start of the dialog's timer; tests replace it to simulate a timer that
// cannot be created.
extern UINT_PTR (*startProgressTimer)(HWND dialog, UINT periodMs);
