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
};

void loadResourceText(int id, char *buffer, int cap)
{
    if (LoadStringA(resourceModule, (UINT)id, buffer, cap) > 0)
        return;
    logFailure(GetLastError(), "string %d of the resource module", id);
    buffer[0] = 0;
    for (const FixedText &f : fixedTexts)
        if (f.id == id)
            copyText(buffer, (size_t)cap, f.text);
}

int showResourceMessage(HWND owner, int textId, UINT style)
{
    char caption[CAPTION_BYTES];
    char text[MESSAGE_BYTES];
    loadResourceText(textId, text, sizeof text);
    loadResourceText(IDS_CAPTION, caption, sizeof caption);
    return showBox(owner, text, caption, style);
}

INT_PTR runDialog(int templateId, HWND owner, DLGPROC procedure, LPARAM parameter)
{
    INT_PTR end = DialogBoxParamA(resourceModule, MAKEINTRESOURCEA(templateId), owner, procedure, parameter);
    if (end == -1)
        logFailure(GetLastError(), "dialog %d could not be shown", templateId);
    return end;
}

int showResourceMessageAbout(HWND owner, const char *subject, int textId, UINT style)
{
    char text[MESSAGE_BYTES], caption[CAPTION_BYTES];
    char message[PATH_BYTES + MESSAGE_BYTES + 2];
    loadResourceText(textId, text, sizeof text);
    loadResourceText(IDS_CAPTION, caption, sizeof caption);
    formatText(message, sizeof message, "%s\n\n%s", subject, text);
    return showBox(owner, message, caption, style);
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
