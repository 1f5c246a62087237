// host.h - the sample setup host of Lumoria: what its parts share. One state
// block, hostRun, holds the options and everything a run learns. The host
// is built from these files and dialogint.h alone.
#pragma once

#include <windows.h>
#include <stdint.h>

#include "dialogint.h"

constexpr int HOST_PATH = 260;

// The entries of dialogint.dll, found by name as every host finds them.
struct DialogintEntries {
    HMODULE module;
    int(WINAPI *setupInstall)(HWND, const char *, const char *);
    int(WINAPI *HaveKeyDialog)(HWND, int32_t *, HostSetupInfo *);
    int(WINAPI *initLanguage)(HWND, HostSetupInfo *);
    int(WINAPI *dodialog)(HWND, HostSetupInfo *);
    int(WINAPI *networkInstall)(HWND, HostSetupInfo *);
    int(WINAPI *IntegInstall)(int32_t, int32_t, HostSetupInfo *);
    int(WINAPI *IntegDeinstall)(int32_t, int32_t, HostSetupInfo *);
    int(WINAPI *DeleteShareDLL)(const char *, int32_t *, const char *, const char *);
    int(WINAPI *unLoadDriver)(int32_t);
    int(WINAPI *setupAnswers)(const char *, int32_t);
    int(WINAPI *setupLogFile)(const char *);
};

// Where a copied file goes, by the install.ini section that listed it.
enum FileSection { SECTION_SETUP, SECTION_INSTALL, SECTION_SAMPLE, SECTION_NOTES, SECTION_COUNT };

// One file this host copied, as install.log keeps it.
struct CopiedFile {
    int section;                 // FileSection
    char logicalName[24];
    int64_t size;
    int shared;                  // 1: registered in SharedDLLs by this host
    char path[HOST_PATH];
};

// The layout file describes at most 299 files; the setup's own come on top.
constexpr int MAX_COPIED_FILES = 400;

enum HostExit { EXIT_DONE = 0, EXIT_STOPPED = 1, EXIT_FAILED = 2, EXIT_USAGE = 3 };

struct HostRun {
    // Options (folders with their separator)
    char hostDir[HOST_PATH];       // folder of setuphost.exe
    char mediaDir[HOST_PATH];      // the setup media, never written
    char workDir[HOST_PATH];       // the copy of the media the library works on
    char targetDir[HOST_PATH];     // installation folder offered; empty: the default
    char libraryAnswers[HOST_PATH];// --record / --replay: the library's answer file
    int libraryAnswersMode;        // ANSWERS_OFF, ANSWERS_RECORD or ANSWERS_REPLAY
    char setupLog[HOST_PATH];      // --log; empty: the library's default
    int networkSetup;              // --network: networkInstall instead of dodialog
    int removeRun;                 // --remove
    int keepWork;                  // --keep-work: leave the media copy in place

    // What the run learnt
    DialogintEntries entries;
    HostSetupInfo record;
    HWND window;                   // the host's own window, owner of the dialogs
    char installDir[HOST_PATH];    // where files go (as the library gave it)
    CopiedFile copied[MAX_COPIED_FILES];
    int copiedCount;
    int copiedNow;                 // files copied by this run (install.log may hold more)
    int64_t copiedBytes;           // their bytes
    int copyErrors;
    int removedCount;
    int keptSharedCount;
};

extern HostRun hostRun;

// setuphost.cpp
void printLine(const char *format, ...) __attribute__((format(printf, 1, 2)));
void noteResult(const char *entry, int result, const char *meaning);
bool fitRecordField(char *field, size_t cap, const char *text);
bool findInstallDir(char *dir, size_t cap);
bool installedFile(const char *name, char *path, size_t cap);
const char *languageName(int bit);
int languageByName(const char *name);
bool useLanguageModule(int languageBit);

// library.cpp
bool loadEntries();
bool startLibraryAnswers();

// files.cpp
bool copyText(char *dst, size_t cap, const char *src);
bool formatText(char *dst, size_t cap, const char *format, ...) __attribute__((format(printf, 3, 4)));
const char *nextCharacter(const char *p);
const char *lastBackslash(const char *path);   // null when there is none
bool endsWithBackslash(const char *path);
bool sameText(const char *a, const char *b);   // ignoring case, by character
bool joinPath(char *out, size_t cap, const char *dir, const char *name);
bool fileExistsAt(const char *path);
bool makeDirectories(const char *dir);
bool makeWorkCopy();
void removeWorkCopy();

// copy_files.cpp
bool copyListedFiles();
void keepSetupRecords();
bool writeInstallLog();
bool readInstallLog();
void removeListedFiles();

// shared_dlls.cpp
void registerSharedFiles(int firstNew);
void releaseSharedFiles();

// progress_window.cpp
HWND createHostWindow();
void showCopyProgress(const char *what, int percent);
void hideCopyProgress();
void pumpMessages();

// removal.cpp
int runRemoval(bool entriesLoaded);
