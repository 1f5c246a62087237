// autopilot.h - drives the library's dialogs and message boxes from inside
// the test process. A CBT hook on the test thread sees every dialog window as
// it is activated, records its caption, texts and controls, and runs the next
// queued action on it from within the dialog's own modal loop (a thread timer),
// the way a user's clicks arrive. A dialog with no queued action is recorded
// as unexpected and closed, so that a test never hangs.
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
};

struct DialogSeen {
    std::string caption;
    std::string text;        // message box: the message; dialog: empty
    bool messageBox = false;
    bool unexpected = false; // no action was queued for it
    std::vector<ControlSeen> controls;
    const ControlSeen *control(int id) const;
};

using DialogAction = std::function<void(HWND dialog, DialogSeen &seen)>;

void autopilotStart();
void autopilotStop();

// Queues the action for the next dialog or message box that appears.
void autopilotQueue(DialogAction action);
// The common actions.
DialogAction pressButton(int id);
DialogAction closeWindow();   // the system menu's Close command

const std::vector<DialogSeen> &autopilotLog();
size_t autopilotPending();

// Reading and driving controls of a dialog, as the actions do.
std::string controlText(HWND dialog, int id);
void clickButton(HWND dialog, int id);
void setEditText(HWND dialog, int id, const char *text);
