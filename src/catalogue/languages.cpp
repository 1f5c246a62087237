// languages.cpp - the languages Lumoria's setup speaks, as one table: the
// name install.ini offers each by, its bit in languageFlags, the system
// language codes that choose it, and its button in the language dialog.
// Owns languageFlags.
#include "languages.h"

#include <string.h>

#include "luinsres_ids.h"
#include "state/profile.h"
#include "state/setup_state.h"
#include "state/text.h"

// Language names and system codes are at most 100 characters long.
constexpr int LANGUAGE_VALUE_BYTES = 101;

// In the order in which the system language and the dialog look at them.
constexpr Language languages[] = {
    {"ENGLISH", LANGUAGE_ENGLISH, IDC_LANGUAGE_ENGLISH, {"eng", "enu"}},
    {"GERMAN", LANGUAGE_GERMAN, IDC_LANGUAGE_GERMAN, {"deu", nullptr}},
    {"FRENCH", LANGUAGE_FRENCH, IDC_LANGUAGE_FRENCH, {"fra", "frc"}},
    {"SPANISH", LANGUAGE_SPANISH, IDC_LANGUAGE_SPANISH, {"esn", "esp"}},
    {"JAPANESE", LANGUAGE_JAPANESE, IDC_LANGUAGE_JAPANESE, {"jpn", nullptr}},
    {"RUSSIAN", LANGUAGE_RUSSIAN, IDC_LANGUAGE_RUSSIAN, {"rus", nullptr}},
};

int readOfferedLanguages()
{
    SetupState &s = *setupState;
    s.languageFlags = 0;
    int offered = 0;
    for (int k = 1;; k++) {
        char key[16];
        formatText(key, sizeof key, "Info%d", k);
        char name[LANGUAGE_VALUE_BYTES];
        readIniText(s.setupIniPath, "LANGUAGEINFO", key, "", name, sizeof name);
        if (!name[0])
            break;
        offered++;
        for (const Language &language : languages)
            if (strcmp(name, language.name) == 0)
                s.languageFlags |= language.bit;
    }
    return offered;
}

int detectSystemLanguage()
{
    SetupState &s = *setupState;
    char system[LANGUAGE_VALUE_BYTES];
    readProfileApiText(s.winIniPath, "intl", "sLanguage", system, sizeof system);
    int matched = 0;
    for (const Language &language : languages) {
        if (!(s.languageFlags & language.bit))
            continue;
        for (const char *code : language.systemCodes)
            if (code && equalsNoCase(system, code)) {
                s.languageFlags = language.bit;
                matched = 1;
            }
    }
    return matched;
}

int languageCount() { return (int)(sizeof languages / sizeof languages[0]); }
const Language &languageAt(int index) { return languages[index]; }

// The button the dialog checks as it opens; OK without one gives Spanish.
int firstOfferedLanguage()
{
    for (const Language &language : languages)
        if (setupState->languageFlags & language.bit)
            return language.bit;
    return LANGUAGE_SPANISH;
}

