// catalogue.h - the component catalogue: groups and items loaded from
// install.ini, the group view, and the reference counting of shared files
// behind every selection change. Also the one table that describes the
// twelve groups, read by the catalogue, the selection and the file lists.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "state/setup_state.h"

// How a group's INFO section turns into items.
enum GroupLayout {
    LAYOUT_PRESENCE,     // groups 0 and 10: only Info1's presence counts
    LAYOUT_COMPONENT,    // key token 2, format code token 5, number token 11
    LAYOUT_INTEGRATION,  // key token 2, module prefix token 3, number token 4
    LAYOUT_MANUAL,       // fixed keys for Info1..Info4
    LAYOUT_CATEGORIES    // one item per group, in memory only
};

struct GroupDescription {
    const char *infoSection;        // install.ini section; null for CATEGORIES
    const char *prefix;             // layout section of an item: prefix + key + suffix
    const char *suffix;
    const char *keySuffix;          // appended to token 2 to form the item's key
    GroupLayout layout;
    int nameBase;                   // display name: string nameBase + number (+ n for MANUAL, + k for CATEGORIES)
    const char *sharedListSection;  // the group's common file section; null when none
    int sharesListOf;               // group whose sharedFileList this group uses; -1 when its own
    const char *listSection;        // fixed file section of the group's one item; null: prefix + key + suffix
    int maxItems;
};

constexpr int NAME_BASE_CATEGORY = 574;   // categories 0..10: 574..584

// The display-name string of a component: its group's base + its number. A
// negative number, or one past the string numbers, names no string; -1 then
// (the string loader would otherwise reach another group's names).
inline int64_t displayNameId(int base, int32_t number)
{
    int64_t id = (int64_t)base + number;
    return number < 0 || id > 0xFFFF ? -1 : id;
}

inline constexpr GroupDescription groupTable[GROUP_COUNT] = {
    // info section        prefix       suffix        key  layout              name  shared list       shares listSection       max
    {"VIEWENGINEINFO",     "",          "VIEWENGINE", "",  LAYOUT_PRESENCE,    574,  nullptr,          -1,    "VIEWENGINE32", 1},
    {"VWPINFO",            "",          "V",          "v", LAYOUT_COMPONENT,   0,    nullptr,          -1,    nullptr,        MAX_GROUP_ITEMS},
    {"SPREADSHEETINFO",    "SPREAD",    "",           "",  LAYOUT_COMPONENT,   300,  "ANYSPREADSHEET", -1,    nullptr,        MAX_GROUP_ITEMS},
    {"SWPINFO",            "",          "S",          "s", LAYOUT_COMPONENT,   0,    "ANYCNV",         -1,    nullptr,        MAX_GROUP_ITEMS},
    {"TWPINFO",            "",          "T",          "t", LAYOUT_COMPONENT,   0,    "ANYCNV",         3,     nullptr,        MAX_GROUP_ITEMS},
    {"INTEGRATIONINFO",    "",          "",           "",  LAYOUT_INTEGRATION, 350,  nullptr,          -1,    nullptr,        MAX_INTEGRATIONS},
    {"SPICINFO",           "PIC",       "S",          "",  LAYOUT_COMPONENT,   200,  "ANYPIC",         -1,    nullptr,        MAX_GROUP_ITEMS},
    {"TPICINFO",           "PIC",       "T",          "",  LAYOUT_COMPONENT,   200,  "ANYPIC",         6,     nullptr,        MAX_GROUP_ITEMS},
    {"MANUALINFO",         "",          "",           "",  LAYOUT_MANUAL,      380,  nullptr,          -1,    nullptr,        4},
    {"INTERUTILINFO",      "INTERUTIL", "",           "",  LAYOUT_COMPONENT,   325,  "ANYINTERUTIL",   -1,    nullptr,        MAX_GROUP_ITEMS},
    {"CONVTOOLINFO",       "",          "CONVTOOL",   "",  LAYOUT_PRESENCE,    584,  nullptr,          -1,    "CONVTOOL",     1},
    {nullptr,              "",          "",           "",  LAYOUT_CATEGORIES,  574,  nullptr,          -1,    nullptr,        GROUP_COUNT - 1},
};

// The viewer engine's file section on the 16-bit platform.
#define VIEWENGINE16_SECTION "VIEWENGINE16"
#define PLATFORM_16BIT "Windows 3.x"

// MANUALINFO Info1..Info4 stand for these keys, with number n.
inline constexpr const char *manualKeys[4] = {"MANUAL", "ONLINEHELP", "README", "SAMPLES"};

// Every block the catalogue frees - the two shared-file tables and every
// file list - comes from allocateCatalogueBlock and goes back through
// freeCatalogueBlock (the process heap by default); tests count through them.
extern void *(*allocateCatalogueBlock)(size_t bytes);
extern void (*freeCatalogueBlock)(void *block);

// A block of FILE_LIST_BYTES for a file list: from allocateCatalogueBlock, or
// when that fails from the catalogue's own reserve; freed with the lists.
unsigned char *allocateFileList();

// Sets every group's prefix and suffix from groupTable; the catalogue build
// calls it just before loadCatalogue(-1).
void setGroupSectionNames();

// With -1 fills groups 0..11 from setupIniPath; with a group number reads that
// group's items and the category names only. The file lists of the previous
// catalogue are released first.
void loadCatalogue(int group);

// The string of the resource module that names item index of group g, as
// the catalogue took its displayName from; -1 for none.
int64_t itemNameId(int g, int index);

// The view of group g: its first item, itemCount and the group record.
// Outputs are left unchanged for a g outside 0..11. Any output pointer may be
// null.
void groupView(int g, ComponentItem **firstItem, int32_t *itemCount, ComponentGroup **group);

// Adds (select 1) or removes (select 0) the file references of an item of
// group g as g's layout counts them, or of a whole category when g is
// CATEGORIES.
void applySelection(int g, ComponentItem *item, int select, ComponentGroup *group, int category);

// Counts a file list in or out of the reference counts and selectedSize; a
// null group counts into no group's fileCount, a null list counts nothing.
void countFileReferences(int select, const unsigned char *fileList, ComponentGroup *group);

// Number of live SharedFileTable entries (1..n): 0 without a table, at most
// MAX_SHARED_FILES.
int liveSharedFileCount();

// Puts a new list into a file-list slot; a different list that stood there is
// released, and every other slot that still pointed at it is emptied.
void replaceFileList(unsigned char **slot, unsigned char *list);

// Frees every file list of the catalogue exactly once and empties the slots.
void releaseFileLists();

// Frees the shared-file tables and every file list, each exactly once.
void releaseCatalogue();
