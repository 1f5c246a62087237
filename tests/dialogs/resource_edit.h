// resource_edit.h - a copy of the resource module with a string table block
// replaced, through the platform's resource updater. (Removing a resource
// that way has no effect on Wine: the modules without a bitmap are stand-ins
// built in tests/standins/luinsres_variants.)
#pragma once

#include <string>

// Replaces the string table block that holds id with one that holds only
// text under id.
bool putStringResource(const std::string &modulePath, int id, const std::string &text);
