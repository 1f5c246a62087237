// autopilot.cpp - the CBT hook, the record of dialogs seen and the action queue.
#include "autopilot.h"

#include <deque>
#include <set>

namespace {

HHOOK hook;
std::deque<DialogAction> pending;
std::vector<DialogSeen> log;
std::set<HWND> handled;
std::deque<HWND> toRun;

std::string windowText(HWND window)
{
    char text[1024] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

std::string windowClass(HWND window)
{
    char name[64] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}

BOOL CALLBACK collectControl(HWND child, LPARAM param)
{
    auto *seen = reinterpret_cast<DialogSeen *>(param);
    ControlSeen c;
    c.id = GetDlgCtrlID(child);
    c.className = windowClass(child);
    c.text = windowText(child);
    c.enabled = IsWindowEnabled(child) != 0;
    c.visible = IsWindowVisible(child) != 0;
    c.checked = c.className == "Button" && SendMessageA(child, BM_GETCHECK, 0, 0) == BST_CHECKED;
    seen->controls.push_back(c);
    return TRUE;
}

// A message box is a dialog whose buttons are all IDOK..IDCONTINUE and which
// has a static text; the library's own dialogs carry other control IDs.
bool looksLikeMessageBox(const DialogSeen &seen, std::string *message)
{
    bool hasButton = false;
    for (const ControlSeen &c : seen.controls) {
        if (c.className == "Button") {
            if (c.id < 1 || c.id > 11)
                return false;
            hasButton = true;
        } else if (c.className == "Static" && !c.text.empty()) {
            *message = c.text;
        } else if (c.className != "Static") {
            return false;
        }
    }
    return hasButton && !message->empty();
}

void CALLBACK runNext(HWND window, UINT, UINT_PTR timer, DWORD)
{
    KillTimer(window, timer);
    if (toRun.empty())
        return;
    HWND dialog = toRun.front();
    toRun.pop_front();
    if (!IsWindow(dialog))
        return;
    DialogSeen seen;
    seen.caption = windowText(dialog);
    EnumChildWindows(dialog, collectControl, (LPARAM)&seen);
    seen.messageBox = looksLikeMessageBox(seen, &seen.text);
    if (pending.empty()) {
        seen.unexpected = true;
        log.push_back(seen);
        if (seen.messageBox) {
            LRESULT def = SendMessageA(dialog, DM_GETDEFID, 0, 0);
            int id = HIWORD(def) == DC_HASDEFID ? LOWORD(def) : IDOK;
            clickButton(dialog, id);
        } else {
            PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
        }
        return;
    }
    DialogAction action = pending.front();
    pending.pop_front();
    log.push_back(seen);
    action(dialog, log.back());
}

LRESULT CALLBACK onCbt(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_ACTIVATE) {
        HWND window = (HWND)wParam;
        if (windowClass(window) == "#32770" && handled.insert(window).second) {
            toRun.push_back(window);
            SetTimer(window, (UINT_PTR)window, 10, runNext);
        }
    } else if (code == HCBT_DESTROYWND) {
        handled.erase((HWND)wParam);
    }
    return CallNextHookEx(hook, code, wParam, lParam);
}

} // namespace

const ControlSeen *DialogSeen::control(int id) const
{
    for (const ControlSeen &c : controls)
        if (c.id == id)
            return &c;
    return nullptr;
}

void autopilotStart()
{
    autopilotStop();
    log.clear();
    pending.clear();
    handled.clear();
    toRun.clear();
    hook = SetWindowsHookExA(WH_CBT, onCbt, nullptr, GetCurrentThreadId());
}

void autopilotStop()
{
    if (hook)
        UnhookWindowsHookEx(hook);
    hook = nullptr;
}

void autopilotQueue(DialogAction action) { pending.push_back(std::move(action)); }

DialogAction pressButton(int id)
{
    return [id](HWND dialog, DialogSeen &) { clickButton(dialog, id); };
}

DialogAction closeWindow()
{
    return [](HWND dialog, DialogSeen &) { PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); };
}

const std::vector<DialogSeen> &autopilotLog() { return log; }
size_t autopilotPending() { return pending.size(); }

std::string controlText(HWND dialog, int id)
{
    HWND control = GetDlgItem(dialog, id);
    return control ? windowText(control) : std::string();
}

void clickButton(HWND dialog, int id)
{
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)GetDlgItem(dialog, id));
}

void setEditText(HWND dialog, int id, const char *text)
{
    SetDlgItemTextA(dialog, id, text);
}
