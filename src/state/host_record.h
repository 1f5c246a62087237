// host_record.h - the host's record, HostSetupInfo, is declared in
// dialogint.h; host_record.cpp checks its layout at compile time and owns
// the values taken from it (setup_state.h).
#pragma once

#include "dialogint.h"
