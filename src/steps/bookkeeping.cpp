// bookkeeping.cpp - recordDefaults, recordSharedDefaults and recordWorkstation,
// the steps that record the user's choice once it is confirmed. The sections
// are visited in one fixed order; a group counts as chosen by its CATEGORIES
// item, an item by its own flags.
#include "bookkeeping.h"

#include <string.h>

#include "registry/product_defaults.h"
#include "registry/registry_access.h"
#include "state/profile.h"
#include "state/setup_state.h"
#include "state/text.h"

namespace {

constexpr size_t INFO_VALUE_BYTES = 100;  // an Info%d value: at most 99 characters
constexpr size_t KEY_BYTES = 32;

struct MarkedSection {
    const char *section;
    int group;
    bool addOnToo;   // also marked in an existing installation's install.ini
};

// The viewer engine and the conversion tools stand for their whole category
// and have the one key Info1Default.
constexpr MarkedSection categorySections[] = {
    {"VIEWENGINEINFO", GROUP_VIEWENGINE, true},
    {"CONVTOOLINFO", GROUP_CONVTOOL, true},
};

constexpr MarkedSection itemSections[] = {
    {"SPICINFO", GROUP_SPIC, true},
    {"TPICINFO", GROUP_TPIC, true},
    {"SWPINFO", GROUP_SWP, true},
    {"TWPINFO", GROUP_TWP, true},
    {"VWPINFO", GROUP_VWP, true},
    {"INTEGRATIONINFO", GROUP_INTEGRATION, true},
    {"SPREADSHEETINFO", GROUP_SPREADSHEET, true},
    {"INTERUTILINFO", GROUP_INTERUTIL, true},
    {"MANUALINFO", GROUP_MANUAL, false},
};

bool groupChosen(int group)
{
    return (setupState->groups[CATEGORIES].items[group].flags & ITEM_SELECTED) != 0;
}

bool itemChosen(const ComponentItem &item)
{
    return (item.flags & ITEM_SELECTED) != 0;
}

int itemsIn(const ComponentGroup &g)
{
    return g.itemCount < 0 ? 0 : g.itemCount > MAX_GROUP_ITEMS ? MAX_GROUP_ITEMS : g.itemCount;
}

void writeMark(const char *path, const char *section, int k, bool installed)
{
    char key[KEY_BYTES];
    formatText(key, sizeof key, "Info%dDefault", k);
    writeIniText(path, section, key, installed ? "S" : "U");
}

void readEntry(const char *path, const char *section, int k, char *value, size_t cap)
{
    char key[KEY_BYTES];
    formatText(key, sizeof key, "Info%d", k);
    readIniText(path, section, key, "", value, cap);
}

void recordItemMarks(const MarkedSection &m)
{
    const char *path = setupState->setupIniPath;
    const ComponentGroup &g = setupState->groups[m.group];
    bool chosen = groupChosen(m.group);
    for (int i = 0; i < itemsIn(g); i++) {
        const ComponentItem &item = g.items[i];
        // MANUAL items keep the key number of the fixed entry they stand for.
        int k = m.group == GROUP_MANUAL ? item.number : i + 1;
        if (k < 1)
            continue;
        writeMark(path, m.section, k, chosen && itemChosen(item));
    }
}

void addSharedItem(const MarkedSection &m, int position, const ComponentItem &item)
{
    SetupState &s = *setupState;
    int firstFree = 0;
    int k = findSharedEntry(m.section, m.group, item.number, position, &firstFree);
    if (k == 0) {
        char value[INFO_VALUE_BYTES];
        readEntry(s.setupIniPath, m.section, position + 1, value, sizeof value);
        // An empty entry would leave the slot looking free, under an "S".
        if (!value[0] || firstFree < 1)
            return;
        char key[KEY_BYTES];
        formatText(key, sizeof key, "Info%d", firstFree);
        writeIniText(s.installedIniPath, m.section, key, value);
        k = firstFree;
    }
    writeMark(s.installedIniPath, m.section, k, true);
}

} // namespace

int32_t entryNumber(const char *value, int group)
{
    char field[INFO_VALUE_BYTES];
    if (!tokenAt(value, group == GROUP_INTEGRATION ? 4 : 11, field, sizeof field, true))
        return -1;
    return parseDecimal(field);
}

int findSharedEntry(const char *section, int group, int32_t number, int position, int *firstFree)
{
    const char *path = setupState->installedIniPath;
    char value[INFO_VALUE_BYTES];
    *firstFree = 0;
    // An entry too short to carry a number matches no item.
    bool searchable = number != -1;
    readEntry(path, section, position + 1, value, sizeof value);
    if (searchable && value[0] && entryNumber(value, group) == number)
        return position + 1;
    for (int k = 1;; k++) {
        readEntry(path, section, k, value, sizeof value);
        if (!value[0]) {
            *firstFree = k;
            return 0;
        }
        if (searchable && entryNumber(value, group) == number)
            return k;
    }
}

void recordDefaults()
{
    SetupState &s = *setupState;
    if (!s.setupIniPath[0])
        return;
    beginProfileWork();
    char text[16];
    formatText(text, sizeof text, "%ld", (long)spaceUsed);
    writeIniText(s.setupIniPath, "General", "SPACEUSED", text);
    if (s.customSelectionMade) {
        for (const MarkedSection &m : categorySections)
            writeMark(s.setupIniPath, m.section, 1, groupChosen(m.group));
        for (const MarkedSection &m : itemSections)
            recordItemMarks(m);
    }
    endProfileWork();
}

void recordSharedDefaults()
{
    SetupState &s = *setupState;
    if (!s.installedIniPath[0])
        return;
    beginProfileWork();
    for (const MarkedSection &m : categorySections)
        if (groupChosen(m.group))
            writeMark(s.installedIniPath, m.section, 1, true);
    for (const MarkedSection &m : itemSections) {
        if (!m.addOnToo || !groupChosen(m.group))
            continue;
        const ComponentGroup &g = s.groups[m.group];
        // Only what is added now is marked; an item left out may already be
        // installed, so it is not marked "U" either.
        for (int i = 0; i < itemsIn(g); i++)
            if (itemChosen(g.items[i]))
                addSharedItem(m, i, g.items[i]);
    }
    endProfileWork();
}

void recordWorkstation()
{
    SetupState &s = *setupState;
    writeRegText(PRODUCT_GENERAL_KEY, "WorkStation", "TRUE");
    trimServerDir();
    writeRegText(PRODUCT_GENERAL_KEY, "Home", s.serverDir);
    writeRegText(PRODUCT_GENERAL_KEY, "Server", s.serverDir);
}
