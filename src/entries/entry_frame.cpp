// entry_frame.cpp - the shared prologue and epilogue of the entries.
#include "entry_frame.h"

#include <string.h>

#include "catalogue/catalogue.h"
#include "state/module_lifecycle.h"
#include "state/module_path.h"
#include "state/setup_state.h"
#include "unattended/answers.h"

int openEntry(HostSetupInfo *record, const char *sourceDir, size_t sourceCap)
{
    SetupState &s = *setupState;
    s.hostRecord = record;
    takeSourceDir(sourceDir, sourceCap);
    int entered = enterExport();
    if (entered != 1)
        s.hostRecord = nullptr;
    return entered;
}

int openEntryFrom(const char *sourceDir)
{
    return openEntry(nullptr, sourceDir, sourceDir ? strlen(sourceDir) + 1 : 0);
}

void closeEntry()
{
    releaseCatalogue();
    leaveExport();
    // The record is the host's and lives only as long as the call.
    setupState->hostRecord = nullptr;
    saveRecordedAnswers();
}
