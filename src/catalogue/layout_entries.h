// layout_entries.h - how the values of the setup layout file are taken apart:
// the name of a component FILE<k> value and of a setup-file value, the
// "FILE<m>" that LOGICALFILE gives for a name, the language variants of a
// "*" name and the installed name of a removed file. Free of Win32 calls, so
// that it is also built natively for fuzzing.
#pragma once

#include <stddef.h>
#include <stdint.h>

// The four language variants: bit 1 gives "*1", 2 "*2", 4 "*3", 8 "*4".
constexpr int LANGUAGE_VARIANTS = 4;

// The name of a component file value: its first non-empty comma-separated
// field, leading blanks dropped. False, with an empty name, when the value
// holds no field or only a blank one.
bool componentEntryName(const char *value, char *name, size_t cap);

// The name of a setup-file value of INSTALL16 or INSTALL32: its first
// non-empty comma-separated field, white space kept. False when the value
// holds only commas.
bool setupEntryName(const char *value, char *name, size_t cap);

// m of a LOGICALFILE result of the form "FILE<m>" (the letters in any case,
// m decimal digits only); 0 for any other text. Values beyond the 32-bit
// range saturate.
int32_t logicalFileNumber(const char *result);

// Whether the name, after a leading "*", is the end mark NOFILE (any case).
bool isEndOfListName(const char *name);

// Variant v (0..3) of a "*" name: "*<v+1>" followed by base, the name after
// its "*". False, with an empty out, for another v or when it does not fit.
bool languageVariantName(const char *base, int v, char *out, size_t cap);

// The name under which a file is installed: its logical name without the
// language prefix "*1".."*4" (just "*" when nothing follows it).
const char *installedFileName(const char *logicalName);
