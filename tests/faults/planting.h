// planting.h - the child's side of the planting sweep: the planted modules
// it puts on its medium, the line that parts the host program's own start
// from the library's work in the log of planted loads, and the names a
// module asks the loader for.
#pragma once

#include <string>
#include <vector>

// DIALOGINT_PLANT_NAMES (names separated by ';') copied from
// DIALOGINT_PLANT_SOURCE into the medium, if both are set.
void plantOnMedium(const std::string &medium);

// Appends the line "-- entry" to DIALOGINT_PLANTED_LOG, if it is set: loads
// recorded after it happened while the library worked.
void markLibraryEntered();

// The modules a module's import tables name (its imports and its delayed
// imports), as its file says; empty when the file is no module.
std::vector<std::string> importedNames(const std::string &modulePath);

// The log of planted loads as lines, UTF-16 read back to the system's code
// page.
std::vector<std::string> plantedLogLines(const std::string &logPath);
