// install_folder.h - the installation folder: made with its missing
// parents, in its short (8.3) form, and the folders a run made taken back
// when it did not install.
#pragma once

#include <windows.h>

// The folder used when installDir cannot be made and the person agrees.
#define DEFAULT_INSTALL_DIR "c:\\lumoria"

// Makes installDir with its missing parents, after taking back what an
// earlier choice of this run made. False with the Windows error when it
// cannot be made (a drive that does not exist, a part that is a file, no
// permissions); nothing made is left behind then.
bool makeInstallFolder(DWORD *error);

// installDir in its short form; a failed query keeps the long form (logged).
void takeShortInstallFolder();

// Removes the folders this run made for installDir that are still empty.
void removeMadeInstallDir();
// End of an entry: the folders it made stay when it installed, and go
// again (while still empty) when it did not.
void settleMadeInstallDir(bool installed);
