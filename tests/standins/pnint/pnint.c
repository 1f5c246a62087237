/* pnint.c - stand-in of an INTEGRATION item's module: ordinal 2 reports the
 * status, 3 switches the integration on, 4 off. The build copies it under
 * several prefixes; nostatuspnint.dll is the same code without ordinal 2. */
#include "standin_calls.h"

unsigned int WINAPI integrationStatus(void) { return standinCall(2, NULL, NULL); }

unsigned int WINAPI integrationOn(const char *installDir, const char *layoutFile)
{
    return standinCall(3, installDir, layoutFile);
}

unsigned int WINAPI integrationOff(const char *installDir, const char *layoutFile)
{
    return standinCall(4, installDir, layoutFile);
}
