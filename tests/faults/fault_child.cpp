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
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE quiet = CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0, nullptr);
    STARTUPINFOA start = {};
    start.cb = sizeof start;
    start.dwFlags = STARTF_USESTDHANDLES;
    start.hStdOutput = quiet;
    start.hStdError = quiet;
    start.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION child = {};
    std::vector<char> line(command.begin(), command.end());
    line.push_back(0);
    // A machine under load may refuse a process now and then: that is the
    // sweep's trouble, not the run's, and is tried again.
    BOOL started = FALSE;
    for (int attempt = 0; attempt < 5 && !started; attempt++) {
        if (attempt)
            Sleep(500);
        started = CreateProcessA(exe, line.data(), nullptr, nullptr, TRUE, 0, nullptr, place.currentFolder, &start,
                                 &child);
    }
    SetEnvironmentVariableA("FAULTS_CASE", nullptr);
    CloseHandle(quiet);
    if (!started) {
        *exitCode = GetLastError();
        return Verdict::Crashed;
    }
    Verdict verdict = Verdict::Harmless;
    if (WaitForSingleObject(child.hProcess, CHILD_LIMIT_MS) == WAIT_TIMEOUT) {
        TerminateProcess(child.hProcess, 0xFFFF);
        WaitForSingleObject(child.hProcess, INFINITE);
        verdict = Verdict::Hung;
    }
    GetExitCodeProcess(child.hProcess, exitCode);
    CloseHandle(child.hProcess);
    CloseHandle(child.hThread);
    if (verdict == Verdict::Hung)
        return verdict;
    if (!fileExists(path) || !parseOutcome(readTextFile(path), outcome))
        return Verdict::Crashed;
    return Verdict::Harmless;
}
