// help_capture.h - a stand-in for the help engine's window. WinHelpA looks for
// a top-level window of the class "MS_WINHELP" and hands it each request as a
// WM_COPYDATA block; while the capture runs, that window is ours, records
// every request and answers it as handled, so no help program starts.
// Without the capture, a HELP_CONTEXT request makes Wine start winhlp32.exe.
#pragma once

#include <string>
#include <vector>

struct HelpRequest {
    std::string file;
    unsigned command;      // HELP_CONTEXT, HELP_QUIT, ...
    unsigned long context; // the data of the request (the topic for HELP_CONTEXT)
};

// Creates the window (the capture starts empty); stop destroys it.
void helpCaptureStart();
void helpCaptureStop();

const std::vector<HelpRequest> &helpRequests();
