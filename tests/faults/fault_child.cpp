// fault_child.cpp - a run of the sweep in a child process and its outcome
// read back.
#include "faults/fault_child.h"

#include <stdio.h>

#include <string>
#include <vector>

#include "support/test_support.h"

namespace {

constexpr DWORD CHILD_LIMIT_MS = 60000;

// One file per kind: scripts/faults.sh sweeps several kinds side by side.
std::string outcomePath(int kind)
{
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    return std::string(temp) + "dialogint-faults-" + runKind(kind).name + ".txt";
}

LONG WINAPI endOnCrash(EXCEPTION_POINTERS *exception)
{
    // No debugger and no box: the parent counts the exit code.
    TerminateProcess(GetCurrentProcess(), exception->ExceptionRecord->ExceptionCode);
    return EXCEPTION_EXECUTE_HANDLER;
}

} // namespace

void endChildOnCrash()
{
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    SetUnhandledExceptionFilter(endOnCrash);
}

Verdict runInChild(int kind, int function, int64_t nth, RunOutcome *outcome, DWORD *exitCode,
                   const ChildPlace &place)
{
    std::string path = outcomePath(kind);
    DeleteFileA(path.c_str());
    char spec[512];
    snprintf(spec, sizeof spec, "%s %d %lld %s", runKind(kind).name, function, (long long)nth, path.c_str());
    SetEnvironmentVariableA("FAULTS_CASE", spec);

    char exe[MAX_PATH];
    if (place.program)
        snprintf(exe, sizeof exe, "%s", place.program);
    else
        GetModuleFileNameA(nullptr, exe, MAX_PATH);
    std::string command = std::string("\"") + exe + "\" --gtest_filter=FaultSweep.OneCase --gtest_catch_exceptions=0";
    ChildEnd end = runChildProcess(command, nullptr, place.currentFolder, CHILD_LIMIT_MS, exitCode);
    SetEnvironmentVariableA("FAULTS_CASE", nullptr);
    if (end == ChildEnd::NotStarted)
        return Verdict::Crashed;
    if (end == ChildEnd::Hung)
        return Verdict::Hung;
    if (!fileExists(path) || !parseOutcome(readTextFile(path), outcome))
        return Verdict::Crashed;
    return Verdict::Harmless;
}
