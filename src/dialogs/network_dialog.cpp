// network_dialog.cpp - the network dialog (server copy): the folder every
// component goes into, the space it needs and the space free; OK checks the
// space and ends with 1, a confirmed Cancel or Close with 0.
#include <string.h>

#include "dialogs/dialog_toolkit.h"
#include "dialogs/main_dialog.h"
#include "luinsres_ids.h"
#include "state/setup_state.h"
#include "state/text.h"

int32_t networkDirLive;

static INT_PTR onInitDialog(HWND dialog)
{
    SetupState &s = *setupState;
    centreOnScreen(dialog);
    startDirectoryEdit(dialog);
    showFreeSpace(dialog);
    char needed[THOUSANDS_TEXT_BYTES];
    formatThousands(s.selectedSize, needed, sizeof needed);
    SetDlgItemTextA(dialog, IDC_NETWORK_NEEDED, needed);
    networkDirLive = 1;
    s.customSelectionMade = 0;
    SendDlgItemMessageA(dialog, IDC_NETWORK_DIRECTORY, EM_SETSEL, 0, -1);
    SetFocus(GetDlgItem(dialog, IDC_NETWORK_DIRECTORY));
    return FALSE;
}

static void onOk(HWND dialog)
{
    SetupState &s = *setupState;
    if (!takeTypedFolder(dialog))
        return;
    networkDirLive = 0;
    if (!installDirHasRoomFor(s.selectedSize)) {
        showResourceMessage(dialog, IDS_NO_SPACE, MB_ICONHAND | MB_TASKMODAL);
        return;  // the free figure no longer follows the edit from here on
    }
    readDirectory(dialog, s.installDir);
    EndDialog(dialog, 1);
}

static INT_PTR onCancel(HWND dialog)
{
    if (showResourceMessage(dialog, IDS_CONFIRM_CANCEL, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDNO)
        return FALSE;
    networkDirLive = 0;
    EndDialog(dialog, 0);
    return TRUE;
}

static INT_PTR onCommand(HWND dialog, WPARAM wParam)
{
    if (HIWORD(wParam) != BN_CLICKED)
        return FALSE;
    switch (LOWORD(wParam)) {
    case IDOK: onOk(dialog); return FALSE;
    case IDCANCEL: return onCancel(dialog);
    default: return FALSE;
    }
}

// Close from the system menu: no confirmation. As in the main dialog, only a
// confirmed cancel answers TRUE; the command is otherwise left to the default
// handling.
static INT_PTR onSysCommand(HWND dialog, WPARAM command)
{
    if (isSystemClose(command)) {
        networkDirLive = 0;
        EndDialog(dialog, 0);
    }
    return FALSE;
}

extern "C" INT_PTR WINAPI networkProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    (void)lParam;
    if (networkDirLive)
        followDirectoryEdit(dialog);
    switch (message) {
    case WM_INITDIALOG: return onInitDialog(dialog);
    case WM_COMMAND: return onCommand(dialog, wParam);
    case WM_SYSCOMMAND: return onSysCommand(dialog, wParam);
    default: return FALSE;
    }
}
