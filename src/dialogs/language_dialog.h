// language_dialog.h - the language dialog's procedure (exported as the host
// interface names it) and the language table it shows.
#pragma once

#include <windows.h>

#include "catalogue/languages.h"
#include "dialogint.h"
