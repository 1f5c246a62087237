// answer_mode.cpp - the answer file's mode and path (kept in the state
// block's host settings), and the message boxes that go through them.
#include "answer_mode.h"

#include <string.h>

#include "setup_log.h"
#include "setup_state.h"
#include "text.h"

namespace {

struct BoxButtons {
    UINT type;
    int answers[3];    // by default button 1, 2, 3
};

constexpr BoxButtons boxButtons[] = {
    {MB_OK, {IDOK, IDOK, IDOK}},
    {MB_OKCANCEL, {IDOK, IDCANCEL, IDCANCEL}},
    {MB_ABORTRETRYIGNORE, {IDABORT, IDRETRY, IDIGNORE}},
    {MB_YESNOCANCEL, {IDYES, IDNO, IDCANCEL}},
    {MB_YESNO, {IDYES, IDNO, IDNO}},
    {MB_RETRYCANCEL, {IDRETRY, IDCANCEL, IDCANCEL}},
};

// The answer of a box nobody sees: its default button.
int silentAnswer(UINT style)
{
    int button = (style & MB_DEFMASK) == MB_DEFBUTTON2 ? 1 : (style & MB_DEFMASK) == MB_DEFBUTTON3 ? 2 : 0;
    for (const BoxButtons &b : boxButtons)
        if (b.type == (style & MB_TYPEMASK))
            return b.answers[button];
    return IDOK;
}

const char *answerName(int answer)
{
    switch (answer) {
    case IDOK: return "OK";
    case IDCANCEL: return "Cancel";
    case IDABORT: return "Abort";
    case IDRETRY: return "Retry";
    case IDIGNORE: return "Ignore";
    case IDYES: return "Yes";
    case IDNO: return "No";
    default: return "none";
    }
}

} // namespace

void setAnswerMode(int32_t mode, const char *fullPath)
{
    HostSettings &settings = setupState->settings;
    settings.answersMode = mode;
    copyText(settings.answersPath, sizeof settings.answersPath, mode == ANSWERS_OFF ? "" : fullPath);
}

bool replaying() { return setupState && setupState->settings.answersMode == ANSWERS_REPLAY; }
bool recording() { return setupState && setupState->settings.answersMode == ANSWERS_RECORD; }
const char *answersFile() { return setupState ? setupState->settings.answersPath : ""; }

int showBox(HWND owner, const char *text, const char *caption, UINT style)
{
    WCHAR wideText[BOX_TEXT_UNITS], wideCaption[BOX_CAPTION_UNITS];
    widenText(text, wideText, BOX_TEXT_UNITS);
    widenText(caption, wideCaption, BOX_CAPTION_UNITS);
    return showBoxW(owner, wideText, wideCaption, style);
}

int showBoxW(HWND owner, const WCHAR *text, const WCHAR *caption, UINT style)
{
    // The log is in the system's code page, as the host's texts are.
    char loggedText[BOX_TEXT_UNITS * 2], loggedCaption[BOX_CAPTION_UNITS * 2];
    narrowText(text, loggedText, sizeof loggedText);
    narrowText(caption, loggedCaption, sizeof loggedCaption);
    if (!replaying()) {
        int answer = MessageBoxW(owner, text, caption, style);
        if (answer == 0)
            logFailure(GetLastError(), "box \"%s\" could not be shown: %s", loggedCaption, loggedText);
        else
            logLine("box \"%s\": %s: %s", loggedCaption, loggedText, answerName(answer));
        return answer;
    }
    int answer = silentAnswer(style);
    logLine("box \"%s\" not shown: %s: silent answer %s", loggedCaption, loggedText, answerName(answer));
    return answer;
}

void widenText(const char *text, WCHAR *wide, int cap)
{
    if (cap <= 0)
        return;
    wide[0] = 0;
    if (!text || !text[0])
        return;
    int n = MultiByteToWideChar(CP_ACP, 0, text, -1, wide, cap);
    if (n <= 0) {
        // Longer than the room: as much as fits, ending on a whole character.
        n = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
        WCHAR *all = n > 0 ? (WCHAR *)HeapAlloc(GetProcessHeap(), 0, (size_t)n * sizeof(WCHAR)) : nullptr;
        if (all && MultiByteToWideChar(CP_ACP, 0, text, -1, all, n) > 0) {
            int keep = cap - 1;
            if (keep > 0 && IS_HIGH_SURROGATE(all[keep - 1]))
                keep--;
            memcpy(wide, all, (size_t)keep * sizeof(WCHAR));
            wide[keep] = 0;
        }
        if (all)
            HeapFree(GetProcessHeap(), 0, all);
    }
    wide[cap - 1] = 0;
}

void narrowText(const WCHAR *wide, char *text, int cap)
{
    if (cap <= 0)
        return;
    text[0] = 0;
    if (!wide || !wide[0])
        return;
    // A text that does not fit is cut between characters: one fewer each try.
    int units = lstrlenW(wide);
    while (units > 0) {
        int n = WideCharToMultiByte(CP_ACP, 0, wide, units, text, cap - 1, nullptr, nullptr);
        if (n > 0) {
            text[n] = 0;
            return;
        }
        units -= units > 1 && IS_LOW_SURROGATE(wide[units - 1]) ? 2 : 1;
    }
    text[0] = 0;
}

bool windowsAllowed() { return !replaying(); }

int resultWhenNotSaved(int todaysResult)
{
    if (!replaying())
        return todaysResult;
    logLine("install.ini could not be written: nothing was installed; setup stops (-3)");
    return NO_ANSWER;
}
