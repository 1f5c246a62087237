// setup_log.cpp - the setup log's files and its lines. Opens the log a host
// named and the default log of a run (both kept in the state block's host
// settings), each once, and keeps it open while lines go to it; each line is formatted in full first and handed to one
// WriteFile, so a line is either in the file whole or not at all.
#include "setup_log.h"

#include <limits.h>
#include <stdarg.h>
#include <stdlib.h>
#include <stdio.h>
#include <string.h>

#include "setup_state.h"
#include "text.h"

namespace {

constexpr size_t LINE_BYTES = 1024;
// Names of the default log tried in one start before it gives up.
constexpr int DEFAULT_LOG_TRIES = 100;
// Others may read a log while it is written, and remove it (or its folder)
// when they are done; nobody else writes into it.
constexpr DWORD LOG_SHARING = FILE_SHARE_READ | FILE_SHARE_DELETE;
// A log the host names may be one file for a whole setup whose programs
// follow one another or overlap (a setup and the uninstaller it starts):
// they may all append to it, each line whole at its end.
constexpr DWORD NAMED_LOG_SHARING = LOG_SHARING | FILE_SHARE_WRITE;

// The logs live in the state block's host settings: they outlive a call.
// Before the block exists, nothing is logged.
LogFile noLog;
LogFile &namedLog() { return setupState ? setupState->settings.namedLog : noLog; }
LogFile &defaultLog() { return setupState ? setupState->settings.defaultLog : noLog; }

void closeLog(LogFile &log)
{
    if (log.file)
        CloseHandle(log.file);
    log.file = nullptr;
    log.path[0] = 0;
}

LogFile &currentLog() { return namedLog().file ? namedLog() : defaultLog(); }

// A host's log may be a file it wants added to: it is opened as it is, or
// made. A link in its place is not followed where the platform tells one
// (the link itself is opened, and refused), and a file that has other names
// as well is refused: its lines would also land under those names.
HANDLE openNamedLog(const char *path)
{
    HANDLE file = CreateFileA(path, FILE_APPEND_DATA | FILE_READ_ATTRIBUTES, NAMED_LOG_SHARING, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return nullptr;
    BY_HANDLE_FILE_INFORMATION info;
    if (GetFileInformationByHandle(file, &info) &&
        !(info.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) &&
        info.nNumberOfLinks <= 1)
        return file;
    CloseHandle(file);
    SetLastError(ERROR_CANT_ACCESS_FILE);
    return nullptr;
}

// The highest counter of today's default logs in folder; 0 when there is
// none. Names are only read here, never opened.
int highestLogCounter(const char *folder, const char *day)
{
    char pattern[PATH_BYTES], prefix[40];
    formatText(prefix, sizeof prefix, "lumoria-setup-%s-", day);
    if (!formatText(pattern, sizeof pattern, "%s%s*.log", folder, prefix))
        return 0;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern, &found);
    if (search == INVALID_HANDLE_VALUE)
        return 0;
    int highest = 0;
    size_t skip = strlen(prefix);
    do {
        int counter = strncmp(found.cFileName, prefix, skip) == 0 ? atoi(found.cFileName + skip) : 0;
        if (counter > highest && counter < INT_MAX - DEFAULT_LOG_TRIES)
            highest = counter;
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return highest;
}

// The run's own log: a new file under the next of today's counters, after
// the highest one there is, so that any number of runs a day each get one.
// A name that is taken (a file, a link, a folder) is skipped, never opened:
// CREATE_NEW fails on every existing name, and with the reparse flag a
// dangling link is not followed to make its target.
void openDefaultLog()
{
    if (!setupState)
        return;
    char folder[PATH_BYTES], path[PATH_BYTES], day[16];
    DWORD length = GetTempPathA(sizeof folder, folder);
    if (length == 0 || length >= sizeof folder)
        return;
    SYSTEMTIME today;
    GetLocalTime(&today);
    formatText(day, sizeof day, "%04u%02u%02u", today.wYear, today.wMonth, today.wDay);
    int first = highestLogCounter(folder, day) + 1;
    for (int counter = first; counter < first + DEFAULT_LOG_TRIES; counter++) {
        if (!formatText(path, sizeof path, "%slumoria-setup-%s-%d.log", folder, day, counter))
            return;
        HANDLE file = CreateFileA(path, FILE_APPEND_DATA, LOG_SHARING, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            defaultLog().file = file;
            copyText(defaultLog().path, sizeof defaultLog().path, path);
            return;
        }
        // A name held by a file being deleted answers access denied.
        DWORD error = GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS && error != ERROR_ACCESS_DENIED)
            return;
    }
}

void writeWhole(const char *line, size_t length)
{
    HANDLE file = currentLog().file;
    if (!file)
        return;
    DWORD written = 0;
    WriteFile(file, line, (DWORD)length, &written, nullptr);  // a log that cannot be written changes nothing
}

void writeLine(const char *prefix, const char *format, va_list arguments, const char *suffix)
{
    if (!setupLogOn())
        return;
    SYSTEMTIME now;
    GetLocalTime(&now);
    char line[LINE_BYTES];
    int length = snprintf(line, sizeof line, "%04u-%02u-%02u %02u:%02u:%02u.%03u %s", now.wYear, now.wMonth,
                          now.wDay, now.wHour, now.wMinute, now.wSecond, now.wMilliseconds, prefix);
    if (length < 0)
        return;
    size_t used = (size_t)length < sizeof line ? (size_t)length : sizeof line - 1;
    int body = vsnprintf(line + used, sizeof line - used, format, arguments);
    if (body > 0)
        used += (size_t)body < sizeof line - used ? (size_t)body : sizeof line - used - 1;
    // Room is kept for the suffix and the line end: a cut text still ends its line.
    constexpr size_t END_ROOM = 48;
    if (used > sizeof line - END_ROOM)
        used = sizeof line - END_ROOM;
    line[used] = 0;
    appendText(line, sizeof line, suffix);
    appendText(line, sizeof line, "\r\n");
    size_t total = 0;
    while (line[total])
        total++;
    writeWhole(line, total);
}

} // namespace

void startSetupLog()
{
    if (!setupLogOn())
        openDefaultLog();
}

void stopSetupLog()
{
    closeLog(defaultLog());
}

void closeSetupLogs()
{
    closeLog(namedLog());
    closeLog(defaultLog());
}

bool setupLogOn()
{
    return currentLog().file != nullptr;
}

const char *setupLogPath()
{
    return currentLog().path;
}

void logLine(const char *format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    writeLine("", format, arguments, "");
    va_end(arguments);
}

void logFailure(DWORD error, const char *format, ...)
{
    char suffix[40];
    formatText(suffix, sizeof suffix, " failed: error %lu", (unsigned long)error);
    va_list arguments;
    va_start(arguments, format);
    writeLine("", format, arguments, suffix);
    va_end(arguments);
}

// Null or empty names no log: the default log of answers in use goes on.
int nameSetupLog(const char *path)
{
    if (!path || !path[0]) {
        closeLog(namedLog());
        return 1;
    }
    if (strnlen(path, PATH_BYTES) >= PATH_BYTES || !setupState)
        return 0;
    // The log in use named again starts afresh from its name: the host may
    // have removed or replaced the file meanwhile.
    if (namedLog().file && lstrcmpiA(namedLog().path, path) == 0)
        closeLog(namedLog());
    // Opened now, so that a host learns at once that it cannot be written.
    HANDLE file = openNamedLog(path);
    if (!file && GetLastError() == ERROR_SHARING_VIOLATION && namedLog().file) {
        // The log in use named again, perhaps under another spelling.
        closeLog(namedLog());
        file = openNamedLog(path);
    }
    if (!file)
        return 0;
    closeSetupLogs();
    namedLog().file = file;
    copyText(namedLog().path, sizeof namedLog().path, path);
    return 1;
}
