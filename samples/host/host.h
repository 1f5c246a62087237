// host.h - the sample setup host of Lumoria: what its parts share. One state
// block, host, holds the options and everything a run learns. The host
// is built from these files and dialogint.h alone.
#pragma once

#include <windows.h>
#include <stdint.h>

#include "dialogint.h"

constexpr int HOST_PATH = 260;

// The entries of dialogint.dll, found by name as every host finds them, of
// the types dialogint.h declares.
struct DialogintEntries {
    HMODULE module;
    decltype(&::setupInstall) setupInstall;
    decltype(&::HaveKeyDialog) HaveKeyDialog;
    decltype(&::initLanguage) initLanguage;
    decltype(&::dodialog) dodialog;
    decltype(&::networkInstall) networkInstall;
    decltype(&::IntegInstall) IntegInstall;
    decltype(&::IntegDeinstall) IntegDeinstall;
    decltype(&::DeleteShareDLL) DeleteShareDLL;
    decltype(&::unLoadDriver) unLoadDriver;
    decltype(&::setupAnswers) setupAnswers;
    decltype(&::setupLogFile) setupLogFile;
};

// One file this host copied, as install.log keeps it.
struct CopiedFile {
    int shared;   // 1: counted in SharedDLLs by this host
    char logicalName[24];
    char path[HOST_PATH];
};

// The layout file describes at most 299 files; the setup's own come on top.
constexpr int MAX_COPIED_FILES = 400;

enum HostExit { EXIT_DONE = 0, EXIT_STOPPED = 1, EXIT_FAILED = 2, EXIT_USAGE = 3 };

struct HostRun {
    // Options (folders with their separator)
    char hostDir[HOST_PATH];                 // folder of setuphost.exe
    char mediaDir[HOST_PATH];                // the setup media, never written
    char workDir[HOST_PATH];                 // the copy of the media the library works on
    char targetDir[HOST_PATH];               // installation folder offered; empty: the default
    char libraryAnswers[HOST_PATH];          // --record / --replay: the library's answer file
    int libraryAnswersMode;                  // ANSWERS_OFF, ANSWERS_RECORD or ANSWERS_REPLAY
    char setupLog[HOST_PATH];                // --log; empty: the library's default
    int networkSetup, removeRun, keepWork;   // --network (networkInstall), --remove, --keep-work

    // What the run learnt
    DialogintEntries entries;
    HostSetupInfo record;
    HWND window;                  // the host's own window, owner of the dialogs
    char installDir[HOST_PATH];   // where files go (as the library gave it)
    CopiedFile copied[MAX_COPIED_FILES];
    int copiedCount;       // install.log's files and this run's
    int copiedNow;         // files copied by this run
    int64_t copiedBytes;   // their bytes
    int copyErrors, removedCount, keptSharedCount;
};

extern HostRun host;

// setuphost.cpp
void printLine(const char *format, ...) __attribute__((format(printf, 1, 2)));
const char *languageName(int bit);
int languageByName(const char *name);   // 0 for a name it does not know

// files.cpp
bool copyText(char *dst, size_t cap, const char *src);
bool formatText(char *dst, size_t cap, const char *format, ...) __attribute__((format(printf, 3, 4)));
const char *lastBackslash(const char *path);   // null when there is none
inline bool endsWithBackslash(const char *path)
{
    const char *last = lastBackslash(path);
    return last && !last[1];
}
bool sameText(const char *a, const char *b);   // ignoring case, by character
bool joinPath(char *out, size_t cap, const char *dir, const char *name);
bool fileExistsAt(const char *path);
bool makeDirectories(const char *dir);
bool makeWorkCopy();
void removeWorkCopy();

// installation.cpp
HWND createHostWindow();
void installFiles();
bool readInstallLog();
void releaseSharedFiles();
void removeInstallation();
