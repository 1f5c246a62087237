// install_folder_question.h - the installation folder made before the steps
// run, and the question when it cannot be: take the default folder, or
// choose another.
#pragma once

#include <windows.h>

// Makes sure installDir exists and replaces it by its short form. A folder
// that cannot be made is the person's to settle: they take the default
// folder (1) or choose another (0). Replaying, the answer file's
// FolderNotMade answers; without one, or with "choose", nobody can:
// NO_ANSWER, logged.
int useShortInstallDir(HWND owner);
