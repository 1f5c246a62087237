// fault_child.h - one run of a kind in a child process of the sweep
// program, so that a crash is counted and a hang is cut off: the child is
// the program's FaultSweep.OneCase, told its case by FAULTS_CASE, and writes
// its outcome into a file the parent reads back.
#pragma once

#include <windows.h>
#include <stdint.h>

#include "faults/fault_runs.h"

// Where the child runs: by default this program from its own folder, in
// the current folder. The planting sweep starts a copy of it elsewhere.
struct ChildPlace {
    const char *program = nullptr;        // full path of the program to start
    const char *currentFolder = nullptr;
};

// The verdict Crashed or Hung when the child did not come back with an
// outcome, Harmless when it did (the caller judges the outcome).
Verdict runInChild(int kind, int function, int64_t nth, RunOutcome *outcome, DWORD *exitCode,
                   const ChildPlace &place = ChildPlace());

// For the child: no debugger and no box on a crash, the exception's code as
// the exit code.
void endChildOnCrash();
