// progress_dialog.cpp - WaitDialog: the small modal dialog inside which a
// long piece of work runs. It shows one message, waits for a one-second
// timer, then runs the work once under the hourglass cursor and ends itself
// with the work's result. It knows nothing of what the work does.
#include "progress_dialog.h"

#include "dialog_toolkit.h"
#include "luinsres_ids.h"
#include "state/setup_log.h"
#include "state/setup_state.h"

enum { PROGRESS_TIMER = 1 };

UINT progressTimerPeriodMs = 1000;

static UINT_PTR startTimerOfSystem(HWND dialog, UINT periodMs)
{
    return SetTimer(dialog, PROGRESS_TIMER, periodMs, nullptr);
}

UINT_PTR (*startProgressTimer)(HWND dialog, UINT periodMs) = startTimerOfSystem;

// What one showing runs, handed to the dialog as it opens.
struct Working {
    int messageId;
    bool centred;
    int (*work)(HWND dialog);
    bool done;      // a stray second WM_CLOSE must not run the work twice
};

static Working *workingOf(HWND dialog) { return (Working *)GetWindowLongPtrA(dialog, DWLP_USER); }

static INT_PTR onInitDialog(HWND dialog, Working *working)
{
    SetWindowLongPtrA(dialog, DWLP_USER, (LONG_PTR)working);
    if (!working || working->centred)
        centreOnScreen(dialog);
    else
        placeAboveBottom(dialog);
    setControlText(dialog, IDC_PROGRESS_MESSAGE, working ? working->messageId : IDS_PROGRESS_CONFIGURING);
    if (!startProgressTimer(dialog, progressTimerPeriodMs)) {
        logFailure(GetLastError(), "the progress dialog's timer");
        PostMessageA(dialog, WM_CLOSE, 0, 0);
    }
    return FALSE;  // no keyboard focus for a dialog without controls to use
}

static INT_PTR onTimer(HWND dialog)
{
    // One tick is all the dialog waits for.
    KillTimer(dialog, PROGRESS_TIMER);
    PostMessageA(dialog, WM_CLOSE, 0, 0);
    return FALSE;
}

static INT_PTR onClose(HWND dialog)
{
    Working *working = workingOf(dialog);
    if (!working || !working->work) {
        EndDialog(dialog, WORK_NOT_RUN);
        return TRUE;
    }
    if (working->done)
        return TRUE;
    working->done = true;
    HCURSOR previous = SetCursor(LoadCursorA(nullptr, (LPCSTR)IDC_WAIT));
    int result = working->work(dialog);
    SetCursor(previous);
    EndDialog(dialog, result);
    return TRUE;
}

static INT_PTR onSysCommand(HWND dialog, WPARAM command)
{
    if ((command & 0xFFFF) == SC_CLOSE)
        EndDialog(dialog, WORK_NOT_RUN);
    return FALSE;
}

extern "C" INT_PTR WINAPI WaitDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: return onInitDialog(dialog, (Working *)lParam);
    case WM_TIMER: return onTimer(dialog);
    case WM_CLOSE: return onClose(dialog);
    case WM_SYSCOMMAND: return onSysCommand(dialog, wParam);
    default: return FALSE;
    }
}

int showWorking(HWND owner, int messageId, bool centred, int (*work)(HWND dialog))
{
    Working working = {messageId, centred, work, false};
    return (int)runDialog(DLG_PROGRESS, owner, WaitDialog, (LPARAM)&working);
}
