// host_record.cpp - the layout check of HostSetupInfo (the host relies on
// every offset below) and the values taken from the host's record.
#include "host_record.h"

#include <stddef.h>

#include "setup_state.h"

int32_t previousInstallState;
int32_t workstationInstall;
int32_t networkOptionEnabled;

static_assert(sizeof(HostSetupInfo) == 1520, "the host's record is 1,520 bytes");
static_assert(offsetof(HostSetupInfo, integrationResults) == 0, "record layout");
static_assert(offsetof(HostSetupInfo, upgradeMode) == 50, "record layout");
static_assert(offsetof(HostSetupInfo, maintenanceMode) == 54, "record layout");
static_assert(offsetof(HostSetupInfo, addOnMode) == 58, "record layout");
static_assert(offsetof(HostSetupInfo, readmeChoice) == 62, "record layout");
static_assert(offsetof(HostSetupInfo, manualChoice) == 66, "record layout");
static_assert(offsetof(HostSetupInfo, convToolChoice) == 70, "record layout");
static_assert(offsetof(HostSetupInfo, viewEngineChoice) == 74, "record layout");
static_assert(offsetof(HostSetupInfo, networkInstallMode) == 78, "record layout");
static_assert(offsetof(HostSetupInfo, languageFlags) == 82, "record layout");
static_assert(offsetof(HostSetupInfo, installDir) == 86, "record layout");
static_assert(offsetof(HostSetupInfo, setupIniPath) == 286, "record layout");
static_assert(offsetof(HostSetupInfo, installedIniPath) == 486, "record layout");
static_assert(offsetof(HostSetupInfo, layoutFilePath) == 686, "record layout");
static_assert(offsetof(HostSetupInfo, installedLayoutFilePath) == 886, "record layout");
static_assert(offsetof(HostSetupInfo, sourceDir) == 1086, "record layout");
static_assert(offsetof(HostSetupInfo, serverDir) == 1286, "record layout");
static_assert(offsetof(HostSetupInfo, platformName) == 1486, "record layout");
static_assert(offsetof(HostSetupInfo, previousInstallState) == 1516, "record layout");
