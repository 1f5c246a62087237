// selection.cpp - computes a complete selection on the catalogue: the default
// marks of install.ini (mode 0), every available component (1), or every
// component with its file lists built and the integration modules asked (2).
// Every run recounts the shared files' references from zero.
#include "selection.h"

#include <string.h>

#include "catalogue.h"
#include "file_lists.h"
#include "registry/integrations.h"
#include "state/profile.h"
#include "state/setup_state.h"
#include "state/text.h"

constexpr int DEFAULT_VALUE_BYTES = 100;
constexpr int MAX_MANUAL_KEY = 4;

// The items one pass walks. Groups 0 and 10 walk their category item, which
// carries their files and selection, with their own item count (0 or 1).
struct PassView {
    ComponentItem *first;
    int32_t itemCount;
    ComponentGroup *group;
};

static ComponentItem &categoryItem(int g)
{
    return setupState->groups[CATEGORIES].items[g];
}

static PassView passView(int g)
{
    SetupState &s = *setupState;
    PassView v = {nullptr, 0, nullptr};
    groupView(g, &v.first, &v.itemCount, &v.group);
    if (groupTable[g].layout == LAYOUT_PRESENCE) {
        v.first = &categoryItem(g);
        v.group = &s.groups[CATEGORIES];
        if (v.itemCount > 1)
            v.itemCount = 1;
    }
    if (v.itemCount < 0)
        v.itemCount = 0;
    if (v.itemCount > MAX_GROUP_ITEMS)
        v.itemCount = MAX_GROUP_ITEMS;
    return v;
}

static void resetReferenceCounts()
{
    SetupState &s = *setupState;
    int live = liveSharedFileCount();
    for (int e = 1; e <= live; e++)
        s.sharedFileTable[e].refCount = 0;
    // fileCount counts what the references count; both start again at zero.
    for (int g = 0; g < GROUP_COUNT; g++)
        s.groups[g].fileCount = 0;
}

// Mode 2: the group's common list, built once; groups 4 and 7 use the lists
// of groups 3 and 6.
static void ensureSharedList(int g)
{
    SetupState &s = *setupState;
    const GroupDescription &d = groupTable[g];
    ComponentGroup &group = s.groups[g];
    if (!d.sharedListSection || group.sharedFileList)
        return;
    if (d.sharesListOf >= 0)
        group.sharedFileList = s.groups[d.sharesListOf].sharedFileList;
    else
        group.sharedFileList = buildFileList(d.sharedListSection);
}

static void buildItemList(int g, ComponentItem &item)
{
    SetupState &s = *setupState;
    char section[PATH_BYTES];
    if (g == GROUP_VIEWENGINE && memcmp(s.platformName, PLATFORM_16BIT, sizeof PLATFORM_16BIT) == 0) {
        copyText(section, sizeof section, VIEWENGINE16_SECTION);
    } else if (groupTable[g].listSection) {
        copyText(section, sizeof section, groupTable[g].listSection);
    } else {
        const ComponentGroup &group = s.groups[g];
        copyFieldText(section, sizeof section, group.prefix, sizeof group.prefix);
        appendText(section, sizeof section, item.key);
        char suffix[sizeof group.suffix + 1];
        copyFieldText(suffix, sizeof suffix, group.suffix, sizeof group.suffix);
        appendText(section, sizeof section, suffix);
    }
    replaceFileList(&item.fileList, buildFileList(section));
}

// Takes an item into the selection. An INTEGRATION item whose module said no
// keeps its flags; every other item's flags become exactly ITEM_SELECTED.
static void selectItem(int g, ComponentItem &item)
{
    if (g != GROUP_INTEGRATION)
        item.flags = ITEM_SELECTED;
    else if (!(item.flags & ITEM_UNAVAILABLE))
        item.flags |= ITEM_SELECTED;
}

static bool isUnavailableIntegration(int g, const ComponentItem &item)
{
    return g == GROUP_INTEGRATION && (item.flags & ITEM_UNAVAILABLE);
}

// ---------------------------------------------------------------------------
// Modes 1 and 2

static bool walkEverything(int g, const PassView &v, int mode)
{
    if (v.itemCount == 0) {
        categoryItem(g).flags = ITEM_UNAVAILABLE;
        return false;
    }
    for (int j = 1; j <= v.itemCount; j++) {
        ComponentItem &item = v.first[j - 1];
        if (mode == SELECT_EVERYTHING_PROBED)
            buildItemList(g, item);
        selectItem(g, item);
        applySelection(g, &item, 1, v.group, j - 1);
    }
    return true;
}

// ---------------------------------------------------------------------------
// Mode 0

// The references of a pass are counted once per item, whichever key led to it.
struct DefaultsPass {
    int g;
    const char *marks;         // the install.ini the Info<j>Default marks come from
    const PassView *view;
    bool counted[MAX_GROUP_ITEMS];
    int searchCursor;          // upgrade mode: moves forward through the group
    bool anySelected;
};

// Info<j>Default: 1 for a present mark that begins with "S", 0 for any other
// present mark, -1 for none (missing, empty or 98 characters or more).
static int readDefaultMark(const char *marks, int g, int j)
{
    char key[24], value[DEFAULT_VALUE_BYTES];
    formatText(key, sizeof key, "Info%dDefault", j);
    int length = readIniText(marks, groupTable[g].infoSection, key, "", value, sizeof value);
    if (length < 1 || length > 97)
        return -1;
    return value[0] == 'S' ? 1 : 0;
}

static void countOnce(DefaultsPass &p, ComponentItem &item)
{
    int i = (int)(&item - p.view->first);
    if (p.counted[i])
        return;
    p.counted[i] = true;
    applySelection(p.g, &item, 1, p.view->group, i);
}

// Upgrade mode: the item now listed under the number that key j had in the
// previous installation; the search never goes back or past the last item.
static ComponentItem *findPreviousItem(DefaultsPass &p, int32_t number)
{
    for (int c = p.searchCursor; c < p.view->itemCount; c++) {
        if (p.view->first[c].number == number) {
            p.searchCursor = c;
            return &p.view->first[c];
        }
    }
    return nullptr;
}

static void applySelectedMark(DefaultsPass &p, ComponentItem &item)
{
    SetupState &s = *setupState;
    p.anySelected = true;
    ComponentItem *chosen = &item;
    if (s.upgradeMode && !isUnavailableIntegration(p.g, item) && item.number != item.previousNumber)
        chosen = findPreviousItem(p, item.previousNumber);
    if (!chosen)
        return;
    // The item found under the old number becomes exactly selected; an
    // integration whose module said no stays out all the same.
    if (chosen != &item && !isUnavailableIntegration(p.g, *chosen))
        chosen->flags = ITEM_SELECTED;
    else
        selectItem(p.g, *chosen);
    if (s.maintenanceMode)
        chosen->installedMark = ITEM_SELECTED;
    // The files counted are those of the item that the mark selected.
    countOnce(p, *chosen);
}

static void applyMark(DefaultsPass &p, ComponentItem &item, int mark)
{
    if (mark == 1) {
        applySelectedMark(p, item);
    } else {
        // An integration whose module did not answer stays unavailable, so
        // that a later run of everything cannot select it.
        item.flags = isUnavailableIntegration(p.g, item) ? ITEM_UNAVAILABLE : 0;
        item.installedMark = 0;
    }
}

// Items that kept ITEM_SELECTED from an earlier run stay selected; once their
// category ends selected, their files are counted too, so that selectedSize
// and the copy lists match every ticked item.
static void countKeptSelections(DefaultsPass &p)
{
    if (!p.anySelected)
        return;
    for (int i = 0; i < p.view->itemCount; i++)
        if ((p.view->first[i].flags & ITEM_SELECTED) && !p.counted[i])
            countOnce(p, p.view->first[i]);
}

static bool walkDefaults(int g, const PassView &v, const char *marks)
{
    DefaultsPass p = {g, marks, &v, {}, 0, false};
    if (v.itemCount == 0) {
        categoryItem(g).flags = ITEM_UNAVAILABLE;
        return false;
    }
    for (int j = 1; j <= v.itemCount; j++) {
        int mark = readDefaultMark(marks, g, j);
        if (mark < 0) {
            if (j == 1) {
                categoryItem(g).flags = ITEM_UNAVAILABLE;
                return false;
            }
            continue;   // the item keeps its flags
        }
        applyMark(p, v.first[j - 1], mark);
    }
    countKeptSelections(p);
    return p.anySelected;
}

// MANUALINFO's items exist only for the keys present, so mark j belongs to
// the item that key Info<j> made, if any.
static bool walkManualDefaults(const PassView &v, const char *marks)
{
    DefaultsPass p = {GROUP_MANUAL, marks, &v, {}, 0, false};
    for (int j = 1; j <= MAX_MANUAL_KEY; j++) {
        int mark = readDefaultMark(marks, GROUP_MANUAL, j);
        ComponentItem *item = nullptr;
        for (int i = 0; i < v.itemCount && !item; i++)
            if (v.first[i].keyIndex == j)
                item = &v.first[i];
        if (mark >= 0 && item)
            applyMark(p, *item, mark);
    }
    if (!p.anySelected) {
        categoryItem(GROUP_MANUAL).flags = ITEM_UNAVAILABLE;
        return false;
    }
    countKeptSelections(p);
    return true;
}

// ---------------------------------------------------------------------------

void computeSelection(int mode)
{
    SetupState &s = *setupState;
    beginProfileWork();
    // The defaults of an upgrade are the marks of the previous installation.
    bool previousMarks = mode == SELECT_DEFAULTS && s.upgradeMode;
    const char *marks = previousMarks ? s.installedIniPath : s.setupIniPath;
    // The file this run reads its marks from has its INSTALLGROUP emptied,
    // but only by the steps that write install.ini: a setup that stops
    // writes nothing.
    s.installGroupsToEmpty |= previousMarks ? INSTALL_GROUP_INSTALLED : INSTALL_GROUP_SETUP;

    s.selectedSize = 0;
    if (mode == SELECT_EVERYTHING_PROBED)
        queryIntegrationStatus();
    resetReferenceCounts();
    s.selectionState = -1;

    bool anySelected = false;
    for (int g = 0; g < CATEGORIES; g++) {
        if (g >= 1) {
            ComponentItem &previous = categoryItem(g - 1);
            previous.flags = anySelected && !(previous.flags & ITEM_UNAVAILABLE) ? ITEM_SELECTED : 0;
        }
        PassView v = passView(g);
        if (mode == SELECT_EVERYTHING_PROBED)
            ensureSharedList(g);
        if (mode != SELECT_DEFAULTS)
            anySelected = walkEverything(g, v, mode);
        else if (g == GROUP_MANUAL)
            anySelected = walkManualDefaults(v, marks);
        else
            anySelected = walkDefaults(g, v, marks);
    }
    if (anySelected)
        categoryItem(GROUP_CONVTOOL).flags = ITEM_SELECTED;

    s.selectionState = mode == SELECT_DEFAULTS ? 1 : 5;
    endProfileWork();
}

void emptyInstallGroups()
{
    SetupState &s = *setupState;
    if (s.installGroupsToEmpty & INSTALL_GROUP_SETUP)
        deleteIniSection(s.setupIniPath, "INSTALLGROUP");
    if (s.installGroupsToEmpty & INSTALL_GROUP_INSTALLED)
        deleteIniSection(s.installedIniPath, "INSTALLGROUP");
    s.installGroupsToEmpty = 0;
}
