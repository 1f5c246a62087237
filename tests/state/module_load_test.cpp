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
        const char *name;
        HMODULE (*load)(const char *);
        DWORD missing;  // the error for a full path to no file
    } loaders[] = {
        {"loadModuleAt", loadModuleAt, ERROR_MOD_NOT_FOUND},
        {"loadResourceImageAt", loadResourceImageAt, ERROR_FILE_NOT_FOUND},
    };
    const struct {
        std::string path;
        bool loaded;
        DWORD error;   // when not loaded; 0 for the loader's missing-file error
    } rows[] = {
        {exeDir() + "fixint.dll", true, 0},
        {"fixint.dll", false, ERROR_INVALID_PARAMETER},            // along the search path
        {"bin\\fixint.dll", false, ERROR_INVALID_PARAMETER},       // against the current folder
        {"\\fixint.dll", false, ERROR_INVALID_PARAMETER},          // the current drive's root
        {"C:fixint.dll", false, ERROR_INVALID_PARAMETER},          // the current folder of drive C
        {exeDir() + "nosuch.dll", false, 0},
        {"", false, ERROR_INVALID_PARAMETER},
    };
    for (const auto &loader : loaders) {
        for (const auto &row : rows) {
            SetLastError(0);
            HMODULE module = loader.load(row.path.c_str());
            DWORD error = GetLastError();
            EXPECT_EQ(row.loaded, module != nullptr) << loader.name << " " << row.path;
            if (!row.loaded) {
                EXPECT_EQ(row.error ? row.error : loader.missing, error) << loader.name << " " << row.path;
            }
            if (module)
                FreeLibrary(module);
        }
        EXPECT_EQ(nullptr, loader.load(nullptr)) << loader.name;
    }
}

// A resource module with an entry that leaves luinsres.ran beside it when it
// runs: mapped as an image resource, its strings read and nothing of it run.
TEST(ModuleLoad, ResourceImagesServeResourcesAndRunNothing)
{
    std::string dir = makeTempDir("resource-image");
    std::string module = dir + "luinsres.dll";
    ASSERT_TRUE(copyFileTo(exeDir() + "luinsres_withcode.dll", module));
    HMODULE image = loadResourceImageAt(module.c_str());
    ASSERT_NE(nullptr, image) << "error " << GetLastError();
    EXPECT_NE(0u, (UINT_PTR)image & 3) << "a data-file handle";
    EXPECT_GT((UINT_PTR)image, 32u);
    char text[64] = "";
    EXPECT_LT(0, LoadStringA(image, 700, text, sizeof text));
    EXPECT_STREQ("Lumoria Setup", text);
    EXPECT_TRUE(fileMappedHere(module));
    FreeLibrary(image);
    EXPECT_FALSE(fileMappedHere(module));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((dir + "luinsres.ran").c_str())) << "its entry ran";
}

} // namespace
