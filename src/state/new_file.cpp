// new_file.cpp - new files under random names beside the file they replace.
// The random part comes from the system's generator (ADVAPI32's
// SystemFunction036), so nobody can choose the name first; a name that is
// taken nonetheless is skipped, a few times at most.
#include "new_file.h"

#include "text.h"

extern "C" BOOLEAN WINAPI SystemFunction036(PVOID buffer, ULONG length);

namespace {

constexpr int NAME_TRIES = 8;

bool randomName(const char *folder, char *name, size_t cap, DWORD *error)
{
    unsigned char bytes[8];
    SetLastError(ERROR_SUCCESS);
    if (!SystemFunction036(bytes, sizeof bytes)) {
        *error = GetLastError() ? GetLastError() : (DWORD)ERROR_GEN_FAILURE;
        return false;
    }
    char hex[2 * sizeof bytes + 1];
    for (size_t i = 0; i < sizeof bytes; i++)
        formatText(hex + 2 * i, 3, "%02x", bytes[i]);
    if (!formatText(name, cap, "%s~lu%s.tmp", folder, hex)) {
        *error = ERROR_FILENAME_EXCED_RANGE;
        return false;
    }
    return true;
}

} // namespace

HANDLE createFileBeside(const char *target, char *name, size_t cap, DWORD *error)
{
    char folder[MAX_PATH];
    char *file = nullptr;
    DWORD length = GetFullPathNameA(target, sizeof folder, folder, &file);
    if (length == 0 || length >= sizeof folder || !file) {
        *error = length == 0 ? GetLastError() : (DWORD)ERROR_FILENAME_EXCED_RANGE;
        return INVALID_HANDLE_VALUE;
    }
    *file = 0;
    for (int attempt = 0; attempt < NAME_TRIES; attempt++) {
        if (!randomName(folder, name, cap, error))
            return INVALID_HANDLE_VALUE;
        HANDLE h = CreateFileA(name, GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
        if (h != INVALID_HANDLE_VALUE)
            return h;
        *error = GetLastError();
        if (*error != ERROR_FILE_EXISTS && *error != ERROR_ALREADY_EXISTS)
            break;
    }
    name[0] = 0;
    return INVALID_HANDLE_VALUE;
}

bool writeFlushed(HANDLE h, const void *bytes, DWORD size)
{
    DWORD written = 0;
    return (size == 0 || (WriteFile(h, bytes, size, &written, nullptr) && written == size)) &&
           FlushFileBuffers(h);
}

bool replaceWithBytes(const char *target, const void *bytes, DWORD size, DWORD *error)
{
    char temporary[MAX_PATH];
    HANDLE h = createFileBeside(target, temporary, sizeof temporary, error);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    bool done = writeFlushed(h, bytes, size);
    if (!done)
        *error = GetLastError();
    CloseHandle(h);
    if (done && !MoveFileExA(temporary, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        *error = GetLastError();
        done = false;
    }
    if (!done)
        DeleteFileA(temporary);
    return done;
}
