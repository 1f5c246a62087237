// language_dialog.cpp - initLanguage, detectSystemLanguage and LangDlgProc: the
// languages offered by install.ini, the system's own language, and the dialog
// that asks when the system language decides nothing. Owns languageFlags and
// winIniPath.
#include "language_dialog.h"

#include <string.h>

#include "dialog_toolkit.h"
#include "luinsres_ids.h"
#include "state/module_lifecycle.h"
#include "state/module_path.h"
#include "state/previous_install.h"
#include "state/profile.h"
#include "state/setup_state.h"
#include "state/text.h"
#include "unattended/answers.h"
#include "state/setup_log.h"

// Language names and system codes are at most 100 characters long.
constexpr int LANGUAGE_VALUE_BYTES = 101;

struct Language {
    const char *name;           // as install.ini names it, exactly
    int32_t bit;
    int button;
    const char *systemCodes[2]; // win.ini sLanguage values, any case
};

// In the order in which the system language and the dialog look at them.
static constexpr Language languages[] = {
    {"ENGLISH", LANGUAGE_ENGLISH, IDC_LANGUAGE_ENGLISH, {"eng", "enu"}},
    {"GERMAN", LANGUAGE_GERMAN, IDC_LANGUAGE_GERMAN, {"deu", nullptr}},
    {"FRENCH", LANGUAGE_FRENCH, IDC_LANGUAGE_FRENCH, {"fra", "frc"}},
    {"SPANISH", LANGUAGE_SPANISH, IDC_LANGUAGE_SPANISH, {"esn", "esp"}},
};

int readOfferedLanguages()
{
    SetupState &s = *setupState;
    s.languageFlags = 0;
    int offered = 0;
    for (int k = 1;; k++) {
        char key[16];
        formatText(key, sizeof key, "Info%d", k);
        readIniText(s.setupIniPath, "LANGUAGEINFO", key, "", s.scratchText, LANGUAGE_VALUE_BYTES);
        if (!s.scratchText[0])
            break;
        offered++;
        for (const Language &language : languages)
            if (strcmp(s.scratchText, language.name) == 0)
                s.languageFlags |= language.bit;
    }
    return offered;
}

int detectSystemLanguage()
{
    SetupState &s = *setupState;
    readProfileApiText(s.winIniPath, "intl", "sLanguage", s.scratchText, LANGUAGE_VALUE_BYTES);
    int matched = 0;
    for (const Language &language : languages) {
        if (!(s.languageFlags & language.bit))
            continue;
        for (const char *code : language.systemCodes)
            if (code && equalsNoCase(s.scratchText, code)) {
                s.languageFlags = language.bit;
                matched = 1;
            }
    }
    return matched;
}

// The dialog's answer: the language chosen with OK, 0 after Cancel or
// Close (languageFlags keeps the offered set), -1 when it could not be shown.
static int runLanguageDialog(HWND owner)
{
    INT_PTR end = runDialog(DLG_LANGUAGE, owner, LangDlgProc);
    return end == 1 ? setupState->languageFlags : end == 0 ? 0 : -1;
}

static const char *takeLanguage(int bit)
{
    if (bit == 0)
        return nullptr;
    if (!(setupState->languageFlags & bit))
        return "install.ini does not offer that language";
    setupState->languageFlags = bit;
    return nullptr;
}

// The button the dialog checks as it opens; OK without one gives Spanish.
static int firstOfferedLanguage()
{
    for (const Language &language : languages)
        if (setupState->languageFlags & language.bit)
            return language.bit;
    return LANGUAGE_SPANISH;
}

static constexpr AnswerName languageNames[] = {
    {"english", LANGUAGE_ENGLISH}, {"french", LANGUAGE_FRENCH}, {"german", LANGUAGE_GERMAN},
    {"spanish", LANGUAGE_SPANISH}, {"cancel", 0},
};

extern "C" int WINAPI initLanguage(HWND owner, HostSetupInfo *record)
{
    if (!record)
        return -1;
    SetupState &s = *setupState;
    copyFieldText(s.setupIniPath, sizeof s.setupIniPath, record->setupIniPath, sizeof record->setupIniPath);
    takeSourceDir(record->sourceDir, sizeof record->sourceDir);
    s.networkInstallMode = record->networkInstallMode;
    windowsDirFile("win.ini", s.winIniPath, sizeof s.winIniPath);

    int entered = enterExport();
    if (entered != 1)
        return entered;

    int result = 1;
    int offered = readOfferedLanguages();
    if (offered > 1 && s.networkInstallMode == 0 && detectSystemLanguage() == 0) {
        const Question language = {"Language", languageNames, 5, firstOfferedLanguage(),
                                   "the language the dialog checks first", takeLanguage, nullptr};
        result = answerQuestion(language, owner, runLanguageDialog) == NO_ANSWER ? NO_ANSWER : s.languageFlags;
    }
    leaveExport();
    saveRecordedAnswers();
    logLine("initLanguage: %d languages offered, language bits %d: result %d", offered, (int)s.languageFlags,
            result);
    return result;
}

// ---------------------------------------------------------------------------
// Language dialog

static INT_PTR onLanguageInit(HWND dialog)
{
    centreOnScreen(dialog);
    int chosen = 0;
    for (const Language &language : languages) {
        if (!(setupState->languageFlags & language.bit))
            EnableWindow(GetDlgItem(dialog, language.button), FALSE);
        else if (!chosen)
            chosen = language.button;
    }
    if (chosen)
        SendDlgItemMessageA(dialog, chosen, BM_SETCHECK, BST_CHECKED, 0);
    return TRUE;
}

static void onLanguageOk(HWND dialog)
{
    // Spanish is what remains when none of the first three is checked.
    int32_t chosen = LANGUAGE_SPANISH;
    for (const Language &language : languages)
        if (language.bit != LANGUAGE_SPANISH &&
            IsDlgButtonChecked(dialog, language.button) == BST_CHECKED) {
            chosen = language.bit;
            break;
        }
    setupState->languageFlags = chosen;
    EndDialog(dialog, 1);
}

static INT_PTR onLanguageCommand(HWND dialog, WPARAM wParam)
{
    if (HIWORD(wParam) != BN_CLICKED)
        return FALSE;
    switch (LOWORD(wParam)) {
    case IDOK:            onLanguageOk(dialog); return TRUE;
    case IDCANCEL:        EndDialog(dialog, 0); return TRUE;
    case IDC_HELP_BUTTON: openHelp(dialog, HELP_CONTEXT_OPTIONS); return TRUE;
    }
    return FALSE;
}

static INT_PTR onLanguageSysCommand(HWND dialog, WPARAM wParam)
{
    if ((wParam & 0xFFF0) != SC_CLOSE)
        return FALSE;
    EndDialog(dialog, 0);
    return TRUE;
}

extern "C" INT_PTR WINAPI LangDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    (void)lParam;
    switch (message) {
    case WM_INITDIALOG: return onLanguageInit(dialog);
    case WM_COMMAND:    return onLanguageCommand(dialog, wParam);
    case WM_CLOSE:      EndDialog(dialog, 0); return TRUE;
    case WM_SYSCOMMAND: return onLanguageSysCommand(dialog, wParam);
    }
    return FALSE;
}
