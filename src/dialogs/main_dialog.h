// main_dialog.h - the main dialog's procedure (MainDialogProc, declared in
// dialogint.h) and the folder edit it shares with the network dialog.
#pragma once

#include <windows.h>
#include <stddef.h>
#include <stdint.h>

#include "catalogue/space.h"
#include "state/thousands_text.h"

// The installation-directory edit (control 301) and its free figure (401), as
// the main and the network dialog show them.
void startDirectoryEdit(HWND dialog);          // limit to 199 characters, show installDir
void readDirectory(HWND dialog, char *buffer); // buffer of 200 bytes
void showFreeSpace(HWND dialog);               // computeFreeSpace of installDir into 401
// Takes a changed edit into installDir and recomputes the free figure; the
// comparison is case-sensitive, so any change recomputes.
void followDirectoryEdit(HWND dialog);
