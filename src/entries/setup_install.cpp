// setup_install.cpp - the setupInstall entry: the first call of a setup,
// which names the source and server folders and checks that the resource
// module can be loaded from the source folder.
#include <string.h>

#include "dialogint.h"
#include "entries/entry_frame.h"
#include "state/module_lifecycle.h"
#include "state/host_folders.h"
#include "state/module_path.h"
#include "state/setup_log.h"
#include "state/setup_state.h"
#include "state/text.h"

extern "C" int WINAPI setupInstall(HWND owner, const char *serverDir, const char *sourceDir)
{
    (void)owner;
    SetupState &s = *setupState;
    // The server folder matters only once a workstation installation
    // records it; one that cannot be taken whole is none.
    takeLoggedHostFolder(s.serverDir, sizeof s.serverDir, serverDir, serverDir ? strlen(serverDir) + 1 : 0,
                         "the server folder");
    if (openEntryFrom(sourceDir) != 1) {
        logLine("setupInstall: source %s: the resource module cannot be loaded: result %d", s.sourceDir,
                SETUP_STOP);
        return SETUP_STOP;
    }
    copyText(s.setupIniPath, sizeof s.setupIniPath, s.sourceDir);
    appendText(s.setupIniPath, sizeof s.setupIniPath, "install.ini");
    readInstallType();
    closeEntry();
    logLine("setupInstall: source %s, server folder %s, setup type %d: result %d", s.sourceDir,
            s.serverDir[0] ? s.serverDir : "(none)", (int)s.installType, SETUP_GO_ON);
    return SETUP_GO_ON;
}
