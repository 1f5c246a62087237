// language_dialog.h - the languages install.ini offers, the system language
// from win.ini, and the language dialog (template 502).
#pragma once

#include <windows.h>
#include <stdint.h>

// Reads LANGUAGEINFO of setupIniPath: languageFlags becomes the bits of the
// languages named exactly; returns how many languages are offered, named
// exactly or not.
int readOfferedLanguages();

// 1 when win.ini's intl/sLanguage selects an offered language; languageFlags
// is then that language's bit alone. Else 0, languageFlags unchanged.
int detectSystemLanguage();
