// catalogue.h - the component catalogue: groups and items loaded from
// install.ini, the group view, and the reference counting of shared files
// behind every selection change.
#pragma once

#include <stdint.h>

#include "state/setup_state.h"

// With -1 fills groups 0..11 from setupIniPath; with a group number reads that
// group's items and the category names only.
void loadCatalogue(int group);

// The view of currentGroup: item index, the first item, itemCount and the
// group record. Outputs are left unchanged for a currentGroup outside 0..11.
// Any output pointer may be null.
void selectGroupView(int index, ComponentItem **item, ComponentItem **firstItem,
                     int32_t *itemCount, ComponentGroup **group);

// Adds (select 1) or removes (select 0) the file references of an item, or of
// a whole category when currentGroup is CATEGORIES.
void applySelection(ComponentItem *item, int select, ComponentGroup *group, int category);

void countFileReferences(int select, const unsigned char *fileList, ComponentGroup *group);

// Frees the shared-file tables and every file list, each exactly once.
void releaseCatalogue();
