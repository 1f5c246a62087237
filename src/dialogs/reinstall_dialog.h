// reinstall_dialog.h - the reinstall dialog's procedure (exported as the
// host interface names it).
#pragma once

#include <windows.h>

#include "dialogint.h"
