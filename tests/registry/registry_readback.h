// registry_readback.h - reads a whole registry key back from Wine's registry
// and compares it with an expected list of text values, for the tests of the
// default writers.
#pragma once

#include <windows.h>
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "support/test_support.h"

struct SeenValue {
    DWORD type;
    std::string data;   // raw bytes, terminator included
};

// Every value of the key by name; empty when the key is missing.
inline std::map<std::string, SeenValue> readKeyValues(HKEY root, const std::string &path)
{
    std::map<std::string, SeenValue> values;
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return values;
    for (const RegistryValue &v : registryValues(key))
        values[v.name] = {v.type, v.data};
    RegCloseKey(key);
    return values;
}

// A value the writer is expected to leave: data null means stored with no
// data at all (length 0); otherwise REG_SZ with its terminator.
struct ExpectedValue {
    const char *name;
    const char *data;
};

// The key holds exactly these values, each REG_SZ with the expected data.
inline void expectKeyHolds(HKEY root, const std::string &path, const std::vector<ExpectedValue> &expected)
{
    std::map<std::string, SeenValue> seen = readKeyValues(root, path);
    std::map<std::string, bool> wanted;
    for (const ExpectedValue &e : expected) {
        wanted[e.name] = true;
        auto it = seen.find(e.name);
        if (it == seen.end()) {
            ADD_FAILURE() << path << ": value \"" << e.name << "\" missing";
            continue;
        }
        EXPECT_EQ((DWORD)REG_SZ, it->second.type) << path << " / " << e.name;
        std::string data = e.data ? std::string(e.data) + '\0' : std::string();
        EXPECT_EQ(data, it->second.data) << path << " / " << e.name << " (length " << it->second.data.size() << ")";
    }
    for (const auto &s : seen)
        if (!wanted.count(s.first))
            ADD_FAILURE() << path << ": unexpected value \"" << s.first << "\"";
}

inline std::string textOf(HKEY root, const std::string &path, const char *name)
{
    std::map<std::string, SeenValue> seen = readKeyValues(root, path);
    auto it = seen.find(name);
    if (it == seen.end())
        return "<missing>";
    std::string data = it->second.data;
    if (!data.empty() && data.back() == '\0')
        data.pop_back();
    return data;
}

#define MENU_EXTENSION_ID "{4e8a1d60-b2c3-11ce-b4e5-00000451ee2e}"
#define SHEET_EXTENSION_ID "{4e8a1d60-b2c3-11ce-b4e5-00000451ee2f}"

// The shell extension keys the writers leave under HKEY_CLASSES_ROOT.
inline void removeShellExtensionKeys()
{
    const char *const keys[] = {
        "CLSID\\" MENU_EXTENSION_ID, "*\\shellex\\ContextMenuHandlers\\" MENU_EXTENSION_ID,
        "CLSID\\" SHEET_EXTENSION_ID, "*\\shellex\\PropertySheetHandlers\\" SHEET_EXTENSION_ID,
    };
    for (const char *key : keys)
        RegDeleteTreeA(HKEY_CLASSES_ROOT, key);
}
