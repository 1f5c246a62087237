// list_keyboard.cpp - the subclass of the options dialog's list box. The list
// box's own keyboard handling reports each move as a selection change, and
// the dialog takes a selection change onto the highlighted entry as the
// click that toggles it: a key that came back onto that entry (after passing
// an unavailable one, which keeps the highlight) or a letter that found it
// again would toggle it, and Space only searches for an entry starting with
// a blank. So the subclass moves the list's selection itself, tells the
// dialog only of moves a click would make, and turns Space into the double
// click that toggles. It hands WM_GETOBJECT to the list's accessible object
// and cuts that object loose when the list goes. The window procedure it
// replaced is kept in a window property.
#include "list_keyboard.h"

#include "component_list.h"
#include "list_accessible.h"

static const char KEPT_PROCEDURE[] = "dialogint.listProcedure";

static LRESULT callListProcedure(HWND list, UINT message, WPARAM wParam, LPARAM lParam)
{
    WNDPROC kept = (WNDPROC)GetPropA(list, KEPT_PROCEDURE);
    if (!kept)
        return DefWindowProcW(list, message, wParam, lParam);
    return CallWindowProcW(kept, list, message, wParam, lParam);
}

// The list's owner hears what a click would have told it.
static void notifyOwner(HWND list, WORD notification)
{
    SendMessageA(GetParent(list), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(list), notification), (LPARAM)list);
}

// Once a key was used, focus rectangles show in the whole dialog, as after
// Tab in any dialog.
static void showKeyboardCues(HWND list)
{
    SendMessageA(GetAncestor(list, GA_ROOT), WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
}

// Whole rows the list shows at once, at least one.
static int rowsShown(HWND list)
{
    RECT client;
    GetClientRect(list, &client);
    LRESULT height = SendMessageA(list, LB_GETITEMHEIGHT, 0, 0);
    if (height <= 0 || height == LB_ERR)
        return 1;
    int rows = (int)(client.bottom / height);
    return rows > 1 ? rows : 1;
}

// The position a moving key leads to from current; -1 for any other key.
static int movedPosition(HWND list, WPARAM key, int current, int count)
{
    int page = rowsShown(list) - 1;
    if (page < 1)
        page = 1;
    int target;
    switch (key) {
    case VK_UP:
    case VK_LEFT: target = current - 1; break;
    case VK_DOWN:
    case VK_RIGHT: target = current + 1; break;
    case VK_PRIOR: target = current - page; break;
    case VK_NEXT: target = current + page; break;
    case VK_HOME: target = 0; break;
    case VK_END: target = count - 1; break;
    default: return -1;
    }
    // Without a current entry the first key lands on the first one.
    if (current < 0)
        target = key == VK_END ? count - 1 : 0;
    if (target < 0)
        target = 0;
    if (target > count - 1)
        target = count - 1;
    return target;
}

// A key only moves. The dialog takes a selection change onto the highlighted
// entry as the click that toggles it, so a key that comes back to that entry
// (after passing an unavailable one, which keeps the highlight where it was)
// moves the list's selection without telling the dialog; neither does a move
// onto an unavailable entry, which the dialog would ignore. Screen readers
// hear of both moves here; the dialog announces the others.
static void moveTo(HWND list, int target, int current)
{
    if (target < 0 || target == current)
        return;
    SendMessageA(list, LB_SETCURSEL, (WPARAM)target, 0);
    const ComponentItem *item = itemAtListPosition(target);
    if (item && !(item->flags & (ITEM_HIGHLIGHTED | ITEM_UNAVAILABLE)))
        notifyOwner(list, LBN_SELCHANGE);
    else
        announceListEntry(list, target);
}

static bool onListKeyDown(HWND list, WPARAM key)
{
    int count = (int)SendMessageA(list, LB_GETCOUNT, 0, 0);
    int current = (int)SendMessageA(list, LB_GETCURSEL, 0, 0);
    if (key == VK_SPACE) {
        showKeyboardCues(list);
        if (current >= 0)
            notifyOwner(list, LBN_DBLCLK);
        return true;
    }
    if (count <= 0)
        return false;
    int target = movedPosition(list, key, current, count);
    if (target < 0)
        return false;
    showKeyboardCues(list);
    moveTo(list, target, current);
    return true;
}

// A letter moves to the next entry that starts with it, as in any list, and
// never toggles the entry it is on.
static void onListChar(HWND list, WPARAM character)
{
    WCHAR prefix[2] = {(WCHAR)character, 0};
    int current = (int)SendMessageW(list, LB_GETCURSEL, 0, 0);
    int found = (int)SendMessageW(list, LB_FINDSTRING, (WPARAM)current, (LPARAM)prefix);
    if (found != LB_ERR)
        moveTo(list, found, current);
}

static LRESULT CALLBACK listKeyboardProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_KEYDOWN:
        if (onListKeyDown(list, wParam))
            return 0;
        break;
    case WM_CHAR:
        if (wParam > ' ') {
            onListChar(list, wParam);
            return 0;
        }
        if (wParam == ' ')
            return 0;
        break;
    case WM_GETOBJECT: {
        LRESULT answer = answerListObject(list, wParam, lParam);
        if (answer)
            return answer;
        break;
    }
    case WM_NCDESTROY: {
        disconnectListObject(list);
        WNDPROC kept = (WNDPROC)RemovePropA(list, KEPT_PROCEDURE);
        if (kept) {
            SetWindowLongPtrW(list, GWLP_WNDPROC, (LONG_PTR)kept);
            return CallWindowProcW(kept, list, message, wParam, lParam);
        }
        return DefWindowProcW(list, message, wParam, lParam);
    }
    }
    return callListProcedure(list, message, wParam, lParam);
}

void attachListKeyboard(HWND list)
{
    if (!list || GetPropA(list, KEPT_PROCEDURE))
        return;
    // The W functions keep the list a Unicode window, so that the names it
    // holds stay whole.
    LONG_PTR kept = GetWindowLongPtrW(list, GWLP_WNDPROC);
    if (!kept || !SetPropA(list, KEPT_PROCEDURE, (HANDLE)kept))
        return;
    SetWindowLongPtrW(list, GWLP_WNDPROC, (LONG_PTR)listKeyboardProc);
}
