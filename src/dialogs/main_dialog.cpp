// main_dialog.cpp - the main dialog: the installation directory, the free
// space on its drive and the space the full and the default selections need
// (catalogue/space.cpp computes them), and the choice of standard, custom or
// workstation installation. Owns mainDirLive.
#include "main_dialog.h"

#include <string.h>

#include "catalogue/selection.h"
#include "catalogue/space.h"
#include "dialog_toolkit.h"
#include "luinsres_ids.h"
#include "state/setup_state.h"
#include "state/text.h"

int32_t mainDirLive;

// The directory edit holds what fits the host record's 200-byte slot.
constexpr int DIRECTORY_BYTES = 200;

enum MainDialogEnd { MAIN_CANCELLED = 0, MAIN_STANDARD = 1, MAIN_CUSTOM = 2, MAIN_WORKSTATION = 3 };

static void showFigure(HWND dialog, int control, int64_t value)
{
    char text[THOUSANDS_TEXT_BYTES];
    formatThousands(value, text, sizeof text);
    SetDlgItemTextA(dialog, control, text);
}

// ---------------------------------------------------------------------------
// The dialog

// The directory edit and the free figure carry the same control IDs in the
// main and the network dialog; these helpers serve both.
static_assert(IDC_MAIN_DIRECTORY == IDC_NETWORK_DIRECTORY && IDC_MAIN_FREE == IDC_NETWORK_FREE,
              "one directory edit and free figure in both templates");

void showFreeSpace(HWND dialog)
{
    SetupState &s = *setupState;
    char freeText[PATH_BYTES];
    computeFreeSpace(s.installDir, freeText, sizeof freeText);
    SetDlgItemTextA(dialog, IDC_MAIN_FREE, freeText);
}

bool readDirectory(HWND dialog, char *buffer)
{
    buffer[0] = 0;
    WCHAR typed[DIRECTORY_BYTES];
    typed[0] = 0;
    GetDlgItemTextW(dialog, IDC_MAIN_DIRECTORY, typed, DIRECTORY_BYTES);
    // Into the system's code page, as the host's record holds folders: a
    // character it has no byte for is never turned into another, and a name
    // longer than the slot is never cut.
    bool utf8 = GetACP() == CP_UTF8;
    BOOL substituted = FALSE;
    int n = WideCharToMultiByte(CP_ACP, utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS, typed, -1, buffer,
                                DIRECTORY_BYTES, nullptr, utf8 ? nullptr : &substituted);
    if (n > 0 && !substituted)
        return true;
    buffer[0] = 0;
    return false;
}

bool takeTypedFolder(HWND dialog)
{
    char typed[DIRECTORY_BYTES];
    if (!readDirectory(dialog, typed)) {
        showResourceMessage(dialog, IDS_FOLDER_UNUSABLE, MB_ICONEXCLAMATION | MB_TASKMODAL);
        return false;
    }
    copyText(setupState->installDir, sizeof setupState->installDir, typed);
    return true;
}

void startDirectoryEdit(HWND dialog)
{
    // One character less than the buffer, so that what the user types is what
    // the directory becomes, and fits the host record.
    SendDlgItemMessageA(dialog, IDC_MAIN_DIRECTORY, EM_LIMITTEXT, DIRECTORY_BYTES - 1, 0);
    SetDlgItemTextA(dialog, IDC_MAIN_DIRECTORY, setupState->installDir);
}

// While the dialog is live, every message first follows the directory edit,
// so that the free figure tracks the drive as the user types. The comparison
// is case-sensitive on purpose: any change recomputes.
void followDirectoryEdit(HWND dialog)
{
    SetupState &s = *setupState;
    if (!GetDlgItem(dialog, IDC_MAIN_DIRECTORY))
        return;
    char typed[PATH_BYTES];
    // A folder that cannot be taken leaves the figure of the last one.
    if (!readDirectory(dialog, typed) || strcmp(typed, s.installDir) == 0)
        return;
    copyText(s.installDir, sizeof s.installDir, typed);
    showFreeSpace(dialog);
}

static void showUpgradeFigures(HWND dialog)
{
    SetupState &s = *setupState;
    setControlText(dialog, IDC_MAIN_CUSTOM, IDS_UPGRADE_CUSTOM);
    SetFocus(GetDlgItem(dialog, IDC_MAIN_STANDARD));
    computeMainFigures();
    showFigure(dialog, IDC_MAIN_FULL_SIZE, s.fullSelectionSize);
    showFigure(dialog, IDC_MAIN_DEFAULT_SIZE, s.fullSelectionSize);
}

static void showInstallFigures(HWND dialog)
{
    SetupState &s = *setupState;
    if (computeMainFigures()) {
        SetFocus(GetDlgItem(dialog, IDC_MAIN_STANDARD));
        showFigure(dialog, IDC_MAIN_FULL_SIZE, s.fullSelectionSize);
        showFigure(dialog, IDC_MAIN_DEFAULT_SIZE, s.defaultSelectionSize);
        return;
    }
    EnableWindow(GetDlgItem(dialog, IDC_MAIN_STANDARD), FALSE);
    SetFocus(GetDlgItem(dialog, IDC_MAIN_CUSTOM));
    showFigure(dialog, IDC_MAIN_FULL_SIZE, s.fullSelectionSize);
}

static INT_PTR onMainInitDialog(HWND dialog)
{
    SetupState &s = *setupState;
    s.helpOpened = 0;
    centreOnScreen(dialog);
    showFreeSpace(dialog);
    startDirectoryEdit(dialog);
    mainDirLive = 1;
    if (!networkOptionEnabled)
        EnableWindow(GetDlgItem(dialog, IDC_MAIN_WORKSTATION), FALSE);
    if (s.upgradeMode)
        showUpgradeFigures(dialog);
    else
        showInstallFigures(dialog);
    return 0;  // the focus has been set
}

static void endMainDialog(HWND dialog, int result)
{
    mainDirLive = 0;
    EndDialog(dialog, result);
}

static void onStandardClicked(HWND dialog)
{
    SetupState &s = *setupState;
    if (!takeTypedFolder(dialog))
        return;
    if (!installDirHasRoomFor(s.defaultSelectionSize)) {
        showResourceMessage(dialog, IDS_NO_SPACE, MB_ICONHAND | MB_TASKMODAL);
        return;
    }
    mainDirLive = 0;
    readDirectory(dialog, s.installDir);
    spaceUsed = s.defaultSelectionSize;
    closeHelp(dialog);
    endMainDialog(dialog, MAIN_STANDARD);
}

// The options dialog makes its own space check.
static void onCustomClicked(HWND dialog)
{
    SetupState &s = *setupState;
    if (!takeTypedFolder(dialog))
        return;
    closeHelp(dialog);
    char freeText[PATH_BYTES];
    computeFreeSpace(s.installDir, freeText, sizeof freeText);
    endMainDialog(dialog, MAIN_CUSTOM);
}

// A workstation copies nothing of its own: no space check, spaceUsed kept.
static void onWorkstationClicked(HWND dialog)
{
    if (!takeTypedFolder(dialog))
        return;
    closeHelp(dialog);
    endMainDialog(dialog, MAIN_WORKSTATION);
}

static INT_PTR onCancelClicked(HWND dialog)
{
    int answer = showResourceMessage(dialog, IDS_CONFIRM_CANCEL, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2);
    if (answer == IDNO)
        return 0;
    mainDirLive = 0;
    closeHelp(dialog);
    EndDialog(dialog, MAIN_CANCELLED);
    return 1;
}

static INT_PTR onMainCommand(HWND dialog, int control, int notification)
{
    // Every button acts on a click only: a focus or double-click notification
    // from the workstation button is no choice of a workstation installation.
    if (notification != BN_CLICKED)
        return 0;
    switch (control) {
    case IDC_MAIN_WORKSTATION: onWorkstationClicked(dialog); return 0;
    case IDC_MAIN_STANDARD: onStandardClicked(dialog); return 0;
    case IDC_MAIN_CUSTOM: onCustomClicked(dialog); return 0;
    case IDC_HELP_BUTTON: openHelp(dialog, HELP_CONTEXT_MAIN); return 0;
    case IDCANCEL: return onCancelClicked(dialog);
    }
    return 0;
}

// Close from the system menu: no confirmation, and help stays as it is.
static INT_PTR onMainSysCommand(HWND dialog, WPARAM command)
{
    if (isSystemClose(command))
        endMainDialog(dialog, MAIN_CANCELLED);
    return 0;
}

extern "C" INT_PTR WINAPI MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    (void)lParam;
    if (mainDirLive)
        followDirectoryEdit(dialog);
    switch (message) {
    case WM_INITDIALOG: return onMainInitDialog(dialog);
    case WM_COMMAND: return onMainCommand(dialog, LOWORD(wParam), HIWORD(wParam));
    case WM_SYSCOMMAND: return onMainSysCommand(dialog, wParam);
    case WM_DESTROY: mainDirLive = 0; return 0;
    }
    return 0;
}
