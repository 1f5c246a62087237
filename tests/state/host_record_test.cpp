// The workstation and network flags, and the creation of the installation
// directory, against Wine's registry and file system.
#include <gtest/gtest.h>

#include <direct.h>
#include <string.h>

#include "registry/registry_access.h"
#include "state/host_record.h"
#include "state/setup_state.h"
#include "support/test_support.h"

namespace {

class WorkstationFlagsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        resetCoreState();
        resetRegistry();
        dir = makeTempDir("flags");
        strcpy(setupState->setupIniPath, (dir + "install.ini").c_str());
    }
    void TearDown() override { resetRegistry(); }

    void network(const char *value)
    {
        writeTextFile(dir + "install.ini", std::string("[Config]\r\nNetwork=") + value + "\r\n");
    }

    std::string dir;
};

TEST_F(WorkstationFlagsTest, WorkStationValueMustBeExactlyTrue)
{
    struct Case {
        const char *value;
        int32_t expected;
    } cases[] = {{"TRUE", 1}, {"true", 0}, {"TRUE ", 0}, {"", 0}};
    for (const Case &c : cases) {
        setRegText(HKEY_LOCAL_MACHINE, PRODUCT_GENERAL_KEY, "WorkStation", c.value);
        int32_t flag = 7;
        readWorkstationFlags(&flag);
        EXPECT_EQ(c.expected, flag) << "WorkStation=\"" << c.value << "\"";
    }
}

TEST_F(WorkstationFlagsTest, MissingValueLeavesZero)
{
    int32_t flag = 7;
    readWorkstationFlags(&flag);
    EXPECT_EQ(0, flag);
}

TEST_F(WorkstationFlagsTest, NetworkKeyEnablesOnlyOnExactTrue)
{
    struct Case {
        const char *value;
        int32_t expected;
    } cases[] = {{"TRUE", 1}, {"true", 0}, {"FALSE", 0}};
    for (const Case &c : cases) {
        network(c.value);
        networkOptionEnabled = 9;
        int32_t flag;
        readWorkstationFlags(&flag);
        EXPECT_EQ(c.expected, networkOptionEnabled) << "Network=" << c.value;
    }
    writeTextFile(dir + "install.ini", "[Config]\r\n");
    int32_t flag;
    readWorkstationFlags(&flag);
    EXPECT_EQ(0, networkOptionEnabled) << "missing key";
}

TEST_F(WorkstationFlagsTest, NetworkInstallModeReadsNothing)
{
    setRegText(HKEY_LOCAL_MACHINE, PRODUCT_GENERAL_KEY, "WorkStation", "TRUE");
    network("TRUE");
    setupState->networkInstallMode = 1;
    int32_t flag = 7;
    networkOptionEnabled = 7;
    readWorkstationFlags(&flag);
    EXPECT_EQ(0, flag);
    EXPECT_EQ(0, networkOptionEnabled);
}

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

TEST_F(InstallDirTest, MissingParentsCreatedInOrder)
{
    CreateDirectoryA((base + "\\a").c_str(), nullptr);
    std::string target = base + "\\a\\b\\c";
    strcpy(setupState->installDir, target.c_str());
    ensureInstallDir();
    EXPECT_EQ(target, setupState->installDir);
    EXPECT_TRUE(fileExists(base + "\\a\\b"));
    EXPECT_TRUE(fileExists(target));
}

TEST_F(InstallDirTest, TrailingSeparatorAndExistingDirectoryKeepThePath)
{
    std::string target = base + "\\x\\";
    strcpy(setupState->installDir, target.c_str());
    ensureInstallDir();
    EXPECT_EQ(target, setupState->installDir);
    EXPECT_TRUE(fileExists(base + "\\x"));
    ensureInstallDir();
    EXPECT_EQ(target, setupState->installDir);
}

TEST_F(InstallDirTest, UnusableDrivesAndPathsFallBack)
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
        ensureInstallDir();
        EXPECT_STREQ(DEFAULT_INSTALL_DIR, setupState->installDir) << path;
    }
}

TEST_F(InstallDirTest, LowerCaseDriveLetterAccepted)
{
    std::string target = base + "\\lower";
    target[0] = (char)tolower(target[0]);
    strcpy(setupState->installDir, target.c_str());
    ensureInstallDir();
    EXPECT_EQ(target, setupState->installDir);
    EXPECT_TRUE(fileExists(target));
}

} // namespace
