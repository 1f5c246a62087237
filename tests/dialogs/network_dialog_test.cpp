// The network (server copy) installation: the entry, its dialog with the
// live free figure, the space check and the files listed for the host.
#include <gtest/gtest.h>

#include <string.h>

#include "autopilot/autopilot.h"
#include "dialogs/dialog_driver.h"
#include "luinsres_ids.h"
#include "state/setup_state.h"
#include "steps/step_sets.h"
#include "support/test_support.h"

namespace {

class NetworkInstallTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        resetCoreState();
        resetRegistry();
        media = makeTempDir("network");
        writeDialogMedia(media);
        memset(&record, 0, sizeof record);
        strcpy(record.setupIniPath, (media + "install.ini").c_str());
        strcpy(record.layoutFilePath, (media + "layout.inf").c_str());
        strcpy(record.sourceDir, media.c_str());
        strcpy(record.installDir, (media + "server").c_str());
        strcpy(record.platformName, "Windows NT");
        record.languageFlags = LANGUAGE_ENGLISH;
        autopilotStart();
    }
    void TearDown() override
    {
        autopilotStop();
        useRealDisk();
        progressTimerPeriodMs = 1000;
        resetRegistry();
    }

    std::string ini(const char *section, const char *key)
    {
        char value[128];
        GetPrivateProfileStringA(section, key, "<none>", value, sizeof value, record.setupIniPath);
        return value;
    }
    void expectProgress()
    {
        if (progressTimerPeriodMs >= 1000)
            autopilotQueueForControl(IDC_PROGRESS_MESSAGE, inspect([](HWND) {}));
    }
    void onNetworkDialog(DialogAction action) { autopilotQueueForControl(IDC_NETWORK_DIRECTORY, std::move(action)); }

    std::string media;
    HostSetupInfo record;
};

TEST_F(NetworkInstallTest, OkCreatesTheDirectoryAndListsEveryFile)
{
    ASSERT_NE(nullptr, EXPORTED(networkInstall));
    std::string target = media + "new\\server copy";
    expectProgress();
    onNetworkDialog(sequence({typeText(IDC_NETWORK_DIRECTORY, target), pressButton(IDOK)}));
    expectProgress();
    EXPECT_EQ(1, EXPORTED(networkInstall)(nullptr, &record));
    EXPECT_EQ(0u, autopilotUnexpected());
    ASSERT_TRUE(fileExists(target)) << "made before the file lists";
    char shortPath[MAX_PATH];
    ASSERT_NE(0u, GetShortPathNameA(target.c_str(), shortPath, MAX_PATH));
    EXPECT_STREQ(shortPath, record.installDir) << "the record receives the short form";
    EXPECT_EQ(std::string::npos, std::string(record.installDir).find(' '));
    EXPECT_NE("<none>", ini("INSTALLFILES", "NUMFILES"));
    EXPECT_EQ("<none>", ini("General", "SPACEUSED")) << "a network run records no selection";
}

TEST_F(NetworkInstallTest, CancelOrCloseLeavesTheRecordAndListsAlone)
{
    struct Case {
        const char *what;
        std::vector<DialogAction> actions;  // the dialog's, then its boxes'
    } cases[] = {
        {"confirmed cancel", {pressButton(IDCANCEL), pressButton(IDYES)}},
        {"close command", {closeWindow()}},
        {"close command answered by the procedure", {inspect([](HWND dialog) {
             EXPECT_EQ(0, EXPORTED(networkProc)(dialog, WM_SYSCOMMAND, SC_CLOSE, 0))
                 << "only a confirmed cancel answers 1";
         })}},
    };
    std::string before = record.installDir;
    for (const Case &c : cases) {
        autopilotStart();
        expectProgress();
        onNetworkDialog(c.actions[0]);
        for (size_t i = 1; i < c.actions.size(); i++)
            autopilotQueue(c.actions[i]);
        EXPECT_EQ(0, EXPORTED(networkInstall)(nullptr, &record)) << c.what;
        EXPECT_EQ(before, record.installDir) << c.what;
        EXPECT_EQ("<none>", ini("INSTALLFILES", "NUMFILES")) << c.what;
        EXPECT_EQ(c.actions.size() + 1, autopilotLog().size()) << c.what << ": progress, dialog, boxes";
        EXPECT_EQ(0u, autopilotUnexpected()) << c.what;
        EXPECT_EQ(nullptr, setupState->hostRecord) << c.what << ": the host's record is not kept";
    }
}

TEST_F(NetworkInstallTest, CancelAnsweredNoKeepsTheDialog)
{
    std::string target = media + "second";
    expectProgress();
    onNetworkDialog(sequence({pressButton(IDCANCEL), typeText(IDC_NETWORK_DIRECTORY, target), pressButton(IDOK)}));
    autopilotQueue(pressButton(IDNO));
    expectProgress();
    EXPECT_EQ(1, EXPORTED(networkInstall)(nullptr, &record));
    EXPECT_TRUE(fileExists(target));
}

// install.ini made read-only while the dialog is open: the file lists are
// not written, the old file stays byte for byte, the user is told and the
// entry ends as cancelled.
TEST_F(NetworkInstallTest, ReadOnlyInstallIniKeepsItsOldTextAndEndsCancelled)
{
    const std::string path = record.setupIniPath, original = readTextFile(path);
    expectProgress();
    onNetworkDialog(sequence({inspect([&](HWND) { SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY); }),
                              typeText(IDC_NETWORK_DIRECTORY, media + "server"), pressButton(IDOK)}));
    expectProgress();
    autopilotQueue(pressButton(IDOK));
    int result = EXPORTED(networkInstall)(nullptr, &record);
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(0, result);
    EXPECT_EQ(original, readTextFile(path));
    EXPECT_EQ(0u, autopilotUnexpected());
    ASSERT_FALSE(autopilotLog().empty());
    EXPECT_TRUE(autopilotLog().back().messageBox);
    EXPECT_NE(std::string::npos, autopilotLog().back().text.find("install.ini")) << "the message names the file";
}

TEST_F(NetworkInstallTest, MissingResourceModuleReturnsMinusOne)
{
    DeleteFileA((media + "luinsres.dll").c_str());
    autopilotQueue(pressButton(IDOK));
    EXPECT_EQ(-1, EXPORTED(networkInstall)(nullptr, &record));
    ASSERT_EQ(1u, autopilotLog().size());
    EXPECT_EQ("LanEnter", autopilotLog()[0].caption);
}

TEST_F(NetworkInstallTest, CatalogueThatCannotBeBuiltIsReportedNotCancelled)
{
    progressTimerPeriodMs = 1;
    allocateFileTable = [](size_t) -> void * { return nullptr; };
    autopilotQueue(pressButton(IDOK));
    EXPECT_EQ(0, networkInstall(nullptr, &record));
    allocateFileTable = [](size_t bytes) -> void * { return HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, bytes); };
    ASSERT_EQ(1u, autopilotLog().size()) << "no network dialog";
    EXPECT_EQ("DODIALOGN", autopilotLog()[0].caption);
    EXPECT_EQ("RETURN-2 INITSETUP", autopilotLog()[0].text);
}

// The core's entry with a disk of a chosen size.
class NetworkSpaceTest : public NetworkInstallTest {
protected:
    void SetUp() override
    {
        NetworkInstallTest::SetUp();
        progressTimerPeriodMs = 1;
    }
    // The size of everything, as the dialog's first showing computes it.
    int32_t everything()
    {
        int32_t size = 0;
        onNetworkDialog(sequence({inspect([&](HWND) { size = setupState->selectedSize; }), pressButton(IDCANCEL)}));
        autopilotQueue(pressButton(IDYES));
        networkInstall(nullptr, &record);
        return size;
    }
};

TEST_F(NetworkSpaceTest, OkAtExactlyTheFreeFigureGoesOnAndOneByteMoreWarns)
{
    int32_t needed = everything();
    ASSERT_GT(needed, 0);

    autopilotStart();
    useFakeDisk(needed);
    onNetworkDialog(pressButton(IDOK));
    EXPECT_EQ(1, networkInstall(nullptr, &record));
    EXPECT_EQ(0u, autopilotUnexpected());

    autopilotStart();
    useFakeDisk((int64_t)needed - 1);
    std::string figureAfterTyping, figureBefore;
    onNetworkDialog(sequence({pressButton(IDOK),
                              inspect([&](HWND d) { figureBefore = controlText(d, IDC_NETWORK_FREE); }),
                              inspect([&](HWND) { fakeFreeBytes = 5000000000LL; }),
                              typeText(IDC_NETWORK_DIRECTORY, media + "elsewhere"),
                              inspect([&](HWND d) { figureAfterTyping = controlText(d, IDC_NETWORK_FREE); }),
                              pressButton(IDOK)}));
    autopilotQueue(pressButton(IDOK));  // not enough space
    EXPECT_EQ(1, networkInstall(nullptr, &record)) << "the second OK computes the figure anew";
    ASSERT_GE(autopilotLog().size(), 2u);
    EXPECT_TRUE(autopilotLog()[1].messageBox);
    EXPECT_EQ(figureBefore, figureAfterTyping) << "after a failed OK the figure no longer follows the edit";
}

TEST_F(NetworkSpaceTest, FigureFollowsTheEditUntilOk)
{
    useFakeDisk(3000000);
    std::string first, second;
    onNetworkDialog(sequence({inspect([&](HWND d) { first = controlText(d, IDC_NETWORK_FREE); }),
                              inspect([&](HWND) { fakeFreeBytes = 7000000; }),
                              typeText(IDC_NETWORK_DIRECTORY, media + "other"),
                              inspect([&](HWND d) { second = controlText(d, IDC_NETWORK_FREE); }),
                              pressButton(IDCANCEL)}));
    autopilotQueue(pressButton(IDYES));
    EXPECT_EQ(0, networkInstall(nullptr, &record));
    EXPECT_EQ("3,000", first);
    EXPECT_EQ("7,000", second);
}

TEST_F(NetworkSpaceTest, DirectoryEditKeepsWhatFitsTheRecord)
{
    useFakeDisk(3000000);
    std::string typed = media + std::string(300, 'd');
    std::string shown;
    onNetworkDialog(sequence({typeText(IDC_NETWORK_DIRECTORY, typed),
                              inspect([&](HWND d) { shown = controlText(d, IDC_NETWORK_DIRECTORY); }),
                              pressButton(IDCANCEL)}));
    autopilotQueue(pressButton(IDYES));
    EXPECT_EQ(0, networkInstall(nullptr, &record));
    EXPECT_EQ(typed.substr(0, 199), shown) << "the edit takes what fits the record";
    EXPECT_EQ(shown, setupState->installDir) << "every character the edit takes is kept";
}

} // namespace
