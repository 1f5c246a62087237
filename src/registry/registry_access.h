// registry_access.h - the three routines through which the library's
// machine-wide registry traffic goes. Paths are relative to HKEY_LOCAL_MACHINE.
#pragma once

#include <windows.h>
#include <stddef.h>

// Product keys below HKEY_LOCAL_MACHINE (and HKEY_CURRENT_USER for the user's).
#define PRODUCT_KEY "SOFTWARE\\Jor\\Lumoria"
#define PRODUCT_GENERAL_KEY "SOFTWARE\\Jor\\Lumoria\\General"
#define REMOVAL_MARKER_KEY "SOFTWARE\\Jor\\RemoveLumoria"
#define AUTOSTART_KEY "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run"
#define SHARED_DLLS_KEY "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs"
#define WINDOWS_VERSION_KEY "SOFTWARE\\Microsoft\\Windows\\CurrentVersion"

// Creates or opens the key (with missing parents) and stores text as REG_SZ
// with its terminator. 1 when the key could be created or opened, else 0.
int writeRegText(const char *subKey, const char *valueName, const char *text);

// The same under any root; text null stores a text with no data at all.
// Inside a setup run's journal a store that fails is kept as the run's
// failure (registry_journal.h) and nothing more is written.
int writeRegValue(HKEY root, const char *subKey, const char *valueName, const char *text);

// Brackets a run of writes (the product defaults): inside, writeRegValue
// opens each key once and sets every value on that handle; the end closes
// them. A key deleted inside the bracket must not be written after it.
void beginRegistryWork();
void endRegistryWork();

// Deletes one value: 1 when it is gone (a missing key or value included),
// 0 when it could not be deleted (logged with the error code).
int deleteRegValue(const char *subKey, const char *valueName);

// Reads a value into buffer (capacity cap). 1 when read, 0 when the key or the
// value is missing or does not fit. A value filling the whole buffer is cut
// to cap - 1 characters.
int readRegText(const char *subKey, const char *valueName, char *buffer, size_t cap);
