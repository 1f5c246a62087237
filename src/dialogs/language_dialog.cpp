// language_dialog.cpp - the language dialog (template 502): one button per
// language install.ini offers, the first of them checked; OK ends with the
// language checked in languageFlags, Cancel and Close with 0.
#include "language_dialog.h"

#include "dialog_toolkit.h"
#include "luinsres_ids.h"
#include "state/setup_state.h"

static INT_PTR onLanguageInit(HWND dialog)
{
    centreOnScreen(dialog);
    int chosen = 0;
    for (int i = 0; i < languageCount(); i++) {
        const Language &language = languageAt(i);
        if (!(setupState->languageFlags & language.bit))
            EnableWindow(GetDlgItem(dialog, language.button), FALSE);
        else if (!chosen)
            chosen = language.button;
    }
    if (chosen)
        SendDlgItemMessageA(dialog, chosen, BM_SETCHECK, BST_CHECKED, 0);
    return TRUE;
}

static void onLanguageOk(HWND dialog)
{
    // Spanish is what remains when none of the first three is checked.
    int32_t chosen = LANGUAGE_SPANISH;
    for (int i = 0; i < languageCount(); i++) {
        const Language &language = languageAt(i);
        if (language.bit != LANGUAGE_SPANISH &&
            IsDlgButtonChecked(dialog, language.button) == BST_CHECKED) {
            chosen = language.bit;
            break;
        }
    }
    setupState->languageFlags = chosen;
    EndDialog(dialog, 1);
}

static INT_PTR onLanguageCommand(HWND dialog, WPARAM wParam)
{
    if (HIWORD(wParam) != BN_CLICKED)
        return FALSE;
    switch (LOWORD(wParam)) {
    case IDOK:            onLanguageOk(dialog); return TRUE;
    case IDCANCEL:        EndDialog(dialog, 0); return TRUE;
    case IDC_HELP_BUTTON: openHelp(dialog, HELP_CONTEXT_OPTIONS); return TRUE;
    }
    return FALSE;
}

extern "C" INT_PTR WINAPI LangDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    (void)lParam;
    switch (message) {
    case WM_INITDIALOG: return onLanguageInit(dialog);
    case WM_COMMAND:    return onLanguageCommand(dialog, wParam);
    case WM_CLOSE:      EndDialog(dialog, 0); return TRUE;
    case WM_SYSCOMMAND: return endOnSystemClose(dialog, wParam, 0);
    }
    return FALSE;
}
