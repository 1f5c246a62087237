// fault_injection.cpp - the table of faultable imports, their counting
// stand-ins and the record of GDI objects the library keeps.
#include "faults/fault_injection.h"

#include <stdlib.h>
#include <string.h>

#include <aclapi.h>
#include <sddl.h>

#include <set>

#include "support/import_patch.h"
#include "support/test_support.h"

namespace {

enum Call {
    C_CreateFileA, C_ReadFile, C_WriteFile, C_FlushFileBuffers, C_MoveFileExA, C_GetTempFileNameA,
    C_CreateDirectoryA, C_DeleteFileA, C_GetFileAttributesExA, C_GetShortPathNameA, C_WritePrivateProfileStringA,
    C_LoadLibraryA, C_LoadLibraryExA, C_HeapAlloc, C_malloc, C_calloc, C_realloc,
    C_RegCreateKeyExA, C_RegOpenKeyExA, C_RegSetValueExA, C_RegDeleteValueA, C_RegDeleteKeyA,
    C_DialogBoxParamW, C_MessageBoxW, C_SetTimer, C_LoadStringA, C_LoadStringW, C_LoadBitmapA, C_GetDC,
    C_CreateSolidBrush, C_CreateCompatibleDC, C_CreateFontA,
    C_GetFullPathNameA, C_ConvertStringSecurityDescriptorToSecurityDescriptorA, C_GetNamedSecurityInfoA,
    C_SendMessageTimeoutA,
    CALL_COUNT
};

const FaultableCall calls[CALL_COUNT] = {
    {"KERNEL32.dll", "CreateFileA", ERROR_SHARING_VIOLATION},
    {"KERNEL32.dll", "ReadFile", ERROR_ACCESS_DENIED},
    {"KERNEL32.dll", "WriteFile", ERROR_DISK_FULL},
    {"KERNEL32.dll", "FlushFileBuffers", ERROR_DISK_FULL},
    {"KERNEL32.dll", "MoveFileExA", ERROR_ACCESS_DENIED},
    {"KERNEL32.dll", "GetTempFileNameA", ERROR_ACCESS_DENIED},
    {"KERNEL32.dll", "CreateDirectoryA", ERROR_ACCESS_DENIED},
    {"KERNEL32.dll", "DeleteFileA", ERROR_ACCESS_DENIED},
    {"KERNEL32.dll", "GetFileAttributesExA", ERROR_FILE_NOT_FOUND},
    {"KERNEL32.dll", "GetShortPathNameA", ERROR_FILE_NOT_FOUND},
    {"KERNEL32.dll", "WritePrivateProfileStringA", ERROR_ACCESS_DENIED},
    {"KERNEL32.dll", "LoadLibraryA", ERROR_MOD_NOT_FOUND},
    {"KERNEL32.dll", "LoadLibraryExA", ERROR_MOD_NOT_FOUND},
    {"KERNEL32.dll", "HeapAlloc", ERROR_NOT_ENOUGH_MEMORY},
    {"msvcrt.dll", "malloc", ERROR_NOT_ENOUGH_MEMORY},
    {"msvcrt.dll", "calloc", ERROR_NOT_ENOUGH_MEMORY},
    {"msvcrt.dll", "realloc", ERROR_NOT_ENOUGH_MEMORY},
    {"ADVAPI32.dll", "RegCreateKeyExA", ERROR_ACCESS_DENIED},
    {"ADVAPI32.dll", "RegOpenKeyExA", ERROR_ACCESS_DENIED},
    {"ADVAPI32.dll", "RegSetValueExA", ERROR_ACCESS_DENIED},
    {"ADVAPI32.dll", "RegDeleteValueA", ERROR_ACCESS_DENIED},
    {"ADVAPI32.dll", "RegDeleteKeyA", ERROR_ACCESS_DENIED},
    {"USER32.dll", "DialogBoxParamW", ERROR_NOT_ENOUGH_MEMORY},
    {"USER32.dll", "MessageBoxW", ERROR_NOT_ENOUGH_MEMORY},
    {"USER32.dll", "SetTimer", ERROR_NOT_ENOUGH_MEMORY},
    {"USER32.dll", "LoadStringA", ERROR_RESOURCE_NAME_NOT_FOUND},
    {"USER32.dll", "LoadStringW", ERROR_RESOURCE_NAME_NOT_FOUND},
    {"USER32.dll", "LoadBitmapA", ERROR_NOT_ENOUGH_MEMORY},
    {"USER32.dll", "GetDC", ERROR_NOT_ENOUGH_MEMORY},
    {"GDI32.dll", "CreateSolidBrush", ERROR_NOT_ENOUGH_MEMORY},
    {"GDI32.dll", "CreateCompatibleDC", ERROR_NOT_ENOUGH_MEMORY},
    {"GDI32.dll", "CreateFontA", ERROR_NOT_ENOUGH_MEMORY},
    {"KERNEL32.dll", "GetFullPathNameA", ERROR_FILENAME_EXCED_RANGE},
    {"ADVAPI32.dll", "ConvertStringSecurityDescriptorToSecurityDescriptorA", ERROR_NOT_ENOUGH_MEMORY},
    {"ADVAPI32.dll", "GetNamedSecurityInfoA", ERROR_ACCESS_DENIED},
    {"USER32.dll", "SendMessageTimeoutA", ERROR_TIMEOUT},
};

int64_t counts[CALL_COUNT];
bool counting;
int armedCall = -1;
int64_t armedNth;
bool fired;
std::set<void *> gdiKept;

// True when this call is the one to fail; the error is set then.
bool failNow(int call)
{
    if (!counting)
        return false;
    if (++counts[call] != armedNth || call != armedCall)
        return false;
    fired = true;
    SetLastError(calls[call].error);
    return true;
}

void keep(void *object)
{
    if (counting && object)
        gdiKept.insert(object);
}

void release(void *object) { gdiKept.erase(object); }

void *originals[CALL_COUNT];
void *trackingOriginals[3];

template <typename F> F real(int call) { return (F)originals[call]; }

HANDLE WINAPI fakeCreateFileA(LPCSTR a, DWORD b, DWORD c, LPSECURITY_ATTRIBUTES d, DWORD e, DWORD f, HANDLE g)
{
    return failNow(C_CreateFileA) ? INVALID_HANDLE_VALUE : real<decltype(&CreateFileA)>(C_CreateFileA)(a, b, c, d, e, f, g);
}
BOOL WINAPI fakeReadFile(HANDLE a, LPVOID b, DWORD c, LPDWORD d, LPOVERLAPPED e)
{
    return failNow(C_ReadFile) ? FALSE : real<decltype(&ReadFile)>(C_ReadFile)(a, b, c, d, e);
}
BOOL WINAPI fakeWriteFile(HANDLE a, LPCVOID b, DWORD c, LPDWORD d, LPOVERLAPPED e)
{
    if (failNow(C_WriteFile)) {
        if (d)
            *d = 0;
        return FALSE;
    }
    return real<decltype(&WriteFile)>(C_WriteFile)(a, b, c, d, e);
}
BOOL WINAPI fakeFlushFileBuffers(HANDLE a)
{
    return failNow(C_FlushFileBuffers) ? FALSE : real<decltype(&FlushFileBuffers)>(C_FlushFileBuffers)(a);
}
BOOL WINAPI fakeMoveFileExA(LPCSTR a, LPCSTR b, DWORD c)
{
    return failNow(C_MoveFileExA) ? FALSE : real<decltype(&MoveFileExA)>(C_MoveFileExA)(a, b, c);
}
UINT WINAPI fakeGetTempFileNameA(LPCSTR a, LPCSTR b, UINT c, LPSTR d)
{
    return failNow(C_GetTempFileNameA) ? 0 : real<decltype(&GetTempFileNameA)>(C_GetTempFileNameA)(a, b, c, d);
}
BOOL WINAPI fakeCreateDirectoryA(LPCSTR a, LPSECURITY_ATTRIBUTES b)
{
    return failNow(C_CreateDirectoryA) ? FALSE : real<decltype(&CreateDirectoryA)>(C_CreateDirectoryA)(a, b);
}
BOOL WINAPI fakeDeleteFileA(LPCSTR a)
{
    return failNow(C_DeleteFileA) ? FALSE : real<decltype(&DeleteFileA)>(C_DeleteFileA)(a);
}
BOOL WINAPI fakeGetFileAttributesExA(LPCSTR a, GET_FILEEX_INFO_LEVELS b, LPVOID c)
{
    return failNow(C_GetFileAttributesExA) ? FALSE
                                           : real<decltype(&GetFileAttributesExA)>(C_GetFileAttributesExA)(a, b, c);
}
DWORD WINAPI fakeGetShortPathNameA(LPCSTR a, LPSTR b, DWORD c)
{
    return failNow(C_GetShortPathNameA) ? 0 : real<decltype(&GetShortPathNameA)>(C_GetShortPathNameA)(a, b, c);
}
BOOL WINAPI fakeWritePrivateProfileStringA(LPCSTR a, LPCSTR b, LPCSTR c, LPCSTR d)
{
    return failNow(C_WritePrivateProfileStringA)
               ? FALSE
               : real<decltype(&WritePrivateProfileStringA)>(C_WritePrivateProfileStringA)(a, b, c, d);
}
HMODULE WINAPI fakeLoadLibraryA(LPCSTR a)
{
    return failNow(C_LoadLibraryA) ? nullptr : real<decltype(&LoadLibraryA)>(C_LoadLibraryA)(a);
}
HMODULE WINAPI fakeLoadLibraryExA(LPCSTR a, HANDLE b, DWORD c)
{
    return failNow(C_LoadLibraryExA) ? nullptr : real<decltype(&LoadLibraryExA)>(C_LoadLibraryExA)(a, b, c);
}
LPVOID WINAPI fakeHeapAlloc(HANDLE a, DWORD b, SIZE_T c)
{
    return failNow(C_HeapAlloc) ? nullptr : real<decltype(&HeapAlloc)>(C_HeapAlloc)(a, b, c);
}
void *__cdecl fakeMalloc(size_t a)
{
    return failNow(C_malloc) ? nullptr : real<void *(__cdecl *)(size_t)>(C_malloc)(a);
}
void *__cdecl fakeCalloc(size_t a, size_t b)
{
    return failNow(C_calloc) ? nullptr : real<void *(__cdecl *)(size_t, size_t)>(C_calloc)(a, b);
}
void *__cdecl fakeRealloc(void *a, size_t b)
{
    return failNow(C_realloc) ? nullptr : real<void *(__cdecl *)(void *, size_t)>(C_realloc)(a, b);
}
LONG WINAPI fakeRegCreateKeyExA(HKEY a, LPCSTR b, DWORD c, LPSTR d, DWORD e, REGSAM f, LPSECURITY_ATTRIBUTES g,
                                PHKEY h, LPDWORD i)
{
    if (failNow(C_RegCreateKeyExA))
        return (LONG)calls[C_RegCreateKeyExA].error;
    return real<decltype(&RegCreateKeyExA)>(C_RegCreateKeyExA)(a, b, c, d, e, f, g, h, i);
}
LONG WINAPI fakeRegOpenKeyExA(HKEY a, LPCSTR b, DWORD c, REGSAM d, PHKEY e)
{
    if (failNow(C_RegOpenKeyExA))
        return (LONG)calls[C_RegOpenKeyExA].error;
    return real<decltype(&RegOpenKeyExA)>(C_RegOpenKeyExA)(a, b, c, d, e);
}
LONG WINAPI fakeRegSetValueExA(HKEY a, LPCSTR b, DWORD c, DWORD d, const BYTE *e, DWORD f)
{
    if (failNow(C_RegSetValueExA))
        return (LONG)calls[C_RegSetValueExA].error;
    return real<decltype(&RegSetValueExA)>(C_RegSetValueExA)(a, b, c, d, e, f);
}
LONG WINAPI fakeRegDeleteValueA(HKEY a, LPCSTR b)
{
    if (failNow(C_RegDeleteValueA))
        return (LONG)calls[C_RegDeleteValueA].error;
    return real<decltype(&RegDeleteValueA)>(C_RegDeleteValueA)(a, b);
}
LONG WINAPI fakeRegDeleteKeyA(HKEY a, LPCSTR b)
{
    if (failNow(C_RegDeleteKeyA))
        return (LONG)calls[C_RegDeleteKeyA].error;
    return real<decltype(&RegDeleteKeyA)>(C_RegDeleteKeyA)(a, b);
}
INT_PTR WINAPI fakeDialogBoxParamW(HINSTANCE a, LPCWSTR b, HWND c, DLGPROC d, LPARAM e)
{
    return failNow(C_DialogBoxParamW) ? -1 : real<decltype(&DialogBoxParamW)>(C_DialogBoxParamW)(a, b, c, d, e);
}
int WINAPI fakeMessageBoxW(HWND a, LPCWSTR b, LPCWSTR c, UINT d)
{
    return failNow(C_MessageBoxW) ? 0 : real<decltype(&MessageBoxW)>(C_MessageBoxW)(a, b, c, d);
}
UINT_PTR WINAPI fakeSetTimer(HWND a, UINT_PTR b, UINT c, TIMERPROC d)
{
    if (failNow(C_SetTimer))
        return 0;
    // Only the wait itself is shortened; what runs after it is unchanged.
    return real<decltype(&SetTimer)>(C_SetTimer)(a, b, c > 20 ? 20 : c, d);
}
int WINAPI fakeLoadStringA(HINSTANCE a, UINT b, LPSTR c, int d)
{
    if (failNow(C_LoadStringA)) {
        if (c && d > 0)
            c[0] = 0;
        return 0;
    }
    return real<decltype(&LoadStringA)>(C_LoadStringA)(a, b, c, d);
}
int WINAPI fakeLoadStringW(HINSTANCE a, UINT b, LPWSTR c, int d)
{
    if (failNow(C_LoadStringW)) {
        if (c && d > 0)
            c[0] = 0;
        return 0;
    }
    return real<decltype(&LoadStringW)>(C_LoadStringW)(a, b, c, d);
}
HBITMAP WINAPI fakeLoadBitmapA(HINSTANCE a, LPCSTR b)
{
    if (failNow(C_LoadBitmapA))
        return nullptr;
    HBITMAP made = real<decltype(&LoadBitmapA)>(C_LoadBitmapA)(a, b);
    keep(made);
    return made;
}
HDC WINAPI fakeGetDC(HWND a)
{
    if (failNow(C_GetDC))
        return nullptr;
    HDC dc = real<decltype(&GetDC)>(C_GetDC)(a);
    keep(dc);
    return dc;
}
HBRUSH WINAPI fakeCreateSolidBrush(COLORREF a)
{
    if (failNow(C_CreateSolidBrush))
        return nullptr;
    HBRUSH made = real<decltype(&CreateSolidBrush)>(C_CreateSolidBrush)(a);
    keep(made);
    return made;
}
HDC WINAPI fakeCreateCompatibleDC(HDC a)
{
    if (failNow(C_CreateCompatibleDC))
        return nullptr;
    HDC made = real<decltype(&CreateCompatibleDC)>(C_CreateCompatibleDC)(a);
    keep(made);
    return made;
}
HFONT WINAPI fakeCreateFontA(int a, int b, int c, int d, int e, DWORD f, DWORD g, DWORD h, DWORD i, DWORD j, DWORD k,
                             DWORD l, DWORD m, LPCSTR n)
{
    if (failNow(C_CreateFontA))
        return nullptr;
    HFONT made = real<decltype(&CreateFontA)>(C_CreateFontA)(a, b, c, d, e, f, g, h, i, j, k, l, m, n);
    keep(made);
    return made;
}

DWORD WINAPI fakeGetFullPathNameA(LPCSTR a, DWORD b, LPSTR c, LPSTR *d)
{
    return failNow(C_GetFullPathNameA) ? 0 : real<decltype(&GetFullPathNameA)>(C_GetFullPathNameA)(a, b, c, d);
}
BOOL WINAPI fakeConvertStringSecurityDescriptorToSecurityDescriptorA(LPCSTR a, DWORD b, PSECURITY_DESCRIPTOR *c,
                                                                     PULONG d)
{
    const int call = C_ConvertStringSecurityDescriptorToSecurityDescriptorA;
    if (failNow(call))
        return FALSE;
    return real<decltype(&ConvertStringSecurityDescriptorToSecurityDescriptorA)>(call)(a, b, c, d);
}
DWORD WINAPI fakeGetNamedSecurityInfoA(LPCSTR a, SE_OBJECT_TYPE b, SECURITY_INFORMATION c, PSID *d, PSID *e,
                                       PACL *f, PACL *g, PSECURITY_DESCRIPTOR *h)
{
    if (failNow(C_GetNamedSecurityInfoA))
        return calls[C_GetNamedSecurityInfoA].error;
    return real<decltype(&GetNamedSecurityInfoA)>(C_GetNamedSecurityInfoA)(a, b, c, d, e, f, g, h);
}
LRESULT WINAPI fakeSendMessageTimeoutA(HWND a, UINT b, WPARAM c, LPARAM d, UINT e, UINT f, PDWORD_PTR g)
{
    return failNow(C_SendMessageTimeoutA)
               ? 0
               : real<decltype(&SendMessageTimeoutA)>(C_SendMessageTimeoutA)(a, b, c, d, e, f, g);
}

// The calls that end an object's life are only watched, never failed.
BOOL WINAPI watchDeleteObject(HGDIOBJ a)
{
    release(a);
    return ((decltype(&DeleteObject))trackingOriginals[0])(a);
}
BOOL WINAPI watchDeleteDC(HDC a)
{
    release(a);
    return ((decltype(&DeleteDC))trackingOriginals[1])(a);
}
int WINAPI watchReleaseDC(HWND a, HDC b)
{
    release(b);
    return ((decltype(&ReleaseDC))trackingOriginals[2])(a, b);
}

void *const standIns[CALL_COUNT] = {
    (void *)fakeCreateFileA, (void *)fakeReadFile, (void *)fakeWriteFile, (void *)fakeFlushFileBuffers,
    (void *)fakeMoveFileExA, (void *)fakeGetTempFileNameA, (void *)fakeCreateDirectoryA, (void *)fakeDeleteFileA,
    (void *)fakeGetFileAttributesExA, (void *)fakeGetShortPathNameA, (void *)fakeWritePrivateProfileStringA,
    (void *)fakeLoadLibraryA, (void *)fakeLoadLibraryExA, (void *)fakeHeapAlloc, (void *)fakeMalloc,
    (void *)fakeCalloc, (void *)fakeRealloc,
    (void *)fakeRegCreateKeyExA, (void *)fakeRegOpenKeyExA, (void *)fakeRegSetValueExA, (void *)fakeRegDeleteValueA,
    (void *)fakeRegDeleteKeyA, (void *)fakeDialogBoxParamW, (void *)fakeMessageBoxW, (void *)fakeSetTimer,
    (void *)fakeLoadStringA, (void *)fakeLoadStringW, (void *)fakeLoadBitmapA, (void *)fakeGetDC, (void *)fakeCreateSolidBrush,
    (void *)fakeCreateCompatibleDC, (void *)fakeCreateFontA, (void *)fakeGetFullPathNameA,
    (void *)fakeConvertStringSecurityDescriptorToSecurityDescriptorA, (void *)fakeGetNamedSecurityInfoA,
    (void *)fakeSendMessageTimeoutA,
};

bool patched;

void patchOnce()
{
    if (patched)
        return;
    patched = true;
    HMODULE module = dialogintModule();
    for (int i = 0; i < CALL_COUNT; i++)
        originals[i] = patchImport(module, calls[i].dll, calls[i].name, standIns[i]);
    trackingOriginals[0] = patchImport(module, "GDI32.dll", "DeleteObject", (void *)watchDeleteObject);
    trackingOriginals[1] = patchImport(module, "GDI32.dll", "DeleteDC", (void *)watchDeleteDC);
    trackingOriginals[2] = patchImport(module, "USER32.dll", "ReleaseDC", (void *)watchReleaseDC);
    // A function the library does not import keeps a null original and is
    // never called through its stand-in: its count stays 0.
}

} // namespace

int faultableCount() { return CALL_COUNT; }
const FaultableCall &faultable(int index) { return calls[index]; }

int faultableIndex(const char *name)
{
    for (int i = 0; i < CALL_COUNT; i++)
        if (strcmp(calls[i].name, name) == 0)
            return i;
    return -1;
}

void startFaultCounting()
{
    patchOnce();
    memset(counts, 0, sizeof counts);
    gdiKept.clear();
    fired = false;
    counting = true;
}

void stopFaultCounting() { counting = false; }

void armFault(int index, int64_t nth)
{
    armedCall = index;
    armedNth = nth;
}

bool faultFired() { return fired; }
int64_t callsMade(int index) { return counts[index]; }
int gdiObjectsKept() { return (int)gdiKept.size(); }
