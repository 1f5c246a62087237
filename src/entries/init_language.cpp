// init_language.cpp - the initLanguage entry: the languages install.ini
// offers, the system's own language, and the language question when the
// system language decides nothing.
#include "dialogint.h"
#include "catalogue/languages.h"
#include "dialogs/dialog_toolkit.h"
#include "luinsres_ids.h"
#include "registry/previous_install.h"
#include "entries/entry_frame.h"
#include "state/module_lifecycle.h"
#include "state/module_path.h"
#include "state/setup_log.h"
#include "state/setup_state.h"
#include "state/text.h"
#include "unattended/answers.h"

// The dialog's answer: the language chosen with OK, 0 after Cancel or
// Close (languageFlags keeps the offered set), -1 when it could not be shown.
static int runLanguageDialog(HWND owner)
{
    INT_PTR end = runDialog(DLG_LANGUAGE, owner, LangDlgProc);
    return end == 1 ? setupState->languageFlags : end == 0 ? 0 : -1;
}

static bool singleLanguage(int32_t bits) { return bits > 0 && (bits & (bits - 1)) == 0; }

static const char *takeLanguage(int bit)
{
    if (bit == 0)
        return nullptr;
    if (!(setupState->languageFlags & bit))
        return "install.ini does not offer that language";
    setupState->languageFlags = bit;
    return nullptr;
}

static constexpr AnswerName languageNames[] = {
    {"english", LANGUAGE_ENGLISH}, {"french", LANGUAGE_FRENCH}, {"german", LANGUAGE_GERMAN},
    {"spanish", LANGUAGE_SPANISH}, {"japanese", LANGUAGE_JAPANESE}, {"russian", LANGUAGE_RUSSIAN},
    {"cancel", 0},
};

extern "C" int WINAPI initLanguage(HWND owner, HostSetupInfo *record)
{
    if (!record)
        return -1;
    SetupState &s = *setupState;
    copyFieldText(s.setupIniPath, sizeof s.setupIniPath, record->setupIniPath, sizeof record->setupIniPath);
    s.networkInstallMode = record->networkInstallMode;
    windowsDirFile("win.ini", s.winIniPath, sizeof s.winIniPath);

    int entered = openEntry(record, record->sourceDir, sizeof record->sourceDir);
    if (entered != 1)
        return entered;

    int result = 1;
    int offered = readOfferedLanguages();
    if (offered > 1 && s.networkInstallMode == 0 && detectSystemLanguage() == 0) {
        const Question language = {"Language", languageNames, (int)(sizeof languageNames / sizeof languageNames[0]), firstOfferedLanguage(),
                                   "the language the dialog checks first", takeLanguage, nullptr};
        result = answerQuestion(language, owner, runLanguageDialog) == NO_ANSWER ? NO_ANSWER : s.languageFlags;
    }
    // The language settled on goes back in the record, also when nothing was
    // asked (the system's language, or the one offered); English when no
    // single language is known. A cancelled dialog leaves the record alone.
    if (result == 1)
        record->languageFlags = singleLanguage(s.languageFlags) ? s.languageFlags : LANGUAGE_ENGLISH;
    else if (result > 1 && singleLanguage(result))
        record->languageFlags = result;
    closeEntry();
    logLine("initLanguage: %d languages offered, language bits %d: result %d", offered, (int)s.languageFlags,
            result);
    return result;
}

