// have_key_dialog.cpp - the HaveKeyDialog entry: the search for an existing
// installation, and the question of how to set up over it (the reinstall
// dialog, or the older kind's question).
#include <string.h>

#include "dialogint.h"
#include "dialogs/dialog_toolkit.h"
#include "dialogs/reinstall_dialog.h"
#include "luinsres_ids.h"
#include "registry/previous_install.h"
#include "registry/registry_access.h"
#include "entries/install_folder_question.h"
#include "registry/previous_install.h"
#include "entries/entry_frame.h"
#include "state/host_record.h"
#include "steps/install_folder.h"
#include "state/module_lifecycle.h"
#include "state/module_path.h"
#include "state/setup_log.h"
#include "state/setup_state.h"
#include "state/text.h"
#include "unattended/answers.h"

#define AUTOSTART_VALUE "lxldmgr"

constexpr UINT QUESTION_DEFAULT_NO = MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2;
constexpr UINT TASK_ERROR = MB_OK | MB_ICONHAND | MB_TASKMODAL;

static bool isUpdateType(int32_t installType)
{
    return installType == INSTALL_TYPE_LEGACY || installType == INSTALL_TYPE_CUSTOM ||
           installType == INSTALL_TYPE_NOTES;
}

static int runReinstallDialog(HWND owner)
{
    INT_PTR result = runDialog(DLG_REINSTALL, owner, ReinstallDialogProc);
    // A dialog that could not be shown is no choice of the user's: stop.
    return result < 0 ? HAVEKEY_STOP : (int)result;
}

// What a way chosen does beside ending the question.
static void makeReinstallWay(int way)
{
    if (way == HAVEKEY_MODIFY)
        setupState->maintenanceMode = 1;
    else if (way == HAVEKEY_REMOVE)
        deleteRegValue(AUTOSTART_KEY, AUTOSTART_VALUE);
}

// Replay: the file's way, checked as the dialog offers it.
static const char *takeReinstallWay(int way)
{
    if (!reinstallWayOffered(way))
        return way == HAVEKEY_MODIFY ? "modify is offered only over an installation of this version that is no "
                                       "workstation, and not while its removal is pending"
                                     : "only removal is offered while the installation's removal is pending";
    return nullptr;
}

static int askOlderKind(HWND owner)
{
    return showResourceMessage(owner, IDS_OLDER_KIND, QUESTION_DEFAULT_NO) == IDYES ? HAVEKEY_OLDER_KIND_ACCEPTED
                                                                                     : HAVEKEY_STOP;
}

static constexpr AnswerName reinstallNames[] = {
    {"modify", HAVEKEY_MODIFY},
    {"reinstall", HAVEKEY_REINSTALL},
    {"remove", HAVEKEY_REMOVE},
    {"stop", HAVEKEY_STOP},
};
static constexpr AnswerName olderKindNames[] = {
    {"accept", HAVEKEY_OLDER_KIND_ACCEPTED},
    {"stop", HAVEKEY_STOP},
};
static constexpr Question reinstallQuestion = {"Reinstall", reinstallNames, 4, NO_ANSWER, nullptr,
                                               takeReinstallWay, nullptr};
static constexpr Question olderKindQuestion = {"OlderKind", olderKindNames, 2, NO_ANSWER, nullptr, nullptr,
                                               nullptr};

static int decideSetupWay(HWND owner)
{
    SetupState &s = *setupState;
    if (previousInstallState == PREVIOUS_OLDER_KIND)
        return answerQuestion(olderKindQuestion, owner, askOlderKind);
    if (isUpdateType(s.installType)) {
        switch (previousInstallState) {
        case PREVIOUS_SAME_VERSION:
            return HAVEKEY_UPDATE_SAME_VERSION;
        case PREVIOUS_OTHER_VERSION:
            showResourceMessage(nullptr, IDS_OTHER_VERSION, TASK_ERROR);
            return HAVEKEY_UPDATE_NOT_POSSIBLE;
        default:
            showResourceMessage(nullptr, IDS_NO_INSTALLATION, TASK_ERROR);
            return HAVEKEY_UPDATE_NOT_POSSIBLE;
        }
    }
    if (previousInstallState == PREVIOUS_NONE)
        return HAVEKEY_NEW_INSTALL;
    int way = answerQuestion(reinstallQuestion, owner, runReinstallDialog);
    makeReinstallWay(way);
    return way;
}

extern "C" int WINAPI HaveKeyDialog(HWND owner, int32_t *workstationFlag, HostSetupInfo *record)
{
    if (!record)
        return HAVEKEY_STOP;
    SetupState &s = *setupState;
    int32_t unusedFlag;
    if (!workstationFlag)
        workstationFlag = &unusedFlag;
    copyFieldText(s.setupIniPath, sizeof s.setupIniPath, record->setupIniPath, sizeof record->setupIniPath);
    if (openEntry(record, record->sourceDir, sizeof record->sourceDir) != 1)
        return HAVEKEY_STOP;

    previousInstallState = detectPreviousInstall();
    if (previousInstallState != PREVIOUS_NONE) {
        readWorkstationFlags(workstationFlag);
        workstationCopy = *workstationFlag;
    }
    readInstallType();
    s.maintenanceMode = 0;

    int result = decideSetupWay(owner);
    // What was found goes back as dodialog wants it, for every way that
    // goes on to install: the host need not work it out again.
    if (result == HAVEKEY_NEW_INSTALL || result == HAVEKEY_REINSTALL || result == HAVEKEY_MODIFY ||
        result == HAVEKEY_UPDATE_SAME_VERSION || result == HAVEKEY_OLDER_KIND_ACCEPTED)
        record->previousInstallState = previousInstallState;
    // The host's slot is 200 bytes: a directory that does not fit stays out
    // rather than going back cut short.
    if (result > HAVEKEY_NEW_INSTALL && s.installDir[0] && strlen(s.installDir) < sizeof record->installDir)
        copyText(record->installDir, sizeof record->installDir, s.installDir);
    closeEntry();
    static const char *const found[] = {"none", "another version", "this version", "the older kind"};
    logLine("HaveKeyDialog: installation found: %s%s%s: result %d",
            found[previousInstallState >= 0 && previousInstallState <= 3 ? previousInstallState : 0],
            s.installDir[0] ? " in " : "", s.installDir, result);
    return result;
}

