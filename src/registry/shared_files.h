// shared_files.h - what the three entries the host calls on their own around
// a deinstallation do: the removal of a shared file from Windows' shared-file
// list, the start of the launch module and the unload broadcast.
#pragma once

#include <windows.h>

// The launch module, its entry and the bound on the path it is loaded from.
#define LAUNCH_MODULE_NAME "lxlm.dll"
constexpr int LAUNCH_ENTRY_ORDINAL = 200;
constexpr int LAUNCH_PATH_BYTES = 100;

// The message running parts of the product listen for.
#define DEINSTALL_MESSAGE_NAME "Lumoria deinstall"
// How long the broadcast waits for a program to show that it still answers
// before its windows are passed over as hung. A program that answers is
// waited for as long as it takes to unload.
constexpr UINT UNLOAD_BROADCAST_TIMEOUT_MS = 3000;
// How long a program that answered is given to handle the message before it
// may be passed over. Windows waits beyond it for as long as the program
// goes on reading its messages (SMTO_NOTIMEOUTIFNOTHUNG); a platform that
// does not know that flag passes over at this bound, which is kept well
// above what a product part needs to unload.
constexpr UINT UNLOAD_HANDLING_TIMEOUT_MS = 10000;

// Forms directory + "\" (unless it ends with one) + "lxlm.dll" in path
// (capacity cap). False, with path empty, when the result does not fit.
bool formLaunchPath(const char *directory, char *path, size_t cap);

// A message format with one text insert in place of its "%s" ("%%" gives
// one "%") into message (capacity cap units). A format with any conversion
// other than one "%s" (and "%%") is shown as it stands. False when the
// result was cut, between characters.
bool formatSharedFileMessage(WCHAR *message, size_t cap, const WCHAR *format, const WCHAR *insertText);

// Loads the launch module by its full path and calls its entry.
enum LaunchStart { LAUNCH_NOT_LOADED, LAUNCH_NO_ENTRY, LAUNCH_STARTED };
LaunchStart startLaunchModule(const char *path);

// Sends the unload message to every top-level window, each waited for while
// it answers; returns how many programs were passed over as hung, -1 when
// the message could not be registered (logged).
int broadcastUnload();
