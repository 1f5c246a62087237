// The installation folder made with its missing parents, against Wine's
// file system.
#include <gtest/gtest.h>

#include <string.h>

#include "state/setup_state.h"
#include "steps/install_folder.h"
#include "support/test_support.h"

namespace {

class InstallDirTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        resetCoreState();
        base = makeTempDir("dir");
        base.pop_back();  // without the separator
    }
    std::string base;
};

bool make()
{
    DWORD error = 0;
    return makeInstallFolder(&error);
}

TEST_F(InstallDirTest, MissingParentsCreatedInOrder)
{
    CreateDirectoryA((base + "\\a").c_str(), nullptr);
    std::string target = base + "\\a\\b\\c";
    strcpy(setupState->installDir, target.c_str());
    EXPECT_TRUE(make());
    EXPECT_EQ(target, setupState->installDir);
    EXPECT_TRUE(fileExists(base + "\\a\\b"));
    EXPECT_TRUE(fileExists(target));
}

TEST_F(InstallDirTest, TrailingSeparatorAndExistingDirectoryKeepThePath)
{
    std::string target = base + "\\x\\";
    strcpy(setupState->installDir, target.c_str());
    EXPECT_TRUE(make());
    EXPECT_EQ(target, setupState->installDir);
    EXPECT_TRUE(fileExists(base + "\\x"));
    EXPECT_TRUE(make());
    EXPECT_EQ(target, setupState->installDir);
}

TEST_F(InstallDirTest, UnusableDrivesAndPathsAreRefused)
{
    std::string file = base + "\\plainfile";
    writeTextFile(file, "x");
    const std::string cases[] = {
        "Q:\\nowhere\\lumoria",     // a drive that cannot be made current
        "",                         // nothing at all
        "\\\\server\\share\\dir",   // no drive letter
        file + "\\sub",             // a component that is a file
        "1:\\digits",
    };
    for (const std::string &path : cases) {
        strcpy(setupState->installDir, path.c_str());
        DWORD error = 0;
        EXPECT_FALSE(makeInstallFolder(&error)) << path;
        EXPECT_NE(0u, error) << path;
        EXPECT_EQ(path, setupState->installDir) << "the folder stays the person's to settle";
    }
}

TEST_F(InstallDirTest, LowerCaseDriveLetterAccepted)
{
    std::string target = base + "\\lower";
    target[0] = (char)tolower(target[0]);
    strcpy(setupState->installDir, target.c_str());
    EXPECT_TRUE(make());
    EXPECT_EQ(target, setupState->installDir);
    EXPECT_TRUE(fileExists(target));
}

} // namespace
