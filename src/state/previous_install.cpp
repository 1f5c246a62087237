// previous_install.cpp - detectPreviousInstall, HaveKeyDialog and the reinstall
// dialog (template 4). Owns workstationCopy; previousInstallState belongs to
// the host record, which hands it back to dodialog.
#include "previous_install.h"

#include <string.h>

#include "dialogs/dialog_toolkit.h"
#include "host_record.h"
#include "luinsres_ids.h"
#include "module_lifecycle.h"
#include "module_path.h"
#include "profile.h"
#include "registry/registry_access.h"
#include "setup_state.h"
#include "text.h"
#include "unattended/answers.h"
#include "setup_log.h"

int32_t workstationCopy;

// install.ini's Internal holds at most 199 characters; a longer value cannot
// be compared and counts as another version.
constexpr int INTERNAL_VERSION_BYTES = 200;

#define OLDER_KIND_INI "lumoria.ini"
#define AUTOSTART_VALUE "lxldmgr"

bool windowsDirFile(const char *name, char *path, size_t cap)
{
    UINT length = GetWindowsDirectoryA(path, (UINT)cap);
    bool fits = length > 0 && length < cap;
    if (fits && path[length - 1] != '\\')
        fits = appendText(path, cap, "\\");
    if (fits)
        fits = appendText(path, cap, name);
    if (!fits && cap > 0)
        path[0] = 0;
    return fits;
}

static bool fileExists(const char *path)
{
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

int detectPreviousInstall()
{
    SetupState &s = *setupState;
    // Only a directory found by this search may go back to the host.
    s.installDir[0] = 0;

    char iniPath[PATH_BYTES];
    if (windowsDirFile(OLDER_KIND_INI, iniPath, sizeof iniPath) && fileExists(iniPath)) {
        int length = readProfileApiText(iniPath, "General", "Home", s.installDir, sizeof s.installDir);
        // The profile API cuts a value to the buffer: a cut path names
        // another directory.
        if (length >= (int)sizeof s.installDir - 1)
            s.installDir[0] = 0;
        return PREVIOUS_OLDER_KIND;
    }

    if (!readRegText(PRODUCT_GENERAL_KEY, "Home", s.scratchText, sizeof s.scratchText) || !s.scratchText[0])
        return PREVIOUS_NONE;
    copyText(s.installDir, sizeof s.installDir, s.scratchText);

    if (!readRegText(PRODUCT_GENERAL_KEY, "Internal", s.scratchText, sizeof s.scratchText) ||
        !s.scratchText[0])
        return PREVIOUS_OTHER_VERSION;
    char setupVersion[PATH_BYTES];
    int length = readIniText(s.setupIniPath, "General", "Internal", "", setupVersion, sizeof setupVersion);
    if (length >= INTERNAL_VERSION_BYTES)
        return PREVIOUS_OTHER_VERSION;
    return strcmp(s.scratchText, setupVersion) == 0 ? PREVIOUS_SAME_VERSION : PREVIOUS_OTHER_VERSION;
}

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

static bool removalMarked();

// The ways the reinstall dialog enables: modify only over an installation of
// the same version that is no workstation, and neither modify nor reinstall
// while the removal marker stands.
static bool reinstallWayOffered(int way)
{
    bool modifiable = previousInstallState == PREVIOUS_SAME_VERSION && workstationCopy != 1;
    switch (way) {
    case HAVEKEY_MODIFY: return modifiable && !removalMarked();
    case HAVEKEY_REINSTALL: return !removalMarked();
    default: return true;
    }
}

// What the dialog's buttons do beside ending it.
static void makeReinstallWay(int way)
{
    if (way == HAVEKEY_MODIFY)
        setupState->maintenanceMode = 1;
    else if (way == HAVEKEY_REMOVE)
        deleteRegValue(AUTOSTART_KEY, AUTOSTART_VALUE);
}

static const char *takeReinstallWay(int way)
{
    if (!reinstallWayOffered(way))
        return way == HAVEKEY_MODIFY ? "modify is offered only over an installation of this version that is no "
                                       "workstation, and not while its removal is pending"
                                     : "only removal is offered while the installation's removal is pending";
    makeReinstallWay(way);
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
    return answerQuestion(reinstallQuestion, owner, runReinstallDialog);
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
    takeSourceDir(record->sourceDir, sizeof record->sourceDir);

    previousInstallState = detectPreviousInstall();
    if (previousInstallState != PREVIOUS_NONE) {
        readWorkstationFlags(workstationFlag);
        workstationCopy = *workstationFlag;
    }
    readInstallType();
    s.maintenanceMode = 0;
    if (enterExport() != 1)
        return HAVEKEY_STOP;

    int result = decideSetupWay(owner);
    // The host's slot is 200 bytes: a directory that does not fit stays out
    // rather than going back cut short.
    if (result > HAVEKEY_NEW_INSTALL && s.installDir[0] && strlen(s.installDir) < sizeof record->installDir)
        copyText(record->installDir, sizeof record->installDir, s.installDir);
    leaveExport();
    saveRecordedAnswers();
    static const char *const found[] = {"none", "another version", "this version", "the older kind"};
    logLine("HaveKeyDialog: installation found: %s%s%s: result %d",
            found[previousInstallState >= 0 && previousInstallState <= 3 ? previousInstallState : 0],
            s.installDir[0] ? " in " : "", s.installDir, result);
    return result;
}

// ---------------------------------------------------------------------------
// Reinstall dialog

static bool removalMarked()
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, REMOVAL_MARKER_KEY, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

static INT_PTR onReinstallInit(HWND dialog)
{
    setupState->helpOpened = 0;
    centreOnScreen(dialog);
    // The first way offered takes the focus.
    int focus = IDC_REINSTALL_REMOVE;
    if (!reinstallWayOffered(HAVEKEY_REINSTALL))
        EnableWindow(GetDlgItem(dialog, IDC_REINSTALL_REINSTALL), FALSE);
    else
        focus = IDC_REINSTALL_REINSTALL;
    if (!reinstallWayOffered(HAVEKEY_MODIFY))
        EnableWindow(GetDlgItem(dialog, IDC_REINSTALL_MODIFY), FALSE);
    else
        focus = IDC_REINSTALL_MODIFY;
    SetFocus(GetDlgItem(dialog, focus));
    return FALSE;  // the focus is set
}

static void onReinstallCancel(HWND dialog)
{
    if (showResourceMessage(dialog, IDS_CONFIRM_CANCEL, QUESTION_DEFAULT_NO) == IDNO)
        return;
    closeHelp(dialog);
    EndDialog(dialog, HAVEKEY_STOP);
}

static void onModify(HWND dialog)
{
    closeHelp(dialog);
    makeReinstallWay(HAVEKEY_MODIFY);
    EndDialog(dialog, HAVEKEY_MODIFY);
}

static void onReinstall(HWND dialog)
{
    closeHelp(dialog);
    EndDialog(dialog, HAVEKEY_REINSTALL);
}

static void onRemove(HWND dialog)
{
    closeHelp(dialog);
    makeReinstallWay(HAVEKEY_REMOVE);
    EndDialog(dialog, HAVEKEY_REMOVE);
}

static INT_PTR onReinstallCommand(HWND dialog, WPARAM wParam)
{
    if (HIWORD(wParam) != BN_CLICKED)
        return FALSE;
    switch (LOWORD(wParam)) {
    case IDCANCEL:                onReinstallCancel(dialog); return TRUE;
    case IDC_REINSTALL_MODIFY:    onModify(dialog); return TRUE;
    case IDC_REINSTALL_REINSTALL: onReinstall(dialog); return TRUE;
    case IDC_REINSTALL_REMOVE:    onRemove(dialog); return TRUE;
    case IDC_HELP_BUTTON:         openHelp(dialog, HELP_CONTEXT_OPTIONS); return TRUE;
    }
    return FALSE;
}

static INT_PTR onReinstallSysCommand(HWND dialog, WPARAM wParam)
{
    if ((wParam & 0xFFF0) != SC_CLOSE)
        return FALSE;
    EndDialog(dialog, HAVEKEY_STOP);
    return TRUE;
}

extern "C" INT_PTR WINAPI ReinstallDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    (void)lParam;
    switch (message) {
    case WM_INITDIALOG: return onReinstallInit(dialog);
    case WM_COMMAND:    return onReinstallCommand(dialog, wParam);
    case WM_SYSCOMMAND: return onReinstallSysCommand(dialog, wParam);
    }
    return FALSE;
}
