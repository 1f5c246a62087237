// profile.cpp - profile access through the Windows profile functions. Under
// Wine every call of them costs about half a millisecond, so inside a unit of
// the setup data work (beginProfileWork .. endProfileWork) each section is
// read once with GetPrivateProfileSectionA and looked up in memory, and the
// writes to a section are held and made with one WritePrivateProfileSectionA
// when the unit ends. The files come out byte for byte as key-by-key calls
// leave them: the platform rewrites the whole file from what it read after
// every change, so only the final content of each section and the order in
// which sections were created matter; a write that the held text could not
// reproduce exactly goes to the platform at once, after what is held.
// Owns the section cache (one fixed arena) and the call counters.
#include "profile.h"

#include <windows.h>
#include <string.h>

#include "section_text.h"
#include "setup_state.h"
#include "text.h"

int64_t profileReadCalls;
int64_t profileWriteCalls;

bool profileCacheEnabled = true;

namespace {

constexpr int CACHED_FILES = 8;
constexpr int PATH_NAMES = 16;
constexpr int CACHED_SECTIONS = 1024;
constexpr size_t ARENA_BYTES = 512 * 1024;
constexpr size_t FIRST_HELD_BYTES = 1024;
constexpr size_t NONE = (size_t)-1;

enum RawState { RAW_UNREAD, RAW_READ, RAW_UNKNOWN };

struct CachedFile {
    char path[PATH_BYTES];        // as first named
    char identity[PATH_BYTES];    // full long path: aliases name one file
    RawState raw;                 // the file's bytes, for the scan of a section
    size_t rawOffset, rawLength;
    int creations;                // sections created anew so far, in order
    bool touched;                 // a held write changed the file
};

// Every spelling of a path seen, with the file it names.
struct PathName {
    char path[PATH_BYTES];
    int file;
};

struct CachedSection {
    int file;
    uint32_t hash;                // of the name, letters folded
    size_t nameOffset;
    size_t textOffset, length, capacity;
    bool foldSafe;                // ASCII names only: lookups match as on the platform
    // Held writes.
    bool held;
    bool mustDelete;              // the file's sections of this name go first
    bool exists;                  // in the file once the held writes are made
    bool inPlace;                 // stays where the file has it
    int created;                  // place among the sections created at the end
    size_t baseOffset, baseLength;  // the text as read, for a section in place
};

char arena[ARENA_BYTES];
size_t arenaUsed;
CachedFile files[CACHED_FILES];
int fileCount;
PathName pathNames[PATH_NAMES];
int pathNameCount;
CachedSection sections[CACHED_SECTIONS];
int sectionCount;
int workDepth;
bool anyHeld;

bool cacheActive()
{
    return profileCacheEnabled && workDepth > 0;
}

size_t arenaTake(size_t bytes)
{
    if (bytes > ARENA_BYTES - arenaUsed)
        return NONE;
    size_t at = arenaUsed;
    arenaUsed += bytes;
    return at;
}

uint32_t nameHash(const char *name)
{
    uint32_t h = 2166136261u;
    for (const char *p = name; *p; p++) {
        char c = *p >= 'a' && *p <= 'z' ? (char)(*p - 'a' + 'A') : *p;
        h = (h ^ (unsigned char)c) * 16777619u;
    }
    return h;
}

void forgetAll()
{
    arenaUsed = 0;
    fileCount = 0;
    pathNameCount = 0;
    sectionCount = 0;
    anyHeld = false;
}

// ---------------------------------------------------------------------------
// Files

// The path the profile functions open: a bare file name lies in the Windows
// directory; then the full, long form.
void identityOf(const char *path, char *identity, size_t cap)
{
    char full[MAX_PATH];
    if (!strchr(path, '\\') && !strchr(path, '/')) {
        char windows[MAX_PATH];
        UINT n = GetWindowsDirectoryA(windows, sizeof windows);
        if (n == 0 || n >= sizeof windows || !formatText(full, sizeof full, "%s\\%s", windows, path))
            copyText(full, sizeof full, path);
    } else {
        DWORD n = GetFullPathNameA(path, sizeof full, full, nullptr);
        if (n == 0 || n >= sizeof full)
            copyText(full, sizeof full, path);
    }
    char longPath[MAX_PATH];
    DWORD n = GetLongPathNameA(full, longPath, sizeof longPath);
    copyText(identity, cap, n > 0 && n < sizeof longPath ? longPath : full);
}

// The file slot of a path, -1 when the tables are full or the path too long.
int fileOf(const char *path)
{
    for (int i = 0; i < pathNameCount; i++)
        if (strcmp(pathNames[i].path, path) == 0)
            return pathNames[i].file;
    if (pathNameCount == PATH_NAMES || strlen(path) >= PATH_BYTES)
        return -1;
    char identity[PATH_BYTES];
    identityOf(path, identity, sizeof identity);
    int file = -1;
    for (int f = 0; f < fileCount && file < 0; f++)
        if (equalsNoCase(files[f].identity, identity))
            file = f;
    if (file < 0) {
        if (fileCount == CACHED_FILES)
            return -1;
        file = fileCount++;
        CachedFile &f = files[file];
        copyText(f.path, sizeof f.path, path);
        copyText(f.identity, sizeof f.identity, identity);
        f.raw = RAW_UNREAD;
        f.creations = 0;
        f.touched = false;
    }
    copyText(pathNames[pathNameCount].path, PATH_BYTES, path);
    pathNames[pathNameCount].file = file;
    pathNameCount++;
    return file;
}

bool directoryExists(const char *path)
{
    char dir[PATH_BYTES];
    copyText(dir, sizeof dir, path);
    char *slash = strrchr(dir, '\\');
    char *other = strrchr(dir, '/');
    if (other && (!slash || other > slash))
        slash = other;
    if (!slash)
        return false;
    slash[slash == dir || slash[-1] == ':' ? 1 : 0] = 0;
    DWORD attributes = GetFileAttributesA(dir);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
           !(attributes & FILE_ATTRIBUTE_READONLY);
}

// The file's bytes, read once per generation of the cache. A file that does
// not exist in an existing directory reads as empty; one that cannot be
// opened for writing is not known, since its writes would fail.
bool readRaw(CachedFile &f)
{
    if (f.raw != RAW_UNREAD)
        return f.raw == RAW_READ;
    f.raw = RAW_UNKNOWN;
    profileReadCalls++;
    HANDLE h = CreateFileA(f.identity, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND && directoryExists(f.identity)) {
            f.rawOffset = arenaUsed;
            f.rawLength = 0;
            f.raw = RAW_READ;
        }
        return f.raw == RAW_READ;
    }
    DWORD high = 0;
    DWORD size = GetFileSize(h, &high);
    size_t at = high == 0 && size != INVALID_FILE_SIZE ? arenaTake(size) : NONE;
    DWORD got = 0;
    if (at != NONE && (size == 0 || (ReadFile(h, arena + at, size, &got, nullptr) && got == size))) {
        f.rawOffset = at;
        f.rawLength = size;
        f.raw = RAW_READ;
    }
    CloseHandle(h);
    return f.raw == RAW_READ;
}

// ---------------------------------------------------------------------------
// Sections

CachedSection *findSection(int file, const char *name)
{
    uint32_t hash = nameHash(name);
    for (int i = 0; i < sectionCount; i++) {
        CachedSection &s = sections[i];
        if (s.file == file && s.hash == hash && equalsNoCase(arena + s.nameOffset, name))
            return &s;
    }
    return nullptr;
}

CachedSection *newSection(int file, const char *name)
{
    if (sectionCount == CACHED_SECTIONS)
        return nullptr;
    size_t nameBytes = strlen(name) + 1;
    size_t at = arenaTake(nameBytes);
    if (at == NONE)
        return nullptr;
    memcpy(arena + at, name, nameBytes);
    CachedSection &s = sections[sectionCount++];
    memset(&s, 0, sizeof s);
    s.file = file;
    s.hash = nameHash(name);
    s.nameOffset = at;
    s.foldSafe = true;
    return &s;
}

bool namesAreAscii(const char *text, size_t length)
{
    size_t offset = 0;
    SectionLine line;
    while (nextSectionLine(text, length, &offset, &line))
        for (size_t i = 0; i < line.nameLength; i++)
            if ((unsigned char)line.name[i] >= 0x80)
                return false;
    return true;
}

// The section as the file has it, read once. Null when it does not fit.
CachedSection *readSection(int file, const char *name)
{
    if (CachedSection *s = findSection(file, name))
        return s;
    size_t mark = arenaUsed;
    int count = sectionCount;
    CachedSection *s = newSection(file, name);
    if (!s)
        return nullptr;
    size_t room = ARENA_BYTES - arenaUsed;
    if (room > 0x7fffffff)
        room = 0x7fffffff;
    DWORD n = 0;
    if (room > 2) {
        profileReadCalls++;
        n = GetPrivateProfileSectionA(name, arena + arenaUsed, (DWORD)room, files[file].path);
    }
    // A full buffer may hold a cut section.
    if (room <= 2 || n >= room - 2) {
        arenaUsed = mark;
        sectionCount = count;
        return nullptr;
    }
    s->textOffset = arenaTake(n + 1);
    arena[s->textOffset + n] = 0;
    s->length = n;
    s->capacity = n + 1;
    s->foldSafe = namesAreAscii(arena + s->textOffset, n);
    return s;
}

// Moves a held text into a buffer of at least the given capacity.
bool growHeld(CachedSection &s, size_t capacity)
{
    size_t at = arenaTake(capacity);
    if (at == NONE)
        return false;
    if (s.length)
        memcpy(arena + at, arena + s.textOffset, s.length);
    arena[at + s.length] = 0;
    s.textOffset = at;
    s.capacity = capacity;
    return true;
}

bool holdEmpty(CachedSection &s)
{
    s.length = 0;
    if (!growHeld(s, FIRST_HELD_BYTES))
        return false;
    s.held = true;
    anyHeld = true;
    return true;
}

// A section whose writes are held: its whole content is known. Null when it
// is not, for example when the file has it twice or with comments; its
// writes then go to the platform.
CachedSection *holdSection(const char *path, const char *name)
{
    int file = fileOf(path);
    if (file < 0)
        return nullptr;
    CachedSection *s = findSection(file, name);
    if (s && s->held)
        return s;
    CachedFile &f = files[file];
    RawSectionFacts facts;
    if (!readRaw(f) || !scanRawSection(arena + f.rawOffset, f.rawLength, name, &facts))
        return nullptr;
    if (facts.headers > 1 || !facts.plain)
        return nullptr;
    if (facts.headers == 0) {
        if (!s && !(s = newSection(file, name)))
            return nullptr;
        if (!holdEmpty(*s))
            return nullptr;
        s->exists = false;
        s->inPlace = false;
        return s;
    }
    s = readSection(file, name);
    if (!s || !s->foldSafe || countSectionLines(arena + s->textOffset, s->length) != facts.lines)
        return nullptr;
    size_t baseOffset = s->textOffset, baseLength = s->length;
    if (!growHeld(*s, baseLength + FIRST_HELD_BYTES))
        return nullptr;
    s->baseOffset = baseOffset;
    s->baseLength = baseLength;
    s->held = true;
    s->exists = true;
    s->inPlace = true;
    anyHeld = true;
    return s;
}

// ---------------------------------------------------------------------------
// Making the held writes

void writeSectionText(const char *path, const CachedSection &s)
{
    profileWriteCalls++;
    WritePrivateProfileSectionA(arena + s.nameOffset, arena + s.textOffset, path);
}

// A section name the file does not have (now that the held deletions are
// made): a deleted one, or one the file's bytes do not name.
bool spareSection(int file, char *name, size_t cap)
{
    for (int i = 0; i < sectionCount; i++) {
        const CachedSection &s = sections[i];
        if (s.file == file && s.held && s.mustDelete && !s.exists)
            return copyText(name, cap, arena + s.nameOffset);
    }
    CachedFile &f = files[file];
    if (!readRaw(f))
        return false;
    RawSectionFacts facts;
    for (int n = 0; n < 100; n++) {
        formatText(name, cap, "dialogint%d", n);
        if (scanRawSection(arena + f.rawOffset, f.rawLength, name, &facts) && facts.headers == 0)
            return true;
    }
    return false;
}

void flushFile(int file)
{
    CachedFile &f = files[file];
    int rewrites = 0;
    for (int i = 0; i < sectionCount; i++) {
        CachedSection &s = sections[i];
        if (s.file == file && s.held && s.mustDelete) {
            profileWriteCalls++;
            WritePrivateProfileStringA(arena + s.nameOffset, nullptr, nullptr, f.path);
        }
    }
    for (int i = 0; i < sectionCount; i++) {
        CachedSection &s = sections[i];
        if (s.file != file || !s.held || s.mustDelete || !s.inPlace)
            continue;
        if (s.length != s.baseLength || memcmp(arena + s.textOffset, arena + s.baseOffset, s.length) != 0) {
            writeSectionText(f.path, s);
            rewrites++;
        }
    }
    // Sections made anew go to the end of the file in the order they were
    // made, as key-by-key writes put them there.
    for (int order = 1; order <= f.creations; order++) {
        for (int i = 0; i < sectionCount; i++) {
            CachedSection &s = sections[i];
            if (s.file != file || !s.held || !s.exists || s.inPlace || s.created != order)
                continue;
            if (s.length > 0) {
                writeSectionText(f.path, s);
            } else {
                // A section whose keys were all deleted again stays, empty:
                // made with one key that goes again.
                profileWriteCalls += 2;
                WritePrivateProfileStringA(arena + s.nameOffset, "k", "", f.path);
                WritePrivateProfileStringA(arena + s.nameOffset, "k", nullptr, f.path);
            }
            rewrites++;
        }
    }
    // Changes that cancelled out still had the platform rewrite the file in
    // its own form: a section that the file does not have is made and
    // removed again, which does the same.
    if (f.touched && rewrites == 0) {
        char spare[24];
        if (!spareSection(file, spare, sizeof spare))
            return;
        profileWriteCalls += 2;
        WritePrivateProfileStringA(spare, "k", "", f.path);
        WritePrivateProfileStringA(spare, nullptr, nullptr, f.path);
    }
}

// Makes every held write and forgets everything read: the files have
// changed, or the work is over.
void flushAll()
{
    if (anyHeld)
        for (int f = 0; f < fileCount; f++)
            flushFile(f);
    forgetAll();
}

// ---------------------------------------------------------------------------
// Straight to the platform

int readDirect(const char *path, const char *section, const char *key, const char *defaultText, char *buffer,
               size_t cap)
{
    // The platform must see what is held.
    if (anyHeld)
        flushAll();
    profileReadCalls++;
    DWORD n = GetPrivateProfileStringA(section, key, defaultText, buffer, (DWORD)cap, path);
    buffer[n < cap ? n : cap - 1] = 0;
    return (int)n;
}

void writeDirect(const char *path, const char *section, const char *key, const char *value)
{
    flushAll();
    profileWriteCalls++;
    WritePrivateProfileStringA(section, key, value, path);
    // What was read before may no longer be in the file.
    forgetAll();
}

// A section to read from: the held text, or the file's, read once.
CachedSection *sectionToRead(const char *path, const char *section)
{
    int file = fileOf(path);
    if (file < 0)
        return nullptr;
    return readSection(file, section);
}

bool hasHighBytes(const char *text, size_t length)
{
    for (size_t i = 0; i < length; i++)
        if ((unsigned char)text[i] >= 0x80)
            return true;
    return false;
}

// Applies an edit to a held section, moving it to a larger buffer when the
// edit needs room. False when there is none.
bool editHeld(CachedSection &s, const char *key, const char *value, SectionEdit *result)
{
    char *text = arena + s.textOffset;
    SectionEdit e = value ? setSectionValue(text, &s.length, s.capacity, key, value)
                          : deleteSectionKey(text, &s.length, key);
    if (e == EDIT_NO_ROOM && value) {
        size_t needed = s.length + strlen(key) + strlen(value) + 3;
        if (!growHeld(s, needed * 2 > s.capacity * 2 ? needed * 2 : s.capacity * 2))
            return false;
        e = setSectionValue(arena + s.textOffset, &s.length, s.capacity, key, value);
        if (e == EDIT_NO_ROOM)
            return false;
    }
    *result = e;
    return true;
}

}  // namespace

int readIniText(const char *path, const char *section, const char *key,
                const char *defaultText, char *buffer, size_t cap)
{
    if (cap == 0)
        return 0;
    if (!cacheActive() || (defaultText && defaultText[0]) || !isPlainProfileName(section) ||
        !isPlainProfileName(key))
        return readDirect(path, section, key, defaultText, buffer, cap);
    CachedSection *s = sectionToRead(path, section);
    if (!s || !s->foldSafe)
        return readDirect(path, section, key, defaultText, buffer, cap);
    SectionLine line;
    if (!findSectionLine(arena + s->textOffset, s->length, key, &line) || !line.value) {
        buffer[0] = 0;
        return 0;
    }
    // Text beyond ASCII is converted, and cut, by the platform's code page.
    if (hasHighBytes(line.value, line.valueLength))
        return readDirect(path, section, key, defaultText, buffer, cap);
    return (int)copyProfileValue(buffer, cap, line.value, line.valueLength);
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
    if (!cacheActive() || !isPlainProfileName(section) || !isPlainProfileEntry(key, value)) {
        writeDirect(path, section, key, value);
        return;
    }
    CachedSection *s = holdSection(path, section);
    // A section made anew is named as the write that makes it names it.
    size_t newName = s && !s->exists ? arenaTake(strlen(section) + 1) : NONE;
    SectionEdit e;
    if (!s || (!s->exists && newName == NONE) || !editHeld(*s, key, value, &e)) {
        writeDirect(path, section, key, value);
        return;
    }
    if (e == EDIT_CHANGED) {
        CachedFile &f = files[s->file];
        f.touched = true;
        if (!s->exists) {
            memcpy(arena + newName, section, strlen(section) + 1);
            s->nameOffset = newName;
            s->exists = true;
            s->created = ++f.creations;
        }
    }
}

void writeIniInt(const char *path, const char *section, const char *key, int32_t value)
{
    char text[16];
    formatText(text, sizeof text, "%d", (int)value);
    writeIniText(path, section, key, text);
}

void deleteIniSection(const char *path, const char *section)
{
    if (!cacheActive() || !isPlainProfileName(section)) {
        writeDirect(path, section, nullptr, nullptr);
        return;
    }
    // Held only for a file its writes would reach: otherwise the held text
    // would answer reads that the platform answers from nothing.
    int file = fileOf(path);
    CachedSection *s = file < 0 || !readRaw(files[file]) ? nullptr : findSection(file, section);
    if (file >= 0 && !s && files[file].raw == RAW_READ)
        s = newSection(file, section);
    if (!s || (!s->held && !holdEmpty(*s))) {
        writeDirect(path, section, nullptr, nullptr);
        return;
    }
    // Every section of that name goes, wherever it stands and whatever it
    // holds: afterwards the whole content is known.
    if (s->exists)
        files[file].touched = true;
    s->length = 0;
    arena[s->textOffset] = 0;
    s->mustDelete = true;
    s->exists = false;
    s->inPlace = false;
    s->created = 0;
}

void deleteIniKey(const char *path, const char *section, const char *key)
{
    if (!cacheActive() || !isPlainProfileName(section) || !isPlainProfileName(key)) {
        writeDirect(path, section, key, nullptr);
        return;
    }
    CachedSection *s = holdSection(path, section);
    SectionEdit e;
    if (!s || !editHeld(*s, key, nullptr, &e)) {
        writeDirect(path, section, key, nullptr);
        return;
    }
    if (e == EDIT_CHANGED)
        files[s->file].touched = true;
}

void beginProfileWork()
{
    if (workDepth++ == 0)
        forgetAll();
}

void endProfileWork()
{
    if (workDepth > 0 && --workDepth == 0)
        flushAll();
}

void flushProfileWrites()
{
    flushAll();
}
