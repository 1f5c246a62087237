// choices.cpp - the person's choices on the catalogue, made alike by the
// options dialog's clicks and by a replayed answer file: the toggle of an
// entry, the bracket of a detail page, the snapshot Cancel returns to, and
// the check of the space at OK. Owns savedSelectedSize.
#include "choices.h"

#include <string.h>

#include "catalogue.h"
#include "state/setup_state.h"

// Deselecting keeps the three low flag bits and nothing above them.
constexpr int32_t LOW_FLAG_BITS = 7;

ComponentGroup *groupRecord(int group)
{
    return group >= 0 && group < GROUP_COUNT ? &setupState->groups[group] : nullptr;
}

int usedItems(const ComponentGroup &group)
{
    if (group.itemCount < 0)
        return 0;
    return group.itemCount > MAX_GROUP_ITEMS ? MAX_GROUP_ITEMS : group.itemCount;
}

// The categories of the list that open a page of their own.
static constexpr int detailCategories[] = {GROUP_VWP,  GROUP_SPREADSHEET, GROUP_SWP,    GROUP_TWP,     GROUP_INTEGRATION,
                                           GROUP_SPIC, GROUP_TPIC,        GROUP_MANUAL, GROUP_INTERUTIL};

bool hasDetailPage(int category)
{
    for (int c : detailCategories)
        if (c == category)
            return true;
    return false;
}

void takeSelectionSnapshot(int group)
{
    SetupState &s = *setupState;
    if (ComponentGroup *record = groupRecord(group)) {
        int count = usedItems(*record);
        for (int i = 0; i < count; i++)
            record->items[i].savedFlags = record->items[i].flags;
    }
    if (s.sharedFileTable && s.fileTableSnapshot)
        memcpy(s.fileTableSnapshot, s.sharedFileTable, SHARED_FILE_TABLE_BYTES);
    s.savedSelectedSize = s.selectedSize;
}

void restoreComponentStates(int group)
{
    SetupState &s = *setupState;
    if (ComponentGroup *record = groupRecord(group)) {
        int count = usedItems(*record);
        for (int i = 0; i < count; i++)
            record->items[i].flags = record->items[i].savedFlags;
    }
    s.selectedSize = s.savedSelectedSize;
    if (s.sharedFileTable && s.fileTableSnapshot)
        memcpy(s.sharedFileTable, s.fileTableSnapshot, SHARED_FILE_TABLE_BYTES);
}

void resetComponentStates(int group)
{
    SetupState &s = *setupState;
    if (ComponentGroup *record = groupRecord(group)) {
        record->items[0].flags = ITEM_HIGHLIGHTED;
        int count = usedItems(*record);
        for (int i = 1; i < count; i++)
            record->items[i].flags = 0;
    }
    s.savedSelectedSize = s.selectedSize;
}

void toggleComponent(int g, ComponentItem *item, int index)
{
    ComponentGroup *group = nullptr;
    groupView(g, nullptr, nullptr, &group);
    if (item->flags & ITEM_SELECTED) {
        applySelection(g, item, 0, group, index);
        item->flags &= LOW_FLAG_BITS;
    } else {
        item->flags |= ITEM_SELECTED;
        applySelection(g, item, 1, group, index);
    }
}

bool acceptSelectedSize()
{
    SetupState &s = *setupState;
    if (s.freeSpaceBytes < s.selectedSize)
        return false;
    spaceUsed = s.selectedSize;
    return true;
}

static bool anyItemSelected(const ComponentGroup &group)
{
    int count = usedItems(group);
    for (int i = 0; i < count; i++)
        if (group.items[i].flags & ITEM_SELECTED)
            return true;
    return false;
}

void beginDetailPage(int category)
{
    SetupState &s = *setupState;
    ComponentGroup &categories = s.groups[CATEGORIES];
    ComponentItem &entry = categories.items[category];
    // The items of a category that is not selected count no files; on its
    // page they count, as the page shows them selected.
    if (!(entry.flags & ITEM_SELECTED))
        applySelection(CATEGORIES, &entry, 1, &categories, category);
}

void endDetailPage(int category)
{
    SetupState &s = *setupState;
    ComponentItem &entry = s.groups[CATEGORIES].items[category];
    entry.flags &= ~ITEM_SELECTED;
    if (anyItemSelected(s.groups[category]))
        entry.flags |= ITEM_SELECTED;
}
