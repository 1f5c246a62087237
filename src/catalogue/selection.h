// selection.h - turns the catalogue into a complete selection: the defaults
// of install.ini (mode 0), everything (1), or everything with file lists and
// the integration probe (2).
#pragma once

enum SelectionMode { SELECT_DEFAULTS = 0, SELECT_EVERYTHING = 1, SELECT_EVERYTHING_PROBED = 2 };

void computeSelection(int mode);

// Empties the INSTALLGROUP sections of the files the selections of this run
// read their marks from (this setup's install.ini; in upgrade mode the
// installed one). Part of the steps' own write of install.ini.
void emptyInstallGroups();
