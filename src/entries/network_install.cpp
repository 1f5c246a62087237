// network_install.cpp - the networkInstall entry: the server copy of every
// component into one folder, asked with the network dialog, the space check,
// and the file lists the steps write.
#include <string.h>

#include "catalogue/catalogue.h"
#include "dialogs/dialog_toolkit.h"
#include "dialogs/main_dialog.h"
#include "luinsres_ids.h"
#include "entries/entry_frame.h"
#include "entries/install_folder_question.h"
#include "registry/previous_install.h"
#include "state/host_record.h"
#include "steps/install_folder.h"
#include "state/module_lifecycle.h"
#include "state/host_folders.h"
#include "state/module_path.h"
#include "state/setup_log.h"
#include "state/setup_state.h"
#include "state/text.h"
#include "steps/step_sets.h"
#include "unattended/answers.h"
#include "unattended/component_answers.h"

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
    s.networkInstallMode = 1;
    s.languageFlags = record->languageFlags;
    bool fit = copyFieldText(s.setupIniPath, sizeof s.setupIniPath, record->setupIniPath, sizeof record->setupIniPath);
    fit &= copyFieldText(s.layoutFilePath, sizeof s.layoutFilePath, record->layoutFilePath, sizeof record->layoutFilePath);
    fit &= takeLoggedHostFolder(s.installDir, sizeof s.installDir, record->installDir, sizeof record->installDir,
                                "the record's installDir");
    fit &= takeLoggedHostFolder(s.serverDir, sizeof s.serverDir, record->serverDir, sizeof record->serverDir,
                                "the record's serverDir");
    fit &= copyFieldText(s.platformName, sizeof s.platformName, record->platformName, sizeof record->platformName);
    int entered = openEntry(record, record->sourceDir, sizeof record->sourceDir);
    if (entered != 1)
        return entered;

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
        int outcome = showProgress(owner, WAIT_NETWORK_FILES);
        result = stepsWritten(owner, outcome) ? 1 : resultWhenNotSaved(0);
        if (result == 1)
            logFileLists("networkInstall");
    }
    if (result == NO_ANSWER)
        *record = given;
    settleMadeInstallDir(result == 1);
    closeEntry();
    logLine("networkInstall: result %d", result);
    return result;
}
