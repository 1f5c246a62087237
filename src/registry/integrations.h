// integrations.h - integrations of the product into other applications,
// through integration modules called by ordinal.
#pragma once

#include <stdint.h>

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
