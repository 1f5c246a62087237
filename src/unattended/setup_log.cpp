// setup_log.cpp - the setup log's file and its lines. Owns the log's path;
// each line is formatted in full first and handed to one WriteFile, so a
// line is either in the file whole or not at all.
#include "setup_log.h"

#include <stdarg.h>
#include <stdio.h>
#include <string.h>

#include "state/setup_state.h"
#include "state/text.h"

namespace {

constexpr size_t LINE_BYTES = 1024;
#define DEFAULT_LOG_NAME "lumoria-setup.log"

char namedPath[PATH_BYTES];
char logPath[PATH_BYTES];

void writeWhole(const char *line, size_t length)
{
    if (!logPath[0])
        return;
    HANDLE file = CreateFileA(logPath, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;  // a log that cannot be written changes nothing of the setup
    DWORD written = 0;
    WriteFile(file, line, (DWORD)length, &written, nullptr);
    CloseHandle(file);
}

void writeLine(const char *prefix, const char *format, va_list arguments, const char *suffix)
{
    if (!logPath[0])
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

void nameSetupLog(const char *path)
{
    if (!path || !copyText(namedPath, sizeof namedPath, path))
        namedPath[0] = 0;
    copyText(logPath, sizeof logPath, namedPath);
}

void startSetupLog()
{
    if (logPath[0])
        return;
    char folder[PATH_BYTES];
    DWORD length = GetTempPathA(sizeof folder, folder);
    if (length == 0 || length >= sizeof folder)
        return;
    if (!copyText(logPath, sizeof logPath, folder) || !appendText(logPath, sizeof logPath, DEFAULT_LOG_NAME))
        logPath[0] = 0;
}

void stopSetupLog()
{
    copyText(logPath, sizeof logPath, namedPath);
}

bool setupLogOn()
{
    return logPath[0] != 0;
}

const char *setupLogPath()
{
    return logPath;
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

extern "C" int WINAPI setupLogFile(const char *path)
{
    if (!path || !path[0]) {
        nameSetupLog(nullptr);
        return 1;
    }
    if (strnlen(path, PATH_BYTES) >= PATH_BYTES)
        return 0;
    // The file is made now, so that a host learns at once that it cannot be.
    HANDLE file = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    CloseHandle(file);
    nameSetupLog(path);
    return 1;
}
