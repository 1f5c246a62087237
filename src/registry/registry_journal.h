// registry_journal.h - the registry changes of one setup run, kept so that a
// run that fails part-way can be undone: before a value is set its previous
// state (absent, or its type and data) is kept; a key made is noted with
// every level made for it; a key deleted is kept with its values. Undoing
// puts it all back, the last change first. Also the one failure of a run's
// registry work that the entries report.
#pragma once

#include <windows.h>

// Starts keeping the changes of a run and forgets any failure. Outside a
// journal, changes are made as they come and a failure is only logged.
void beginRegistryJournal();

// Lets go of what was kept; the changes stay as they are.
void endRegistryJournal();

// Opens root\path for writing (all access), making it and any missing level
// above it. Inside a journal each level made is noted, and after a failure
// nothing more is opened. False when it cannot be (the failure is kept).
bool openKeyForWriting(HKEY root, const char *path, HKEY *key);

// Sets one value on a key opened for writing; data null stores a text with no
// data at all. Inside a journal the value's previous state is kept first,
// and a value that cannot be kept is not set. False on failure (kept).
bool setValueNoting(HKEY root, const char *path, HKEY key, const char *name, const char *data);

// Deletes a key that has no subkeys (a key that has some stays, as the
// platform keeps it); a missing key is no failure. Inside a journal its values
// are kept first.
void deleteKeyNoting(HKEY root, const char *path);

// Puts every kept change back, the last first, and empties the journal.
void rollBackRegistry();

// Whether a key or value of the run could not be written since the journal
// began (or since forgetRegistryFailure).
bool registryWriteFailed();
void forgetRegistryFailure();
