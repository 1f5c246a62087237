// list_accessible.h - the component list as screen readers see it: an
// accessible object that presents each entry as a check box with its name,
// its state and the description the dialog shows for it.
#pragma once

#include <windows.h>

// WM_GETOBJECT of the list: the answer for its client area, 0 for any other
// object (the list box's own handling then answers).
LRESULT answerListObject(HWND list, WPARAM flags, LPARAM objectId);

// The list is going: its object answers no more calls, lets go of what it
// holds and leaves the host's apartment.
void disconnectListObject(HWND list);

// The options dialog's one question, after a click or a key on the entry at
// position: screen readers hear that its state changed and that it has the
// focus.
void announceListEntry(HWND list, int position);
