// The progress dialog as dodialog and networkInstall open it: the message and
// the place of each wait mode, the steps each mode leaves behind in install.ini
// and the registry, and the dialog's own ending when its timer cannot start.
#include <gtest/gtest.h>

#include <string.h>

#include "autopilot/autopilot.h"
#include "catalogue/catalogue.h"
#include "luinsres_ids.h"
#include "registry/registry_access.h"
#include "state/module_lifecycle.h"
#include "state/setup_state.h"
#include "state/text.h"
#include "steps/step_sets.h"
#include "support/test_support.h"

namespace {

struct Seen {
    std::string message;
    RECT rect;
    bool visible = false;
};

class ProgressDialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        resetCoreState();
        resetRegistry();
        dir = makeTempDir("progress");
        installResourceModule(dir);
        copyFileTo(exeDir() + "apnint.dll", dir + "apnint.dll");
        writeTextFile(dir + "install.ini", "[INTEGRATIONINFO]\r\nInfo1=1,JORMAIL,a,1\r\nInfo1Default=S\r\n");
        writeTextFile(dir + "setup.lay", "[DISKS]\r\nFILENUM=1\r\n[SIZEFILES]\r\nFILE1=10\r\n"
                                         "[LOGICALFILE]\r\nL1=FILE1\r\n[JORMAIL]\r\nFILE1=L1\r\n");
        SetupState &s = *setupState;
        copyText(s.sourceDir, sizeof s.sourceDir, dir.c_str());
        copyText(s.setupIniPath, sizeof s.setupIniPath, (dir + "install.ini").c_str());
        copyText(s.layoutFilePath, sizeof s.layoutFilePath, (dir + "setup.lay").c_str());
        copyText(s.installedIniPath, sizeof s.installedIniPath, (dir + "installed.ini").c_str());
        copyText(s.installDir, sizeof s.installDir, (dir + "target").c_str());
        copyText(s.serverDir, sizeof s.serverDir, "C:\\server");
        copyText(s.platformName, sizeof s.platformName, "Windows NT");
        s.hostRecord = &record;
        ASSERT_EQ(1, loadResourceModule());
        autopilotStart();
    }
    void TearDown() override
    {
        autopilotStop();
        startProgressTimer = keptTimer;
        progressTimerPeriodMs = 1000;
        releaseCatalogue();
        freeResourceModule();
        resetRegistry();
    }

    std::string ini(const char *section, const char *key)
    {
        char value[64];
        GetPrivateProfileStringA(section, key, "<none>", value, sizeof value, (dir + "install.ini").c_str());
        return value;
    }
    int statusQueries()
    {
        std::string log = readTextFile(dir + "integration-calls.log");
        int n = 0;
        for (size_t at = log.find("\t2\n"); at != std::string::npos; at = log.find("\t2\n", at + 1))
            n++;
        return n;
    }
    // Shows the dialog in mode, long enough to see it; what it showed.
    Seen show(int mode, int *result)
    {
        Seen seen;
        autopilotStart();
        autopilotQueueForControl(IDC_PROGRESS_MESSAGE, inspect([&](HWND d) {
                                     seen.message = controlText(d, IDC_PROGRESS_MESSAGE);
                                     GetWindowRect(d, &seen.rect);
                                     seen.visible = true;
                                 }));
        *result = showProgress(nullptr, mode);
        return seen;
    }

    std::string dir;
    HostSetupInfo record{};
    UINT_PTR (*keptTimer)(HWND, UINT) = startProgressTimer;
};

TEST_F(ProgressDialogTest, EachModeShowsItsMessageInItsPlaceAndLeavesItsSteps)
{
    struct Case {
        int mode, messageId, result;
        bool centred, lists, marks, registry, workstation;
    } cases[] = {
        {2, 606, 1, true, false, false, false, false},
        {3, 608, 0, false, true, false, false, false},
        {4, 607, 0, false, false, false, true, true},
        {5, 607, 0, false, true, false, true, false},
        {0, 607, 0, false, true, true, true, false},
        {99, 607, 0, false, true, true, true, false},  // an unknown mode runs the steps of 0
    };
    RECT screen;
    GetWindowRect(GetDesktopWindow(), &screen);
    for (const Case &c : cases) {
        resetRegistry();
        WritePrivateProfileStringA("INSTALLFILES", nullptr, nullptr, (dir + "install.ini").c_str());
        WritePrivateProfileStringA("General", nullptr, nullptr, (dir + "install.ini").c_str());
        int result = -5;
        Seen seen = show(c.mode, &result);
        char expected[256] = "";
        LoadStringA(resourceModule, c.messageId, expected, sizeof expected);
        ASSERT_TRUE(seen.visible) << "mode " << c.mode;
        EXPECT_EQ(c.result, result) << "mode " << c.mode;
        EXPECT_EQ(expected, seen.message) << "mode " << c.mode;
        int height = seen.rect.bottom - seen.rect.top;
        int top = c.centred ? (screen.bottom - height) / 2 : screen.bottom - 2 * height;
        EXPECT_NEAR(top, seen.rect.top, 1) << "mode " << c.mode;
        EXPECT_NEAR(screen.right / 2, (seen.rect.left + seen.rect.right) / 2, 1) << "mode " << c.mode;
        EXPECT_EQ(c.lists, ini("INSTALLFILES", "NUMFILES") != "<none>") << "mode " << c.mode;
        EXPECT_EQ(c.marks, ini("General", "SPACEUSED") != "<none>") << "mode " << c.mode;
        DWORD type;
        std::string data;
        EXPECT_EQ(c.registry, regKeyExists(HKEY_LOCAL_MACHINE, PRODUCT_KEY)) << "mode " << c.mode;
        EXPECT_EQ(c.workstation, readRegValue(HKEY_LOCAL_MACHINE, PRODUCT_GENERAL_KEY, "WorkStation", &type, &data))
            << "mode " << c.mode;
        EXPECT_NE(LoadCursorA(nullptr, (LPCSTR)IDC_WAIT), GetCursor()) << "cursor restored; mode " << c.mode;
    }
}

TEST_F(ProgressDialogTest, TimerThatCannotStartStillRunsTheStepsOnce)
{
    startProgressTimer = [](HWND, UINT) -> UINT_PTR { return 0; };
    EXPECT_EQ(1, showProgress(nullptr, WAIT_PREPARE)) << "the catalogue was built";
    EXPECT_EQ(1, statusQueries());
    EXPECT_EQ(0u, autopilotUnexpected()) << "the dialog ended by itself";
}

TEST_F(ProgressDialogTest, NetworkBuildAsksEachIntegrationOnce)
{
    progressTimerPeriodMs = 1;
    setupState->networkInstallMode = 1;
    EXPECT_EQ(1, showProgress(nullptr, WAIT_PREPARE));
    EXPECT_EQ(1, statusQueries()) << "one probing run; the dialog adds none";
    EXPECT_EQ(5, setupState->selectionState) << "everything, selected last";
}

TEST_F(ProgressDialogTest, BuildTakesTheSpaceRecordedByTheExistingInstallation)
{
    struct Case {
        const char *recorded;   // General/SpaceUsed of the existing install.ini; null: none
        int network;
        int32_t expected;
    } cases[] = {
        {nullptr, 0, 0}, {"", 0, 0}, {"1234567", 0, 1234567}, {"12AB", 0, 12},
        {" -40", 0, -40}, {"1234567", 1, 0},   // a network build never reads it
    };
    progressTimerPeriodMs = 1;
    for (const Case &c : cases) {
        std::string text = c.recorded ? std::string("[General]\r\nSpaceUsed=") + c.recorded + "\r\n" : "";
        writeTextFile(dir + "installed.ini", text);
        setupState->networkInstallMode = c.network;
        previousSpaceUsed = 99;
        EXPECT_EQ(1, showProgress(nullptr, WAIT_PREPARE));
        EXPECT_EQ(c.expected, previousSpaceUsed) << (c.recorded ? c.recorded : "none") << " network " << c.network;
        releaseCatalogue();
    }
}

} // namespace
