// options_dialog.h - the component options dialog (optionsDlgProc, declared in
// dialogint.h): the category list and the detail page of one category.
#pragma once

#include <windows.h>
#include <stddef.h>

#include "catalogue/choices.h"
#include "state/setup_state.h"

// End values of the options dialog (21..24: see component_list.h).
enum OptionsDialogEnd { OPTIONS_CANCELLED = 0, OPTIONS_ACCEPTED = 1, OPTIONS_DETAILS = 2 };

// Fills list 101 with the entries of group, takes the snapshot Cancel returns
// to (savedFlags, savedSelectedSize, fileTableSnapshot) and returns the
// highlighted position.
int fillComponentList(HWND dialog, int group);

// The description of the entry at list position and the Details button's state.
void showComponentDescription(HWND dialog, int position);

// The text the dialog shows as the description of the entry at position, at
// most 255 UTF-16 units, as the module holds it; false, and text empty, for
// an entry it shows none for (an unavailable category, a position outside
// the list).
bool componentEntryDescription(int position, WCHAR *text, size_t cap);

// A selection change or double click in the list: moves the highlight, or
// selects or deselects the highlighted entry.
void clickComponentItem(HWND dialog);
