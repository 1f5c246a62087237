// dialog_driver.h - shows the main and options dialogs the way the setup
// steps do: media with install.ini, a layout file and the resource module;
// the catalogue built by the progress dialog itself (wait mode 2, its wait
// shortened); then DialogBoxParamA on the resource module with the
// templates and the exported procedures. Used by the dialog tests and the
// screenshot program.
#pragma once

#include <windows.h>
#include <stdint.h>

#include <string>

struct DialogMedia {
    const char *installType = "STANDARD";  // General / TYPE; null: no key
    const char *network = "TRUE";          // Config / Network; null: no key
    bool withConvTool = false;             // CONVTOOLINFO present (category 10 then has its item)
};

// Sizes of the media's files L1..L13, by logical number.
int32_t mediaFileSize(int n);

// Writes install.ini, layout.inf, the resource module and the integration
// modules into dir (which ends with a separator). JORNOTES, the first
// INTEGRATION item, has no module on the media and is unavailable.
void writeDialogMedia(const std::string &dir, const DialogMedia &media = DialogMedia());

// Points the core's state at dir, loads the resource module, builds the
// catalogue and reads the workstation flags. installDir is dir + "target".
// False when the resource module does not load or the catalogue is not built.
bool openDialogSetup(const std::string &dir);
// Releases the catalogue and the resource module.
void closeDialogSetup();

// One showing of the main dialog (template 1300 in upgrade mode, else 1200).
int runMainDialog(HWND owner = nullptr);
// One showing of the options dialog on group (11 = the category list).
int runOptionsPage(int group, HWND owner = nullptr);

// The disk query of computeFreeSpace, answering fakeFreeBytes for every
// root and counting the calls; realDiskQuery puts the system's query back.
extern int64_t fakeFreeBytes;
extern int fakeDiskQueries;
extern std::string lastQueriedRoot;
void useFakeDisk(int64_t freeBytes);
void useRealDisk();
