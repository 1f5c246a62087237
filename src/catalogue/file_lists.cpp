// file_lists.cpp - the shared-file table read from the layout file, the
// resolution of a component's file section into a list of table indexes, and
// the copy sections of install.ini (files, sizes, percentages, removals) that
// the host's copy engine reads.
#include "file_lists.h"

#include <string.h>

#include "catalogue.h"
#include "layout_entries.h"
#include "state/folder_security.h"
#include "state/profile.h"
#include "state/setup_state.h"
#include "state/text.h"

constexpr int VALUE_BYTES = 100;
constexpr int MAX_LIST_INDEXES = FILE_LIST_BYTES - 1;
constexpr int MAX_LIST_INDEX = 254;             // 255 ends a list
constexpr int LOGICAL_NAME_BYTES = (int)sizeof(SharedFileEntry::logicalName);

void readFileSizes()
{
    SetupState &s = *setupState;
    beginProfileWork();
    int32_t count = readIniInt(s.layoutFilePath, "DISKS", "FILENUM", -1);
    // The table has room for entries 1..299; a missing or negative count
    // describes no entries.
    if (count > MAX_SHARED_FILES)
        count = MAX_SHARED_FILES;
    if (count < -1)
        count = -1;
    if (!s.sharedFileTable) {
        s.sharedFileCount = -1;
        endProfileWork();
        return;
    }
    s.sharedFileCount = count;
    // The table arrives uninitialised; words nobody fills here must not hold
    // stale counts or names without a terminator.
    memset(s.sharedFileTable, 0, SHARED_FILE_TABLE_BYTES);
    for (int n = 1; n <= count; n++) {
        char key[16], size[VALUE_BYTES];
        formatText(key, sizeof key, "FILE%d", n);
        readIniText(s.layoutFilePath, "SIZEFILES", key, "", size, sizeof size);
        SharedFileEntry &entry = s.sharedFileTable[n];
        entry.size = parseDecimal(size);
        entry.refCount = 0;
        entry.kind = FILEKIND_MAIN;
    }
    endProfileWork();
}

// ---------------------------------------------------------------------------
// Component file lists

static int32_t sectionKind(const char *section)
{
    char subDir[VALUE_BYTES];
    int length = readIniText(setupState->layoutFilePath, section, "SubDir", "", subDir, sizeof subDir);
    if (length < 1 || length > 97)
        return FILEKIND_MAIN;
    if (strcmp(subDir, "NOTESINTEG") == 0)
        return FILEKIND_NOTES;
    if (strcmp(subDir, "S") == 0)
        return FILEKIND_SAMPLE;
    return FILEKIND_MAIN;
}

struct ListBuilder {
    unsigned char *list;
    int used;
    int32_t kind;
    int limit;          // highest index that may be listed
    bool ended;         // an unresolvable name ends the section
    bool full;
};

// Resolves one candidate name through LOGICALFILE and lists its entry.
static void resolveCandidate(ListBuilder &b, const char *candidate)
{
    SetupState &s = *setupState;
    // Read whole: a result cut to the ten bytes of "FILE<m>" could name
    // another file ("FILE0012345" would read as FILE00123).
    char result[VALUE_BYTES];
    if (readIniText(s.layoutFilePath, "LOGICALFILE", candidate, "", result, sizeof result) <= 0) {
        b.ended = true;
        return;
    }
    int m = logicalFileNumber(result);
    // An entry outside the live table, one that a list byte cannot hold, or a
    // name its entry cannot record is left out: nothing is listed that the
    // copy sections could not name correctly.
    if (m < 1 || m > b.limit || strlen(candidate) >= (size_t)LOGICAL_NAME_BYTES)
        return;
    if (b.used >= MAX_LIST_INDEXES) {
        b.full = true;
        return;
    }
    b.list[b.used++] = (unsigned char)m;
    SharedFileEntry &entry = s.sharedFileTable[m];
    copyText(entry.logicalName, sizeof entry.logicalName, candidate);
    entry.kind = b.kind;
}

// One FILE<k> value. False when the value ends the section at once (NOFILE).
static bool resolveValue(ListBuilder &b, const char *value)
{
    char name[VALUE_BYTES];
    // A value without any field, or with a blank one, names nothing.
    if (!componentEntryName(value, name, sizeof name))
        return true;
    bool variants = name[0] == '*';
    const char *base = variants ? name + 1 : name;
    if (isEndOfListName(base))
        return false;
    if (!variants) {
        resolveCandidate(b, name);
        return true;
    }
    for (int v = 0; v < LANGUAGE_VARIANTS && !b.full; v++) {
        char candidate[VALUE_BYTES + 2];
        if ((setupState->languageFlags & (1 << v)) && languageVariantName(base, v, candidate, sizeof candidate))
            resolveCandidate(b, candidate);
    }
    return true;
}

unsigned char *buildFileList(const char *section)
{
    SetupState &s = *setupState;
    unsigned char *list = allocateFileList();
    if (!list)
        return nullptr;
    memset(list, FILE_LIST_END, FILE_LIST_BYTES);
    int live = liveSharedFileCount();
    ListBuilder b = {list, 0, sectionKind(section), live < MAX_LIST_INDEX ? live : MAX_LIST_INDEX, false, false};
    for (int k = 1; !b.ended && !b.full; k++) {
        char key[16], value[VALUE_BYTES];
        formatText(key, sizeof key, "FILE%d", k);
        if (readIniText(s.layoutFilePath, section, key, "", value, sizeof value) <= 0)
            break;
        if (!resolveValue(b, value))
            break;
    }
    list[b.used] = FILE_LIST_END;
    return list;
}

// ---------------------------------------------------------------------------
// The copy sections of install.ini

static const char *const copySections[] = {
    "INSTALLFILES", "SETUPFILES", "PERCENT", "SAMPLEFILES", "NOTEFILES", "SIZEFILES", "REMOVEFILES",
};

static const char *kindSection(int32_t kind)
{
    switch (kind) {
    case FILEKIND_SAMPLE: return "SAMPLEFILES";
    case FILEKIND_NOTES: return "NOTEFILES";
    default: return "INSTALLFILES";
    }
}

struct CopyTotals {
    int n;              // running FILE number across the copy sections
    int setupFiles;
    int listedFiles;
    int removedFiles;
    int64_t totalSize;
};

static void fileKey(char *key, size_t cap, int n)
{
    formatText(key, cap, "FILE%d", n);
}

// The files the setup program itself needs, from INSTALL16 or INSTALL32.
static void writeSetupFiles(CopyTotals &t)
{
    SetupState &s = *setupState;
    char system[254];
    readIniText(s.setupIniPath, "General", "OPSYSTEM", "", system, sizeof system);
    const char *section = strcmp(system, "16BIT") == 0 ? "INSTALL16" : "INSTALL32";
    for (int k = 1;; k++) {
        char key[16], value[VALUE_BYTES];
        if (k == 1)
            copyText(key, sizeof key, "File1");
        else
            fileKey(key, sizeof key, k);
        if (readIniText(s.layoutFilePath, section, key, "", value, sizeof value) <= 0)
            break;
        char name[VALUE_BYTES];
        // A value of commas only names no file; the next key is read.
        if (!setupEntryName(value, name, sizeof name))
            continue;
        t.setupFiles++;
        char listKey[16];
        fileKey(listKey, sizeof listKey, t.n);
        writeIniText(s.setupIniPath, "SETUPFILES", listKey, name);
        char sizeKey[VALUE_BYTES], size[VALUE_BYTES];
        size[0] = 0;
        if (readIniText(s.layoutFilePath, "LOGICALFILE", name, "", sizeKey, sizeof sizeKey) > 0)
            readIniText(s.layoutFilePath, "SIZEFILES", sizeKey, "", size, sizeof size);
        t.totalSize += parseDecimal(size);
        writeIniText(s.setupIniPath, "SIZEFILES", listKey, size);
        t.n++;
    }
}

static void writeCopiedEntry(CopyTotals &t, const SharedFileEntry &entry)
{
    SetupState &s = *setupState;
    char key[16], name[LOGICAL_NAME_BYTES], size[16];
    fileKey(key, sizeof key, t.n);
    copyFieldText(name, sizeof name, entry.logicalName, sizeof entry.logicalName);
    writeIniText(s.setupIniPath, kindSection(entry.kind), key, name);
    formatText(size, sizeof size, "%ld", (long)entry.size);
    writeIniText(s.setupIniPath, "SIZEFILES", key, size);
    t.totalSize += entry.size;
    t.listedFiles++;
    t.n++;
}

static void writeRemovedEntry(CopyTotals &t, const SharedFileEntry &entry)
{
    SetupState &s = *setupState;
    char key[16], name[LOGICAL_NAME_BYTES];
    copyFieldText(name, sizeof name, entry.logicalName, sizeof entry.logicalName);
    // The language prefix "*1".."*4" is not part of the installed name.
    const char *installed = installedFileName(name);
    t.removedFiles++;
    fileKey(key, sizeof key, t.removedFiles);
    writeIniText(s.setupIniPath, "REMOVEFILES", key, installed);
}

static void writeTableFiles(CopyTotals &t)
{
    SetupState &s = *setupState;
    int live = liveSharedFileCount();
    for (int e = 1; e <= live; e++) {
        const SharedFileEntry &entry = s.sharedFileTable[e];
        if (!s.maintenanceMode) {
            if (entry.refCount > 0)
                writeCopiedEntry(t, entry);
        } else if (entry.refCount != 0 && entry.savedRefCount == 0) {
            writeCopiedEntry(t, entry);
        } else if (entry.refCount == 0 && entry.savedRefCount != 0) {
            writeRemovedEntry(t, entry);
        }
    }
}

// PERCENT/FILE<j>: the share of the total reached once file j is copied.
// Without a positive total the files count equally; the last is always 100.
static void writePercentages(const CopyTotals &t)
{
    SetupState &s = *setupState;
    int files = t.setupFiles + t.listedFiles;
    int64_t sum = 0;
    for (int j = 1; j <= files; j++) {
        char key[16], size[VALUE_BYTES];
        fileKey(key, sizeof key, j);
        readIniText(s.setupIniPath, "SIZEFILES", key, "", size, sizeof size);
        sum += parseDecimal(size);
        int64_t percent = t.totalSize > 0 ? sum * 100 / t.totalSize : (int64_t)j * 100 / files;
        if (percent < 0)
            percent = 0;
        if (percent > 100 || j == files)
            percent = 100;
        writeIniInt(s.setupIniPath, "PERCENT", key, (int32_t)percent);
    }
}

void writeFileLists()
{
    SetupState &s = *setupState;
    // The seven sections are rebuilt in memory and each written once.
    beginProfileWork();
    for (const char *section : copySections)
        deleteIniSection(s.setupIniPath, section);
    CopyTotals t = {1, 0, 0, 0, 0};

    writeSetupFiles(t);
    writeTableFiles(t);

    char total[16];
    writeIniInt(s.setupIniPath, "INSTALLFILES", "NUMFILES", t.setupFiles + t.listedFiles);
    // A layout without FILENUM describes no table entries, not -1 of them.
    writeIniInt(s.setupIniPath, "INSTALLFILES", "MAXFILES", liveSharedFileCount() + t.setupFiles);
    formatText(total, sizeof total, "%ld", (long)saturate32(t.totalSize));
    writeIniText(s.setupIniPath, "INSTALLFILES", "SIZEFILES", total);
    if (t.removedFiles > 0)
        writeIniInt(s.setupIniPath, "REMOVEFILES", "NUMFILES", t.removedFiles);

    writePercentages(t);

    if (t.listedFiles > 0)
        createProtectedFolder(s.installDir);
    else
        deleteIniSection(s.setupIniPath, "SETUPFILES");
    endProfileWork();
}
