// fixed_defaults.h - the registry configuration that does not depend on the
// user's selection: launch manager and load manager defaults, temporary-file
// masks, per-document-class settings, the built-in viewers' reader modules,
// the user's option and font defaults, and the two shell extensions.
#pragma once

#include <stddef.h>

// Writes every fixed key in order. 1 when all were written, 0 when it stopped
// at the first key that could not be created (the keys before it stay).
int writeFixedDefaults();

// The launch manager's four keys; 0 when it stopped at a key it could not
// create. writeFixedDefaults runs it first and goes on whatever it returns.
int writeLaunchManagerDefaults();

// Full path of a shell extension module (menuext.dll, propext.dll) as the
// shell is told to load it. Always fits: both sources are shorter than 256.
constexpr size_t SERVER_PATH_BYTES = 300;
void shellExtensionPath(const char *module, char *path, size_t cap);
