// install_folder_question.cpp - the installation folder made before the
// steps run, asked about when it cannot be.
#include "install_folder_question.h"

#include "dialogs/dialog_toolkit.h"
#include "luinsres_ids.h"
#include "state/setup_log.h"
#include "state/setup_state.h"
#include "state/text.h"
#include "steps/install_folder.h"
#include "unattended/answers.h"

static int askDefaultFolder(HWND owner)
{
    SetupState &s = *setupState;
    return showResourceMessageAbout(owner, s.installDir, IDS_FOLDER_NOT_MADE, MB_YESNO | MB_ICONEXCLAMATION) ==
                   IDYES
               ? 1
               : 0;
}

// Replay: another folder is no answer the file can give, since the same
// folder would come back.
static const char *takeFolderAnswer(int useDefault)
{
    return useDefault ? nullptr : "another folder can only be chosen by a person";
}

static constexpr AnswerName folderNames[] = {{"default", 1}, {"choose", 0}};
static constexpr Question folderNotMade = {"FolderNotMade", folderNames, 2, NO_ANSWER, nullptr, takeFolderAnswer,
                                           nullptr};

int useShortInstallDir(HWND owner)
{
    SetupState &s = *setupState;
    DWORD error = ERROR_SUCCESS;
    if (!makeInstallFolder(&error)) {
        logFailure(error, "creating installation folder %s", s.installDir);
        int answer = answerQuestion(folderNotMade, owner, askDefaultFolder);
        if (answer == NO_ANSWER)
            return NO_ANSWER;
        if (answer == 0) {
            logLine("installation folder: another one is to be chosen");
            return 0;
        }
        copyText(s.installDir, sizeof s.installDir, DEFAULT_INSTALL_DIR);
        logLine("installation folder: %s instead", s.installDir);
    }
    takeShortInstallFolder();
    return 1;
}
