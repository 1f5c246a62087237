// setup_state.h - the one state block of the installer library and the few
// module-level values beside it. Everything that outlives a single operation
// lives here; every other file reads and writes these fields by name.
#pragma once

#include <windows.h>
#include <stdint.h>

#include "dialogint.h"

// ---------------------------------------------------------------------------
// Component catalogue records

enum ComponentGroupNumber {
    GROUP_VIEWENGINE = 0,
    GROUP_VWP = 1,
    GROUP_SPREADSHEET = 2,
    GROUP_SWP = 3,
    GROUP_TWP = 4,
    GROUP_INTEGRATION = 5,
    GROUP_SPIC = 6,
    GROUP_TPIC = 7,
    GROUP_MANUAL = 8,
    GROUP_INTERUTIL = 9,
    GROUP_CONVTOOL = 10,
    CATEGORIES = 11
};

constexpr int GROUP_COUNT = 12;
constexpr int MAX_GROUP_ITEMS = 40;
constexpr int MAX_INTEGRATIONS = 20;

enum ItemFlag {
    ITEM_HIGHLIGHTED = 1,
    ITEM_UNAVAILABLE = 2,
    ITEM_SELECTED = 8
};

// A file list: SharedFileTable indexes 1..254, ended by FILE_LIST_END.
constexpr int FILE_LIST_BYTES = 100;
constexpr unsigned char FILE_LIST_END = 255;

struct ComponentItem {
    char displayName[30];         // at most 29 characters
    int32_t flags;                // ItemFlag bits
    int32_t installedMark;        // 8 when part of the existing installation
    char key[24];
    int32_t previousNumber;
    int32_t number;
    int32_t keyIndex;
    int32_t savedFlags;
    unsigned char *fileList;      // null until built
    char formatCode[6];           // at most 5 characters
};

struct ComponentGroup {
    char prefix[10];
    char suffix[10];
    ComponentItem items[MAX_GROUP_ITEMS];
    int32_t itemCount;
    int32_t unused;
    unsigned char *sharedFileList;  // groups 4 and 7 share the list of 3 and 6
    int32_t fileCount;
};

// ---------------------------------------------------------------------------
// Shared-file table: 300 entries, entry 0 unused.

constexpr int SHARED_FILE_ENTRIES = 300;
constexpr int MAX_SHARED_FILES = SHARED_FILE_ENTRIES - 1;

enum FileKind { FILEKIND_MAIN = 0, FILEKIND_SAMPLE = 1, FILEKIND_NOTES = 6 };

struct SharedFileEntry {
    int32_t size;
    int32_t refCount;
    int32_t savedRefCount;
    int32_t reserved;
    char logicalName[16];
    int32_t kind;
};
static_assert(sizeof(SharedFileEntry) == 36, "nine int32 per shared-file entry");
constexpr int SHARED_FILE_TABLE_BYTES = SHARED_FILE_ENTRIES * (int)sizeof(SharedFileEntry);
static_assert(SHARED_FILE_TABLE_BYTES == 10800, "the table the options dialog snapshots");

// ---------------------------------------------------------------------------
// Install types (General / TYPE of install.ini)

enum InstallType {
    INSTALL_TYPE_NONE = 0,
    INSTALL_TYPE_STANDARD = 1,
    INSTALL_TYPE_DEMO = 2,
    INSTALL_TYPE_EVALUATION = 3,
    INSTALL_TYPE_LEGACY = 4,
    INSTALL_TYPE_CUSTOM = 5,
    INSTALL_TYPE_NOTES = 6
};

constexpr int PATH_BYTES = 256;

// The file lists the heap could not give, so that a short heap leaves a
// component with its files rather than silently with none (catalogue.cpp).
// Every live list stands in one of the slots (each item's list and each
// group's shared list), and a list is replaced only once its successor
// exists: one block per slot and one more never run out.
constexpr int FILE_LIST_SLOTS = GROUP_COUNT * (MAX_GROUP_ITEMS + 1);
constexpr int FILE_LIST_RESERVE_BLOCKS = FILE_LIST_SLOTS + 1;
struct FileListReserve {
    unsigned char blocks[FILE_LIST_RESERVE_BLOCKS][FILE_LIST_BYTES];
    bool taken[FILE_LIST_RESERVE_BLOCKS];
};

// A folder the host named relative to the current folder, as it was made
// absolute the first time an entry received it (host_folders.cpp).
struct ResolvedFolder {
    char given[PATH_BYTES];
    char full[PATH_BYTES];
};
constexpr int RESOLVED_FOLDERS = 4;

// A setup log: the host's own, or the run's default one.
struct LogFile {
    HANDLE file;              // null while closed
    char path[PATH_BYTES];
};

struct HostSettings {
    int32_t answersMode;      // ANSWERS_OFF, ANSWERS_RECORD or ANSWERS_REPLAY
    char answersPath[PATH_BYTES];
    LogFile namedLog;         // the host's, from setupLogFile
    LogFile defaultLog;       // the run's own: answers in use and no log named
};

struct SetupState {
    ComponentGroup groups[GROUP_COUNT];
    int32_t optionsPage;           // what the options dialog shows: 11 = the category list, 1..9 a detail page, -1 none
    int32_t languageFlags;
    int32_t selectedSize;
    int32_t freeSpace;             // saturated copy of freeSpaceBytes
    char freeSpaceText[32];
    int32_t savedSelectedSize;
    int32_t fullSelectionSize;
    int32_t defaultSelectionSize;
    int32_t sharedFileCount;       // FILENUM of the layout file, -1 when missing
    SharedFileEntry *sharedFileTable;
    SharedFileEntry *fileTableSnapshot;
    int32_t currentCategory;
    int32_t helpOpened;
    int32_t networkInstallMode;
    char integrationModulePrefix[MAX_INTEGRATIONS + 1][22];  // by key number 1..20
    int32_t maintenanceMode;
    int32_t waitMode;
    HostSetupInfo *hostRecord;
    char installDir[PATH_BYTES];
    char setupIniPath[PATH_BYTES];
    char installedIniPath[PATH_BYTES];
    char sourceDir[PATH_BYTES];
    char layoutFilePath[PATH_BYTES];
    char installedLayoutFilePath[PATH_BYTES];
    char serverDir[PATH_BYTES];
    char platformName[34];
    int32_t customSelectionMade;
    int32_t addOnMode;
    int32_t selectionState;        // 1 defaults, 5 everything, -1 while recomputed
    int32_t installType;
    int32_t upgradeMode;

    // Beyond the fields every step shares: what single screens and steps own.
    int64_t freeSpaceBytes;        // true free figure of the last computeFreeSpace
    char freeSpaceUnresolved[PATH_BYTES];  // the folder whose full path failed last, logged once
    char winIniPath[PATH_BYTES];   // language selection
    char userName[60];             // registry defaults
    char companyName[60];
    ResolvedFolder resolvedFolders[RESOLVED_FOLDERS];  // host folders, oldest replaced first
    int32_t nextResolvedFolder;
    // The folders of installDir's path this run made, the first and the
    // last: a setup that ends without installing takes back those still
    // empty.
    char firstMade[PATH_BYTES];
    char lastMade[PATH_BYTES];
    // The INSTALLGROUP sections a selection read its marks beside, emptied
    // by the steps that write install.ini (INSTALL_GROUP_* bits).
    int32_t installGroupsToEmpty;
    // The lists of groups[] live as long as the catalogue, across entries.
    FileListReserve listReserve;

    // What the host set for every entry after it (setupAnswers,
    // setupLogFile), last in the block: a reset of the run's fields above
    // leaves it, and an open log, alone.
    HostSettings settings;
};

enum InstallGroupFile { INSTALL_GROUP_SETUP = 1, INSTALL_GROUP_INSTALLED = 2 };

// ---------------------------------------------------------------------------
// Module-level values

extern HINSTANCE libraryInstance;
extern SetupState *setupState;
extern HMODULE resourceModule;

// Host record and installation flags
extern int32_t previousInstallState;
extern int32_t workstationInstall;
extern int32_t networkOptionEnabled;

// Previous installation
extern int32_t workstationCopy;

// Main, options and network dialogs
extern int32_t mainDirLive;
extern int32_t selectedFigureStale;
extern int32_t networkDirLive;
extern int32_t previousSpaceUsed;
extern int32_t spaceUsed;

// Integrations
extern HMODULE integrationModule;

// Calls made through the profile layer and the registry routines, counted
// for the benchmark of the setup data work.
extern int64_t profileReadCalls;
extern int64_t profileWriteCalls;
extern int64_t registryCalls;
