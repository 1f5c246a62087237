// network_dialog.cpp - the network (server copy) installation: every
// component into one directory the user names, with its own dialog, the space
// check and the file lists written by the progress dialog.
#include <string.h>

#include "catalogue/catalogue.h"
#include "dialogs/dialog_toolkit.h"
#include "dialogs/main_dialog.h"
#include "luinsres_ids.h"
#include "state/host_record.h"
#include "state/module_lifecycle.h"
#include "state/host_folders.h"
#include "state/module_path.h"
#include "state/setup_state.h"
#include "state/text.h"
#include "steps/progress_dialog.h"
#include "unattended/answers.h"
#include "unattended/component_answers.h"
#include "state/setup_log.h"

int32_t networkDirLive;

static INT_PTR onInitDialog(HWND dialog)
{
    SetupState &s = *setupState;
    centreOnScreen(dialog);
    startDirectoryEdit(dialog);
    showFreeSpace(dialog);
    char needed[THOUSANDS_TEXT_BYTES];
    formatThousands(s.selectedSize, needed, sizeof needed);
    SetDlgItemTextA(dialog, IDC_NETWORK_NEEDED, needed);
    networkDirLive = 1;
    s.customSelectionMade = 0;
    SendDlgItemMessageA(dialog, IDC_NETWORK_DIRECTORY, EM_SETSEL, 0, -1);
    SetFocus(GetDlgItem(dialog, IDC_NETWORK_DIRECTORY));
    return FALSE;
}

static void onOk(HWND dialog)
{
    SetupState &s = *setupState;
    networkDirLive = 0;
    readDirectory(dialog, s.installDir);
    if (!installDirHasRoomFor(s.selectedSize)) {
        showResourceMessage(dialog, IDS_NO_SPACE, MB_ICONHAND | MB_TASKMODAL);
        return;  // the free figure no longer follows the edit from here on
    }
    readDirectory(dialog, s.installDir);
    EndDialog(dialog, 1);
}

static INT_PTR onCancel(HWND dialog)
{
    if (showResourceMessage(dialog, IDS_CONFIRM_CANCEL, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDNO)
        return FALSE;
    networkDirLive = 0;
    EndDialog(dialog, 0);
    return TRUE;
}

static INT_PTR onCommand(HWND dialog, WPARAM wParam)
{
    if (HIWORD(wParam) != BN_CLICKED)
        return FALSE;
    switch (LOWORD(wParam)) {
    case IDOK: onOk(dialog); return FALSE;
    case IDCANCEL: return onCancel(dialog);
    default: return FALSE;
    }
}

// Close from the system menu: no confirmation. As in the main dialog, only a
// confirmed cancel answers TRUE; the command is otherwise left to the default
// handling.
static INT_PTR onSysCommand(HWND dialog, WPARAM command)
{
    if ((command & 0xFFF0) == SC_CLOSE) {
        networkDirLive = 0;
        EndDialog(dialog, 0);
    }
    return FALSE;
}

extern "C" INT_PTR WINAPI networkProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    (void)lParam;
    if (networkDirLive)
        followDirectoryEdit(dialog);
    switch (message) {
    case WM_INITDIALOG: return onInitDialog(dialog);
    case WM_COMMAND: return onCommand(dialog, wParam);
    case WM_SYSCOMMAND: return onSysCommand(dialog, wParam);
    default: return FALSE;
    }
}

static int runNetworkDialog(HWND owner)
{
    return runDialog(DLG_NETWORK, owner, networkProc) > 0 ? 1 : 0;
}

// What the dialog does as it opens and at OK, for a folder from the file.
static const char *takeNetworkFolder(int install)
{
    SetupState &s = *setupState;
    if (!install)
        return nullptr;
    s.customSelectionMade = 0;
    return installDirHasRoomFor(s.selectedSize) ? nullptr : "too little space on the folder's drive for the product";
}

static constexpr AnswerName networkNames[] = {{"install", 1}, {"cancel", 0}};

extern "C" int WINAPI networkInstall(HWND owner, HostSetupInfo *record)
{
    // Without a record there is no folder to load the resource module from.
    if (!record)
        return -1;
    SetupState &s = *setupState;
    // A setup without an answer leaves the host's record as it came.
    HostSetupInfo given = *record;
    s.hostRecord = record;
    s.networkInstallMode = 1;
    s.languageFlags = record->languageFlags;
    bool fit = copyFieldText(s.setupIniPath, sizeof s.setupIniPath, record->setupIniPath, sizeof record->setupIniPath);
    fit &= copyFieldText(s.layoutFilePath, sizeof s.layoutFilePath, record->layoutFilePath, sizeof record->layoutFilePath);
    fit &= takeLoggedHostFolder(s.installDir, sizeof s.installDir, record->installDir, sizeof record->installDir,
                                "the record's installDir");
    fit &= takeLoggedHostFolder(s.serverDir, sizeof s.serverDir, record->serverDir, sizeof record->serverDir,
                                "the record's serverDir");
    fit &= copyFieldText(s.platformName, sizeof s.platformName, record->platformName, sizeof record->platformName);
    // A source folder that does not fit is never used to load the module.
    takeSourceDir(record->sourceDir, sizeof record->sourceDir);
    int entered = enterExport();
    if (entered != 1) {
        s.hostRecord = nullptr;
        return entered;
    }

    int result = 0;
    bool built = fit && showProgress(owner, WAIT_PREPARE) == 1;
    // A catalogue that cannot be built is reported with the library's own box,
    // as dodialog does, so that it never looks like the user's cancel; the
    // host still hears 0, the only failure it knows from this entry.
    const FolderAnswer folder = {"NetworkDir", s.installDir, 0};
    const Question network = {"Network", networkNames, 2, 1, "the folder confirmed", takeNetworkFolder, &folder};
    logLine("networkInstall: server copy from %s, folder %s", s.setupIniPath, s.installDir);
    int answer = 0;
    int ready = 0;
    if (!built)
        showBox(nullptr, "RETURN-2 INITSETUP", "DODIALOGN", MB_OK);
    else {
        // A folder that cannot be made: the dialog asks for another.
        do
            answer = answerQuestion(network, owner, runNetworkDialog);
        while (answer > 0 && (ready = useShortInstallDir(owner)) == 0);
    }
    if (answer == NO_ANSWER || ready == NO_ANSWER)
        result = NO_ANSWER;
    else if (answer > 0) {
        copyText(record->installDir, sizeof record->installDir, s.installDir);
        logSelection();
        showProgress(owner, WAIT_NETWORK_FILES);
        result = stepsWritten(owner) ? 1 : resultWhenNotSaved(0);
        if (result == 1)
            logFileLists("networkInstall");
    }
    if (result == NO_ANSWER)
        *record = given;
    settleMadeInstallDir(result == 1);
    releaseCatalogue();
    freeResourceModule();
    unregisterCtl3d();
    // The record is the host's: it is not kept beyond the call.
    s.hostRecord = nullptr;
    saveRecordedAnswers();
    logLine("networkInstall: result %d", result);
    return result;
}
