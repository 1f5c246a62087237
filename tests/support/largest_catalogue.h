// largest_catalogue.h - setup media at the limits of the catalogue and the
// shared-file table, for the tests and the benchmark: install.ini with 40
// items in every group that may hold them (20 integrations, four manuals, the
// viewer engine and the conversion tool), three languages and default marks
// for half of the items; setup.lay with 299 files, of which the component
// sections name the 254 that a file list can hold and the setup program's own
// files take the rest. Most files are named by several components, across
// groups too, so that every selection change moves reference counts.
#pragma once

#include <string>

constexpr int kLargestFileCount = 299;
constexpr int kLargestListedFiles = 254;   // files 1..254 stand in component sections
constexpr int kLargestGroupItems = 40;
constexpr int kLargestIntegrations = 20;
constexpr int kLargestManuals = 4;
constexpr int kLargestSetupFiles32 = 30;   // INSTALL32: files 255..284
constexpr int kLargestSetupFiles16 = 30;   // INSTALL16: files 270..299

// Writes install.ini and setup.lay into dir (which ends with a separator).
// The same media every time: sizes come from a fixed pseudo-random sequence.
void writeLargestCatalogue(const std::string &dir);
