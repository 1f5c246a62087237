// autopilot.cpp - the CBT hook, the record of dialogs seen, the action queue
// and the sequences of steps on one dialog.
#include "autopilot.h"

#include <algorithm>
#include <deque>
#include <map>
#include <memory>
#include <set>

namespace {

struct Expected {
    std::string caption;   // empty: any
    int controlId = 0;     // 0: any
    DialogAction action;
};

struct RunningSequence {
    HWND dialog;
    size_t logIndex;
    std::vector<DialogStep> steps;
    size_t next = 0;
    bool waiting = false;   // the current step is a wait that has begun
    DWORD waitStarted = 0;  // tick count when it began
    bool busy = false;      // a step is running (it may pump messages itself)
};

constexpr UINT TICK_MS = 10;

HHOOK hook;
std::deque<Expected> pending;
std::vector<DialogSeen> log;
std::set<HWND> handled;
std::deque<HWND> toRun;
std::map<UINT_PTR, RunningSequence> sequences;
UINT_PTR nextSequenceTimer = 0x5E00;
// The log entry that the action running now belongs to, for steps built
// from plain actions.
size_t currentLogIndex;

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

ControlSeen describeControl(HWND child)
{
    ControlSeen c;
    c.id = GetDlgCtrlID(child);
    c.className = windowClass(child);
    c.text = windowText(child);
    c.enabled = IsWindowEnabled(child) != 0;
    c.visible = IsWindowVisible(child) != 0;
    c.checked = c.className == "Button" && SendMessageA(child, BM_GETCHECK, 0, 0) == BST_CHECKED;
    c.focused = GetFocus() == child;
    return c;
}

BOOL CALLBACK collectControl(HWND child, LPARAM param)
{
    auto *seen = reinterpret_cast<DialogSeen *>(param);
    seen->controls.push_back(describeControl(child));
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

DialogSeen describeDialog(HWND dialog)
{
    DialogSeen seen;
    seen.caption = windowText(dialog);
    EnumChildWindows(dialog, collectControl, (LPARAM)&seen);
    seen.messageBox = looksLikeMessageBox(seen, &seen.text);
    return seen;
}

bool matches(const Expected &e, const DialogSeen &seen)
{
    if (!e.caption.empty() && e.caption != seen.caption)
        return false;
    return e.controlId == 0 || seen.control(e.controlId) != nullptr;
}

void dismiss(HWND dialog, const DialogSeen &seen)
{
    if (seen.messageBox) {
        LRESULT def = SendMessageA(dialog, DM_GETDEFID, 0, 0);
        int id = HIWORD(def) == DC_HASDEFID ? LOWORD(def) : IDOK;
        clickButton(dialog, id);
    } else {
        PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    }
}

void CALLBACK runNext(HWND window, UINT, UINT_PTR timer, DWORD)
{
    KillTimer(window, timer);
    auto waiting = std::find(toRun.begin(), toRun.end(), window);
    if (waiting == toRun.end())
        return;
    HWND dialog = window;
    // A modal dialog is activated before it shows: the platform shows it when
    // its loop first runs out of messages. Its controls are read once visible.
    if (IsWindow(dialog) && !IsWindowVisible(dialog)) {
        SetTimer(dialog, timer, TICK_MS, runNext);
        return;
    }
    toRun.erase(waiting);
    if (!IsWindow(dialog))
        return;
    DialogSeen seen = describeDialog(dialog);
    if (pending.empty() || !matches(pending.front(), seen)) {
        seen.unexpected = true;
        log.push_back(seen);
        dismiss(dialog, seen);
        return;
    }
    DialogAction action = pending.front().action;
    pending.pop_front();
    log.push_back(seen);
    currentLogIndex = log.size() - 1;
    action(dialog, log.back());
}

// Runs the current step; true when it is done and the sequence moves on.
bool runStep(RunningSequence &run)
{
    DialogStep &step = run.steps[run.next];
    DialogSeen &seen = log[run.logIndex];
    if (!step.until) {
        step.action(run.dialog, seen);
        return true;
    }
    if (!run.waiting) {
        run.waiting = true;
        run.waitStarted = GetTickCount();
    }
    if (step.until(run.dialog)) {
        run.waiting = false;
        return true;
    }
    if (GetTickCount() - run.waitStarted <= step.timeoutMs)
        return false;
    seen.notes.push_back("step " + std::to_string(run.next + 1) + " timed out waiting");
    run.waiting = false;
    return true;
}

void CALLBACK runSequenceStep(HWND window, UINT, UINT_PTR timer, DWORD)
{
    auto found = sequences.find(timer);
    if (found == sequences.end()) {
        KillTimer(window, timer);
        return;
    }
    // A box of the dialog's own disables it; the next step waits for the box.
    if (found->second.busy || !IsWindow(found->second.dialog) || !IsWindowEnabled(found->second.dialog))
        return;
    currentLogIndex = found->second.logIndex;
    found->second.busy = true;
    bool done = runStep(found->second);
    found = sequences.find(timer);  // the dialog may have ended meanwhile
    if (found == sequences.end())
        return;
    found->second.busy = false;
    if (done && ++found->second.next == found->second.steps.size()) {
        KillTimer(window, timer);
        sequences.erase(found);
    }
}

LRESULT CALLBACK onCbt(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_ACTIVATE) {
        HWND window = (HWND)wParam;
        if (windowClass(window) == "#32770" && handled.insert(window).second) {
            toRun.push_back(window);
            SetTimer(window, (UINT_PTR)window, TICK_MS, runNext);
        }
    } else if (code == HCBT_DESTROYWND) {
        HWND window = (HWND)wParam;
        handled.erase(window);
        for (auto it = sequences.begin(); it != sequences.end();) {
            if (it->second.dialog != window) {
                ++it;
                continue;
            }
            size_t left = it->second.steps.size() - it->second.next;
            log[it->second.logIndex].notes.push_back(std::to_string(left) + " step(s) not run: the dialog ended");
            it = sequences.erase(it);
        }
    }
    return CallNextHookEx(hook, code, wParam, lParam);
}

void queueExpected(Expected e) { pending.push_back(std::move(e)); }

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
    sequences.clear();
    hook = SetWindowsHookExA(WH_CBT, onCbt, nullptr, GetCurrentThreadId());
}

void autopilotStop()
{
    if (hook)
        UnhookWindowsHookEx(hook);
    hook = nullptr;
    sequences.clear();
}

void autopilotQueue(DialogAction action) { queueExpected(Expected{"", 0, std::move(action)}); }

void autopilotQueueForCaption(const std::string &caption, DialogAction action)
{
    queueExpected(Expected{caption, 0, std::move(action)});
}

void autopilotQueueForControl(int controlId, DialogAction action)
{
    queueExpected(Expected{"", controlId, std::move(action)});
}

DialogAction pressButton(int id)
{
    return [id](HWND dialog, DialogSeen &) { clickButton(dialog, id); };
}

DialogAction closeWindow()
{
    return [](HWND dialog, DialogSeen &) { PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); };
}

DialogAction pressEnter()
{
    return [](HWND dialog, DialogSeen &) {
        HWND target = GetFocus();
        if (!target || (target != dialog && !IsChild(dialog, target)))
            target = dialog;
        PostMessageA(target, WM_KEYDOWN, VK_RETURN, 1);
        PostMessageA(target, WM_KEYUP, VK_RETURN, 0xC0000001);
    };
}

DialogAction typeText(int editId, const std::string &text)
{
    return [editId, text](HWND dialog, DialogSeen &) { typeIntoEdit(dialog, editId, text); };
}

DialogAction selectEntry(int listId, int index)
{
    return [listId, index](HWND dialog, DialogSeen &) { selectListEntry(dialog, listId, index); };
}

DialogAction doubleClickEntry(int listId, int index)
{
    return [listId, index](HWND dialog, DialogSeen &) { doubleClickListEntry(dialog, listId, index); };
}

DialogAction recordState()
{
    return [](HWND dialog, DialogSeen &) {
        DialogSeen now = describeDialog(dialog);
        now.snapshot = true;
        log.push_back(now);
    };
}

DialogAction pressKey(UINT key)
{
    return [key](HWND dialog, DialogSeen &) { postKey(dialog, key); };
}

DialogAction pressMnemonicOf(int controlId)
{
    return [controlId](HWND dialog, DialogSeen &seen) {
        HWND control = GetDlgItem(dialog, controlId);
        WCHAR letter = control ? mnemonicOf(wideTextOf(control)) : 0;
        if (!letter) {
            seen.notes.push_back("control " + std::to_string(controlId) + " has no mnemonic");
            return;
        }
        HWND target = GetFocus();
        if (!target || (target != dialog && !IsChild(dialog, target)))
            target = dialog;
        // Alt held: the context bit of the key's lParam.
        // In UTF-16, as a keyboard gives it: a Cyrillic mnemonic has no byte
        // in a Western code page. The letter as the text writes it: Wine's
        // dialog manager matches other cases of ASCII letters alone.
        PostMessageW(target, WM_SYSCHAR, (WPARAM)letter, 0x20000001);
    };
}

DialogAction inspect(std::function<void(HWND dialog)> check)
{
    return [check](HWND dialog, DialogSeen &) { check(dialog); };
}

DialogStep waitUntil(std::function<bool(HWND dialog)> condition, DWORD timeoutMs)
{
    return DialogStep(std::move(condition), timeoutMs);
}

DialogStep pauseFor(DWORD ms)
{
    struct Pause {
        bool running = false;
        DWORD started = 0;
    };
    auto pause = std::make_shared<Pause>();
    return waitUntil(
        [pause, ms](HWND) {
            if (!pause->running) {
                pause->running = true;
                pause->started = GetTickCount();
            }
            if (GetTickCount() - pause->started < ms)
                return false;
            pause->running = false;
            return true;
        },
        ms + 1000);
}

DialogAction sequence(std::vector<DialogStep> steps)
{
    auto shared = std::make_shared<std::vector<DialogStep>>(std::move(steps));
    return [shared](HWND dialog, DialogSeen &) {
        if (shared->empty())
            return;
        UINT_PTR timer = ++nextSequenceTimer;
        RunningSequence run{dialog, currentLogIndex, *shared};
        sequences[timer] = run;
        SetTimer(dialog, timer, TICK_MS, runSequenceStep);
    };
}

const std::vector<DialogSeen> &autopilotLog() { return log; }
size_t autopilotPending() { return pending.size(); }

size_t autopilotUnexpected()
{
    size_t n = 0;
    for (const DialogSeen &seen : log)
        n += seen.unexpected;
    return n;
}

std::string controlText(HWND dialog, int id)
{
    HWND control = GetDlgItem(dialog, id);
    return control ? windowText(control) : std::string();
}

ControlSeen controlState(HWND dialog, int id)
{
    HWND control = GetDlgItem(dialog, id);
    if (!control)
        return ControlSeen{id, "", "", false, false, false, false};
    return describeControl(control);
}

void clickButton(HWND dialog, int id)
{
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)GetDlgItem(dialog, id));
}

void setEditText(HWND dialog, int id, const char *text)
{
    SetDlgItemTextA(dialog, id, text);
}

void typeIntoEdit(HWND dialog, int id, const std::string &text)
{
    HWND edit = GetDlgItem(dialog, id);
    if (!edit)
        return;
    SetFocus(edit);
    SendMessageA(edit, EM_SETSEL, 0, -1);
    SendMessageA(edit, WM_CLEAR, 0, 0);
    // As a keyboard gives them: whole characters, in UTF-16, whatever the
    // system code page (text is in it). A byte at a time would leave a
    // character of three or four bytes on code page 65001 to the window's
    // own guessing.
    WCHAR wide[1024];
    int n = MultiByteToWideChar(CP_ACP, 0, text.c_str(), (int)text.size(), wide, 1024);
    for (int i = 0; i < n; i++)
        SendMessageW(edit, WM_CHAR, wide[i], 1);
}

void selectListEntry(HWND dialog, int listId, int index)
{
    HWND list = GetDlgItem(dialog, listId);
    SendMessageA(list, LB_SETCURSEL, (WPARAM)index, 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(listId, LBN_SELCHANGE), (LPARAM)list);
}

void doubleClickListEntry(HWND dialog, int listId, int index)
{
    selectListEntry(dialog, listId, index);
    HWND list = GetDlgItem(dialog, listId);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(listId, LBN_DBLCLK), (LPARAM)list);
}

void postKey(HWND dialog, UINT key)
{
    HWND target = GetFocus();
    if (!target || (target != dialog && !IsChild(dialog, target)))
        target = dialog;
    LPARAM scan = (LPARAM)MapVirtualKeyA(key, MAPVK_VK_TO_VSC) << 16;
    PostMessageA(target, WM_KEYDOWN, key, scan | 1);
    PostMessageA(target, WM_KEYUP, key, scan | 0xC0000001);
}

std::wstring wideTextOf(HWND window)
{
    WCHAR text[1024] = L"";
    GetWindowTextW(window, text, 1024);
    return text;
}

WCHAR mnemonicOf(const std::wstring &text)
{
    for (size_t i = 0; i + 1 < text.size(); i++) {
        if (text[i] != L'&')
            continue;
        if (text[i + 1] == L'&') {
            i++;
            continue;
        }
        return text[i + 1];
    }
    return 0;
}
