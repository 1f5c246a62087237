// The workstation and network flags of an existing installation, against
// Wine's registry and the setup's install.ini.
#include <gtest/gtest.h>

#include <string.h>

#include "registry/registry_access.h"
#include "registry/previous_install.h"
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

} // namespace
