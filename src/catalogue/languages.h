// languages.h - the languages install.ini offers, the system language from
// win.ini, and the one table of the languages the setup speaks.
#pragma once

#include <windows.h>
#include <stdint.h>

struct Language {
    const char *name;           // as install.ini names it, exactly
    int32_t bit;
    int button;                 // in the language dialog
    const char *systemCodes[2]; // win.ini sLanguage values, any case
};

// In the order in which the system language and the dialog look at them.
int languageCount();
const Language &languageAt(int index);

// Reads LANGUAGEINFO of setupIniPath: languageFlags becomes the bits of the
// languages named exactly; returns how many languages are offered, named
// exactly or not.
int readOfferedLanguages();

// 1 when win.ini's intl/sLanguage selects an offered language; languageFlags
// is then that language's bit alone. Else 0, languageFlags unchanged.
int detectSystemLanguage();

// The button the dialog checks as it opens: the first language offered;
// OK without one gives Spanish.
int firstOfferedLanguage();
