// entry_frame.h - what every entry that loads the resource module does first
// and last, in one order. First: the host's record (when the entry has one)
// becomes the run's, the source folder the resource module comes from is
// taken (one that does not fit is never used), the setup files are forgotten
// so that each is read afresh once, and CTL3D and the resource module are
// taken in. Last: the catalogue is let go, CTL3D is left and the resource
// module released, the record given back and the recorded answers saved.
#pragma once

#include <stddef.h>

#include "dialogint.h"

// 1, or -1 after the resource module's box; after -1 the frame is closed
// again and the record is not kept.
int openEntry(HostSetupInfo *record, const char *sourceDir, size_t sourceCap);
// The same, with the source folder as a zero-terminated argument.
int openEntryFrom(const char *sourceDir);

void closeEntry();
