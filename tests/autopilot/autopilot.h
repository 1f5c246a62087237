// autopilot.h - drives the library's dialogs and message boxes from inside
// the test process. A CBT hook on the test thread sees every dialog window as
// it is activated, records its caption, texts and controls, and runs the next
// queued action on it from within the dialog's own modal loop (a thread timer),
// the way a user's clicks arrive. A dialog with no queued action, or one that
// does not match what the next action waits for, is recorded as unexpected
// and closed, so that a test never hangs.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

struct ControlSeen {
    int id;
    std::string className;
    std::string text;
    bool enabled;
    bool visible;
    bool checked;
    bool focused;
};

struct DialogSeen {
    std::string caption;
    std::string text;        // message box: the message; dialog: empty
    bool messageBox = false;
    bool unexpected = false; // no action was queued for it, or not this one
    bool snapshot = false;   // taken by recordState() while the dialog was open
    std::vector<ControlSeen> controls;
    std::vector<std::string> notes;  // steps that timed out, steps not run
    const ControlSeen *control(int id) const;
};

using DialogAction = std::function<void(HWND dialog, DialogSeen &seen)>;

void autopilotStart();
void autopilotStop();

// Queues the action for the next dialog or message box that appears.
void autopilotQueue(DialogAction action);
// Queues the action for the next dialog, which must have this caption, or
// contain a control with this ID; any other dialog that appears first is
// recorded as unexpected and closed, and the action keeps waiting.
void autopilotQueueForCaption(const std::string &caption, DialogAction action);
void autopilotQueueForControl(int controlId, DialogAction action);

// The common actions.
DialogAction pressButton(int id);
DialogAction closeWindow();   // the system menu's Close command
DialogAction pressEnter();    // the Enter key on the control that has the focus
DialogAction typeText(int editId, const std::string &text);
DialogAction selectEntry(int listId, int index);
DialogAction doubleClickEntry(int listId, int index);
DialogAction recordState();   // appends a snapshot of the dialog to the log
// Keys as the keyboard gives them: posted to the control that has the focus,
// so that the dialog's own loop sees them first (Tab, Enter, Escape and
// mnemonics are the dialog's; the rest reach the control, translated into
// characters). One action per key; put them in a sequence.
DialogAction pressKey(UINT key);
// Alt with the letter that the control's text marks with "&", as a user who
// reads the screen presses it (the control's own text, in any language).
DialogAction pressMnemonicOf(int controlId);
// Runs its own code on the dialog, for checks in the middle of a sequence.
DialogAction inspect(std::function<void(HWND dialog)> check);

// One step of a sequence: an action, or a wait until a condition holds on
// the dialog (at most timeoutMs; noted in the log when it runs out).
struct DialogStep {
    DialogStep(DialogAction a) : action(std::move(a)) {}
    DialogStep(std::function<bool(HWND dialog)> condition, DWORD timeout)
        : until(std::move(condition)), timeoutMs(timeout) {}
    DialogAction action;
    std::function<bool(HWND dialog)> until;
    DWORD timeoutMs = 0;
};
DialogStep waitUntil(std::function<bool(HWND dialog)> condition, DWORD timeoutMs = 5000);
// A step that lets ms pass while the dialog goes on serving its messages
// (painting, timers).
DialogStep pauseFor(DWORD ms);

// Several steps on one dialog, in order. Each step runs once the messages the
// previous one caused have been processed and no box of the dialog's own is
// open on top of it (the dialog is enabled again). Steps left when the dialog
// ends are noted in its log entry.
DialogAction sequence(std::vector<DialogStep> steps);

const std::vector<DialogSeen> &autopilotLog();
size_t autopilotPending();
size_t autopilotUnexpected();

// Reading and driving controls of a dialog, as the actions do.
std::string controlText(HWND dialog, int id);
ControlSeen controlState(HWND dialog, int id);
void clickButton(HWND dialog, int id);
void setEditText(HWND dialog, int id, const char *text);
// As a user types: focus, everything selected, one WM_CHAR per character, so
// that the edit's own limit applies.
void typeIntoEdit(HWND dialog, int id, const std::string &text);
// As a mouse click does: the list's selection moves, then the dialog hears
// LBN_SELCHANGE; a double click adds LBN_DBLCLK.
void selectListEntry(HWND dialog, int listId, int index);
void doubleClickListEntry(HWND dialog, int listId, int index);
void postKey(HWND dialog, UINT key);
// A window's text in UTF-16, as the window holds it.
std::wstring wideTextOf(HWND window);
// The letter a text marks with "&" ("&&" is a plain "&"), as written; 0 if none.
WCHAR mnemonicOf(const std::wstring &text);
