// profile.cpp - install.ini, the layout file and an existing installation's
// install.ini, read whole (one CreateFileA and ReadFile per file and exported
// entry), decoded as the profile functions decode them (ANSI, or UTF-8 or
// UTF-16 after a byte-order mark), looked up and edited in memory with their
// rules (section_text.cpp). Inside a unit of work the changes are held; at
// its outermost end each changed file is replaced once, atomically: the new
// text, in the form and encoding in which the profile functions would have
// left it, goes into a temporary file in the same folder, is flushed, and
// replaces the file in one move. A file that cannot be written keeps its old
// content whole and the failure is kept for the caller. Owns the file table
// and the call counters.
#include "profile.h"

#include <windows.h>
#include <stdlib.h>
#include <string.h>

#include "new_file.h"
#include "section_text.h"
#include "setup_state.h"
#include "text.h"
#include "setup_log.h"
#include "path_text.h"

int64_t profileReadCalls;
int64_t profileWriteCalls;

bool profileCacheEnabled = true;

namespace {

constexpr int PROFILE_FILES = 8;
constexpr int PATH_NAMES = 16;
constexpr DWORD LARGEST_FILE = 64 * 1024 * 1024;
constexpr size_t NAME_UNITS = 512;

enum Encoding { ENCODING_ANSI, ENCODING_UTF8, ENCODING_UTF16LE, ENCODING_UTF16BE };

struct ProfileFile {
    char path[PATH_BYTES];        // as first named
    char identity[PATH_BYTES];    // full long path: aliases name one file
    ProfileText text;
    Encoding encoding;
    bool loaded;
    bool readable;                // read, or missing in an existing folder
    bool writable;                // checked at the first write of a unit
    bool writeChecked;
    DWORD writeError;             // why it is not writable
    bool checkedInUnit;           // its stamp was compared in this unit
    WIN32_FILE_ATTRIBUTE_DATA stamp;
    bool stamped;
    // The bytes the file held before its first replacement while originals
    // are kept (none: the file did not exist).
    unsigned char *original;
    DWORD originalSize;
    bool originalKept;
    bool originalAbsent;
};

// Every spelling of a path seen, with the file it names.
struct PathName {
    char path[PATH_BYTES];
    int file;
};

ProfileFile files[PROFILE_FILES];
int fileCount;
PathName pathNames[PATH_NAMES];
int pathNameCount;
int workDepth;
bool writeFailed;
bool unitLostChange;   // a change of the open unit could not be held
bool readFailed;
bool keepingOriginals;

bool cacheActive()
{
    return profileCacheEnabled;
}

// ---------------------------------------------------------------------------
// Files

// Whether a path may name a folder or file by its short alias: the aliases
// the file system makes all carry a '~'.
bool mayHoldShortNames(const char *path)
{
    for (const char *p = path; *p; p = nextChar(p))
        if (*p == '~')
            return true;
    return false;
}

// The path the profile functions open: a bare file name lies in the Windows
// directory; then the full, long form. Finding the long form asks for every
// folder of the path in turn, so it is asked only of a path that may hold a
// short alias.
void identityOf(const char *path, char *identity, size_t cap)
{
    char full[MAX_PATH];
    if (!firstSeparator(path)) {
        char windows[MAX_PATH];
        UINT n = GetWindowsDirectoryA(windows, sizeof windows);
        if (n == 0 || n >= sizeof windows || !formatText(full, sizeof full, "%s\\%s", windows, path))
            copyText(full, sizeof full, path);
    } else {
        DWORD n = GetFullPathNameA(path, sizeof full, full, nullptr);
        if (n == 0 || n >= sizeof full)
            copyText(full, sizeof full, path);
    }
    if (!mayHoldShortNames(full)) {
        copyText(identity, cap, full);
        return;
    }
    char longPath[MAX_PATH];
    DWORD n = GetLongPathNameA(full, longPath, sizeof longPath);
    copyText(identity, cap, n > 0 && n < sizeof longPath ? longPath : full);
}

void forgetText(ProfileFile &f)
{
    clearProfileText(&f.text);
    f.loaded = false;
    f.writeChecked = false;
    f.stamped = false;
}

// The folder of a full path, without its trailing backslash (but "C:\").
bool folderOf(const char *path, char *folder, size_t cap)
{
    if (!copyText(folder, cap, path))
        return false;
    const char *last = lastSeparator(folder);
    if (!last)
        return false;
    char *slash = folder + (last - folder);
    bool root = slash == folder || (slash == folder + 2 && folder[1] == ':');
    slash[root ? 1 : 0] = 0;
    return true;
}

bool folderExists(const char *path)
{
    char folder[PATH_BYTES];
    if (!folderOf(path, folder, sizeof folder))
        return false;
    DWORD attributes = GetFileAttributesA(folder);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool sameStamp(const WIN32_FILE_ATTRIBUTE_DATA &a, const WIN32_FILE_ATTRIBUTE_DATA &b)
{
    return a.nFileSizeLow == b.nFileSizeLow && a.nFileSizeHigh == b.nFileSizeHigh &&
           CompareFileTime(&a.ftLastWriteTime, &b.ftLastWriteTime) == 0;
}

void takeStamp(ProfileFile &f)
{
    f.stamped = GetFileAttributesExA(f.identity, GetFileExInfoStandard, &f.stamp) != 0;
}

// Decodes the file's bytes as the profile functions do. False when memory
// ran out.
bool decodeFile(ProfileFile &f, const unsigned char *bytes, DWORD size)
{
    f.encoding = ENCODING_ANSI;
    DWORD skip = 0;
    if (size >= 3 && bytes[0] == 0xef && bytes[1] == 0xbb && bytes[2] == 0xbf) {
        f.encoding = ENCODING_UTF8;
        skip = 3;
    } else if (size >= 2 && bytes[0] == 0xff && bytes[1] == 0xfe) {
        f.encoding = ENCODING_UTF16LE;
        skip = 2;
    } else if (size >= 2 && bytes[0] == 0xfe && bytes[1] == 0xff) {
        f.encoding = ENCODING_UTF16BE;
        skip = 2;
    }
    bytes += skip;
    size -= skip;
    if (f.encoding == ENCODING_UTF16LE || f.encoding == ENCODING_UTF16BE) {
        size_t units = size / 2;
        ProfileChar *text = (ProfileChar *)malloc((units ? units : 1) * sizeof(ProfileChar));
        if (!text)
            return false;
        for (size_t i = 0; i < units; i++)
            text[i] = f.encoding == ENCODING_UTF16LE ? (ProfileChar)(bytes[2 * i] | bytes[2 * i + 1] << 8)
                                                     : (ProfileChar)(bytes[2 * i] << 8 | bytes[2 * i + 1]);
        bool parsed = parseProfileText(&f.text, text, units);
        free(text);
        return parsed;
    }
    UINT codePage = f.encoding == ENCODING_UTF8 ? CP_UTF8 : CP_ACP;
    int units = size ? MultiByteToWideChar(codePage, 0, (const char *)bytes, (int)size, nullptr, 0) : 0;
    WCHAR *text = (WCHAR *)malloc((units > 0 ? units : 1) * sizeof(WCHAR));
    if (!text)
        return false;
    if (units > 0)
        MultiByteToWideChar(codePage, 0, (const char *)bytes, (int)size, text, units);
    bool parsed = parseProfileText(&f.text, (const ProfileChar *)text, units > 0 ? (size_t)units : 0);
    free(text);
    return parsed;
}

void noteReadFailure(const ProfileFile &f, DWORD error)
{
    if (!readFailed)
        logFailure(error, "reading %s", f.identity);
    readFailed = true;
}

// Reads the whole file once. A file that does not exist reads as empty; one
// that cannot be opened answers every lookup with nothing and is never
// written, since its content is not known.
void loadFile(ProfileFile &f)
{
    forgetText(f);
    f.loaded = true;
    f.readable = false;
    f.encoding = ENCODING_ANSI;
    profileReadCalls++;
    HANDLE h = CreateFileA(f.identity, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                           FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        DWORD error = GetLastError();
        f.readable = error == ERROR_FILE_NOT_FOUND && folderExists(f.identity);
        // A missing file reads as empty; one that is there but cannot be
        // opened is not empty, and must not pass for it.
        DWORD attributes = GetFileAttributesA(f.identity);
        if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY))
            noteReadFailure(f, error);
        parseProfileText(&f.text, nullptr, 0);
        takeStamp(f);
        return;
    }
    DWORD high = 0;
    DWORD size = GetFileSize(h, &high);
    unsigned char *bytes = nullptr;
    DWORD got = 0;
    bool read = high == 0 && size != INVALID_FILE_SIZE && size <= LARGEST_FILE &&
                (bytes = (unsigned char *)malloc(size ? size : 1)) != nullptr &&
                (size == 0 || (ReadFile(h, bytes, size, &got, nullptr) && got == size));
    if (read) {
        // Read whole but not held: memory ran out on the way.
        f.readable = decodeFile(f, bytes, size);
        if (!f.readable)
            noteReadFailure(f, ERROR_NOT_ENOUGH_MEMORY);
    } else {
        noteReadFailure(f, bytes ? GetLastError() : (DWORD)ERROR_NOT_ENOUGH_MEMORY);
    }
    if (!f.readable)
        parseProfileText(&f.text, nullptr, 0);
    free(bytes);
    CloseHandle(h);
    takeStamp(f);
}

bool anyHeld()
{
    for (int i = 0; i < fileCount; i++)
        if (files[i].loaded && files[i].text.changed)
            return true;
    return false;
}

// The file slot of a path, -1 when the path is too long or the tables are
// full of files with held changes.
int fileOf(const char *path)
{
    for (int i = 0; i < pathNameCount; i++)
        if (strcmp(pathNames[i].path, path) == 0)
            return pathNames[i].file;
    if (strlen(path) >= PATH_BYTES)
        return -1;
    // Full tables start again when nothing in them is held.
    if ((pathNameCount == PATH_NAMES || fileCount == PROFILE_FILES) && !anyHeld() && !keepingOriginals) {
        for (int i = 0; i < fileCount; i++)
            forgetText(files[i]);
        fileCount = 0;
        pathNameCount = 0;
    }
    if (pathNameCount == PATH_NAMES)
        return -1;
    char identity[PATH_BYTES];
    identityOf(path, identity, sizeof identity);
    int file = -1;
    for (int f = 0; f < fileCount && file < 0; f++)
        if (samePathText(files[f].identity, identity))
            file = f;
    if (file < 0) {
        if (fileCount == PROFILE_FILES)
            return -1;
        file = fileCount++;
        ProfileFile &f = files[file];
        copyText(f.path, sizeof f.path, path);
        copyText(f.identity, sizeof f.identity, identity);
        forgetText(f);
    }
    copyText(pathNames[pathNameCount].path, PATH_BYTES, path);
    pathNames[pathNameCount].file = file;
    pathNameCount++;
    return file;
}

// The file, read when it was not or when someone else has changed it since.
// Within a unit of work the file is looked at once.
ProfileFile *openFile(const char *path)
{
    int file = fileOf(path);
    if (file < 0)
        return nullptr;
    ProfileFile &f = files[file];
    if (f.loaded && f.text.changed)
        return &f;
    if (f.loaded && (workDepth == 0 || !f.checkedInUnit)) {
        WIN32_FILE_ATTRIBUTE_DATA now;
        bool present = GetFileAttributesExA(f.identity, GetFileExInfoStandard, &now) != 0;
        if (present != f.stamped || (present && !sameStamp(now, f.stamp)))
            f.loaded = false;
    }
    if (!f.loaded)
        loadFile(f);
    if (f.text.failed)
        return nullptr;
    f.checkedInUnit = workDepth > 0;
    return &f;
}

// Whether the profile functions could write the file now: it opens for
// writing while others may read and write it, or it is missing in an
// existing folder.
bool canWrite(ProfileFile &f)
{
    if (f.writeChecked)
        return f.writable;
    f.writeChecked = true;
    f.writable = false;
    f.writeError = ERROR_READ_FAULT;
    if (!f.readable)
        return false;
    // A read-only file is not written, whoever runs setup.
    f.writeError = ERROR_ACCESS_DENIED;
    DWORD attributes = GetFileAttributesA(f.identity);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        return false;
    HANDLE h = CreateFileA(f.identity, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
        CloseHandle(h);
        f.writable = true;
    } else {
        f.writeError = GetLastError();
        f.writable = f.writeError == ERROR_FILE_NOT_FOUND && folderExists(f.identity);
    }
    return f.writable;
}

// ---------------------------------------------------------------------------
// Writing a file once

// The text in the file's encoding, with its byte-order mark. Null when memory
// ran out.
unsigned char *encodeFile(const ProfileFile &f, DWORD *size)
{
    size_t units = 0;
    ProfileChar *text = writeProfileText(&f.text, &units);
    if (!text)
        return nullptr;
    unsigned char *bytes = nullptr;
    if (f.encoding == ENCODING_UTF16LE || f.encoding == ENCODING_UTF16BE) {
        bytes = (unsigned char *)malloc(2 + units * 2);
        if (bytes) {
            bool little = f.encoding == ENCODING_UTF16LE;
            bytes[0] = little ? 0xff : 0xfe;
            bytes[1] = little ? 0xfe : 0xff;
            for (size_t i = 0; i < units; i++) {
                bytes[2 + 2 * i + (little ? 0 : 1)] = (unsigned char)(text[i] & 0xff);
                bytes[2 + 2 * i + (little ? 1 : 0)] = (unsigned char)(text[i] >> 8);
            }
            *size = (DWORD)(2 + units * 2);
        }
    } else {
        UINT codePage = f.encoding == ENCODING_UTF8 ? CP_UTF8 : CP_ACP;
        DWORD mark = f.encoding == ENCODING_UTF8 ? 3 : 0;
        int length = units ? WideCharToMultiByte(codePage, 0, (const WCHAR *)text, (int)units, nullptr, 0,
                                                 nullptr, nullptr)
                           : 0;
        bytes = (unsigned char *)malloc(mark + (length > 0 ? length : 0) + 1);
        if (bytes) {
            memcpy(bytes, "\xef\xbb\xbf", mark);
            if (length > 0)
                WideCharToMultiByte(codePage, 0, (const WCHAR *)text, (int)units, (char *)bytes + mark, length,
                                    nullptr, nullptr);
            *size = mark + (DWORD)(length > 0 ? length : 0);
        }
    }
    free(text);
    return bytes;
}

// Reads the bytes the file holds now, before it is first replaced. False
// (with the Windows error) when they cannot be read: a file whose old bytes
// are not known is not replaced while they may be needed back.
bool keepOriginal(ProfileFile &f, DWORD *error)
{
    if (!keepingOriginals || f.originalKept)
        return true;
    HANDLE h = CreateFileA(f.identity, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                           0, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        DWORD failure = GetLastError();
        if (failure != ERROR_FILE_NOT_FOUND) {
            *error = failure;
            return false;
        }
        f.originalKept = f.originalAbsent = true;
        return true;
    }
    DWORD high = 0, size = GetFileSize(h, &high), got = 0;
    unsigned char *bytes = nullptr;
    bool read = high == 0 && size != INVALID_FILE_SIZE && size <= LARGEST_FILE &&
                (bytes = (unsigned char *)malloc(size ? size : 1)) != nullptr &&
                (size == 0 || (ReadFile(h, bytes, size, &got, nullptr) && got == size));
    if (!read)
        *error = !bytes ? (DWORD)ERROR_NOT_ENOUGH_MEMORY : GetLastError() ? GetLastError() : (DWORD)ERROR_READ_FAULT;
    CloseHandle(h);
    if (!read) {
        free(bytes);
        return false;
    }
    f.original = bytes;
    f.originalSize = size;
    f.originalKept = true;
    f.originalAbsent = false;
    return true;
}

// Puts bytes in place of the file in one move: they go into a new file under
// a random name in the same folder first, flushed. The old file stays whole when anything
// fails before the move, and the move itself either happens or not.
bool moveBytesOver(ProfileFile &f, const unsigned char *bytes, DWORD size, DWORD *error)
{
    bool done = false;
    *error = ERROR_SUCCESS;
    char temporary[MAX_PATH];
    HANDLE h = createFileBeside(f.identity, temporary, sizeof temporary, error);
    if (h != INVALID_HANDLE_VALUE) {
        bool written = writeFlushed(h, bytes, size);
        if (!written)
            *error = GetLastError();
        CloseHandle(h);
        // Checked again just before the move: the file may have been made
        // read-only or opened without sharing meanwhile.
        f.writeChecked = false;
        if (written && !canWrite(f))
            *error = f.writeError;
        done = written && f.writable && keepOriginal(f, error);
        if (done && !MoveFileExA(temporary, f.identity, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            *error = GetLastError();
            done = false;
        }
        if (!done)
            DeleteFileA(temporary);
    }
    if (!done && *error == ERROR_SUCCESS)
        *error = ERROR_WRITE_FAULT;
    return done;
}

// Replaces the file with its new text.
bool replaceFile(ProfileFile &f)
{
    DWORD size = 0;
    unsigned char *bytes = encodeFile(f, &size);
    if (!bytes) {
        logFailure(ERROR_NOT_ENOUGH_MEMORY, "writing %s", f.identity);
        return false;
    }
    profileWriteCalls++;
    DWORD error;
    bool done = moveBytesOver(f, bytes, size, &error);
    free(bytes);
    if (done)
        logLine("%s written", f.identity);
    else
        logFailure(error, "writing %s", f.identity);
    return done;
}

// Writes every changed file once. A file that could not be written is
// forgotten, so that what is read next is what the file still holds.
bool commitFiles()
{
    bool all = true;
    for (int i = 0; i < fileCount; i++) {
        ProfileFile &f = files[i];
        if (!f.loaded || !f.text.changed)
            continue;
        if (replaceFile(f)) {
            f.text.changed = false;
            takeStamp(f);
        } else {
            all = false;
            writeFailed = true;
            forgetText(f);
        }
    }
    return all;
}

// Every held change is given up: each file reads again as it is on disk.
void dropHeldChanges()
{
    for (int i = 0; i < fileCount; i++)
        if (files[i].loaded && files[i].text.changed)
            forgetText(files[i]);
}

// ---------------------------------------------------------------------------
// Straight to the platform

int readDirect(const char *path, const char *section, const char *key, const char *defaultText, char *buffer,
               size_t cap)
{
    // The platform must see what is held.
    commitFiles();
    profileReadCalls++;
    DWORD n = GetPrivateProfileStringA(section, key, defaultText, buffer, (DWORD)cap, path);
    buffer[n < cap ? n : cap - 1] = 0;
    return (int)n;
}

void writeDirect(const char *path, const char *section, const char *key, const char *value)
{
    commitFiles();
    profileWriteCalls++;
    WritePrivateProfileStringA(section, key, value, path);
    // What was read before may no longer be in the file.
    for (int i = 0; i < fileCount; i++)
        forgetText(files[i]);
}

// A name or value in the file's units, as the profile functions convert it.
bool toUnits(const char *text, WCHAR *units, size_t cap, size_t *length)
{
    if (!text) {
        *length = 0;
        return true;
    }
    size_t bytes = strlen(text);
    if (bytes == 0) {
        *length = 0;
        return true;
    }
    if (bytes >= cap)
        return false;
    // Every system code page keeps the 128 ASCII characters as they are.
    size_t ascii = 0;
    while (ascii < bytes && (unsigned char)text[ascii] < 0x80) {
        units[ascii] = (WCHAR)text[ascii];
        ascii++;
    }
    if (ascii == bytes) {
        *length = bytes;
        return true;
    }
    int n = MultiByteToWideChar(CP_ACP, 0, text, (int)bytes, units, (int)cap);
    if (n <= 0)
        return false;
    *length = (size_t)n;
    return true;
}

struct Names {
    WCHAR section[NAME_UNITS], key[NAME_UNITS];
    size_t sectionLength, keyLength;
};

bool namesOf(const char *section, const char *key, Names *n)
{
    return section && toUnits(section, n->section, NAME_UNITS, &n->sectionLength) &&
           toUnits(key, n->key, NAME_UNITS, &n->keyLength);
}

// A change of the file is made now, outside a unit of work.
void afterChange()
{
    if (workDepth == 0)
        commitFiles();
}

// Whether a change can be made: as on the platform, a file that could not
// be written keeps its content, and the failure is kept.
bool changeAllowed(ProfileFile &f)
{
    // Once a change of the unit is lost, the rest of it would leave the
    // file half written: nothing more is changed.
    if (unitLostChange && workDepth > 0)
        return false;
    if (canWrite(f))
        return true;
    if (!writeFailed)
        logFailure(f.writeError, "writing %s", f.identity);
    writeFailed = true;
    return false;
}

}  // namespace

int readIniText(const char *path, const char *section, const char *key,
                const char *defaultText, char *buffer, size_t cap)
{
    if (cap == 0)
        return 0;
    Names n;
    WCHAR fallback[NAME_UNITS];
    size_t fallbackLength = 0;
    WCHAR value[NAME_UNITS];
    ProfileFile *f = nullptr;
    if (!cacheActive() || !key || cap > NAME_UNITS || !namesOf(section, key, &n) ||
        !toUnits(defaultText, fallback, NAME_UNITS, &fallbackLength) || !(f = openFile(path)))
        return readDirect(path, section, key, defaultText, buffer, cap);
    // A default loses its trailing blanks, as on the platform.
    while (fallbackLength > 0 && fallback[fallbackLength - 1] == ' ')
        fallbackLength--;
    int32_t k = findProfileKey(&f->text, findProfileSection(&f->text, (const ProfileChar *)n.section,
                                                            n.sectionLength),
                               (const ProfileChar *)n.key, n.keyLength);
    const ProfileChar *text = (const ProfileChar *)fallback;
    size_t length = fallbackLength;
    if (k >= 0 && f->text.keys[k].hasValue) {
        text = f->text.pool + f->text.keys[k].value;
        length = f->text.keys[k].valueLength;
    }
    size_t units = copyProfileValue((ProfileChar *)value, cap, text, length);
    int bytes = 0;
    size_t ascii = 0;
    while (ascii < units && value[ascii] < 0x80) {
        buffer[ascii] = (char)value[ascii];
        ascii++;
    }
    if (ascii == units) {
        bytes = (int)units;
    } else {
        // Units that take more bytes than the buffer holds (a double-byte
        // or UTF-8 system) are cut between characters, never inside one.
        int kept = (int)units;
        bytes = 0;
        while (kept > 0 &&
               (bytes = WideCharToMultiByte(CP_ACP, 0, value, kept, buffer, (int)cap - 1, nullptr, nullptr)) <= 0)
            kept -= kept > 1 && IS_LOW_SURROGATE(value[kept - 1]) ? 2 : 1;
        if (bytes < 0)
            bytes = 0;
    }
    buffer[bytes] = 0;
    return bytes;
}

int readIniKeyNames(const char *path, const char *section, char *buffer, size_t cap)
{
    if (cap < 2) {
        if (cap)
            buffer[0] = 0;
        return 0;
    }
    Names n;
    ProfileFile *f = nullptr;
    if (!cacheActive() || !namesOf(section, nullptr, &n) || !(f = openFile(path))) {
        // The platform's list; its last name may be cut.
        return readDirect(path, section, nullptr, "", buffer, cap);
    }
    const ProfileText &t = f->text;
    int32_t s = findProfileSection(&t, (const ProfileChar *)n.section, n.sectionLength);
    size_t used = 0;
    for (int32_t k = s < 0 ? -1 : t.sections[s].firstKey; k >= 0; k = t.keys[k].next) {
        const ProfileKey &key = t.keys[k];
        const ProfileChar *name = t.pool + key.name;
        if (!key.hasValue || key.nameLength == 0 || name[0] == ';')
            continue;
        int bytes = (int)(cap - used) > 2
                        ? WideCharToMultiByte(CP_ACP, 0, (const WCHAR *)name, (int)key.nameLength, buffer + used,
                                              (int)(cap - used - 2), nullptr, nullptr)
                        : 0;
        if (bytes <= 0)
            break;
        used += (size_t)bytes;
        buffer[used++] = 0;
    }
    buffer[used] = 0;
    return (int)used;
}

int readProfileApiText(const char *path, const char *section, const char *key, char *buffer, size_t cap)
{
    if (cap == 0)
        return 0;
    profileReadCalls++;
    DWORD n = GetPrivateProfileStringA(section, key, "", buffer, (DWORD)cap, path);
    buffer[n < cap ? n : cap - 1] = 0;
    return (int)n;
}

int32_t readIniInt(const char *path, const char *section, const char *key, int32_t defaultValue)
{
    char text[32];
    if (readIniText(path, section, key, "", text, sizeof text) == 0)
        return defaultValue;
    return parseDecimal(text);
}

void writeIniText(const char *path, const char *section, const char *key, const char *value)
{
    Names n;
    WCHAR units[NAME_UNITS];
    size_t length = 0;
    ProfileFile *f = nullptr;
    if (!cacheActive() || !key || !value || !namesOf(section, key, &n) ||
        !toUnits(value, units, NAME_UNITS, &length) || !(f = openFile(path))) {
        writeDirect(path, section, key, value);
        return;
    }
    const ProfileChar *s = (const ProfileChar *)n.section, *k = (const ProfileChar *)n.key;
    if (!profileValueDiffers(&f->text, s, n.sectionLength, k, n.keyLength, (const ProfileChar *)units, length) ||
        !changeAllowed(*f))
        return;
    if (!setProfileValue(&f->text, s, n.sectionLength, k, n.keyLength, (const ProfileChar *)units, length)) {
        if (!writeFailed)
            logFailure(ERROR_NOT_ENOUGH_MEMORY, "changing %s", f->identity);
        writeFailed = true;
        unitLostChange = workDepth > 0;
        dropHeldChanges();
        return;
    }
    afterChange();
}

void writeIniInt(const char *path, const char *section, const char *key, int32_t value)
{
    char text[16];
    formatText(text, sizeof text, "%d", (int)value);
    writeIniText(path, section, key, text);
}

void deleteIniSection(const char *path, const char *section)
{
    Names n;
    ProfileFile *f = nullptr;
    if (!cacheActive() || !namesOf(section, nullptr, &n) || !(f = openFile(path))) {
        writeDirect(path, section, nullptr, nullptr);
        return;
    }
    // Deleting what is not there changes nothing, and writes nothing.
    if (findProfileSection(&f->text, (const ProfileChar *)n.section, n.sectionLength) < 0 || !changeAllowed(*f))
        return;
    deleteProfileSection(&f->text, (const ProfileChar *)n.section, n.sectionLength);
    afterChange();
}

void deleteIniKey(const char *path, const char *section, const char *key)
{
    Names n;
    ProfileFile *f = nullptr;
    if (!cacheActive() || !key || !namesOf(section, key, &n) || !(f = openFile(path))) {
        writeDirect(path, section, key, nullptr);
        return;
    }
    const ProfileChar *s = (const ProfileChar *)n.section, *k = (const ProfileChar *)n.key;
    if (!deleteProfileKey(&f->text, s, n.sectionLength, k, n.keyLength, false) || !changeAllowed(*f))
        return;
    deleteProfileKey(&f->text, s, n.sectionLength, k, n.keyLength, true);
    afterChange();
}

void beginProfileWork()
{
    if (workDepth++ > 0)
        return;
    unitLostChange = false;
    for (int i = 0; i < fileCount; i++) {
        files[i].checkedInUnit = false;
        files[i].writeChecked = false;
    }
}

bool endProfileWork()
{
    if (workDepth == 0 || --workDepth > 0)
        return true;
    // A unit that lost a change commits none of the others either.
    if (unitLostChange) {
        unitLostChange = false;
        dropHeldChanges();
        return false;
    }
    return commitFiles();
}

void dropProfileWork()
{
    dropHeldChanges();
}

bool flushProfileWrites()
{
    return commitFiles();
}

bool profileWriteFailed()
{
    return writeFailed;
}

bool profileReadFailed()
{
    return readFailed;
}

void forgetProfileFiles()
{
    commitFiles();
    releaseProfileOriginals();
    for (int i = 0; i < fileCount; i++) {
        forgetText(files[i]);
        freeProfileText(&files[i].text);
    }
    fileCount = 0;
    pathNameCount = 0;
    writeFailed = false;
    readFailed = false;
}

void keepProfileOriginals()
{
    keepingOriginals = true;
}

bool restoreProfileOriginals()
{
    bool all = true;
    for (int i = 0; i < fileCount; i++) {
        ProfileFile &f = files[i];
        if (!f.originalKept)
            continue;
        DWORD error = ERROR_SUCCESS;
        bool restored = f.originalAbsent ? DeleteFileA(f.identity) || (error = GetLastError()) == ERROR_FILE_NOT_FOUND
                                         : moveBytesOver(f, f.original, f.originalSize, &error);
        if (restored)
            logLine("%s: its old content put back", f.identity);
        else
            logFailure(error, "putting back the old content of %s", f.identity);
        all = all && restored;
        forgetText(f);
    }
    releaseProfileOriginals();
    return all;
}

void releaseProfileOriginals()
{
    keepingOriginals = false;
    for (int i = 0; i < fileCount; i++) {
        free(files[i].original);
        files[i].original = nullptr;
        files[i].originalKept = false;
    }
}
