// fault_injection.h - makes the Nth call of one Windows function that
// dialogint.dll imports fail, with the error a real machine gives for it
// (access denied, disk full, not enough memory, file not found, sharing
// violation), by putting a counting stand-in into the library's import
// table. The stand-in calls the real function for every other call, so the
// library runs on the real platform throughout.
#pragma once

#include <windows.h>
#include <stdint.h>

struct FaultableCall {
    const char *dll;
    const char *name;
    DWORD error;          // what GetLastError says after the failed call
};

int faultableCount();
const FaultableCall &faultable(int index);
// -1 when the name is not in the table.
int faultableIndex(const char *name);

// Puts the stand-ins into dialogint.dll's import table (once per process)
// and starts counting from zero. The progress dialog's one-second timer is
// shortened on the way, so that a sweep of thousands of runs ends in time.
void startFaultCounting();
void stopFaultCounting();

// The nth call (from 1) of faultable(index) fails; index -1: none.
void armFault(int index, int64_t nth);
bool faultFired();
int64_t callsMade(int index);

// GDI objects and device contexts the library made through its imports and
// has not deleted or released since startFaultCounting.
int gdiObjectsKept();
