// Host strings that do not fit: every text slot of HostSetupInfo filled to
// its last byte without a terminator, string arguments of 255, 256 and 4,000
// characters, missing pointers, and a media folder without the resource
// module - each through the exported entry, as the host calls it, with the
// result it must give and the check that nothing else changed.
#include "badinput_fixture.h"

#include "autopilot/help_capture.h"
#include "dialogs/resource_edit.h"
#include "registry/registry_access.h"

namespace {

#define LAN_ENTER_BOX "LanEnter|-1"
#define NO_CATALOGUE_BOX "DODIALOGN|RETURN-2 INITSETUP"

enum Entry { DODIALOG, NETWORK_INSTALL, HAVE_KEY_DIALOG, INIT_LANGUAGE, INTEG_INSTALL, INTEG_DEINSTALL };

const char *entryName(Entry e)
{
    static const char *const names[] = {"dodialog", "networkInstall", "HaveKeyDialog",
                                        "initLanguage", "IntegInstall", "IntegDeinstall"};
    return names[e];
}

int callEntry(Entry e, HostSetupInfo *record)
{
    int32_t workstation = 0;
    switch (e) {
    case DODIALOG: return EXPORTED(dodialog)(nullptr, record);
    case NETWORK_INSTALL: return EXPORTED(networkInstall)(nullptr, record);
    case HAVE_KEY_DIALOG: return EXPORTED(HaveKeyDialog)(nullptr, &workstation, record);
    case INIT_LANGUAGE: return EXPORTED(initLanguage)(nullptr, record);
    case INTEG_INSTALL: return EXPORTED(IntegInstall)(0, 0, record);
    case INTEG_DEINSTALL: return EXPORTED(IntegDeinstall)(0, 0, record);
    }
    return 0x7FFF;
}

struct SlotCase {
    Entry entry;
    const char *slot;
    void (*fill)(HostSetupInfo &);
    int expected;
    const char *box;       // the one message box expected, or null
};

#define SLOT(name) #name, [](HostSetupInfo &r) { fillSlot(r.name); }

class HostStringsTest : public BadInputTest {};

TEST_F(HostStringsTest, RecordSlotWithoutTerminatorEndsTheEntryWithoutChanges)
{
    // dodialog and networkInstall need every path they copy; a slot they
    // cannot take whole stops them before the catalogue is built, which both
    // report with the library's own box. The other entries read what they
    // were given and find nothing there.
    const SlotCase cases[] = {
        {DODIALOG, SLOT(installDir), DODIALOG_NO_CATALOGUE, NO_CATALOGUE_BOX},
        {DODIALOG, SLOT(setupIniPath), DODIALOG_NO_CATALOGUE, NO_CATALOGUE_BOX},
        {DODIALOG, SLOT(layoutFilePath), DODIALOG_NO_CATALOGUE, NO_CATALOGUE_BOX},
        {DODIALOG, SLOT(serverDir), DODIALOG_NO_CATALOGUE, NO_CATALOGUE_BOX},
        {DODIALOG, SLOT(platformName), DODIALOG_NO_CATALOGUE, NO_CATALOGUE_BOX},
        {DODIALOG, SLOT(sourceDir), DODIALOG_NO_RESOURCES, LAN_ENTER_BOX},
        {NETWORK_INSTALL, SLOT(setupIniPath), 0, NO_CATALOGUE_BOX},
        {NETWORK_INSTALL, SLOT(layoutFilePath), 0, NO_CATALOGUE_BOX},
        {NETWORK_INSTALL, SLOT(installDir), 0, NO_CATALOGUE_BOX},
        {NETWORK_INSTALL, SLOT(serverDir), 0, NO_CATALOGUE_BOX},
        {NETWORK_INSTALL, SLOT(platformName), 0, NO_CATALOGUE_BOX},
        {NETWORK_INSTALL, SLOT(sourceDir), -1, LAN_ENTER_BOX},
        {HAVE_KEY_DIALOG, SLOT(setupIniPath), HAVEKEY_NEW_INSTALL, nullptr},
        {HAVE_KEY_DIALOG, SLOT(sourceDir), HAVEKEY_STOP, LAN_ENTER_BOX},
        {INIT_LANGUAGE, SLOT(setupIniPath), 1, nullptr},
        {INIT_LANGUAGE, SLOT(sourceDir), -1, LAN_ENTER_BOX},
        {INTEG_INSTALL, SLOT(sourceDir), 0, LAN_ENTER_BOX},
        {INTEG_DEINSTALL, SLOT(sourceDir), 0, LAN_ENTER_BOX},
    };
    // The install type of the media, which HaveKeyDialog keeps when it reads
    // no install.ini of its own.
    ASSERT_EQ(SETUP_GO_ON, EXPORTED(setupInstall)(nullptr, "", media.c_str()));
    for (const SlotCase &c : cases) {
        SCOPED_TRACE(std::string(entryName(c.entry)) + " with " + c.slot + " unterminated");
        autopilotStart();
        HostSetupInfo host = record;
        c.fill(host);
        HostSetupInfo kept = host;
        if (c.box)
            autopilotQueue(pressButton(IDOK));
        Snapshot before = snapshot();
        EXPECT_EQ(c.expected, callEntry(c.entry, &host));
        std::vector<std::string> expectedBoxes;
        if (c.box)
            expectedBoxes.push_back(c.box);
        EXPECT_EQ(expectedBoxes, boxesSeen());
        EXPECT_EQ(0u, autopilotUnexpected()) << "no dialog may show";
        EXPECT_EQ(0, memcmp(&kept, &host, sizeof host)) << "the host's record is left as it was";
        expectOnlyAllowedChanges(before, snapshot(), AllowedChanges());
        EXPECT_TRUE(moduleCalls().empty()) << "no integration module is called";
    }
}

TEST_F(HostStringsTest, InstalledPathsAreOnlyNeededInUpgradeAndAddOnModes)
{
    fillSlot(record.installedIniPath);
    fillSlot(record.installedLayoutFilePath);
    Snapshot before = snapshot();
    EXPECT_EQ(DODIALOG_STANDARD, runStandard()) << "a plain run never reads them";
    expectOnlyAllowedChanges(before, snapshot(), completedRunChanges());

    record.addOnMode = 1;
    autopilotQueue(pressButton(IDOK));
    before = snapshot();
    EXPECT_EQ(DODIALOG_NO_CATALOGUE, runDodialog());
    EXPECT_EQ(std::vector<std::string>{NO_CATALOGUE_BOX}, boxesSeen());
    expectOnlyAllowedChanges(before, snapshot(), AllowedChanges());
}

TEST_F(HostStringsTest, MissingRecordIsRefusedByEveryRecordEntry)
{
    const struct {
        Entry entry;
        int expected;
    } cases[] = {
        {DODIALOG, DODIALOG_NO_RESOURCES}, {NETWORK_INSTALL, -1}, {HAVE_KEY_DIALOG, HAVEKEY_STOP},
        {INIT_LANGUAGE, -1},              {INTEG_INSTALL, 0},    {INTEG_DEINSTALL, 0},
    };
    Snapshot before = snapshot();
    for (const auto &c : cases)
        EXPECT_EQ(c.expected, callEntry(c.entry, nullptr)) << entryName(c.entry);
    EXPECT_TRUE(autopilotLog().empty()) << "no box and no dialog";
    expectOnlyAllowedChanges(before, snapshot(), AllowedChanges());
}

// ---------------------------------------------------------------------------
// String arguments

const size_t LONG_LENGTHS[] = {255, 256, 4000};

TEST_F(HostStringsTest, OverlongSourceFolderStopsSetupInstall)
{
    for (size_t n : LONG_LENGTHS) {
        SCOPED_TRACE(n);
        autopilotStart();
        autopilotQueue(pressButton(IDOK));
        std::string source = longText(n);
        Snapshot before = snapshot();
        EXPECT_EQ(SETUP_STOP, EXPORTED(setupInstall)(nullptr, "C:\\server\\", source.c_str()));
        EXPECT_EQ(std::vector<std::string>{LAN_ENTER_BOX}, boxesSeen());
        expectOnlyAllowedChanges(before, snapshot(), AllowedChanges());
    }
    // No folder at all, or an empty one: the host program's own folder, not
    // the current folder (whose module names itself otherwise).
    std::string current = media + "current\\";
    CreateDirectoryA(current.c_str(), nullptr);
    ASSERT_TRUE(copyFileTo(media + "luinsres.dll", current + "luinsres.dll"));
    ASSERT_TRUE(putStringResource(current + "luinsres.dll", IDS_CAPTION, "the current folder's"));
    char hostCaption[200] = "";
    HMODULE host = LoadLibraryExA((exeDir() + "luinsres.dll").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    LoadStringA(host, IDS_CAPTION, hostCaption, sizeof hostCaption);
    FreeLibrary(host);
    char previous[MAX_PATH];
    GetCurrentDirectoryA(sizeof previous, previous);
    SetCurrentDirectoryA(current.c_str());
    for (const char *folder : {(const char *)nullptr, ""}) {
        SCOPED_TRACE(folder ? "empty folder" : "no folder");
        autopilotStart();
        EXPECT_EQ(SETUP_GO_ON, EXPORTED(setupInstall)(nullptr, nullptr, folder));
        char caption[200] = "";
        EXPECT_EQ(1, EXPORTED(installLoadStr)(IDS_CAPTION, caption, folder));
        EXPECT_STREQ(hostCaption, caption);
        EXPECT_TRUE(boxesSeen().empty());
    }
    // The help file too: the reinstall dialog's help button over an
    // installation of another version.
    setRegText(HKEY_LOCAL_MACHINE, PRODUCT_GENERAL_KEY, "Home", "C:\\lumoria");
    setRegText(HKEY_LOCAL_MACHINE, PRODUCT_GENERAL_KEY, "Internal", "LU-3.0.0");
    HostSetupInfo withoutFolder = record;
    withoutFolder.sourceDir[0] = 0;
    helpCaptureStart();
    autopilotStart();
    autopilotQueueForControl(IDC_REINSTALL_REMOVE, sequence({pressButton(IDC_HELP_BUTTON), pressButton(IDCANCEL)}));
    autopilotQueue(pressButton(IDYES));
    EXPECT_EQ(HAVEKEY_STOP, EXPORTED(HaveKeyDialog)(nullptr, nullptr, &withoutFolder));
    ASSERT_FALSE(helpRequests().empty());
    EXPECT_EQ(exeDir() + "lumoria.hlp", helpRequests()[0].file);
    helpCaptureStop();
    SetCurrentDirectoryA(previous);
    // An overlong server folder is the host's business until a workstation
    // installation records it; setup goes on.
    std::string server = longText(4000);
    EXPECT_EQ(SETUP_GO_ON, EXPORTED(setupInstall)(nullptr, server.c_str(), media.c_str()));
}

TEST_F(HostStringsTest, OverlongResourceFolderGivesMinusOneWithoutBox)
{
    for (size_t n : LONG_LENGTHS) {
        SCOPED_TRACE(n);
        std::string dir = longText(n);
        EXPECT_EQ(INSTALLERDLG_NO_RESOURCES, EXPORTED(installerDlg)(nullptr, 1, "Go on?", dir.c_str()));
        char buffer[256];
        memset(buffer, 'Z', sizeof buffer);
        EXPECT_EQ(-1, EXPORTED(installLoadStr)(IDS_CAPTION, buffer, dir.c_str()));
        EXPECT_EQ(std::string(sizeof buffer, 'Z'), std::string(buffer, sizeof buffer)) << "buffer untouched";
    }
    EXPECT_TRUE(autopilotLog().empty());
}

TEST_F(HostStringsTest, LongMessageTextIsShownWhole)
{
    std::string text = longText(4000, 'm');
    autopilotQueue(pressButton(IDOK));
    EXPECT_EQ(IDOK, EXPORTED(installerDlg)(nullptr, 0, text.c_str(), media.c_str()));
    ASSERT_EQ(1u, autopilotLog().size());
    const std::string &shown = autopilotLog()[0].text;
    EXPECT_GE(shown.size(), 1000u) << "the autopilot reads 1,023 characters of it";
    EXPECT_EQ(std::string(shown.size(), 'm'), shown);
}

TEST_F(HostStringsTest, LongStringOfTheModuleFillsNoMoreThanTheHostsBuffer)
{
    // A translation longer than the host's 200-byte buffer.
    ASSERT_TRUE(putStringResource(media + "luinsres.dll", 4001, longText(500, 's')));
    char buffer[300];
    memset(buffer, 'Z', sizeof buffer);
    EXPECT_EQ(1, EXPORTED(installLoadStr)(4001, buffer, media.c_str()));
    EXPECT_EQ(longText(199, 's'), std::string(buffer));
    EXPECT_EQ(std::string(100, 'Z'), std::string(buffer + 200, 100)) << "nothing written past 200 bytes";
}

TEST_F(HostStringsTest, SharedFileQuestionWithOverlongArguments)
{
    setRegText(HKEY_LOCAL_MACHINE, SHARED_DLLS_KEY, "C:\\keep.dll", "1");
    for (size_t n : LONG_LENGTHS) {
        SCOPED_TRACE(n);
        std::string text = longText(n, 'f');

        // The source folder: the prologue's box, the answer untouched.
        autopilotStart();
        autopilotQueue(pressButton(IDOK));
        int32_t answer = 77;
        Snapshot before = snapshot();
        EXPORTED(DeleteShareDLL)("x.dll", &answer, "C:\\keep.dll", text.c_str());
        EXPECT_EQ(77, answer);
        EXPECT_EQ(std::vector<std::string>{LAN_ENTER_BOX}, boxesSeen());

        // The insert: the question is cut to its 255 characters; No keeps.
        autopilotStart();
        autopilotQueue(pressButton(IDNO));
        EXPORTED(DeleteShareDLL)(text.c_str(), &answer, "C:\\keep.dll", media.c_str());
        EXPECT_EQ(0, answer);
        ASSERT_EQ(1u, autopilotLog().size());
        EXPECT_LE(autopilotLog()[0].text.size(), 255u);
        EXPECT_NE(std::string::npos, autopilotLog()[0].text.find("fff")) << autopilotLog()[0].text;

        // The value name: Yes answers 1 and deletes nothing else.
        autopilotStart();
        autopilotQueue(pressButton(IDYES));
        EXPORTED(DeleteShareDLL)("x.dll", &answer, text.c_str(), media.c_str());
        EXPECT_EQ(1, answer);
        expectOnlyAllowedChanges(before, snapshot(), AllowedChanges());
    }
}

TEST_F(HostStringsTest, SharedFileQuestionWithoutPointers)
{
    setRegText(HKEY_LOCAL_MACHINE, SHARED_DLLS_KEY, "", "unnamed");
    autopilotQueue(pressButton(IDYES));
    Snapshot before = snapshot();
    EXPORTED(DeleteShareDLL)(nullptr, nullptr, nullptr, media.c_str());
    expectOnlyAllowedChanges(before, snapshot(), AllowedChanges());
    // No folder: the module of the host program's folder asks; No keeps.
    autopilotQueue(pressButton(IDNO));
    EXPORTED(DeleteShareDLL)(nullptr, nullptr, nullptr, nullptr);
    EXPECT_NE(LAN_ENTER_BOX, boxesSeen().back());
    expectOnlyAllowedChanges(before, snapshot(), AllowedChanges());
}

TEST_F(HostStringsTest, LaunchFolderThatDoesNotFitLoadsNothing)
{
    addModule("lxlm.dll");
    // The path holds 99 characters: the folder, a separator and "lxlm.dll".
    std::string base = media.substr(0, media.size() - 1);
    std::string fits = base + "\\" + longText(99 - 9 - base.size() - 1, 'd');
    std::string tooLong = fits + "e";
    ASSERT_TRUE(CreateDirectoryA(fits.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA(tooLong.c_str(), nullptr));
    ASSERT_TRUE(copyFileTo(exeDir() + "lxlm.dll", fits + "\\lxlm.dll"));
    ASSERT_TRUE(copyFileTo(exeDir() + "lxlm.dll", tooLong + "\\lxlm.dll"));

    EXPORTED(LoadLaunch)(fits.c_str());
    EXPECT_EQ("200\n", readTextFile(fits + "\\lxlm.log")) << "a path of exactly 99 characters loads";
    EXPORTED(LoadLaunch)(tooLong.c_str());
    EXPECT_FALSE(fileExists(tooLong + "\\lxlm.log")) << "one more character and nothing is loaded";

    for (size_t n : LONG_LENGTHS) {
        std::string dir = media + longText(n - media.size(), 'd');
        EXPORTED(LoadLaunch)(dir.c_str());
    }
    EXPORTED(LoadLaunch)(nullptr);
    EXPORTED(LoadLaunch)("");
    EXPECT_FALSE(fileExists(media + "lxlm.log"));
    EXPECT_TRUE(autopilotLog().empty()) << "the loader's error box stays suppressed";
}

// ---------------------------------------------------------------------------
// The resource module missing

TEST_F(HostStringsTest, MissingResourceModuleEndsEveryEntryWithItsFailure)
{
    // Also a module whose dialog template cannot be made: the entry that
    // needs it ends with its failure, and writes nothing.
    const struct {
        const char *entry;
        std::function<int()> call;
        int expected;
        bool box;
        int brokenTemplate;   // 0: no module at all
    } cases[] = {
        {"setupInstall", [&] { return EXPORTED(setupInstall)(nullptr, "", media.c_str()); }, SETUP_STOP, true, 0},
        {"dodialog", [&] { return EXPORTED(dodialog)(nullptr, &record); }, DODIALOG_NO_RESOURCES, true, 0},
        {"networkInstall", [&] { return EXPORTED(networkInstall)(nullptr, &record); }, -1, true, 0},
        {"HaveKeyDialog", [&] { return EXPORTED(HaveKeyDialog)(nullptr, nullptr, &record); }, HAVEKEY_STOP, true, 0},
        {"initLanguage", [&] { return EXPORTED(initLanguage)(nullptr, &record); }, -1, true, 0},
        {"installerDlg", [&] { return EXPORTED(installerDlg)(nullptr, 1, "?", media.c_str()); },
         INSTALLERDLG_NO_RESOURCES, false, 0},
        {"networkInstall", [&] { return EXPORTED(networkInstall)(nullptr, &record); }, 0, false, DLG_NETWORK},
        {"HaveKeyDialog", [&] { return EXPORTED(HaveKeyDialog)(nullptr, nullptr, &record); }, HAVEKEY_STOP, false,
         DLG_REINSTALL},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.entry) + (c.brokenTemplate ? ", its template broken" : ""));
        autopilotStart();
        resetRegistry();
        removeResourceModule();
        if (c.brokenTemplate) {
            installResourceModule(media);
            ASSERT_TRUE(breakDialogTemplate(media + "luinsres.dll", c.brokenTemplate));
            // An installation of another version: the reinstall dialog's case.
            setRegText(HKEY_LOCAL_MACHINE, PRODUCT_GENERAL_KEY, "Home", "C:\\lumoria");
            setRegText(HKEY_LOCAL_MACHINE, PRODUCT_GENERAL_KEY, "Internal", "LU-3.0.0");
            if (c.brokenTemplate == DLG_NETWORK)
                autopilotQueueForControl(IDC_PROGRESS_MESSAGE, inspect([](HWND) {}));
        }
        if (c.box)
            autopilotQueue(pressButton(IDOK));
        HostSetupInfo kept = record;
        Snapshot before = snapshot();
        EXPECT_EQ(c.expected, c.call());
        EXPECT_EQ(c.box ? std::vector<std::string>{LAN_ENTER_BOX} : std::vector<std::string>{}, boxesSeen());
        EXPECT_EQ(0u, autopilotUnexpected()) << "no dialog shows";
        EXPECT_EQ(0, memcmp(&kept, &record, sizeof record));
        expectOnlyAllowedChanges(before, snapshot(), AllowedChanges());
    }
    autopilotStart();
    removeResourceModule();
    char buffer[16] = "untouched";
    EXPECT_EQ(-1, EXPORTED(installLoadStr)(IDS_CAPTION, buffer, media.c_str()));
    EXPECT_STREQ("untouched", buffer);
    int32_t answer = 77;
    autopilotQueue(pressButton(IDOK));
    EXPORTED(DeleteShareDLL)("x.dll", &answer, "x.dll", media.c_str());
    EXPECT_EQ(77, answer) << "the answer is left as it was";
}

} // namespace
