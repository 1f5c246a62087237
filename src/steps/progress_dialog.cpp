// progress_dialog.cpp - WaitDialog, showProgress and prepareSetup. The dialog
// shows one message, waits for a one-second timer and then runs the steps of
// its wait mode under the hourglass cursor, once, and ends itself.
#include "progress_dialog.h"

#include <string.h>

#include "catalogue/catalogue.h"
#include "catalogue/file_lists.h"
#include "catalogue/selection.h"
#include "dialogs/dialog_toolkit.h"
#include "dialogs/options_dialog.h"
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

enum { PROGRESS_TIMER = 1 };

UINT progressTimerPeriodMs = 1000;

static void *allocateTableFromHeap(size_t bytes)
{
    return HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, bytes);
}

void *(*allocateFileTable)(size_t bytes) = allocateTableFromHeap;

static UINT_PTR startTimerOfSystem(HWND dialog, UINT periodMs)
{
    return SetTimer(dialog, PROGRESS_TIMER, periodMs, nullptr);
}

UINT_PTR (*startProgressTimer)(HWND dialog, UINT periodMs) = startTimerOfSystem;

// Set once the steps of the dialog on screen have run, so that a stray second
// WM_CLOSE cannot run them twice.
static bool progressStepsDone;

// Whether the steps of the last showProgress ran at all.
static bool stepsRan;

static int messageOfMode(int mode)
{
    switch (mode) {
    case WAIT_PREPARE: return IDS_PROGRESS_READING;
    case WAIT_NETWORK_FILES: return IDS_PROGRESS_NETWORK;
    default: return IDS_PROGRESS_CONFIGURING;
    }
}

// Every key the registry steps write is opened for writing first: when one
// cannot be, nothing is written at all (not even the installation folder).
// The steps then change install.ini in memory and write it once, before the
// registry: when it cannot be written it keeps its old content and the
// registry is left as it was. A value that fails after that undoes the run:
// the registry changes are taken back, the last first, and install.ini gets
// its old bytes back. Each failure stays for the entry to report.
static void runConfigurationSteps(int mode)
{
    bool registry = mode != WAIT_NETWORK_FILES;
    if (registry) {
        beginRegistryJournal();
        if (!productKeysWritable()) {
            rollBackRegistry();
            endRegistryJournal();
            return;
        }
        keepProfileOriginals();
    }
    beginProfileWork();
    emptyInstallGroups();
    if (mode != WAIT_WORKSTATION)
        writeFileLists();
    if (mode == WAIT_ADD_ON)
        recordSharedDefaults();
    else if (mode != WAIT_WORKSTATION && mode != WAIT_NETWORK_FILES)
        recordDefaults();
    bool written = endProfileWork() && !profileWriteFailed();
    if (!registry)
        return;
    if (written) {
        writeProductDefaults();
        if (mode == WAIT_WORKSTATION)
            recordWorkstation();
    }
    if (!written || registryWriteFailed()) {
        rollBackRegistry();
        if (written)
            restoreProfileOriginals();
    }
    releaseProfileOriginals();
    endRegistryJournal();
}

static int runWaitSteps(HWND dialog)
{
    stepsRan = true;
    SetupState &s = *setupState;
    forgetRegistryFailure();
    if (s.waitMode != WAIT_PREPARE) {
        runConfigurationSteps(s.waitMode);
        return 0;
    }
    beginProfileWork();
    int prepared = prepareSetup(dialog);
    if (prepared && !s.networkInstallMode)
        computeSelection(SELECT_EVERYTHING_PROBED);
    endProfileWork();
    return prepared ? 1 : 0;
}

static INT_PTR onInitDialog(HWND dialog)
{
    SetupState &s = *setupState;
    if (s.waitMode == WAIT_PREPARE)
        centreOnScreen(dialog);
    else
        placeAboveBottom(dialog);
    s.scratchText[0] = 0;
    LoadStringA(resourceModule, messageOfMode(s.waitMode), s.scratchText, 254);
    SetDlgItemTextA(dialog, IDC_PROGRESS_MESSAGE, s.scratchText);
    progressStepsDone = false;
    if (!startProgressTimer(dialog, progressTimerPeriodMs)) {
        logFailure(GetLastError(), "the progress dialog's timer");
        PostMessageA(dialog, WM_CLOSE, 0, 0);
    }
    return FALSE;  // no keyboard focus for a dialog without controls to use
}

static INT_PTR onTimer(HWND dialog)
{
    // One tick is all the dialog waits for.
    KillTimer(dialog, PROGRESS_TIMER);
    PostMessageA(dialog, WM_CLOSE, 0, 0);
    return FALSE;
}

static INT_PTR onClose(HWND dialog)
{
    if (progressStepsDone)
        return TRUE;
    progressStepsDone = true;
    HCURSOR previous = SetCursor(LoadCursorA(nullptr, (LPCSTR)IDC_WAIT));
    int result = runWaitSteps(dialog);
    SetCursor(previous);
    EndDialog(dialog, result);
    return TRUE;
}

static INT_PTR onSysCommand(HWND dialog, WPARAM command)
{
    if ((command & 0xFFFF) == SC_CLOSE)
        EndDialog(dialog, 0);
    return FALSE;
}

extern "C" INT_PTR WINAPI WaitDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    (void)lParam;
    switch (message) {
    case WM_INITDIALOG: return onInitDialog(dialog);
    case WM_TIMER: return onTimer(dialog);
    case WM_CLOSE: return onClose(dialog);
    case WM_SYSCOMMAND: return onSysCommand(dialog, wParam);
    default: return FALSE;
    }
}

int showProgress(HWND owner, int mode)
{
    setupState->waitMode = mode;
    stepsRan = false;
    // A replayed setup makes no window: the steps run at once, the same ones.
    if (!windowsAllowed())
        return runWaitSteps(nullptr);
    return (int)runDialog(DLG_PROGRESS, owner, WaitDialog);
}

bool stepsWritten(HWND owner)
{
    // install.ini kept (or got back) its old text and the registry is as it
    // was; steps that never ran (no progress dialog could be made, or it was
    // closed before its timer) wrote nothing either.
    if (!stepsRan || profileWriteFailed())
        showResourceMessage(owner, IDS_NOT_SAVED, MB_OK | MB_ICONSTOP);
    else if (registryWriteFailed())
        showResourceMessage(owner, IDS_REGISTRY_NOT_WRITTEN, MB_OK | MB_ICONSTOP);
    else
        return true;
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
