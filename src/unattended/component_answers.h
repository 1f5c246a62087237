// component_answers.h - the components of a selection in the answer file:
// [Components] names each category by its install.ini section without
// "INFO" (VWP, SPREADSHEET, ...), and a section of that name per category
// with a detail page names each item by its install.ini key; 1 chosen, 0 not.
// Recorded complete from the catalogue; replayed through the functions the
// options dialogs call on a person's clicks. Also the log of the selection
// and of the file lists that a step set wrote.
#pragma once

#include <stdint.h>

// Every category and item the medium has, as now selected.
void writeComponentAnswers(const char *path);

// Replay: applies what the file names to the selection the custom
// installation (or the modification) starts from, as the dialogs would,
// then checks the space as the options dialog's OK does and sets
// spaceUsed. Null, or the reason the answers cannot be taken.
const char *takeCustomSelection();

// Replay of the options dialogs: OPTIONS_ACCEPTED, OPTIONS_CANCELLED (a
// modification the file cancels) or NO_ANSWER, logged.
int replayComponents();

// Log lines: every chosen category and item, with the sizes; and what a step
// set wrote into install.ini.
void logSelection();
void logFileLists(const char *what);
