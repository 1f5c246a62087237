// list_keyboard.h - the component list operated from the keyboard: Space
// toggles the highlighted entry, the moving keys move the highlight, both
// through the dialog's own click path, so that the rules of a click hold.
#pragma once

#include <windows.h>

// At the options dialog's WM_INITDIALOG: list 101 takes its keys from here
// (a subclass, which also answers screen readers for the list and removes
// itself when the list is destroyed).
void attachListKeyboard(HWND list);
