/* planted.c - the module an attacker leaves where a program might look for
 * one of the names it loads. Copied under each such name, it records every
 * load: DllMain appends its own full path and a line end to the file named
 * by DIALOGINT_PLANTED_LOG. It imports KERNEL32 alone and has no C runtime,
 * so that it can stand for msvcrt.dll too. */
#include <windows.h>

BOOL WINAPI DllMainCRTStartup(HINSTANCE self, DWORD reason, LPVOID reserved)
{
    (void)reserved;
    if (reason != DLL_PROCESS_ATTACH)
        return TRUE;
    WCHAR log[MAX_PATH];
    WCHAR line[MAX_PATH + 2];
    DWORD logLength = GetEnvironmentVariableW(L"DIALOGINT_PLANTED_LOG", log, MAX_PATH);
    DWORD length = GetModuleFileNameW(self, line, MAX_PATH);
    if (logLength == 0 || logLength >= MAX_PATH || length == 0 || length >= MAX_PATH)
        return TRUE;
    line[length++] = L'\r';
    line[length++] = L'\n';
    HANDLE file = CreateFileW(log, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return TRUE;
    DWORD written = 0;
    WriteFile(file, line, length * sizeof(WCHAR), &written, NULL);
    CloseHandle(file);
    return TRUE;
}
