// host_record.h - the workstation and network flags and the installation
// directory's creation. The record itself is declared in dialogint.h.
#pragma once

#include <stdint.h>

void readWorkstationFlags(int32_t *destination);
void ensureInstallDir();
// Makes sure installDir exists (ensureInstallDir when it does not) and
// replaces it by its short (8.3) form; a failed query keeps the long form.
void useShortInstallDir();

// The directory used when installDir cannot be created.
#define DEFAULT_INSTALL_DIR "c:\\lumoria"
