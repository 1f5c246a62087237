// registry_journal.cpp - every registry change of a setup run made through one
// place and, inside a journal, kept before it is made: entries written back to
// back into one growing block (a kept value, a value that was absent, a key
// made, a key deleted), each naming its key by a slot of a small key table.
// Previous values are read and put back through the wide functions, so that
// their bytes come back as they were whatever the code page. Owns the
// journal, its key table and the run's failure flag.
#include "registry_journal.h"

#include <string.h>

#include "state/setup_state.h"
#include "state/text.h"
#include "state/setup_log.h"
#include "state/path_text.h"

extern int64_t registryCalls;

namespace {

enum EntryKind : uint8_t { KEPT_VALUE, ABSENT_VALUE, MADE_KEY, DELETED_KEY };

struct EntryHead {
    uint8_t kind;
    uint8_t key;          // slot of journalKeys
    uint16_t nameUnits;   // UTF-16 units of the value name, no terminator
    DWORD type;
    DWORD dataBytes;
};

struct JournalKey {
    HKEY root;
    bool made;   // made by this run and not deleted since: its undo deletes it
    char path[PATH_BYTES];
};

// The run writes a fixed set of keys: with the levels made above them they
// stay well below this.
constexpr int JOURNAL_KEYS = 96;
constexpr size_t NAME_UNITS = 16384;   // the platform's longest value name
constexpr size_t OWN_NAME_UNITS = 256; // the names this library writes

JournalKey journalKeys[JOURNAL_KEYS];
int journalKeyCount;
unsigned char *entries;
size_t entryBytes, entryCapacity;
bool journalOn;
bool writeFailed;

const char *rootName(HKEY root)
{
    if (root == HKEY_LOCAL_MACHINE)
        return "HKLM";
    if (root == HKEY_CURRENT_USER)
        return "HKCU";
    return "HKCR";
}

void fail(LONG error, const char *what, HKEY root, const char *path, const char *name)
{
    writeFailed = true;
    logFailure((DWORD)error, "registry %s %s\\%s%s%s", what, rootName(root), path, name ? " value " : "",
               name ? name : "");
}

// The slot asked for last: the values of one key are written one after
// another.
int lastSlot = -1;

int findSlot(HKEY root, const char *path)
{
    if (lastSlot >= 0 && lastSlot < journalKeyCount && journalKeys[lastSlot].root == root &&
        strcmp(journalKeys[lastSlot].path, path) == 0)
        return lastSlot;
    for (int i = 0; i < journalKeyCount; i++)
        if (journalKeys[i].root == root && equalsNoCase(journalKeys[i].path, path))
            return lastSlot = i;
    return -1;
}

int keySlot(HKEY root, const char *path)
{
    int slot = findSlot(root, path);
    if (slot >= 0)
        return slot;
    if (journalKeyCount == JOURNAL_KEYS || !copyText(journalKeys[journalKeyCount].path, PATH_BYTES, path))
        return -1;
    journalKeys[journalKeyCount].root = root;
    journalKeys[journalKeyCount].made = false;
    return lastSlot = journalKeyCount++;
}

// Room for one more entry of the given size; the block grows by doubling.
unsigned char *reserveEntry(size_t bytes)
{
    if (entryBytes + bytes > entryCapacity) {
        size_t capacity = entryCapacity ? entryCapacity : 16 * 1024;
        while (capacity < entryBytes + bytes)
            capacity *= 2;
        void *grown = entries ? HeapReAlloc(GetProcessHeap(), 0, entries, capacity)
                              : HeapAlloc(GetProcessHeap(), 0, capacity);
        if (!grown) {
            logFailure(ERROR_NOT_ENOUGH_MEMORY, "the registry journal (%u bytes)", (unsigned)capacity);
            return nullptr;
        }
        entries = (unsigned char *)grown;
        entryCapacity = capacity;
    }
    return entries + entryBytes;
}

// Each entry ends with its own size, so that the journal can be walked
// backwards.
typedef uint32_t EntryTrailer;

size_t entrySize(const EntryHead &head)
{
    return sizeof head + head.nameUnits * sizeof(WCHAR) + head.dataBytes + sizeof(EntryTrailer);
}

// Appends an entry; its data, when any, is copied in by the caller before
// the entry is counted (commitEntry).
unsigned char *addEntry(EntryKind kind, int slot, const WCHAR *name, size_t nameUnits, DWORD type, DWORD dataBytes)
{
    EntryHead head = {(uint8_t)kind, (uint8_t)slot, (uint16_t)nameUnits, type, dataBytes};
    unsigned char *at = reserveEntry(entrySize(head));
    if (!at)
        return nullptr;
    memcpy(at, &head, sizeof head);
    if (nameUnits)
        memcpy(at + sizeof head, name, nameUnits * sizeof(WCHAR));
    return at;
}

void commitEntry(unsigned char *at)
{
    EntryHead head;
    memcpy(&head, at, sizeof head);
    EntryTrailer size = (EntryTrailer)entrySize(head);
    memcpy(at + size - sizeof size, &size, sizeof size);
    entryBytes += size;
}

bool noteKey(EntryKind kind, HKEY root, const char *path)
{
    int slot = keySlot(root, path);
    unsigned char *at = slot < 0 ? nullptr : addEntry(kind, slot, nullptr, 0, 0, 0);
    if (at) {
        commitEntry(at);
        journalKeys[slot].made = kind == MADE_KEY;
    }
    return at != nullptr;
}

// Keeps one value of an open key as it stands: absent, or its type and data.
// The values this library writes are short: one read into a small buffer
// answers most, and only a longer one is read again at its own size.
bool keepValue(int slot, HKEY key, const WCHAR *name, size_t nameUnits)
{
    BYTE small[512];
    DWORD type = 0, size = sizeof small;
    LONG status = RegQueryValueExW(key, name, nullptr, &type, small, &size);
    bool inSmall = status == ERROR_SUCCESS;
    for (int attempt = 0; attempt < 4; attempt++) {
        if (status == ERROR_FILE_NOT_FOUND) {
            unsigned char *at = addEntry(ABSENT_VALUE, slot, name, nameUnits, 0, 0);
            if (at)
                commitEntry(at);
            return at != nullptr;
        }
        if (status != ERROR_SUCCESS && status != ERROR_MORE_DATA)
            return false;
        unsigned char *at = addEntry(KEPT_VALUE, slot, name, nameUnits, type, size);
        if (!at)
            return false;
        unsigned char *data = at + sizeof(EntryHead) + nameUnits * sizeof(WCHAR);
        DWORD got = size;
        if (inSmall)
            memcpy(data, small, size);
        else
            status = RegQueryValueExW(key, name, nullptr, &type, data, &got);
        if (status == ERROR_MORE_DATA) {
            size = 0;   // it grew meanwhile
            inSmall = false;
            status = RegQueryValueExW(key, name, nullptr, &type, nullptr, &size);
            continue;
        }
        if (status != ERROR_SUCCESS)
            return false;
        EntryHead head = {KEPT_VALUE, (uint8_t)slot, (uint16_t)nameUnits, type, got};
        memcpy(at, &head, sizeof head);
        commitEntry(at);
        return true;
    }
    return false;
}

bool wideName(const char *name, WCHAR *units, size_t cap, size_t *length)
{
    *length = 0;
    units[0] = 0;
    if (!name || !name[0])
        return true;
    int n = MultiByteToWideChar(CP_ACP, 0, name, -1, units, (int)cap);
    if (n <= 0)
        return false;
    *length = (size_t)n - 1;
    return true;
}

// The levels of path that do not exist yet, outermost first, as the lengths
// of their paths; the count. The whole path is the last level.
int missingLevels(HKEY root, const char *path, size_t *lengths, int cap)
{
    size_t ends[64];
    int levels = 0;
    for (const char *p = path; levels < 64; p = nextChar(p)) {
        if (*p == '\\' || *p == 0)
            ends[levels++] = (size_t)(p - path);
        if (!*p)
            break;
    }
    int firstMissing = levels;
    char prefix[PATH_BYTES];
    for (int level = levels - 1; level >= 0; level--) {
        if (ends[level] >= sizeof prefix)
            return -1;
        memcpy(prefix, path, ends[level]);
        prefix[ends[level]] = 0;
        // A level this run made, and has not deleted since, is there.
        int slot = findSlot(root, prefix);
        if (slot >= 0 && journalKeys[slot].made)
            break;
        HKEY probe;
        registryCalls++;
        if (RegOpenKeyExA(root, prefix, 0, KEY_QUERY_VALUE, &probe) == ERROR_SUCCESS) {
            RegCloseKey(probe);
            break;
        }
        firstMissing = level;
    }
    int count = 0;
    for (int level = firstMissing; level < levels && count < cap; level++)
        lengths[count++] = ends[level];
    return count;
}

void restoreEntry(const unsigned char *at)
{
    EntryHead head;
    memcpy(&head, at, sizeof head);
    const JournalKey &k = journalKeys[head.key];
    char noClass[1] = "";
    HKEY key;
    LONG status = ERROR_SUCCESS;
    registryCalls++;
    switch (head.kind) {
    case MADE_KEY:
        status = RegDeleteKeyA(k.root, k.path);
        if (status == ERROR_FILE_NOT_FOUND)
            status = ERROR_SUCCESS;
        break;
    case DELETED_KEY:
        // Only made again: the handle is closed unused.
        status = RegCreateKeyExA(k.root, k.path, 0, noClass, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &key,
                                 nullptr);
        if (status == ERROR_SUCCESS)
            RegCloseKey(key);
        break;
    default: {
        WCHAR name[NAME_UNITS];
        memcpy(name, at + sizeof head, head.nameUnits * sizeof(WCHAR));
        name[head.nameUnits] = 0;
        status = RegOpenKeyExA(k.root, k.path, 0, KEY_SET_VALUE, &key);
        if (status == ERROR_FILE_NOT_FOUND && head.kind == ABSENT_VALUE)
            return;
        if (status != ERROR_SUCCESS)
            break;
        if (head.kind == ABSENT_VALUE) {
            status = RegDeleteValueW(key, name);
            if (status == ERROR_FILE_NOT_FOUND)
                status = ERROR_SUCCESS;
        } else {
            const BYTE *data = at + sizeof head + head.nameUnits * sizeof(WCHAR);
            status = RegSetValueExW(key, name, 0, head.type, head.dataBytes ? data : nullptr, head.dataBytes);
        }
        RegCloseKey(key);
    }
    }
    if (status != ERROR_SUCCESS)
        logFailure((DWORD)status, "undoing a registry change of %s\\%s", rootName(k.root), k.path);
}

} // namespace

void beginRegistryJournal()
{
    entryBytes = 0;
    journalKeyCount = 0;
    journalOn = true;
    writeFailed = false;
}

void endRegistryJournal()
{
    journalOn = false;
    entryBytes = 0;
    journalKeyCount = 0;
    if (entries)
        HeapFree(GetProcessHeap(), 0, entries);
    entries = nullptr;
    entryCapacity = 0;
}

bool openKeyForWriting(HKEY root, const char *path, HKEY *key)
{
    if (journalOn && writeFailed)
        return false;
    if (journalOn) {
        size_t lengths[64];
        int made = missingLevels(root, path, lengths, 64);
        if (made < 0) {
            fail(ERROR_FILENAME_EXCED_RANGE, "key", root, path, nullptr);
            return false;
        }
        // Noted before they are made: a level made and then left by a failure
        // further down is still taken away again.
        char level[PATH_BYTES];
        for (int i = 0; i < made; i++) {
            memcpy(level, path, lengths[i]);
            level[lengths[i]] = 0;
            if (!noteKey(MADE_KEY, root, level)) {
                fail(ERROR_NOT_ENOUGH_MEMORY, "key", root, path, nullptr);
                return false;
            }
        }
    }
    char noClass[1] = "";
    registryCalls++;
    // Values are read (to note what they held) and written through it.
    LONG status = RegCreateKeyExA(root, path, 0, noClass, REG_OPTION_NON_VOLATILE, KEY_READ | KEY_WRITE, nullptr,
                                  key, nullptr);
    if (status != ERROR_SUCCESS) {
        fail(status, "key", root, path, nullptr);
        return false;
    }
    logLine("registry key %s\\%s opened for writing", rootName(root), path);
    return true;
}

bool setValueNoting(HKEY root, const char *path, HKEY key, const char *name, const char *data)
{
    if (journalOn) {
        if (writeFailed)
            return false;
        WCHAR units[OWN_NAME_UNITS];
        size_t length = 0;
        int slot = keySlot(root, path);
        // A key this run made has no earlier values to keep: its undo
        // deletes it with everything the run put in it.
        bool keep = slot < 0 || !journalKeys[slot].made;
        if (slot < 0 || (keep && (!wideName(name, units, OWN_NAME_UNITS, &length) ||
                                  !keepValue(slot, key, units, length)))) {
            fail(ERROR_NOT_ENOUGH_MEMORY, "keeping", root, path, name);
            return false;
        }
    }
    registryCalls++;
    LONG status = data ? RegSetValueExA(key, name, 0, REG_SZ, (const BYTE *)data, (DWORD)strlen(data) + 1)
                       : RegSetValueExA(key, name, 0, REG_SZ, nullptr, 0);
    if (status != ERROR_SUCCESS) {
        fail(status, "value", root, path, name ? name : "");
        return false;
    }
    return true;
}

void deleteKeyNoting(HKEY root, const char *path)
{
    registryCalls++;
    if (!journalOn) {
        RegDeleteKeyA(root, path);
        return;
    }
    if (writeFailed)
        return;
    HKEY key;
    LONG status = RegOpenKeyExA(root, path, 0, KEY_READ, &key);
    if (status == ERROR_FILE_NOT_FOUND)
        return;
    if (status != ERROR_SUCCESS) {
        fail(status, "key", root, path, nullptr);
        return;
    }
    DWORD subkeys = 0, values = 0, longestName = 0;
    status = RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, &longestName,
                              nullptr, nullptr, nullptr);
    if (status != ERROR_SUCCESS || subkeys > 0) {
        RegCloseKey(key);
        if (status != ERROR_SUCCESS)
            fail(status, "key", root, path, nullptr);
        return;
    }
    int slot = keySlot(root, path);
    bool kept = slot >= 0;
    WCHAR name[NAME_UNITS];
    for (DWORD i = 0; kept; i++) {
        DWORD units = NAME_UNITS;
        status = RegEnumValueW(key, i, name, &units, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_NO_MORE_ITEMS)
            break;
        kept = status == ERROR_SUCCESS && keepValue(slot, key, name, units);
    }
    RegCloseKey(key);
    if (!kept) {
        fail(ERROR_NOT_ENOUGH_MEMORY, "keeping", root, path, nullptr);
        return;
    }
    status = RegDeleteKeyA(root, path);
    if (status == ERROR_FILE_NOT_FOUND)
        return;
    if (status != ERROR_SUCCESS || !noteKey(DELETED_KEY, root, path))
        fail(status != ERROR_SUCCESS ? status : ERROR_NOT_ENOUGH_MEMORY, "deleting key", root, path, nullptr);
}

void rollBackRegistry()
{
    if (entryBytes)
        logLine("registry: the run's changes are undone");
    size_t at = entryBytes;
    while (at > 0) {
        EntryTrailer size;
        memcpy(&size, entries + at - sizeof size, sizeof size);
        at -= size;
        restoreEntry(entries + at);
    }
    entryBytes = 0;
}

bool registryWriteFailed()
{
    return writeFailed;
}

void forgetRegistryFailure()
{
    writeFailed = false;
}
