/* fixint.c - stand-in of the fixed integrations' module: for fixed
 * integration k = 1..10, ordinal 3k-1 reports its status, 3k switches it on
 * and 3k+1 off. Calls are logged and answered like the item modules'. */
#include "../pnint/standin_calls.h"

#define FIXED_INTEGRATION(k)                                                              \
    unsigned int WINAPI fixedStatus##k(void) { return standinCall(3 * k - 1, NULL, NULL); } \
    unsigned int WINAPI fixedOn##k(const char *installDir, const char *layoutFile)         \
    {                                                                                     \
        return standinCall(3 * k, installDir, layoutFile);                                \
    }                                                                                     \
    unsigned int WINAPI fixedOff##k(const char *installDir, const char *layoutFile)        \
    {                                                                                     \
        return standinCall(3 * k + 1, installDir, layoutFile);                            \
    }

FIXED_INTEGRATION(1)
FIXED_INTEGRATION(2)
FIXED_INTEGRATION(3)
FIXED_INTEGRATION(4)
FIXED_INTEGRATION(5)
FIXED_INTEGRATION(6)
FIXED_INTEGRATION(7)
FIXED_INTEGRATION(8)
FIXED_INTEGRATION(9)
FIXED_INTEGRATION(10)
