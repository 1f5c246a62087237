// dodialog.h - the interactive setup driver behind the dodialog entry, and
// the choice summary it hands back to the host.
#pragma once

#include "dialogint.h"

void writeChoiceSummary(HostSetupInfo *record);
// Turns the four choice fields of after into change codes against before:
// 0 unchanged, 1 added, 2 removed.
void toChangeCodes(const HostSetupInfo *before, HostSetupInfo *after);
