// answer_mode.cpp - the answer file's mode and path, and the message boxes
// that go through them.
#include "answer_mode.h"

#include "setup_log.h"
#include "setup_state.h"
#include "text.h"

namespace {

int32_t answersMode = ANSWERS_OFF;
char answersPath[PATH_BYTES];

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
    answersMode = mode;
    copyText(answersPath, sizeof answersPath, mode == ANSWERS_OFF ? "" : fullPath);
}

bool replaying() { return answersMode == ANSWERS_REPLAY; }
bool recording() { return answersMode == ANSWERS_RECORD; }
const char *answersFile() { return answersPath; }

int showBox(HWND owner, const char *text, const char *caption, UINT style)
{
    if (!replaying()) {
        int answer = MessageBoxA(owner, text, caption, style);
        if (answer == 0)
            logFailure(GetLastError(), "box \"%s\" could not be shown: %s", caption, text);
        else
            logLine("box \"%s\": %s: %s", caption, text, answerName(answer));
        return answer;
    }
    int answer = silentAnswer(style);
    logLine("box \"%s\" not shown: %s: silent answer %s", caption, text, answerName(answer));
    return answer;
}

bool windowsAllowed() { return !replaying(); }

int resultWhenNotSaved(int todaysResult)
{
    if (!replaying())
        return todaysResult;
    logLine("install.ini could not be written: nothing was installed; setup stops (-3)");
    return NO_ANSWER;
}
