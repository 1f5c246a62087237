// step_sets.cpp - the step sets of setup, each run once inside the progress
// dialog (or at once while replaying) and each returning what it did: the
// catalogue build (prepareSetup) and the configuration steps that write
// install.ini, the bookkeeping and the registry defaults.
#include "step_sets.h"

#include <string.h>

#include "catalogue/catalogue.h"
#include "catalogue/choices.h"
#include "catalogue/file_lists.h"
#include "catalogue/selection.h"
#include "dialogs/dialog_toolkit.h"
#include "dialogs/progress_dialog.h"
#include "luinsres_ids.h"
#include "registry/product_defaults.h"
#include "registry/registry_journal.h"
#include "state/module_lifecycle.h"
#include "state/profile.h"
#include "state/setup_state.h"
#include "state/text.h"
#include "steps/bookkeeping.h"
#include "state/answer_mode.h"
#include "state/setup_log.h"

static void *allocateTableFromHeap(size_t bytes)
{
    return HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, bytes);
}

void *(*allocateFileTable)(size_t bytes) = allocateTableFromHeap;

// The steps change install.ini (and the installation's install.ini) in
// memory first; the registry is written while those changes are held, and
// the files are replaced only once every value is set. A change that cannot
// be held, or a key or value that fails, gives the held changes up: the
// files keep their old content and the registry changes are taken back,
// the last first. A file that cannot be replaced undoes the registry too,
// and a file already replaced in the same step gets its old bytes back.
// Each failure stays for the entry to report.
static int runConfigurationSteps(int mode)
{
    bool registry = mode != WAIT_NETWORK_FILES;
    beginProfileWork();
    emptyInstallGroups();
    if (mode != WAIT_WORKSTATION)
        writeFileLists();
    if (mode == WAIT_ADD_ON)
        recordSharedDefaults();
    else if (mode != WAIT_WORKSTATION && mode != WAIT_NETWORK_FILES)
        recordDefaults();
    if (!registry) {
        bool written = endProfileWork() && !profileWriteFailed();
        return written ? STEPS_WRITTEN : STEPS_FILES_NOT_WRITTEN;
    }
    bool held = !profileWriteFailed();
    beginRegistryJournal();
    if (held) {
        writeProductDefaults();
        if (mode == WAIT_WORKSTATION)
            recordWorkstation();
    }
    int outcome = !held ? STEPS_FILES_NOT_WRITTEN : registryWriteFailed() ? STEPS_REGISTRY_NOT_WRITTEN : STEPS_WRITTEN;
    if (outcome != STEPS_WRITTEN)
        dropProfileWork();
    keepProfileOriginals();
    bool written = endProfileWork() && !profileWriteFailed();
    if (outcome == STEPS_WRITTEN && !written) {
        outcome = STEPS_FILES_NOT_WRITTEN;
        restoreProfileOriginals();
    }
    if (outcome != STEPS_WRITTEN)
        rollBackRegistry();
    releaseProfileOriginals();
    endRegistryJournal();
    return outcome;
}

static int runWaitSteps(HWND dialog)
{
    SetupState &s = *setupState;
    forgetRegistryFailure();
    if (s.waitMode != WAIT_PREPARE)
        return runConfigurationSteps(s.waitMode);
    beginProfileWork();
    int prepared = prepareSetup(dialog);
    if (prepared && !s.networkInstallMode)
        computeSelection(SELECT_EVERYTHING_PROBED);
    endProfileWork();
    return prepared ? 1 : 0;
}

static int messageOfMode(int mode)
{
    switch (mode) {
    case WAIT_PREPARE: return IDS_PROGRESS_READING;
    case WAIT_NETWORK_FILES: return IDS_PROGRESS_NETWORK;
    default: return IDS_PROGRESS_CONFIGURING;
    }
}

int showProgress(HWND owner, int mode)
{
    setupState->waitMode = mode;
    // A replayed setup makes no window: the steps run at once, the same ones.
    if (!windowsAllowed())
        return runWaitSteps(nullptr);
    return showWorking(owner, messageOfMode(mode), mode == WAIT_PREPARE, runWaitSteps);
}

bool stepsWritten(HWND owner, int outcome)
{
    // install.ini kept (or got back) its old text and the registry is as it
    // was; steps that never ran (no progress dialog could be made, or it was
    // closed before its timer) wrote nothing either.
    if (outcome == STEPS_WRITTEN)
        return true;
    showResourceMessage(owner, outcome == STEPS_REGISTRY_NOT_WRITTEN ? IDS_REGISTRY_NOT_WRITTEN : IDS_NOT_SAVED,
                        MB_OK | MB_ICONSTOP);
    return false;
}

static void clearHostResults()
{
    HostSetupInfo *record = setupState->hostRecord;
    if (!record)
        return;
    memset(record->integrationResults, 0, 18);
    record->readmeChoice = 0;
    record->convToolChoice = 0;
    record->viewEngineChoice = 0;
    record->manualChoice = 0;
}

static bool allocateFileTables()
{
    SetupState &s = *setupState;
    s.sharedFileTable = (SharedFileEntry *)allocateFileTable(SHARED_FILE_TABLE_BYTES);
    s.fileTableSnapshot = (SharedFileEntry *)allocateFileTable(SHARED_FILE_TABLE_BYTES);
    if (s.sharedFileTable && s.fileTableSnapshot)
        return true;
    logFailure(ERROR_NOT_ENOUGH_MEMORY, "the shared-file tables (%u bytes each)", (unsigned)SHARED_FILE_TABLE_BYTES);
    // Without its snapshot the options dialog would later copy into nothing:
    // a missing snapshot fails the build like a missing table.
    if (s.sharedFileTable)
        HeapFree(GetProcessHeap(), 0, s.sharedFileTable);
    if (s.fileTableSnapshot)
        HeapFree(GetProcessHeap(), 0, s.fileTableSnapshot);
    s.sharedFileTable = nullptr;
    s.fileTableSnapshot = nullptr;
    return false;
}

// The order in which the item states of each group are reset.
static constexpr int resetOrder[] = {CATEGORIES, GROUP_SWP, GROUP_SPREADSHEET, GROUP_TWP, GROUP_VWP,
                                     GROUP_INTEGRATION, GROUP_SPIC, GROUP_TPIC, GROUP_MANUAL, GROUP_INTERUTIL};

int prepareSetup(HWND owner)
{
    (void)owner;
    SetupState &s = *setupState;
    previousSpaceUsed = 0;
    readInstallType();
    clearHostResults();
    s.customSelectionMade = 0;
    if (!allocateFileTables())
        return 0;

    setGroupSectionNames();
    loadCatalogue(-1);
    for (int group : resetOrder)
        resetComponentStates(group);
    for (int g = 0; g < GROUP_COUNT; g++) {
        if (g == GROUP_INTERUTIL)
            continue;
        s.groups[g].sharedFileList = nullptr;
        s.groups[g].fileCount = 0;
    }
    readFileSizes();

    if (s.networkInstallMode) {
        computeSelection(SELECT_EVERYTHING_PROBED);
        computeSelection(SELECT_EVERYTHING);
    } else {
        char spaceUsedText[20];
        readIniText(s.installedIniPath, "General", "SpaceUsed", "", spaceUsedText, sizeof spaceUsedText);
        if (spaceUsedText[0])
            previousSpaceUsed = parseDecimal(spaceUsedText);
    }
    // A setup file that is there but could not be read answered as empty:
    // a catalogue built from it would install nothing, as if that were right.
    return profileReadFailed() ? 0 : 1;
}
