// integrations.h - integrations of the product into other applications,
// through integration modules called by ordinal.
#pragma once

#include <stdint.h>

#include "dialogint.h"

enum IntegrationOrdinal { INTEGRATION_STATUS = 2, INTEGRATION_ON = 3, INTEGRATION_OFF = 4 };

// Status bits of a module's answer and of the host's bytes.
enum IntegrationBit { INTEGRATION_ALLOW_ON = 1, INTEGRATION_ALLOW_OFF = 2 };

constexpr int INTEGRATION_RESULT_BYTES = (int)sizeof(((HostSetupInfo *)nullptr)->integrationResults);

// Calls ordinal of sourceDir + name, with no arguments or with (installDir,
// layoutFilePath); 0 when the module or the function cannot be found. A path
// of more than 99 characters is not loaded. The module stays loaded until
// releaseIntegrationModule; a call that finds one still loaded frees it first.
int32_t callIntegrationModule(const char *name, int ordinal, int withArguments);
void releaseIntegrationModule();

// Asks each INTEGRATION item's module for its status (ordinal 2), stores the
// bytes in the host record's integrationResults (when hostRecord is set) and
// marks items answering 0 unavailable.
void queryIntegrationStatus();

// Low byte of one call of an INTEGRATION item's module (item from 0), or of
// the fixed integrations' module, the module released again. An item without
// a prefix slot has no module and answers 0.
unsigned char callItemModule(int item, int ordinal, int withArguments);
unsigned char callFixedModule(int ordinal, int withArguments);

// Number of INTEGRATION items that have a byte of their own in
// integrationResults.
int integrationItemCount();
