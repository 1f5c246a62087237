// host_record.h - the workstation and network flags and the installation
// directory's creation. The record itself is declared in dialogint.h.
#pragma once

#include <stdint.h>

void readWorkstationFlags(int32_t *destination);
void ensureInstallDir();

// The directory used when installDir cannot be created.
#define DEFAULT_INSTALL_DIR "c:\\lumoria"
