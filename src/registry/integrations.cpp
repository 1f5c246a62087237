// integrations.cpp - switching the product's integrations into other
// applications on and off through the integration modules: one module per
// INTEGRATION item (its prefix + "pnint.dll") and the shared "fixint.dll" for
// the fixed integrations of the layout file. Owns integrationModule and the
// exported entries IntegInstall and IntegDeinstall.
#include "integrations.h"

#include <windows.h>
#include <string.h>

#include "catalogue/catalogue.h"
#include "state/host_record.h"
#include "state/module_lifecycle.h"
#include "state/host_folders.h"
#include "state/module_load.h"
#include "state/module_path.h"
#include "state/profile.h"
#include "state/setup_state.h"
#include "state/text.h"
#include "state/answer_mode.h"
#include "state/setup_log.h"

HMODULE integrationModule;

// The modules' functions use the standard calling convention and return a
// 32-bit value; callers use its low byte only.
typedef uint32_t(WINAPI *IntegrationQuery)(void);
typedef uint32_t(WINAPI *IntegrationSwitch)(const char *installDir, const char *layoutFilePath);

enum IntegrationOrdinal { INTEGRATION_STATUS = 2, INTEGRATION_ON = 3, INTEGRATION_OFF = 4 };

// Status bits of a module's answer and of the host's bytes.
enum IntegrationBit { INTEGRATION_ALLOW_ON = 1, INTEGRATION_ALLOW_OFF = 2 };

// A module path holds at most 99 characters; a longer one is not loaded.
constexpr size_t MODULE_PATH_BYTES = 100;
constexpr int RESULT_BYTES = (int)sizeof(((HostSetupInfo *)nullptr)->integrationResults);
static_assert(MAX_GROUP_ITEMS <= RESULT_BYTES, "every catalogue item has a status byte");

static const char FIXED_MODULE[] = "fixint.dll";

int32_t callIntegrationModule(const char *name, int ordinal, int withArguments)
{
    SetupState &s = *setupState;
    // Only one module is ever loaded; one left over from a caller that did
    // not release it is freed rather than leaked.
    releaseIntegrationModule();
    UINT previousMode = SetErrorMode(SEM_NOOPENFILEERRORBOX);
    int32_t result = 0;
    char path[MODULE_PATH_BYTES];
    if (companionPath(name, path, sizeof path)) {
        integrationModule = loadModuleAt(path);
        if ((UINT_PTR)integrationModule > 32) {
            FARPROC function = GetProcAddress(integrationModule, MAKEINTRESOURCEA(ordinal));
            if (function && withArguments)
                result = (int32_t)((IntegrationSwitch)(void *)function)(s.installDir, s.layoutFilePath);
            else if (function)
                result = (int32_t)((IntegrationQuery)(void *)function)();
            if (function)
                logLine("integration module %s, ordinal %d: %d", name, ordinal, (int)result);
            else
                logFailure(GetLastError(), "integration module %s, ordinal %d", name, ordinal);
        } else {
            logFailure(GetLastError(), "loading integration module %s", path);
        }
    }
    SetErrorMode(previousMode);
    return result;
}

void releaseIntegrationModule()
{
    if ((UINT_PTR)integrationModule > 32)
        FreeLibrary(integrationModule);
    integrationModule = nullptr;
}

// Low byte of one call of an item's module, the module released again. An
// item without a prefix slot has no module and answers 0.
static unsigned char callItemModule(int item, int ordinal, int withArguments)
{
    SetupState &s = *setupState;
    int keyNumber = item + 1;
    if (keyNumber > MAX_INTEGRATIONS)
        return 0;
    char name[MODULE_PATH_BYTES];
    if (!copyText(name, sizeof name, s.integrationModulePrefix[keyNumber]) ||
        !appendText(name, sizeof name, "pnint.dll"))
        return 0;
    unsigned char answer = (unsigned char)callIntegrationModule(name, ordinal, withArguments);
    releaseIntegrationModule();
    return answer;
}

static unsigned char callFixedModule(int ordinal, int withArguments)
{
    unsigned char answer = (unsigned char)callIntegrationModule(FIXED_MODULE, ordinal, withArguments);
    releaseIntegrationModule();
    return answer;
}

// Number of INTEGRATION items that have a byte of their own in
// integrationResults.
static int integrationItemCount()
{
    int count = setupState->groups[GROUP_INTEGRATION].itemCount;
    if (count < 0)
        return 0;
    return count < MAX_GROUP_ITEMS ? count : MAX_GROUP_ITEMS;
}

void queryIntegrationStatus()
{
    SetupState &s = *setupState;
    ComponentGroup &group = s.groups[GROUP_INTEGRATION];
    int count = integrationItemCount();
    for (int i = 0; i < count; i++) {
        unsigned char status = callItemModule(i, INTEGRATION_STATUS, 0);
        if (s.hostRecord)
            s.hostRecord->integrationResults[i] = status;
        if (status == 0)
            group.items[i].flags = ITEM_UNAVAILABLE;
    }
}

// The host's paths that both entries work from.
static void takeHostPaths(const HostSetupInfo *record)
{
    SetupState &s = *setupState;
    copyFieldText(s.setupIniPath, sizeof s.setupIniPath, record->setupIniPath, sizeof record->setupIniPath);
    copyFieldText(s.layoutFilePath, sizeof s.layoutFilePath, record->layoutFilePath,
                  sizeof record->layoutFilePath);
    takeSourceDir(record->sourceDir, sizeof record->sourceDir);
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
        size_t length = strlen(s.installDir);
        if (length > 0 && s.installDir[length - 1] == '\\')
            s.installDir[length - 1] = 0;
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
    for (int k = 1; firstByte + k - 1 < RESULT_BYTES; k++) {
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
    enterExport();
    takeInstallDir(record);
    loadCatalogue(GROUP_INTEGRATION);
    readInstallType();
    if (!setupFilesRead("IntegInstall")) {
        leaveExport();
        return 0;
    }

    int count = integrationItemCount();
    for (int i = 0; i < count; i++)
        if (record->integrationResults[i] & INTEGRATION_ALLOW_ON)
            record->integrationResults[i] = callItemModule(i, INTEGRATION_ON, 1);
    if (fixedIntegrationsApply())
        switchFixedIntegrations(record, 0, INTEGRATION_ALLOW_ON);
    leaveExport();
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
    unsigned char hostBytes[RESULT_BYTES];
    memcpy(hostBytes, record->integrationResults, sizeof hostBytes);
    takeInstallDir(record);
    enterExport();
    readInstallType();
    loadCatalogue(GROUP_INTEGRATION);
    if (!setupFilesRead("IntegDeinstall")) {
        leaveExport();
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
    // The record is the host's and only valid during this call.
    s.hostRecord = nullptr;
    leaveExport();
    return 0;
}
