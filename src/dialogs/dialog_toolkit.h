// dialog_toolkit.h - what every installer dialog shares: the host's message
// box and string entries (installerDlg, installLoadStr, declared in
// dialogint.h), the placement of a dialog as it opens, message boxes built from
// the resource module's strings, and the help file.
#pragma once

#include <windows.h>

// Context numbers of the help file's topics.
enum HelpContext {
    HELP_CONTEXT_MAIN = 16432,
    HELP_CONTEXT_OPTIONS = 16433
};

// Where a window of the given size goes on a desktop of the given size: centred,
// or centred across and with its lower edge one window height above the
// bottom. Halving is a shift right, so odd sizes round toward the left and top.
POINT centredPosition(const RECT &desktop, const RECT &window);
POINT aboveBottomPosition(const RECT &desktop, const RECT &window);

// Move the window there (its size kept, no repaint).
void centreOnScreen(HWND window);
void placeAboveBottom(HWND window);

// A message box with string textId of the resource module as its text and
// string 700 as its caption; returns MessageBoxW's answer.
int showResourceMessage(HWND owner, int textId, UINT style);
// String id of the resource module, in UTF-16 as the module holds it (cap
// units); for the failures a person must hear about (and the caption), the
// library's own English text when the module lacks it, never an empty text.
// A string that cannot be loaded is logged.
void loadResourceText(int id, WCHAR *buffer, int cap);
// A control's text from string id.
void setControlText(HWND dialog, int control, int id);
// format with insert in place of its first "%s"; "%%" gives one "%", any
// other "%" stays (the format is a translation, never handed to printf).
// What does not fit in cap units is cut between characters.
void insertIntoText(WCHAR *output, size_t cap, const WCHAR *format, const WCHAR *insert);

// A modal Unicode dialog of the resource module (DialogBoxParamW, initial
// parameter 0); one that cannot be made (-1) is logged with the Windows error.
INT_PTR runDialog(int templateId, HWND owner, DLGPROC procedure, LPARAM parameter = 0);

// Whether a WM_SYSCOMMAND is Close from the system menu (or the title bar's
// close box); endOnSystemClose also ends the dialog with code then.
bool isSystemClose(WPARAM command);
bool endOnSystemClose(HWND dialog, WPARAM command, INT_PTR code);

// The same with a subject (a folder) on its own line above the text.
int showResourceMessageAbout(HWND owner, const char *subject, int textId, UINT style);

// Opens the help file sourceDir + "lumoria.hlp" on a topic and stores the
// result in helpOpened; closeHelp sends the quit command when helpOpened is
// nonzero. A sourceDir too long for the path opens nothing.
void openHelp(HWND window, int context);
void closeHelp(HWND window);
