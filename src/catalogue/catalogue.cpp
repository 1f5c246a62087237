// catalogue.cpp - loads the component catalogue from install.ini, serves the
// group view and keeps the shared files' reference counts and selectedSize in
// step with every selection change. Owns the file lists' lifetime: every list
// and both shared-file tables are freed here, each exactly once.
#include "catalogue.h"

#include <string.h>

#include "state/module_lifecycle.h"
#include "state/profile.h"
#include "state/text.h"
#include "state/setup_log.h"

static void *allocateFromHeap(size_t bytes)
{
    void *block = HeapAlloc(GetProcessHeap(), 0, bytes);
    if (!block)
        logFailure(ERROR_NOT_ENOUGH_MEMORY, "catalogue memory (%u bytes)", (unsigned)bytes);
    return block;
}

static void freeToHeap(void *block)
{
    HeapFree(GetProcessHeap(), 0, block);
}

void *(*allocateCatalogueBlock)(size_t bytes) = allocateFromHeap;
void (*freeCatalogueBlock)(void *block) = freeToHeap;

constexpr int VALUE_BYTES = 100;   // catalogue values hold at most 99 characters

// ---------------------------------------------------------------------------
// File-list ownership. A list may stand in several slots at once (groups 4
// and 7 use the lists of 3 and 6), so a list is freed once and every slot
// that held it is emptied in the same step.

constexpr int SLOTS_PER_GROUP = MAX_GROUP_ITEMS + 1;   // the items' lists and the shared list
static_assert(FILE_LIST_SLOTS == GROUP_COUNT * SLOTS_PER_GROUP, "a slot for each list a group holds");

static unsigned char **listSlot(int n)
{
    ComponentGroup &group = setupState->groups[n / SLOTS_PER_GROUP];
    int k = n % SLOTS_PER_GROUP;
    return k < MAX_GROUP_ITEMS ? &group.items[k].fileList : &group.sharedFileList;
}

// A list the heap cannot give comes from the state block's reserve.
static int reserveIndex(const unsigned char *list)
{
    const FileListReserve &reserve = setupState->listReserve;
    const unsigned char *first = &reserve.blocks[0][0];
    if (list < first || list >= first + sizeof reserve.blocks)
        return -1;
    return (int)((list - first) / FILE_LIST_BYTES);
}

unsigned char *allocateFileList()
{
    if (void *block = allocateCatalogueBlock(FILE_LIST_BYTES))
        return (unsigned char *)block;
    FileListReserve &reserve = setupState->listReserve;
    for (int n = 0; n < FILE_LIST_RESERVE_BLOCKS; n++) {
        if (!reserve.taken[n]) {
            reserve.taken[n] = true;
            return reserve.blocks[n];
        }
    }
    return nullptr;
}

static void releaseList(unsigned char *list)
{
    for (int n = 0; n < FILE_LIST_SLOTS; n++) {
        unsigned char **slot = listSlot(n);
        if (*slot == list)
            *slot = nullptr;
    }
    int reserved = reserveIndex(list);
    if (reserved >= 0)
        setupState->listReserve.taken[reserved] = false;
    else
        freeCatalogueBlock(list);
}

void replaceFileList(unsigned char **slot, unsigned char *list)
{
    if (*slot && *slot != list)
        releaseList(*slot);
    *slot = list;
}

void releaseFileLists()
{
    for (int n = 0; n < FILE_LIST_SLOTS; n++) {
        unsigned char *list = *listSlot(n);
        if (list)
            releaseList(list);
    }
}

void releaseCatalogue()
{
    SetupState &s = *setupState;
    if (s.fileTableSnapshot && s.fileTableSnapshot != s.sharedFileTable)
        freeCatalogueBlock(s.fileTableSnapshot);
    if (s.sharedFileTable)
        freeCatalogueBlock(s.sharedFileTable);
    s.fileTableSnapshot = nullptr;
    s.sharedFileTable = nullptr;
    // No table, no entries: nothing may index the freed block.
    s.sharedFileCount = -1;
    releaseFileLists();
}

// ---------------------------------------------------------------------------
// Loading

// The fields are fixed texts of ten bytes, terminated only when shorter:
// group 0's suffix "VIEWENGINE" fills its field. Readers use copyFieldText.
static void storeSectionName(char (&field)[10], const char *text)
{
    memset(field, 0, sizeof field);
    size_t length = strlen(text);
    memcpy(field, text, length < sizeof field ? length : sizeof field);
}

void setGroupSectionNames()
{
    for (int g = 0; g < GROUP_COUNT; g++) {
        storeSectionName(setupState->groups[g].prefix, groupTable[g].prefix);
        storeSectionName(setupState->groups[g].suffix, groupTable[g].suffix);
    }
}

// The name of item index of group g: its string of the resource module
// (itemNameId); a missing string, a missing module or a number that names no
// string gives an empty text.
static void loadDisplayName(int g, int index)
{
    char *name = setupState->groups[g].items[index].displayName;
    size_t cap = sizeof setupState->groups[g].items[index].displayName;
    int64_t stringId = itemNameId(g, index);
    name[0] = 0;
    if ((UINT_PTR)resourceModule <= 32 || stringId < 0 || stringId > 0xFFFF)
        return;
    if (LoadStringA(resourceModule, (UINT)stringId, name, (int)cap) <= 0)
        name[0] = 0;
}

// The number token of an Info%d value: token 4 for INTEGRATION, token 11
// otherwise; a missing token reads as 0.
static int32_t numberToken(const char *value, GroupLayout layout)
{
    char token[VALUE_BYTES];
    tokenAt(value, layout == LAYOUT_INTEGRATION ? 4 : 11, token, sizeof token, true);
    return parseDecimal(token);
}

static void readItem(int g, int n, const char *value, ComponentItem &item)
{
    SetupState &s = *setupState;
    const GroupDescription &d = groupTable[g];
    char token[VALUE_BYTES];

    tokenAt(value, 2, token, sizeof token, true);
    copyText(item.key, sizeof item.key, token);
    appendText(item.key, sizeof item.key, d.keySuffix);
    item.number = numberToken(value, d.layout);
    item.keyIndex = n;
    if (d.layout == LAYOUT_INTEGRATION) {
        tokenAt(value, 3, token, sizeof token, true);
        copyText(s.integrationModulePrefix[n], sizeof s.integrationModulePrefix[n], token);
    } else {
        tokenAt(value, 5, token, sizeof token, true);
        copyText(item.formatCode, sizeof item.formatCode, token);
    }
    loadDisplayName(g, n - 1);

    // The number under which the previous installation listed key n. Without
    // an entry there the component counts as listed under its own number.
    item.previousNumber = item.number;
    if (s.upgradeMode && s.installedIniPath[0]) {
        char key[16], previous[VALUE_BYTES];
        formatText(key, sizeof key, "Info%d", n);
        if (readIniText(s.installedIniPath, d.infoSection, key, "", previous, sizeof previous) > 0)
            item.previousNumber = numberToken(previous, d.layout);
    }
}

// Groups 1-7 and 9: Info1, Info2, ... up to the first missing or empty key;
// keys beyond the group's slots are ignored.
static void readComponentGroup(int g)
{
    SetupState &s = *setupState;
    const GroupDescription &d = groupTable[g];
    ComponentGroup &group = s.groups[g];
    if (d.layout == LAYOUT_INTEGRATION)
        memset(s.integrationModulePrefix, 0, sizeof s.integrationModulePrefix);
    for (int n = 1; n <= d.maxItems; n++) {
        char key[16], value[VALUE_BYTES];
        formatText(key, sizeof key, "Info%d", n);
        if (readIniText(s.setupIniPath, d.infoSection, key, "", value, sizeof value) <= 0)
            break;
        readItem(g, n, value, group.items[n - 1]);
        group.itemCount = n;
    }
}

// Groups 0 and 10: one item when Info1 is present; it carries the category's
// name, while the category item carries the files and the selection.
static void readPresenceGroup(int g)
{
    SetupState &s = *setupState;
    char value[VALUE_BYTES];
    if (readIniText(s.setupIniPath, groupTable[g].infoSection, "Info1", "", value, sizeof value) <= 0)
        return;
    ComponentItem &item = s.groups[g].items[0];
    item.keyIndex = 1;
    loadDisplayName(g, 0);
    s.groups[g].itemCount = 1;
}

// MANUALINFO: each present key Info1..Info4 makes the next item, with a fixed
// key and the key's number.
static void readManualGroup()
{
    SetupState &s = *setupState;
    ComponentGroup &group = s.groups[GROUP_MANUAL];
    for (int n = 1; n <= 4; n++) {
        char key[16], value[VALUE_BYTES];
        formatText(key, sizeof key, "Info%d", n);
        if (readIniText(s.setupIniPath, groupTable[GROUP_MANUAL].infoSection, key, "", value, sizeof value) <= 0)
            continue;
        ComponentItem &item = group.items[group.itemCount++];
        copyText(item.key, sizeof item.key, manualKeys[n - 1]);
        item.number = n;
        item.previousNumber = n;
        item.keyIndex = n;
        loadDisplayName(GROUP_MANUAL, group.itemCount - 1);
    }
}

static void readCategories()
{
    ComponentGroup &categories = setupState->groups[CATEGORIES];
    categories.itemCount = GROUP_COUNT - 1;
    for (int k = 0; k < categories.itemCount; k++)
        loadDisplayName(CATEGORIES, k);
}

int64_t itemNameId(int g, int index)
{
    SetupState &s = *setupState;
    if (g < 0 || g >= GROUP_COUNT || index < 0 || index >= MAX_GROUP_ITEMS)
        return -1;
    const GroupDescription &d = groupTable[g];
    const ComponentItem &item = s.groups[g].items[index];
    switch (d.layout) {
    case LAYOUT_CATEGORIES: return NAME_BASE_CATEGORY + index;
    case LAYOUT_PRESENCE: return d.nameBase;
    case LAYOUT_MANUAL: return d.nameBase + item.number;
    default: return displayNameId(d.nameBase, item.number);
    }
}

static void readGroup(int g)
{
    switch (groupTable[g].layout) {
    case LAYOUT_PRESENCE: readPresenceGroup(g); break;
    case LAYOUT_COMPONENT:
    case LAYOUT_INTEGRATION: readComponentGroup(g); break;
    case LAYOUT_MANUAL: readManualGroup(); break;
    case LAYOUT_CATEGORIES: break;
    }
}

void loadCatalogue(int group)
{
    SetupState &s = *setupState;
    beginProfileWork();
    // The old lists index the table of an earlier layout: they go with the
    // catalogue they belonged to, and the slots they stood in are emptied.
    releaseFileLists();
    for (int g = 0; g < GROUP_COUNT; g++) {
        memset(s.groups[g].items, 0, sizeof s.groups[g].items);
        s.groups[g].itemCount = 0;
        s.groups[g].fileCount = 0;
    }
    if (group == -1) {
        for (int g = 0; g < CATEGORIES; g++)
            readGroup(g);
    } else if (group >= 0 && group < CATEGORIES) {
        readGroup(group);
    }
    readCategories();
    endProfileWork();
}

// ---------------------------------------------------------------------------
// Group view and reference counting

void groupView(int g, ComponentItem **firstItem, int32_t *itemCount, ComponentGroup **group)
{
    SetupState &s = *setupState;
    if (g < 0 || g >= GROUP_COUNT)
        return;
    ComponentGroup &current = s.groups[g];
    if (firstItem)
        *firstItem = &current.items[0];
    if (itemCount)
        *itemCount = current.itemCount;
    if (group)
        *group = &current;
}

int liveSharedFileCount()
{
    SetupState &s = *setupState;
    if (!s.sharedFileTable || s.sharedFileCount <= 0)
        return 0;
    return s.sharedFileCount < MAX_SHARED_FILES ? s.sharedFileCount : MAX_SHARED_FILES;
}

// selectedSize as the sum, in 64 bits, of every referenced file's size. Taken
// afresh after each change, so that it stays exact after any sequence of
// selections, also when a sum beyond 32 bits had to saturate on the way.
static void recountSelectedSize()
{
    SetupState &s = *setupState;
    int live = liveSharedFileCount();
    int64_t total = 0;
    for (int e = 1; e <= live; e++)
        if (s.sharedFileTable[e].refCount > 0)
            total += s.sharedFileTable[e].size;
    s.selectedSize = saturate32(total);
}

void countFileReferences(int select, const unsigned char *fileList, ComponentGroup *group)
{
    SetupState &s = *setupState;
    if (!fileList || !s.sharedFileTable)
        return;
    int live = liveSharedFileCount();
    bool changed = false;
    for (int i = 0; i < FILE_LIST_BYTES && fileList[i] != FILE_LIST_END; i++) {
        int b = fileList[i];
        if (b < 1 || b > live)
            continue;
        SharedFileEntry &entry = s.sharedFileTable[b];
        if (select) {
            if (++entry.refCount == 1) {
                if (group)
                    group->fileCount++;
                changed = true;
            }
        } else if (entry.refCount > 0) {
            if (--entry.refCount == 0) {
                if (group)
                    group->fileCount--;
                changed = true;
            }
        }
    }
    if (changed)
        recountSelectedSize();
}

// An item of a component group: its own files, and the group's common files,
// which count into selectedSize but into no group's fileCount.
static void countComponent(ComponentItem *item, int select, ComponentGroup *group, int g)
{
    countFileReferences(select, item->fileList, group);
    if (groupTable[g].sharedListSection)
        countFileReferences(select, group->sharedFileList, nullptr);
}

// A whole category: the selected items of group k, or the category item that
// carries the files of groups 0 and 10.
static void countCategory(ComponentItem *item, int select, ComponentGroup *group, int category)
{
    SetupState &s = *setupState;
    if (category < 0 || category >= CATEGORIES)
        return;
    if (groupTable[category].layout == LAYOUT_PRESENCE) {
        if (item->flags & ITEM_SELECTED)
            countFileReferences(select, item->fileList, group);
        return;
    }
    ComponentGroup &members = s.groups[category];
    int count = members.itemCount < MAX_GROUP_ITEMS ? members.itemCount : MAX_GROUP_ITEMS;
    for (int i = 0; i < count; i++)
        if (members.items[i].flags & ITEM_SELECTED)
            countComponent(&members.items[i], select, &members, category);
}

void applySelection(int g, ComponentItem *item, int select, ComponentGroup *group, int category)
{
    if (!item || !group)
        return;
    if (g < 0 || g >= GROUP_COUNT)
        return;
    switch (groupTable[g].layout) {
    case LAYOUT_COMPONENT:
    case LAYOUT_INTEGRATION: countComponent(item, select, group, g); break;
    case LAYOUT_PRESENCE:
    case LAYOUT_MANUAL: countFileReferences(select, item->fileList, group); break;
    case LAYOUT_CATEGORIES: countCategory(item, select, group, category); break;
    }
}
