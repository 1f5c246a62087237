// dodialog.cpp - the host's entry for the interactive part of setup: the
// catalogue build, the main dialog loop, the options dialogs, the setup steps
// and the choice summary handed back in the host's record.
#include "dodialog.h"

#include <string.h>

#include "catalogue/catalogue.h"
#include "catalogue/selection.h"
#include "dialogs/dialog_toolkit.h"
#include "dialogs/main_dialog.h"
#include "dialogs/options_dialog.h"
#include "luinsres_ids.h"
#include "entries/entry_frame.h"
#include "entries/install_folder_question.h"
#include "registry/previous_install.h"
#include "state/host_record.h"
#include "steps/install_folder.h"
#include "state/module_lifecycle.h"
#include "state/host_folders.h"
#include "state/module_path.h"
#include "state/setup_state.h"
#include "state/text.h"
#include "steps/step_sets.h"
#include "unattended/answers.h"
#include "unattended/component_answers.h"
#include "state/setup_log.h"

// The four choice fields, in the order the change codes are computed.
static int32_t *choiceField(HostSetupInfo *record, int index)
{
    switch (index) {
    case 0: return &record->readmeChoice;
    case 1: return &record->manualChoice;
    case 2: return &record->convToolChoice;
    default: return &record->viewEngineChoice;
    }
}
constexpr int CHOICE_FIELDS = 4;

static bool categorySelected(int category)
{
    return (setupState->groups[CATEGORIES].items[category].flags & ITEM_SELECTED) != 0;
}

// Integration bytes of items that end up not installed are cleared.
static void clearUnchosenIntegrations(HostSetupInfo *record)
{
    const ComponentGroup &integration = setupState->groups[GROUP_INTEGRATION];
    int count = integration.itemCount < MAX_INTEGRATIONS ? integration.itemCount : MAX_INTEGRATIONS;
    for (int i = 0; i < count; i++)
        if (!(integration.items[i].flags & ITEM_SELECTED) || !categorySelected(GROUP_INTEGRATION))
            record->integrationResults[i] = 0;
}

void writeChoiceSummary(HostSetupInfo *record)
{
    SetupState &s = *setupState;
    if (categorySelected(GROUP_MANUAL)) {
        const ComponentGroup &manual = s.groups[GROUP_MANUAL];
        for (int i = 0; i < 4 && i < manual.itemCount; i++) {
            if (!(manual.items[i].flags & ITEM_SELECTED))
                continue;
            if (strcmp(manual.items[i].key, "README") == 0)
                record->readmeChoice = 1;
            else if (strcmp(manual.items[i].key, "MANUAL") == 0)
                record->manualChoice = 1;
        }
    }
    if (categorySelected(GROUP_VIEWENGINE))
        record->viewEngineChoice = 1;
    if (categorySelected(GROUP_CONVTOOL))
        record->convToolChoice = 1;
    copyText(record->installDir, sizeof record->installDir, s.installDir);
    clearUnchosenIntegrations(record);
}

void toChangeCodes(const HostSetupInfo *before, HostSetupInfo *after)
{
    for (int i = 0; i < CHOICE_FIELDS; i++) {
        int32_t was = *choiceField(const_cast<HostSetupInfo *>(before), i);
        int32_t *now = choiceField(after, i);
        if (*now == was)
            *now = 0;
        else if (*now != 0 && was == 0)
            *now = 1;
        else
            *now = 2;
    }
    clearUnchosenIntegrations(after);
}

// Copies one text field of the host's record; false when the slot holds no
// terminated text that fits the library's field.
static bool takeField(char *field, size_t cap, const char *slot, size_t slotCap)
{
    if (copyFieldText(field, cap, slot, slotCap))
        return true;
    field[0] = 0;
    return false;
}
#define TAKE(field, slot) takeField(s.field, sizeof s.field, record->slot, sizeof record->slot)
#define TAKE_FOLDER(field, slot) \
    takeLoggedHostFolder(s.field, sizeof s.field, record->slot, sizeof record->slot, "the record's " #slot)

static bool copyRecordIn(const HostSetupInfo *record)
{
    SetupState &s = *setupState;
    previousInstallState = record->previousInstallState;
    s.upgradeMode = record->upgradeMode;
    s.addOnMode = record->addOnMode;
    s.maintenanceMode = record->maintenanceMode;
    s.languageFlags = record->languageFlags;
    s.networkInstallMode = 0;
    bool fit = TAKE(setupIniPath, setupIniPath);
    fit &= TAKE(platformName, platformName);
    fit &= TAKE(layoutFilePath, layoutFilePath);
    fit &= TAKE_FOLDER(serverDir, serverDir);
    if (s.upgradeMode || s.addOnMode) {
        fit &= TAKE(installedLayoutFilePath, installedLayoutFilePath);
        fit &= TAKE(installedIniPath, installedIniPath);
    } else {
        // No existing installation in this run: the paths of an earlier
        // call must not lend it that installation's recorded space.
        s.installedLayoutFilePath[0] = 0;
        s.installedIniPath[0] = 0;
    }
    fit &= TAKE_FOLDER(installDir, installDir);
    return fit;
}

// The step set of the user's choice; the choice stands only when its
// changes were written, else the setup counts as cancelled.
static int runSteps(HWND owner, int mode, int choice)
{
    logSelection();
    int outcome = showProgress(owner, mode);
    if (!stepsWritten(owner, outcome))
        return resultWhenNotSaved(DODIALOG_CANCELLED);
    if (mode == WAIT_WORKSTATION)
        logLine("dodialog: workstation: the registry names the server folder %s", setupState->serverDir);
    else
        logFileLists("dodialog");
    return choice;
}

// ---------------------------------------------------------------------------
// The questions of the main dialog

static int runMainDialog(HWND owner)
{
    return (int)runDialog(setupState->upgradeMode ? DLG_MAIN_UPGRADE : DLG_MAIN, owner, MainDialogProc);
}

// What the main dialog's buttons check before they end it, for a choice
// that comes from the answer file.
static const char *takeKind(int kind)
{
    SetupState &s = *setupState;
    // The figures the dialog computes as it opens.
    bool standardOffered = computeMainFigures();
    switch (kind) {
    case DODIALOG_STANDARD:
        if (!standardOffered)
            return "this setup's type offers no standard installation";
        if (!installDirHasRoomFor(s.defaultSelectionSize))
            return "too little space on the installation folder's drive for the standard selection";
        spaceUsed = s.defaultSelectionSize;
        return nullptr;
    case DODIALOG_CUSTOM:
        // Checked now, before the folder is made; the options question
        // applies the same answers again to the selection it starts from.
        computeSelection(s.upgradeMode ? SELECT_DEFAULTS : SELECT_EVERYTHING);
        return takeCustomSelection();
    case DODIALOG_WORKSTATION:
        return networkOptionEnabled ? nullptr : "install.ini offers no workstation installation (Config/Network)";
    default:
        return nullptr;
    }
}

static constexpr AnswerName kindNames[] = {
    {"standard", DODIALOG_STANDARD},
    {"custom", DODIALOG_CUSTOM},
    {"workstation", DODIALOG_WORKSTATION},
    {"cancel", DODIALOG_CANCELLED},
};

static int runMaintenance(HWND owner, HostSetupInfo *before)
{
    SetupState &s = *setupState;
    computeSelection(SELECT_DEFAULTS);
    for (int e = 1; e <= s.sharedFileCount && e < SHARED_FILE_ENTRIES; e++)
        s.sharedFileTable[e].savedRefCount = s.sharedFileTable[e].refCount;
    memset(before, 0, sizeof *before);
    writeChoiceSummary(before);
    // Only OK accepts: an options dialog that could not be made or drawn
    // (-1, 21..24) is no choice of the user's.
    int end = answerComponents(owner);
    if (end == NO_ANSWER)
        return NO_ANSWER;
    if (end != OPTIONS_ACCEPTED)
        return DODIALOG_MAINTENANCE_CANCELLED;
    s.customSelectionMade = 1;
    return runSteps(owner, WAIT_STEPS, DODIALOG_STANDARD);
}

static int runMainLoop(HWND owner)
{
    SetupState &s = *setupState;
    const FolderAnswer installFolder = {"InstallDir", s.installDir, DODIALOG_CANCELLED};
    const Question kind = {"Kind", kindNames, (int)(sizeof kindNames / sizeof kindNames[0]), NO_ANSWER, nullptr,
                           takeKind, &installFolder};
    for (;;) {
        int choice;
        if (workstationInstall == 1)
            choice = DODIALOG_WORKSTATION;
        else
            choice = answerQuestion(kind, owner, runMainDialog);
        if (choice == NO_ANSWER)
            return NO_ANSWER;
        // Only a choice of the user's makes the folder: a cancel or a dialog
        // that could not be shown leaves none behind.
        if (choice >= DODIALOG_STANDARD && choice <= DODIALOG_WORKSTATION) {
            int ready = useShortInstallDir(owner);
            if (ready == NO_ANSWER)
                return NO_ANSWER;
            // The person chooses another folder in the main dialog; without
            // one (a workstation setup) there is nothing to choose.
            if (!ready) {
                if (workstationInstall == 1)
                    return DODIALOG_CANCELLED;
                continue;
            }
        }
        switch (choice) {
        case DODIALOG_STANDARD:
            if (s.selectionState != 1)
                computeSelection(SELECT_DEFAULTS);
            return runSteps(owner, WAIT_STEPS, DODIALOG_STANDARD);
        case DODIALOG_CUSTOM: {
            computeSelection(s.upgradeMode ? SELECT_DEFAULTS : SELECT_EVERYTHING);
            // Cancelled, or not shown at all: the main dialog shows again.
            int end = answerComponents(owner);
            if (end == NO_ANSWER)
                return NO_ANSWER;
            if (end != OPTIONS_ACCEPTED)
                continue;
            s.customSelectionMade = 1;
            return runSteps(owner, s.addOnMode ? WAIT_ADD_ON : WAIT_STEPS, DODIALOG_CUSTOM);
        }
        case DODIALOG_WORKSTATION:
            if (s.selectionState != 5)
                computeSelection(SELECT_EVERYTHING);
            return runSteps(owner, WAIT_WORKSTATION, DODIALOG_WORKSTATION);
        default:
            // 0, or a dialog that could not be made (-1): handed on as it is,
            // so that a failure never looks like the user's cancel.
            return choice;
        }
    }
}

extern "C" int WINAPI dodialog(HWND owner, HostSetupInfo *record)
{
    // Without a record there is no folder to load the resource module from.
    if (!record)
        return DODIALOG_NO_RESOURCES;
    SetupState &s = *setupState;
    // A setup without an answer leaves the host's record as it came.
    HostSetupInfo given = *record;
    bool fit = copyRecordIn(record);
    int entered = openEntry(record, record->sourceDir, sizeof record->sourceDir);
    if (entered != 1)
        return entered;

    s.defaultSelectionSize = 0;
    s.fullSelectionSize = 0;
    s.currentCategory = 1;
    logLine("dodialog: %s setup from %s, folder %s, language %d",
            s.maintenanceMode ? "maintenance" : s.upgradeMode ? "upgrade" : s.addOnMode ? "add-on" : "new",
            s.setupIniPath, s.installDir, (int)s.languageFlags);
    if (!fit || showProgress(owner, WAIT_PREPARE) != 1) {
        showBox(nullptr, "RETURN-2 INITSETUP", "DODIALOGN", MB_OK);
        closeEntry();
        logLine("dodialog: the component catalogue could not be built: result -2");
        return DODIALOG_NO_CATALOGUE;
    }
    readWorkstationFlags(&workstationInstall);

    HostSetupInfo before;
    int result = s.maintenanceMode ? runMaintenance(owner, &before) : runMainLoop(owner);
    if (result == NO_ANSWER)
        *record = given;
    // Nothing was installed: no empty folder is left behind for it.
    settleMadeInstallDir(result >= DODIALOG_STANDARD && result <= DODIALOG_WORKSTATION);
    if (result != DODIALOG_CANCELLED && result != DODIALOG_MAINTENANCE_CANCELLED && result != NO_ANSWER) {
        writeChoiceSummary(record);
        if (s.maintenanceMode)
            toChangeCodes(&before, record);
    } else if (result == DODIALOG_MAINTENANCE_CANCELLED) {
        writeChoiceSummary(record);
        toChangeCodes(&before, record);
    }
    closeEntry();
    logLine("dodialog: result %d", result);
    return result;
}
