// integrations.cpp - switching the product's integrations into other
// applications on and off through the integration modules: one module per
// INTEGRATION item (its prefix + "pnint.dll") and the shared "fixint.dll" for
// the fixed integrations of the layout file. Owns integrationModule and the
// exported entries IntegInstall and IntegDeinstall.
#include "integrations.h"

#include <windows.h>
#include <string.h>

#include "state/module_load.h"
#include "state/module_path.h"
#include "state/profile.h"
#include "state/setup_state.h"
#include "state/text.h"
#include "state/setup_log.h"

HMODULE integrationModule;

// The modules' functions use the standard calling convention and return a
// 32-bit value; callers use its low byte only.
typedef uint32_t(WINAPI *IntegrationQuery)(void);
typedef uint32_t(WINAPI *IntegrationSwitch)(const char *installDir, const char *layoutFilePath);

// A module path holds at most 99 characters; a longer one is not loaded.
constexpr size_t MODULE_PATH_BYTES = 100;
static_assert(MAX_GROUP_ITEMS <= INTEGRATION_RESULT_BYTES, "every catalogue item has a status byte");

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
unsigned char callItemModule(int item, int ordinal, int withArguments)
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

unsigned char callFixedModule(int ordinal, int withArguments)
{
    unsigned char answer = (unsigned char)callIntegrationModule(FIXED_MODULE, ordinal, withArguments);
    releaseIntegrationModule();
    return answer;
}

// Number of INTEGRATION items that have a byte of their own in
// integrationResults.
int integrationItemCount()
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
