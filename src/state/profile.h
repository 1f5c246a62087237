// profile.h - the one layer through which the library reads and writes
// install.ini, the layout file and an existing installation's install.ini:
// each is read whole once, answered from memory with the profile functions'
// rules, and replaced atomically when it changes. lumoria.ini and win.ini
// (which Windows keeps in the registry) go to the profile API itself
// (readProfileApiText). Section and key names compare without regard to case.
#pragma once

#include <stddef.h>
#include <stdint.h>

// Reads section/key into buffer (capacity cap, terminator included); a missing
// key gives defaultText. Returns the length read.
int readIniText(const char *path, const char *section, const char *key,
                const char *defaultText, char *buffer, size_t cap);

// The names of the keys that have a value in the first section of that name,
// in file order, each ended by a zero and the list by one more; nameless
// keys and comments (';' first) are not listed. A list that does not fit in
// cap ends after the last name that does. Returns the bytes of the names and
// their zeros, the list's own end not counted.
int readIniKeyNames(const char *path, const char *section, char *buffer, size_t cap);

// Reads a decimal value; a missing or empty key gives defaultValue.
int32_t readIniInt(const char *path, const char *section, const char *key, int32_t defaultValue);

void writeIniText(const char *path, const char *section, const char *key, const char *value);
void writeIniInt(const char *path, const char *section, const char *key, int32_t value);
void deleteIniSection(const char *path, const char *section);
void deleteIniKey(const char *path, const char *section, const char *key);

// GetPrivateProfileStringA itself, default empty: for lumoria.ini and win.ini.
int readProfileApiText(const char *path, const char *section, const char *key, char *buffer, size_t cap);

// Off, every call goes straight to the profile API, key by key.
extern bool profileCacheEnabled;

// Brackets one unit of the setup data work (a step set, the catalogue
// build). Inside, changes are held in memory; the outermost end replaces
// each changed file once, atomically. Outside every bracket a change is
// written at once, and a file changed by someone else is read again. False
// when a file could not be written: it keeps its old content.
void beginProfileWork();
bool endProfileWork();

// Gives up every change held by the open unit: each file reads again as it
// is on disk, and the unit's end writes nothing.
void dropProfileWork();

// Writes what is held; false as above.
bool flushProfileWrites();

// Whether a change could not be written since the files were last forgotten:
// a file the platform could not write (read-only, opened by another process
// without sharing, its folder gone, the disk full) keeps its old content.
bool profileWriteFailed();

// Whether a file that is there could not be read (opened, read whole, or
// held in memory) since the files were last forgotten: it answered as an
// empty file, which must not pass for its content.
bool profileReadFailed();

// Start of an exported entry: writes what is held, forgets every file and
// any failure, so that each file is read afresh once.
void forgetProfileFiles();

// From now on, the bytes each file holds before it is first replaced are
// kept (a file whose bytes cannot be read is not replaced), so that a setup
// run undone later can put them back.
void keepProfileOriginals();

// Puts the kept bytes back (a file that did not exist is removed again),
// forgets what is read of those files and stops keeping. False when a file
// could not be put back.
bool restoreProfileOriginals();

// Stops keeping and lets the kept bytes go; the files stay as they are.
void releaseProfileOriginals();
