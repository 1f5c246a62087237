// choices.h - what a person's clicks in the options dialog do to the
// catalogue, shared with a replayed selection.
#pragma once

#include "state/setup_state.h"

// The record of group, null outside 0..GROUP_COUNT-1; its itemCount as far
// as the item slots go.
ComponentGroup *groupRecord(int group);
int usedItems(const ComponentGroup &group);

// Whether a category of the list has a detail page (categories 1..9).
bool hasDetailPage(int category);

// Selects or deselects an item of group g (a category of the list when g is
// CATEGORIES), as a click on the highlighted entry does.
void toggleComponent(int g, ComponentItem *item, int index);

// The snapshot Cancel returns to: the flags of group's items, selectedSize
// and the shared-file table as they stand.
void takeSelectionSnapshot(int group);
// Cancel: flags, selectedSize and the shared-file table as the snapshot holds
// them.
void restoreComponentStates(int group);

// Item states of a group before its first showing: item 0 highlighted, every
// other item 0. The catalogue build runs it for groups 11, 3, 2, 4, 1, 5, 6, 7,
// 8 and 9.
void resetComponentStates(int group);

// Around a detail page: its category's selected items count their files
// while it shows; afterwards the category is selected when any item is.
void beginDetailPage(int category);
void endDetailPage(int category);

// OK: true, with spaceUsed set, when the selection fits the free figure
// computed as the dialog opened.
bool acceptSelectedSize();
