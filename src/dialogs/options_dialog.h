// options_dialog.h - the component options dialog (optionsDlgProc, declared in
// dialogint.h): the category list and the detail page of one category, the
// snapshot its Cancel returns to, and the sequence of its showings.
#pragma once

#include <windows.h>

#include "state/setup_state.h"

// End values of the options dialog (21..24: see component_list.h).
enum OptionsDialogEnd { OPTIONS_CANCELLED = 0, OPTIONS_ACCEPTED = 1, OPTIONS_DETAILS = 2 };

// Fills list 101 with the entries of group, takes the snapshot Cancel returns
// to (savedFlags, savedSelectedSize, fileTableSnapshot) and returns the
// highlighted position.
int fillComponentList(HWND dialog, int group);

// Item states of a group before its first showing: item 0 highlighted, every
// other item 0. The catalogue build runs it for groups 11, 3, 2, 4, 1, 5, 6, 7,
// 8 and 9.
void resetComponentStates(int group);

// Cancel: flags, selectedSize and the shared-file table as the snapshot holds
// them.
void restoreComponentStates(int group);

// The description of the entry at list position and the Details button's state.
void showComponentDescription(HWND dialog, int position);

// A selection change or double click in the list: moves the highlight, or
// selects or deselects the highlighted entry.
void clickComponentItem(HWND dialog);

// The category list and, for each Details, the detail page of currentCategory,
// until the category list ends with anything but Details; returns that end.
int runOptionsDialogs(HWND owner, int group);

// What a person's clicks do, shared with a replayed selection:
// Whether a category of the list has a detail page (categories 1..9).
bool hasDetailPage(int category);
// Selects or deselects an item of currentGroup (a category of the list when
// currentGroup is CATEGORIES), as a click on the highlighted entry does.
void toggleComponent(ComponentItem *item, int index);
// Around a detail page: its category's selected items count their files
// while it shows; afterwards the category is selected when any item is.
void beginDetailPage(int category);
void endDetailPage(int category);
// OK: true, with spaceUsed set, when the selection fits the free figure
// computed as the dialog opened.
bool acceptSelectedSize();
