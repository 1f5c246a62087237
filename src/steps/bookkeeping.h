// bookkeeping.h - what the user chose, recorded for later setup runs: the
// space used and the Info%dDefault marks of install.ini, the marks added to an
// existing installation's install.ini, and a workstation's server location.
#pragma once

#include <stdint.h>

// General / SPACEUSED and, after a confirmed custom selection, an "S" or "U"
// mark for every catalogue item, into setupIniPath.
void recordDefaults();

// Add-on mode: marks "S" in installedIniPath for every chosen item of a chosen
// group, copying the item's entry there when that file does not list it yet.
// Never writes "U".
void recordSharedDefaults();

// The 1-based k of the Info<k> value of installedIniPath's section whose
// number field is number, or 0 when there is none; then *firstFree receives
// the first k with no value. position is the item's place in its group (from
// 0); Info<position+1> is tried first. A number of -1 is never found.
int findSharedEntry(const char *section, int group, int32_t number, int position, int *firstFree);

// The number field of an Info%d value: its eleventh non-empty field, the
// fourth in INTEGRATIONINFO; -1 when the value has fewer fields.
int32_t entryNumber(const char *value, int group);

// WorkStation = "TRUE", Home and Server = serverDir (without a trailing
// backslash) under the product's General key.
void recordWorkstation();
