// reinstall_dialog.cpp - the reinstall dialog (template 4): modify,
// reinstall or remove the installation found, or stop. It offers the ways
// the installation leaves open and ends with the one chosen; the entry that
// asked makes it.
#include "reinstall_dialog.h"

#include "dialog_toolkit.h"
#include "luinsres_ids.h"
#include "registry/previous_install.h"
#include "state/setup_state.h"

constexpr UINT QUESTION_DEFAULT_NO = MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2;

static INT_PTR onReinstallInit(HWND dialog)
{
    setupState->helpOpened = 0;
    centreOnScreen(dialog);
    // The first way offered takes the focus.
    int focus = IDC_REINSTALL_REMOVE;
    if (!reinstallWayOffered(HAVEKEY_REINSTALL))
        EnableWindow(GetDlgItem(dialog, IDC_REINSTALL_REINSTALL), FALSE);
    else
        focus = IDC_REINSTALL_REINSTALL;
    if (!reinstallWayOffered(HAVEKEY_MODIFY))
        EnableWindow(GetDlgItem(dialog, IDC_REINSTALL_MODIFY), FALSE);
    else
        focus = IDC_REINSTALL_MODIFY;
    SetFocus(GetDlgItem(dialog, focus));
    return FALSE;  // the focus is set
}

static void onReinstallCancel(HWND dialog)
{
    if (showResourceMessage(dialog, IDS_CONFIRM_CANCEL, QUESTION_DEFAULT_NO) == IDNO)
        return;
    closeHelp(dialog);
    EndDialog(dialog, HAVEKEY_STOP);
}

static void onModify(HWND dialog)
{
    closeHelp(dialog);
    EndDialog(dialog, HAVEKEY_MODIFY);
}

static void onReinstall(HWND dialog)
{
    closeHelp(dialog);
    EndDialog(dialog, HAVEKEY_REINSTALL);
}

static void onRemove(HWND dialog)
{
    closeHelp(dialog);
    EndDialog(dialog, HAVEKEY_REMOVE);
}

static INT_PTR onReinstallCommand(HWND dialog, WPARAM wParam)
{
    if (HIWORD(wParam) != BN_CLICKED)
        return FALSE;
    switch (LOWORD(wParam)) {
    case IDCANCEL:                onReinstallCancel(dialog); return TRUE;
    case IDC_REINSTALL_MODIFY:    onModify(dialog); return TRUE;
    case IDC_REINSTALL_REINSTALL: onReinstall(dialog); return TRUE;
    case IDC_REINSTALL_REMOVE:    onRemove(dialog); return TRUE;
    case IDC_HELP_BUTTON:         openHelp(dialog, HELP_CONTEXT_OPTIONS); return TRUE;
    }
    return FALSE;
}

extern "C" INT_PTR WINAPI ReinstallDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    (void)lParam;
    switch (message) {
    case WM_INITDIALOG: return onReinstallInit(dialog);
    case WM_COMMAND:    return onReinstallCommand(dialog, wParam);
    case WM_SYSCOMMAND: return endOnSystemClose(dialog, wParam, HAVEKEY_STOP);
    }
    return FALSE;
}
