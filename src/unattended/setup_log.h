// setup_log.h - the setup log: one timestamped line per decision, written
// whole (opened, appended and closed for each line), so that a run that ends
// abruptly leaves every earlier line readable. A host names the file with
// setupLogFile; record and replay always log, to a default file in the user's
// temporary folder when none was named. Outside those, nothing is written.
#pragma once

#include <windows.h>

// The file a host named (null or empty: none).
void nameSetupLog(const char *path);

// Answers are in use: log from now on, to the named file or to
// %TEMP%\lumoria-setup.log.
void startSetupLog();

// Answers are off again: log on only to a file the host named.
void stopSetupLog();

// Whether lines are written at all.
bool setupLogOn();

// The file lines go to; empty while the log is off.
const char *setupLogPath();

// One line: "<date> <time> <text>". A text longer than a line is cut.
void logLine(const char *format, ...) __attribute__((format(printf, 1, 2)));

// A failure, with the Windows error code: "<text> failed: error <n>".
void logFailure(DWORD error, const char *format, ...) __attribute__((format(printf, 2, 3)));
