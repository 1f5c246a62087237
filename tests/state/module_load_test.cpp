// The one way the library loads modules: system modules from the system
// folder alone, companion modules by full path only.
#include <gtest/gtest.h>

#include <string.h>

#include "state/module_load.h"
#include "support/test_support.h"

namespace {

std::string fileOf(HMODULE module)
{
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(module, path, sizeof path);
    return std::string(path, n < sizeof path ? n : 0);
}

TEST(ModuleLoad, SystemModulesComeFromTheSystemFolder)
{
    for (const char *name : {"CTL3D32.dll", "oleacc.dll", "ole32.dll", "oleaut32.dll"}) {
        HMODULE module = loadSystemModule(name);
        ASSERT_NE(nullptr, module) << name << ": error " << GetLastError();
        EXPECT_EQ(0, _stricmp((systemDir() + name).c_str(), fileOf(module).c_str())) << fileOf(module);
        FreeLibrary(module);
    }
}

TEST(ModuleLoad, OnlyFullPathsAreLoaded)
{
    const struct {
        std::string path;
        bool loaded;
        DWORD error;   // when not loaded
    } rows[] = {
        {exeDir() + "fixint.dll", true, 0},
        {"fixint.dll", false, ERROR_INVALID_PARAMETER},            // along the search path
        {"bin\\fixint.dll", false, ERROR_INVALID_PARAMETER},       // against the current folder
        {"\\fixint.dll", false, ERROR_INVALID_PARAMETER},          // the current drive's root
        {"C:fixint.dll", false, ERROR_INVALID_PARAMETER},          // the current folder of drive C
        {exeDir() + "nosuch.dll", false, ERROR_MOD_NOT_FOUND},
        {"", false, ERROR_INVALID_PARAMETER},
    };
    for (const auto &row : rows) {
        SetLastError(0);
        HMODULE module = loadModuleAt(row.path.c_str());
        DWORD error = GetLastError();
        EXPECT_EQ(row.loaded, module != nullptr) << row.path;
        if (!row.loaded)
            EXPECT_EQ(row.error, error) << row.path;
        if (module)
            FreeLibrary(module);
    }
    EXPECT_EQ(nullptr, loadModuleAt(nullptr));
}

} // namespace
