// What the platform or the media fail to give: a resource module without its
// list bitmaps, component numbers that name no display string, integration
// modules beyond the catalogue's slots, registry keys that cannot be created
// and an installation drive that cannot be queried - each through the
// exported entries, with the dialogs driven by the autopilot.
#include "badinput_fixture.h"

#include <sstream>

#include "state/setup_state.h"

namespace {

class PlatformFailuresTest : public BadInputTest {
protected:
    std::string listEntry(HWND dialog, int position)
    {
        char text[256] = "";
        SendDlgItemMessageA(dialog, IDC_OPTIONS_LIST, LB_GETTEXT, (WPARAM)position, (LPARAM)text);
        return text;
    }
    // Cancel in the main dialog, confirmed.
    void cancelMainDialog()
    {
        onMainDialog(pressButton(IDCANCEL));
        autopilotQueue(pressButton(IDYES));
    }
};

TEST_F(PlatformFailuresTest, OptionsDialogThatCannotBeDrawnIsNoAcceptedSelection)
{
    // The options dialog ends while it is made (21 without the blank box, 23
    // without the tick): the user accepted nothing, so nothing is installed
    // and the main dialog comes back.
    for (const char *variant : {"luinsres_noblank.dll", "luinsres_notick.dll"}) {
        SCOPED_TRACE(variant);
        autopilotStart();
        addModule(variant, "luinsres.dll");
        Snapshot before = snapshot();
        expectProgress();
        onMainDialog(pressButton(IDC_MAIN_CUSTOM));
        cancelMainDialog();
        EXPECT_EQ(DODIALOG_CANCELLED, runDodialog());
        EXPECT_EQ("<none>", iniText("INSTALLFILES", "NUMFILES"));
        expectOnlyAllowedChanges(before, snapshot(), AllowedChanges());
    }
    // In maintenance mode the options dialog is all there is: cancelled.
    autopilotStart();
    record.maintenanceMode = 1;
    Snapshot before = snapshot();
    expectProgress();
    EXPECT_EQ(DODIALOG_MAINTENANCE_CANCELLED, runDodialog());
    EXPECT_EQ(0, record.readmeChoice + record.manualChoice + record.convToolChoice + record.viewEngineChoice)
        << "nothing changed";
    expectOnlyAllowedChanges(before, snapshot(), AllowedChanges());
}

TEST_F(PlatformFailuresTest, ComponentNumberThatNamesNoStringShowsNoOtherComponentsName)
{
    // String 3 is a word-processing format's name. 350 - 347 and the low
    // word of 350 + 65189 both give 3; neither integration may carry it.
    setIni("INTEGRATIONINFO", "Info1", "1,JMAIL,a,1");
    setIni("INTEGRATIONINFO", "Info2", "1,WRAPPED,b,65189");
    setIni("INTEGRATIONINFO", "Info3", "1,NEGATIVE,c,-347");
    for (const char *module : {"apnint.dll", "bpnint.dll", "cpnint.dll"})
        addModule(module);
    std::vector<std::string> names, descriptions;
    auto look = [&](int position) {
        return inspect([&, position](HWND dialog) {
            names.push_back(listEntry(dialog, position));
            descriptions.push_back(controlText(dialog, IDC_OPTIONS_DESCRIPTION));
        });
    };
    expectProgress();
    onMainDialog(pressButton(IDC_MAIN_CUSTOM));
    onOptionsDialog(sequence({selectEntry(IDC_OPTIONS_LIST, GROUP_INTEGRATION - 1), pressButton(IDC_OPTIONS_DETAILS)}));
    onOptionsDialog(sequence({look(0), selectEntry(IDC_OPTIONS_LIST, 1), look(1), selectEntry(IDC_OPTIONS_LIST, 2),
                              look(2), pressButton(IDCANCEL)}));
    onOptionsDialog(pressButton(IDCANCEL));
    cancelMainDialog();
    EXPECT_EQ(DODIALOG_CANCELLED, runDodialog());
    EXPECT_EQ(0u, autopilotUnexpected());
    ASSERT_EQ(3u, names.size());
    EXPECT_EQ("Jor Mail 2.x", names[0]);
    EXPECT_NE(std::string::npos, descriptions[0].find("Jor Mail 2.x")) << descriptions[0];
    for (int i : {1, 2}) {
        EXPECT_EQ("", names[i]) << "item " << i;
        EXPECT_EQ(std::string::npos, descriptions[i].find("Plain text")) << descriptions[i];
    }
}

TEST_F(PlatformFailuresTest, IntegrationsBeyondTheTwentySlotsAreNotSwitched)
{
    for (int n = 1; n <= 25; n++)
        setIni("INTEGRATIONINFO", ("Info" + std::to_string(n)).c_str(), ("1,I" + std::to_string(n) + ",a,1").c_str());
    setLayout("FIXEDINTEGRATIONS", "Info1", "fixed one");
    addModule("apnint.dll");
    addModule("fixint.dll");
    memset(record.integrationResults, 1, sizeof record.integrationResults);
    // A directory without its terminator is not handed to the modules cut.
    fillSlot(record.installDir);
    Snapshot before = snapshot();
    EXPECT_EQ(0, EXPORTED(IntegInstall)(0, 0, &record));
    std::vector<std::string> calls = moduleCalls();
    int itemCalls = 0;
    for (const std::string &call : calls) {
        itemCalls += call.compare(0, 13, "apnint.dll\t3\t") == 0;
        EXPECT_EQ(std::string::npos, call.find("AAAA")) << call;
    }
    EXPECT_EQ(20, itemCalls) << "one switch per slot";
    EXPECT_EQ("fixint.dll\t2", calls.at(calls.size() - 2));
    EXPECT_EQ(1, record.integrationResults[20]) << "fixed integration 1 follows the 20 items";
    for (int b = 21; b < 50; b++)
        EXPECT_EQ(1, record.integrationResults[b]) << "byte " << b << " is not the library's";
    expectOnlyAllowedChanges(before, snapshot(), AllowedChanges());
}

TEST_F(PlatformFailuresTest, ProductKeyThatCannotBeCreatedLeavesTheRunComplete)
{
    // Below a volatile key no lasting key can be made: every machine-wide
    // product value fails, silently, and the copy lists still stand.
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Jor", 0, nullptr, REG_OPTION_VOLATILE,
                                             KEY_ALL_ACCESS, nullptr, &key, nullptr));
    RegCloseKey(key);
    Snapshot before = snapshot();
    EXPECT_EQ(DODIALOG_STANDARD, runStandard());
    EXPECT_EQ(0u, autopilotUnexpected()) << "no message for a failed registry write";
    EXPECT_EQ("3", iniText("INSTALLFILES", "NUMFILES"));
    EXPECT_EQ("6000", iniText("INSTALLFILES", "SIZEFILES"));
    EXPECT_EQ(before.machine, readRegistryTree(HKEY_LOCAL_MACHINE, "SOFTWARE\\Jor"));
    expectOnlyAllowedChanges(before, snapshot(), completedRunChanges());
}

TEST_F(PlatformFailuresTest, DriveThatCannotBeQueriedHasNoFreeSpace)
{
    for (const char *dir : {"\\\\nosuchserver\\share\\lumoria", "Q:\\lumoria"}) {
        SCOPED_TRACE(dir);
        autopilotStart();
        strcpy(record.installDir, dir);
        HostSetupInfo kept = record;
        Snapshot before = snapshot();
        std::string freeFigure;
        expectProgress();
        onMainDialog(sequence({inspect([&](HWND d) { freeFigure = controlText(d, IDC_MAIN_FREE); }),
                               pressButton(IDC_MAIN_STANDARD), pressButton(IDCANCEL)}));
        autopilotQueue(pressButton(IDOK));    // not enough space
        autopilotQueue(pressButton(IDYES));   // cancel setup
        EXPECT_EQ(DODIALOG_CANCELLED, runDodialog());
        EXPECT_EQ("1", freeFigure) << "no free bytes: under one thousand";
        EXPECT_EQ(2u, boxesSeen().size());
        EXPECT_EQ(0, memcmp(&kept, &record, sizeof record));
        expectOnlyAllowedChanges(before, snapshot(), AllowedChanges());

        autopilotStart();
        expectProgress();
        autopilotQueueForControl(IDC_NETWORK_DIRECTORY, sequence({pressButton(IDOK), pressButton(IDCANCEL)}));
        autopilotQueue(pressButton(IDOK));
        autopilotQueue(pressButton(IDYES));
        EXPECT_EQ(0, EXPORTED(networkInstall)(nullptr, &record)) << "the network dialog refuses it too";
        EXPECT_EQ(2u, boxesSeen().size());
        EXPECT_EQ(0, memcmp(&kept, &record, sizeof record));
    }
}

TEST_F(PlatformFailuresTest, RecordedSpaceOfTheExistingInstallationIsReadAsItsLeadingNumber)
{
    // On a drive that cannot be queried the free figure is the existing
    // installation's recorded space alone.
    const struct {
        const char *spaceUsed;   // null: no key
        const char *figure;
    } cases[] = {
        {"5000000", "5,000"}, {"5000000AB", "5,000"}, {"12AB", "1"},          {"-5000000", "1"},
        {"", "1"},            {nullptr, "1"},         {"99999999999", "2,147,483"},
    };
    record.upgradeMode = 1;
    strcpy(record.installDir, "\\\\nosuchserver\\share\\lumoria");
    for (const auto &c : cases) {
        SCOPED_TRACE(c.spaceUsed ? c.spaceUsed : "missing");
        autopilotStart();
        writeTextFile(installed(), "[General]\r\nTYPE=STANDARD\r\n");
        if (c.spaceUsed)
            WritePrivateProfileStringA("General", "SpaceUsed", c.spaceUsed, installed().c_str());
        std::string figure;
        expectProgress();
        onMainDialog(sequence({inspect([&](HWND d) { figure = controlText(d, IDC_MAIN_FREE); }), closeWindow()}));
        EXPECT_EQ(DODIALOG_CANCELLED, runDodialog());
        EXPECT_EQ(c.figure, figure);
    }
    // The next run without an existing installation has no recorded space,
    // whatever the earlier call read.
    WritePrivateProfileStringA("General", "SpaceUsed", "5000000", installed().c_str());
    record.upgradeMode = 0;
    std::string figure;
    expectProgress();
    onMainDialog(sequence({inspect([&](HWND d) { figure = controlText(d, IDC_MAIN_FREE); }), closeWindow()}));
    EXPECT_EQ(DODIALOG_CANCELLED, runDodialog());
    EXPECT_EQ("1", figure);
}

} // namespace
