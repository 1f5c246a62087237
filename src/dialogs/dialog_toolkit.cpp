// dialog_toolkit.cpp - dialog placement, dialogs and message boxes from the
// resource module's templates and strings, and the help file.
#include "dialog_toolkit.h"

#include "luinsres_ids.h"
#include "state/module_lifecycle.h"
#include "state/module_path.h"
#include "state/setup_state.h"
#include "state/text.h"
#include "state/answer_mode.h"
#include "state/setup_log.h"

// Captions are loaded into a buffer of this size (LoadStringA counts the
// terminator).
constexpr int CAPTION_BYTES = 90;
// Message texts are loaded with this bound.
constexpr int MESSAGE_BYTES = 254;

POINT centredPosition(const RECT &desktop, const RECT &window)
{
    int desktopWidth = desktop.right - desktop.left, desktopHeight = desktop.bottom - desktop.top;
    int width = window.right - window.left, height = window.bottom - window.top;
    // The desktop's own origin is not added: the desktop starts at 0, 0.
    return POINT{(desktopWidth >> 1) - (width >> 1), (desktopHeight >> 1) - (height >> 1)};
}

POINT aboveBottomPosition(const RECT &desktop, const RECT &window)
{
    int desktopHeight = desktop.bottom - desktop.top;
    int height = window.bottom - window.top;
    return POINT{centredPosition(desktop, window).x, desktopHeight - 2 * height};
}

static void moveTo(HWND window, POINT (*position)(const RECT &, const RECT &))
{
    RECT desktop, rect;
    GetWindowRect(GetDesktopWindow(), &desktop);
    GetWindowRect(window, &rect);
    POINT at = position(desktop, rect);
    MoveWindow(window, at.x, at.y, rect.right - rect.left, rect.bottom - rect.top, FALSE);
}

void centreOnScreen(HWND window) { moveTo(window, centredPosition); }
void placeAboveBottom(HWND window) { moveTo(window, aboveBottomPosition); }

// The library's own words for the failures a person must hear about, for a
// resource module that lacks its string: never a box without a message.
struct FixedText {
    int id;
    const char *text;
};

static constexpr FixedText fixedTexts[] = {
    {IDS_CAPTION, "Lumoria Setup"},
    {IDS_NOT_SAVED, "Setup could not save its file lists in install.ini. Lumoria was not installed or changed."},
    {IDS_REGISTRY_NOT_WRITTEN, "Setup could not write Lumoria's settings in the registry. Lumoria was not installed "
                               "or changed. Run Setup again as an administrator."},
    {IDS_REMOVE_SHARED, "The shared file %s is no longer used by Lumoria. Other programs may still need it. Do "
                        "you want to remove it?"},
    {IDS_FOLDER_NOT_MADE, "Setup could not create this folder. To choose another folder, choose No. Install "
                          "Lumoria in c:\\lumoria instead?"},
    {IDS_FOLDER_UNUSABLE, "Setup cannot use this folder: its name is too long, or it contains characters that "
                          "programs on this computer cannot use in a folder name. Type another folder."},
};

void loadResourceText(int id, WCHAR *buffer, int cap)
{
    if (cap <= 0)
        return;
    if (LoadStringW(resourceModule, (UINT)id, buffer, cap) > 0)
        return;
    logFailure(GetLastError(), "string %d of the resource module", id);
    buffer[0] = 0;
    for (const FixedText &f : fixedTexts)
        if (f.id == id)
            widenText(f.text, buffer, cap);
}

void setControlText(HWND dialog, int control, int id)
{
    WCHAR text[MESSAGE_BYTES];
    loadResourceText(id, text, MESSAGE_BYTES);
    SetDlgItemTextW(dialog, control, text);
}

int showResourceMessage(HWND owner, int textId, UINT style)
{
    WCHAR caption[CAPTION_BYTES];
    WCHAR text[MESSAGE_BYTES];
    loadResourceText(textId, text, MESSAGE_BYTES);
    loadResourceText(IDS_CAPTION, caption, CAPTION_BYTES);
    return showBoxW(owner, text, caption, style);
}

void insertIntoText(WCHAR *output, size_t cap, const WCHAR *format, const WCHAR *insert)
{
    if (cap == 0)
        return;
    size_t used = 0;
    bool inserted = false;
    for (const WCHAR *p = format; *p && used + 1 < cap; p++) {
        if (p[0] == '%' && p[1] == 's' && !inserted) {
            for (const WCHAR *q = insert; q && *q && used + 1 < cap; q++)
                output[used++] = *q;
            inserted = true;
            p++;
            continue;
        }
        if (p[0] == '%' && p[1] == '%')
            p++;
        output[used++] = *p;
    }
    // Never half of a character made of two units.
    if (used > 0 && IS_HIGH_SURROGATE(output[used - 1]))
        used--;
    output[used] = 0;
}

bool isSystemClose(WPARAM command)
{
    // The low four bits are the system's own.
    return (command & 0xFFF0) == SC_CLOSE;
}

bool endOnSystemClose(HWND dialog, WPARAM command, INT_PTR code)
{
    if (!isSystemClose(command))
        return false;
    EndDialog(dialog, code);
    return true;
}

INT_PTR runDialog(int templateId, HWND owner, DLGPROC procedure, LPARAM parameter)
{
    // A Unicode dialog: its template's texts reach the screen as the module
    // holds them, whatever the system's code page.
    INT_PTR end = DialogBoxParamW(resourceModule, MAKEINTRESOURCEW(templateId), owner, procedure, parameter);
    if (end == -1)
        logFailure(GetLastError(), "dialog %d could not be shown", templateId);
    return end;
}

int showResourceMessageAbout(HWND owner, const char *subject, int textId, UINT style)
{
    WCHAR text[MESSAGE_BYTES], caption[CAPTION_BYTES], about[PATH_BYTES];
    WCHAR message[PATH_BYTES + MESSAGE_BYTES + 2];
    loadResourceText(textId, text, MESSAGE_BYTES);
    loadResourceText(IDS_CAPTION, caption, CAPTION_BYTES);
    widenText(subject, about, PATH_BYTES);
    insertIntoText(message, PATH_BYTES + 2, L"%s\n\n", about);
    size_t used = (size_t)lstrlenW(message);
    lstrcpynW(message + used, text, (int)(sizeof message / sizeof message[0] - used));
    return showBoxW(owner, message, caption, style);
}

static bool formHelpPath(char *path, size_t cap)
{
    return companionPath("lumoria.hlp", path, cap);
}

void openHelp(HWND window, int context)
{
    SetupState &s = *setupState;
    char path[PATH_BYTES];
    s.helpOpened = formHelpPath(path, sizeof path) ? WinHelpA(window, path, HELP_CONTEXT, (ULONG_PTR)context) : 0;
}

void closeHelp(HWND window)
{
    SetupState &s = *setupState;
    char path[PATH_BYTES];
    if (s.helpOpened && formHelpPath(path, sizeof path))
        WinHelpA(window, path, HELP_QUIT, 0);
}
