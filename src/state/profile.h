// profile.h - the one layer through which the library reads and writes
// install.ini, the layout file, lumoria.ini and win.ini. Section and key names
// compare without regard to case, as the profile API does.
#pragma once

#include <stddef.h>
#include <stdint.h>

// Reads section/key into buffer (capacity cap, terminator included); a missing
// key gives defaultText. Returns the length read.
int readIniText(const char *path, const char *section, const char *key,
                const char *defaultText, char *buffer, size_t cap);

// Reads a decimal value; a missing or empty key gives defaultValue.
int32_t readIniInt(const char *path, const char *section, const char *key, int32_t defaultValue);

void writeIniText(const char *path, const char *section, const char *key, const char *value);
void writeIniInt(const char *path, const char *section, const char *key, int32_t value);
void deleteIniSection(const char *path, const char *section);
void deleteIniKey(const char *path, const char *section, const char *key);

// Off, every call goes straight to the profile API, key by key.
extern bool profileCacheEnabled;

// Brackets one unit of the setup data work (a step, the catalogue build).
// Inside, each section is read once and writes may be held in memory; the
// outermost end writes what is held and forgets what was read, so that
// outside every bracket the files are exactly what key-by-key calls leave.
void beginProfileWork();
void endProfileWork();

// Writes what is held and forgets what was read (end of an exported entry).
void flushProfileWrites();
