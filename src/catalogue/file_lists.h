// file_lists.h - the shared-file table from the layout file, the file lists of
// components, and the copy sections written into install.ini for the host.
#pragma once

// Fills sharedFileCount and each entry's size, refCount and kind.
void readFileSizes();

// Resolves one component file section of the layout file into a newly
// allocated file list (100 bytes, ended by 255); null when it cannot be
// allocated.
unsigned char *buildFileList(const char *section);

// Writes INSTALLFILES, SETUPFILES, SAMPLEFILES, NOTEFILES, SIZEFILES, PERCENT
// and REMOVEFILES of setupIniPath from the selection.
void writeFileLists();
