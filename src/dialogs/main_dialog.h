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
// The folder the edit holds, in the system's code page, into a buffer of
// 200 bytes; false, and the buffer empty, for one that the code page cannot
// hold or that does not fit.
bool readDirectory(HWND dialog, char *buffer);
// The folder typed becomes installDir; one that cannot be taken is refused
// with the module's message (string 707), and false.
bool takeTypedFolder(HWND dialog);
void showFreeSpace(HWND dialog);               // computeFreeSpace of installDir into 401
// Takes a changed edit into installDir and recomputes the free figure; the
// comparison is case-sensitive, so any change recomputes.
void followDirectoryEdit(HWND dialog);
