// setup_log.h - the setup log: one timestamped line per decision. A log is
// opened once and kept open while lines go to it; each line is handed whole
// to one WriteFile, with nothing held back in the process, so that a run
// that ends abruptly leaves every earlier line readable. A host names the
// file with setupLogFile; record and replay always log, to a default file of
// the run's own in the user's temporary folder when none was named. Outside
// those, nothing is written.
//
// A log is closed when lines stop going to it: the named one when another
// (or none) is named, the default one when answers go off or a log is named,
// and both when the library leaves the process.
#pragma once

#include <windows.h>

// Answers are in use: log from now on, to the named file or, when none is
// named, to a new file %TEMP%\lumoria-setup-<yyyymmdd>-<n>.log, made under
// the first counter whose name nobody has taken.
void startSetupLog();

// Answers are off again: log on only to a file the host named.
void stopSetupLog();

// The library leaves the process: every log is closed.
void closeSetupLogs();

// Whether lines are written at all.
bool setupLogOn();

// The file lines go to; empty while the log is off.
const char *setupLogPath();

// One line: "<date> <time> <text>". A text longer than a line is cut.
void logLine(const char *format, ...) __attribute__((format(printf, 1, 2)));

// A failure, with the Windows error code: "<text> failed: error <n>".
void logFailure(DWORD error, const char *format, ...) __attribute__((format(printf, 2, 3)));

// The log the host names (setupLogFile): null or empty names none (the
// default log of answers in use goes on). 1 when the file can be written,
// else 0, and no log is named.
int nameSetupLog(const char *path);
