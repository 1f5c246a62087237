// integration_entries.cpp - the IntegInstall and IntegDeinstall entries:
// each integration the host's bytes allow is switched on, or off, through
// its module, and the modules' answers go back in the host's bytes.
#include <string.h>

#include "catalogue/catalogue.h"
#include "dialogint.h"
#include "registry/integrations.h"
#include "entries/entry_frame.h"
#include "state/answer_mode.h"
#include "state/host_folders.h"
#include "entries/install_folder_question.h"
#include "registry/previous_install.h"
#include "state/host_record.h"
#include "steps/install_folder.h"
#include "state/module_lifecycle.h"
#include "state/module_path.h"
#include "state/profile.h"
#include "state/setup_log.h"
#include "state/setup_state.h"
#include "state/text.h"
#include "state/path_text.h"

// The host's bytes as the entry leaves them, one hex pair each.
static void logIntegrationBytes(const char *entry, const HostSetupInfo *record)
{
    int count = integrationItemCount();
    char bytes[2 * INTEGRATION_RESULT_BYTES + 1] = "";
    for (int i = 0; i < count && i < INTEGRATION_RESULT_BYTES; i++)
        formatText(bytes + 2 * i, 3, "%02x", record->integrationResults[i]);
    logLine("%s: %d integration(s), bytes %s", entry, count, bytes[0] ? bytes : "(none)");
}

// The host's paths that both entries work from.
static void takeHostPaths(const HostSetupInfo *record)
{
    SetupState &s = *setupState;
    copyFieldText(s.setupIniPath, sizeof s.setupIniPath, record->setupIniPath, sizeof record->setupIniPath);
    copyFieldText(s.layoutFilePath, sizeof s.layoutFilePath, record->layoutFilePath,
                  sizeof record->layoutFilePath);
}

// The directory the modules are given: on a workstation installation the
// server directory, without one trailing backslash.
static void takeInstallDir(const HostSetupInfo *record)
{
    SetupState &s = *setupState;
    readWorkstationFlags(&workstationInstall);
    // A slot without its terminator holds no directory the modules could
    // be given: they get none rather than the slot's bytes cut short.
    if (workstationInstall) {
        takeLoggedHostFolder(s.installDir, sizeof s.installDir, record->serverDir, sizeof record->serverDir,
                             "the record's serverDir");
        dropTrailingSeparator(s.installDir);
    } else if (record->installDir[0]) {
        // After dodialog the host's record holds the library's own directory;
        // at a deinstallation run in a new process it is the only one known.
        takeLoggedHostFolder(s.installDir, sizeof s.installDir, record->installDir, sizeof record->installDir,
                             "the record's installDir");
    }
}

static bool fixedIntegrationsApply()
{
    int32_t type = setupState->installType;
    return type != INSTALL_TYPE_LEGACY && type != INSTALL_TYPE_CUSTOM && type != INSTALL_TYPE_NOTES;
}

// Fixed integration k answers on ordinal 3k-1 and switches on 3k, off 3k+1.
// Its status byte follows the items' bytes; a fixed integration whose byte
// would lie past the record's 50 bytes is neither asked nor switched, so the
// host's bytes always describe everything that was done.
static void switchFixedIntegrations(HostSetupInfo *record, int switchOffset, unsigned allowMask)
{
    SetupState &s = *setupState;
    int firstByte = integrationItemCount();
    for (int k = 1; firstByte + k - 1 < INTEGRATION_RESULT_BYTES; k++) {
        char key[16];
        char value[100];
        formatText(key, sizeof key, "Info%d", k);
        readIniText(s.layoutFilePath, "FIXEDINTEGRATIONS", key, "", value, sizeof value);
        if (!value[0])
            return;
        unsigned char status = callFixedModule(3 * k - 1, 0);
        record->integrationResults[firstByte + k - 1] = status;
        if (status & allowMask)
            callFixedModule(3 * k + switchOffset, 1);
    }
}

// Both setup files are read before any module is called: when one that is
// there cannot be read, which integrations exist is not known, and none is
// switched. The person hears of it as of a catalogue that cannot be built.
static bool setupFilesRead(const char *entry)
{
    SetupState &s = *setupState;
    char value[100];
    readIniText(s.layoutFilePath, "FIXEDINTEGRATIONS", "Info1", "", value, sizeof value);
    if (!profileReadFailed())
        return true;
    showBox(nullptr, "RETURN-2 INITSETUP", "DODIALOGN", MB_OK);
    logLine("%s: the setup files could not be read: no integration switched", entry);
    return false;
}

extern "C" int WINAPI IntegInstall(int32_t ignored1, int32_t ignored2, HostSetupInfo *record)
{
    (void)ignored1;
    (void)ignored2;
    if (!record)
        return 0;
    takeHostPaths(record);
    // A failed prologue has shown its box; the modules do not need the
    // resource module, so the work goes on.
    openEntry(nullptr, record->sourceDir, sizeof record->sourceDir);
    takeInstallDir(record);
    loadCatalogue(GROUP_INTEGRATION);
    readInstallType();
    if (!setupFilesRead("IntegInstall")) {
        closeEntry();
        return 0;
    }

    int count = integrationItemCount();
    for (int i = 0; i < count; i++)
        if (record->integrationResults[i] & INTEGRATION_ALLOW_ON)
            record->integrationResults[i] = callItemModule(i, INTEGRATION_ON, 1);
    if (fixedIntegrationsApply())
        switchFixedIntegrations(record, 0, INTEGRATION_ALLOW_ON);
    closeEntry();
    logIntegrationBytes("IntegInstall", record);
    return 0;
}

extern "C" int WINAPI IntegDeinstall(int32_t ignored1, int32_t ignored2, HostSetupInfo *record)
{
    (void)ignored1;
    (void)ignored2;
    if (!record)
        return 0;
    SetupState &s = *setupState;
    takeHostPaths(record);
    unsigned char hostBytes[INTEGRATION_RESULT_BYTES];
    memcpy(hostBytes, record->integrationResults, sizeof hostBytes);
    takeInstallDir(record);
    // As above: the work goes on without the resource module.
    openEntry(nullptr, record->sourceDir, sizeof record->sourceDir);
    readInstallType();
    loadCatalogue(GROUP_INTEGRATION);
    if (!setupFilesRead("IntegDeinstall")) {
        closeEntry();
        return 0;
    }
    s.hostRecord = record;
    queryIntegrationStatus();
    int32_t maintenance = record->maintenanceMode;
    // In maintenance mode the host's bytes say what to switch off; the items
    // found unavailable keep their mark.
    if (maintenance)
        memcpy(record->integrationResults, hostBytes, sizeof hostBytes);

    int count = integrationItemCount();
    for (int i = 0; i < count; i++) {
        unsigned char b = record->integrationResults[i];
        if ((b & (INTEGRATION_ALLOW_ON | INTEGRATION_ALLOW_OFF)) || (maintenance && b == 0))
            callItemModule(i, INTEGRATION_OFF, 1);
    }
    if (fixedIntegrationsApply())
        switchFixedIntegrations(record, 1, INTEGRATION_ALLOW_ON | INTEGRATION_ALLOW_OFF);
    closeEntry();
    logIntegrationBytes("IntegDeinstall", record);
    return 0;
}
