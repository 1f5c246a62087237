// A whole interactive setup through the dodialog entry, as the host runs it:
// the progress dialog, the main dialog, the options dialogs and the setup
// steps, driven by the autopilot on a copy of the sample media; afterwards
// install.ini, the registry and the host's record are read back.
#include <gtest/gtest.h>

#include <string.h>

#include "autopilot/autopilot.h"
#include "luinsres_ids.h"
#include "registry/registry_access.h"
#include "entries/dodialog.h"
#include "state/module_lifecycle.h"
#include "state/setup_state.h"
#include "steps/step_sets.h"
#include "support/test_support.h"

namespace {

const char SERVER_DIR[] = "C:\\server\\lumoria\\";

INT_PTR CALLBACK quietProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

class DodialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        resetRegistry();
        media = makeTempDir("dodialog");
        for (const char *file : {"install.ini", "setup.lay", "installed.ini", "luinsres.dll"})
            copyFileTo(exeDir() + "media\\" + file, media + file);
        for (const char *module : {"apnint.dll", "cpnint.dll", "fixint.dll"})
            copyFileTo(exeDir() + module, media + module);
        record = recordOnMedia(media, media + "target");
        strcpy(record.serverDir, SERVER_DIR);
        record.languageFlags = LANGUAGE_ENGLISH;
        autopilotStart();
    }
    void TearDown() override
    {
        autopilotStop();
        resetRegistry();
    }

    std::string ini() const { return media + "install.ini"; }
    static std::string windowText(HWND window)
    {
        char text[256] = "";
        GetWindowTextA(window, text, sizeof text);
        return text;
    }
    // The caption of a dialog template of the media's resource module.
    std::string templateCaption(int id) const
    {
        HMODULE module = LoadLibraryA((media + "luinsres.dll").c_str());
        HWND dialog = CreateDialogParamA(module, MAKEINTRESOURCEA(id), nullptr, quietProc, 0);
        std::string caption = windowText(dialog);
        DestroyWindow(dialog);
        FreeLibrary(module);
        return caption;
    }
    std::string iniText(const char *section, const char *key) const
    {
        char value[256];
        GetPrivateProfileStringA(section, key, "<none>", value, sizeof value, ini().c_str());
        return value;
    }
    void setIni(const char *section, const char *key, const char *value)
    {
        WritePrivateProfileStringA(section, key, value, ini().c_str());
    }

    // The progress dialog runs by itself; the autopilot only lets it pass.
    // With the wait shortened it is gone before the autopilot looks.
    void expectProgress()
    {
        if (progressTimerPeriodMs >= 1000)
            autopilotQueueForControl(IDC_PROGRESS_MESSAGE, inspect([](HWND) {}));
    }
    void onMainDialog(DialogAction action)
    {
        autopilotQueueForControl(IDC_MAIN_DIRECTORY, std::move(action));
    }
    void onOptionsDialog(DialogAction action)
    {
        autopilotQueueForControl(IDC_OPTIONS_LIST, std::move(action));
    }

    int run() { return EXPORTED(dodialog)(nullptr, &record); }

    // A custom run over the installation that installed.ini describes, the
    // options dialog accepted as it opens.
    void acceptCustomOverInstalled()
    {
        strcpy(record.installedIniPath, (media + "installed.ini").c_str());
        strcpy(record.installedLayoutFilePath, (media + "setup.lay").c_str());
        expectProgress();
        onMainDialog(pressButton(IDC_MAIN_CUSTOM));
        onOptionsDialog(pressButton(IDOK));
        expectProgress();
    }

    std::string regText(HKEY root, const char *key, const char *name)
    {
        DWORD type;
        std::string data;
        if (!readRegValue(root, key, name, &type, &data))
            return "<none>";
        if (!data.empty() && data.back() == 0)
            data.pop_back();
        return data;
    }

    std::string media;
    HostSetupInfo record;
};

TEST_F(DodialogTest, StandardInstallationWritesListsSelectionAndRegistry)
{
    ASSERT_NE(nullptr, EXPORTED(dodialog));
    expectProgress();
    onMainDialog(pressButton(IDC_MAIN_STANDARD));
    expectProgress();
    EXPECT_EQ(DODIALOG_STANDARD, run());
    EXPECT_EQ(0u, autopilotUnexpected());

    EXPECT_NE("<none>", iniText("INSTALLFILES", "NUMFILES"));
    EXPECT_GT(atoi(iniText("INSTALLFILES", "SIZEFILES").c_str()), 0);
    EXPECT_EQ("100", iniText("PERCENT", ("FILE" + iniText("INSTALLFILES", "NUMFILES")).c_str()));
    EXPECT_NE("<none>", iniText("General", "SPACEUSED"));
    EXPECT_EQ("S", iniText("VWPINFO", "Info1Default")) << "a standard run keeps the recorded defaults";
    EXPECT_EQ("U", iniText("VWPINFO", "Info5Default"));

    EXPECT_EQ(1, record.viewEngineChoice);
    EXPECT_EQ(1, record.readmeChoice);
    EXPECT_EQ(0, record.manualChoice);
    EXPECT_EQ(0, record.convToolChoice);
    EXPECT_EQ(1, record.integrationResults[0]) << "JORMAIL chosen, its module answers 1";
    EXPECT_EQ(0, record.integrationResults[1]) << "JORNOTES has no module";
    EXPECT_EQ(1, record.integrationResults[2]) << "JORPLAN chosen";

    char shortTarget[MAX_PATH];
    ASSERT_NE(0u, GetShortPathNameA((media + "target").c_str(), shortTarget, MAX_PATH)) << "directory created";
    EXPECT_STREQ(shortTarget, record.installDir);
    EXPECT_EQ(shortTarget, regText(HKEY_LOCAL_MACHINE, PRODUCT_GENERAL_KEY, "HOME"));
    EXPECT_EQ("LU-4.0.0", regText(HKEY_LOCAL_MACHINE, PRODUCT_GENERAL_KEY, "Internal"));
    EXPECT_EQ("doc 1 jordocve.dll", regText(HKEY_LOCAL_MACHINE, PRODUCT_KEY "\\VAPI", "185.1"));
}

// install.ini that cannot be written when the steps run: the old file stays
// byte for byte, the registry is not touched, the user sees the message that
// install.ini could not be saved and the host hears a cancelled setup, with
// nothing written into its record. install.ini lies in a folder of its own,
// so that the folder can go away during the run (moved aside, to compare).
TEST_F(DodialogTest, UnwritableInstallIniKeepsItsOldTextAndEndsCancelled)
{
    struct Fault {
        const char *name;
        HANDLE (*provoke)(const std::string &path, const std::string &folder);
    };
    const Fault faults[] = {
        {"read-only",
         [](const std::string &path, const std::string &) {
             SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
             return INVALID_HANDLE_VALUE;
         }},
        {"held open without sharing",
         [](const std::string &path, const std::string &) {
             return CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
         }},
        {"its folder gone",
         [](const std::string &, const std::string &folder) {
             EXPECT_TRUE(MoveFileA(folder.c_str(), (folder + "-aside").c_str()));
             return INVALID_HANDLE_VALUE;
         }},
    };
    const std::string original = readTextFile(ini());
    const std::string folder = media + "data", path = folder + "\\install.ini";
    CreateDirectoryA(folder.c_str(), nullptr);
    strcpy(record.setupIniPath, path.c_str());
    char notSaved[256] = "";
    HMODULE texts = LoadLibraryExA((media + "luinsres.dll").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    LoadStringA(texts, IDS_NOT_SAVED, notSaved, sizeof notSaved);
    FreeLibrary(texts);
    ASSERT_NE(0, notSaved[0]);
    for (const Fault &fault : faults) {
        resetRegistry();
        writeTextFile(path, original);
        HANDLE held = INVALID_HANDLE_VALUE;
        expectProgress();
        onMainDialog(sequence({inspect([&](HWND) { held = fault.provoke(path, folder); }),
                               pressButton(IDC_MAIN_STANDARD)}));
        expectProgress();
        autopilotQueue(pressButton(IDOK));
        size_t seenBefore = autopilotLog().size();
        int result = run();
        if (held != INVALID_HANDLE_VALUE)
            CloseHandle(held);
        MoveFileA((folder + "-aside").c_str(), folder.c_str());
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);

        EXPECT_EQ(DODIALOG_CANCELLED, result) << fault.name;
        EXPECT_EQ(original, readTextFile(path)) << fault.name << ": the old file, byte for byte";
        EXPECT_EQ("<none>", regText(HKEY_LOCAL_MACHINE, PRODUCT_GENERAL_KEY, "Internal"))
            << fault.name << ": the registry is left as it was";
        EXPECT_EQ(0, record.readmeChoice) << fault.name << ": no choice summary (a standard run sets it)";
        bool told = false;
        for (size_t i = seenBefore; i < autopilotLog().size(); i++)
            told |= autopilotLog()[i].messageBox && autopilotLog()[i].text == notSaved;
        EXPECT_TRUE(told) << fault.name << ": the message that install.ini was not saved";
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA((folder + "\\*.tmp").c_str(), &found);
        EXPECT_EQ(INVALID_HANDLE_VALUE, search) << fault.name << ": no temporary file left";
        if (search != INVALID_HANDLE_VALUE)
            FindClose(search);
    }
    EXPECT_EQ(0u, autopilotUnexpected());
}

TEST_F(DodialogTest, RegistryFollowsTheSelectionWithoutTheNetworkSwitch)
{
    setIni("Config", "Network", "FALSE");
    setIni("VWPINFO", "Info4Default", "U");  // JWRITE2, format 181
    expectProgress();
    onMainDialog(sequence({inspect([](HWND dialog) {
                               EXPECT_FALSE(controlState(dialog, IDC_MAIN_WORKSTATION).enabled);
                           }),
                           pressButton(IDC_MAIN_STANDARD)}));
    expectProgress();
    ASSERT_EQ(DODIALOG_STANDARD, run());
    EXPECT_EQ("doc 1 jordocve.dll", regText(HKEY_LOCAL_MACHINE, PRODUCT_KEY "\\VAPI", "13"));
    EXPECT_EQ("<none>", regText(HKEY_LOCAL_MACHINE, PRODUCT_KEY "\\VAPI", "181")) << "not chosen";
    EXPECT_EQ("<none>", regText(HKEY_LOCAL_MACHINE, PRODUCT_KEY "\\VAPI", "45"));
}

TEST_F(DodialogTest, CustomSelectionRecordsEveryItemsMark)
{
    expectProgress();
    onMainDialog(pressButton(IDC_MAIN_CUSTOM));
    // Category 1 (word-processing viewers) is highlighted first: a click on
    // it deselects the whole category.
    onOptionsDialog(sequence({selectEntry(IDC_OPTIONS_LIST, 0), pressButton(IDOK)}));
    expectProgress();
    EXPECT_EQ(DODIALOG_CUSTOM, run());
    EXPECT_EQ(0u, autopilotUnexpected());
    for (const char *key : {"Info1Default", "Info2Default", "Info5Default"})
        EXPECT_EQ("U", iniText("VWPINFO", key)) << key;
    EXPECT_EQ("S", iniText("TPICINFO", "Info4Default")) << "custom starts from everything";
    EXPECT_EQ("S", iniText("CONVTOOLINFO", "Info1Default"));
    EXPECT_EQ(1, record.convToolChoice);
    EXPECT_EQ(1, record.manualChoice);
}

TEST_F(DodialogTest, DetailPageChangesReachInstallIni)
{
    expectProgress();
    onMainDialog(pressButton(IDC_MAIN_CUSTOM));
    onOptionsDialog(pressButton(IDC_OPTIONS_DETAILS));        // category 1's page
    onOptionsDialog(sequence({selectEntry(IDC_OPTIONS_LIST, 1),   // highlight JWRITE1
                              selectEntry(IDC_OPTIONS_LIST, 1),   // and deselect it
                              pressButton(IDOK)}));
    onOptionsDialog(pressButton(IDOK));                        // the category list again
    expectProgress();
    EXPECT_EQ(DODIALOG_CUSTOM, run());
    EXPECT_EQ("S", iniText("VWPINFO", "Info1Default"));
    EXPECT_EQ("U", iniText("VWPINFO", "Info2Default"));
    EXPECT_EQ("S", iniText("VWPINFO", "Info3Default"));
}

TEST_F(DodialogTest, CancelledCustomSelectionShowsMainDialogAgain)
{
    std::string firstFigure, secondFigure;
    expectProgress();
    onMainDialog(sequence({inspect([&](HWND d) { firstFigure = controlText(d, IDC_MAIN_DEFAULT_SIZE); }),
                           pressButton(IDC_MAIN_CUSTOM)}));
    onOptionsDialog(pressButton(IDCANCEL));
    onMainDialog(sequence({inspect([&](HWND d) { secondFigure = controlText(d, IDC_MAIN_DEFAULT_SIZE); }),
                           pressButton(IDC_MAIN_STANDARD)}));
    expectProgress();
    EXPECT_EQ(DODIALOG_STANDARD, run());
    EXPECT_EQ(firstFigure, secondFigure);
    EXPECT_EQ("U", iniText("VWPINFO", "Info5Default")) << "the standard selection was recomputed";
}

TEST_F(DodialogTest, CancelReturnsZeroAndLeavesTheRecordsDirectory)
{
    std::string before = record.installDir;
    expectProgress();
    onMainDialog(pressButton(IDCANCEL));
    autopilotQueue(pressButton(IDYES));  // "cancel setup?"
    EXPECT_EQ(DODIALOG_CANCELLED, run());
    EXPECT_EQ(before, record.installDir);
    EXPECT_FALSE(fileExists(before)) << "no folder made for a setup that was cancelled";
    EXPECT_EQ("<none>", iniText("INSTALLFILES", "NUMFILES"));
    EXPECT_FALSE(regKeyExists(HKEY_LOCAL_MACHINE, PRODUCT_KEY "\\VAPI"));
}

TEST_F(DodialogTest, WorkstationButtonRecordsTheServerCopy)
{
    expectProgress();
    onMainDialog(pressButton(IDC_MAIN_WORKSTATION));
    expectProgress();
    EXPECT_EQ(DODIALOG_WORKSTATION, run());
    EXPECT_EQ("TRUE", regText(HKEY_LOCAL_MACHINE, PRODUCT_GENERAL_KEY, "WorkStation"));
    EXPECT_EQ("C:\\server\\lumoria", regText(HKEY_LOCAL_MACHINE, PRODUCT_GENERAL_KEY, "Home"));
    EXPECT_EQ("C:\\server\\lumoria", regText(HKEY_LOCAL_MACHINE, PRODUCT_GENERAL_KEY, "Server"));
    EXPECT_EQ("<none>", iniText("INSTALLFILES", "NUMFILES")) << "a workstation copies nothing";
}

TEST_F(DodialogTest, RegisteredWorkstationSkipsTheMainDialog)
{
    setRegText(HKEY_LOCAL_MACHINE, PRODUCT_GENERAL_KEY, "WorkStation", "TRUE");
    expectProgress();
    expectProgress();
    EXPECT_EQ(DODIALOG_WORKSTATION, run());
    EXPECT_EQ(0u, autopilotUnexpected()) << "no main dialog";
    EXPECT_EQ(2u, autopilotLog().size());
}

TEST_F(DodialogTest, MaintenanceReturnsChangeCodes)
{
    record.maintenanceMode = 1;
    expectProgress();
    // Category 10 (conversion tools) is added, category 8 (manuals, with the
    // read-me file) removed.
    onOptionsDialog(sequence({selectEntry(IDC_OPTIONS_LIST, 9), selectEntry(IDC_OPTIONS_LIST, 9),
                              selectEntry(IDC_OPTIONS_LIST, 7), selectEntry(IDC_OPTIONS_LIST, 7),
                              pressButton(IDOK)}));
    expectProgress();
    EXPECT_EQ(DODIALOG_STANDARD, run());
    EXPECT_EQ(0u, autopilotUnexpected());
    EXPECT_EQ(1, record.convToolChoice) << "added";
    EXPECT_EQ(2, record.readmeChoice) << "removed";
    EXPECT_EQ(0, record.manualChoice) << "never chosen";
    EXPECT_EQ(0, record.viewEngineChoice) << "chosen before and after";
    EXPECT_NE("<none>", iniText("REMOVEFILES", "NUMFILES"));
}

TEST_F(DodialogTest, MaintenanceCancelReturnsTen)
{
    record.maintenanceMode = 1;
    expectProgress();
    setIni("INTEGRATIONINFO", "Info3Default", "U");  // JORPLAN, whose module answers 1
    onOptionsDialog(pressButton(IDCANCEL));
    EXPECT_EQ(DODIALOG_MAINTENANCE_CANCELLED, run());
    EXPECT_EQ("<none>", iniText("INSTALLFILES", "NUMFILES"));
    // The summary and its change codes still come back.
    EXPECT_EQ(0, record.viewEngineChoice) << "chosen before and after";
    EXPECT_EQ(1, record.integrationResults[0]) << "JORMAIL installed";
    EXPECT_EQ(0, record.integrationResults[2]) << "JORPLAN not installed";
}

TEST_F(DodialogTest, UpgradeShowsItsOwnTemplateAndOneFigure)
{
    record.upgradeMode = 1;
    strcpy(record.installedIniPath, (media + "installed.ini").c_str());
    strcpy(record.installedLayoutFilePath, (media + "setup.lay").c_str());
    std::string customText, full, byDefault, caption;
    expectProgress();
    onMainDialog(sequence({inspect([&](HWND d) {
                               caption = windowText(d);
                               customText = controlText(d, IDC_MAIN_CUSTOM);
                               full = controlText(d, IDC_MAIN_FULL_SIZE);
                               byDefault = controlText(d, IDC_MAIN_DEFAULT_SIZE);
                           }),
                           pressButton(IDC_MAIN_STANDARD)}));
    expectProgress();
    EXPECT_EQ(DODIALOG_STANDARD, run());
    char upgradeText[200];
    EXPECT_EQ(1, EXPORTED(installLoadStr)(IDS_UPGRADE_CUSTOM, upgradeText, media.c_str()));
    EXPECT_EQ(upgradeText, customText);
    EXPECT_EQ(full, byDefault);
    ASSERT_NE(templateCaption(DLG_MAIN), templateCaption(DLG_MAIN_UPGRADE));
    EXPECT_EQ(templateCaption(DLG_MAIN_UPGRADE), caption) << "template 1300";
}

TEST_F(DodialogTest, UpgradeCustomStartsFromTheInstalledSelection)
{
    record.upgradeMode = 1;
    acceptCustomOverInstalled();
    EXPECT_EQ(DODIALOG_CUSTOM, run());
    EXPECT_EQ("U", iniText("CONVTOOLINFO", "Info1Default")) << "not installed before, not everything";
    EXPECT_EQ(0, record.convToolChoice);
}

TEST_F(DodialogTest, AddOnMarksTheExistingInstallation)
{
    record.addOnMode = 1;
    acceptCustomOverInstalled();
    EXPECT_EQ(DODIALOG_CUSTOM, run());
    char value[64];
    GetPrivateProfileStringA("CONVTOOLINFO", "Info1Default", "", value, sizeof value,
                             (media + "installed.ini").c_str());
    EXPECT_STREQ("S", value) << "everything chosen is marked in the existing install.ini";
}

TEST_F(DodialogTest, FolderThatCannotBeMadeIsThePersonsToSettle)
{
    // The person is told which folder could not be made: Yes takes the
    // default folder, No goes back to the main dialog, where this person
    // cancels. A drive that cannot be queried has no free space to show, so
    // the workstation button (which checks no space) takes the run on.
    const struct {
        const char *named;
        int answer;
        int result;
        const char *folder;   // the record's folder after the run
    } cases[] = {
        {"yes: the default folder", IDYES, DODIALOG_WORKSTATION, "c:\\lumoria"},
        {"no: another folder, then cancelled", IDNO, DODIALOG_CANCELLED, "Q:\\no drive\\lumoria"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.named);
        autopilotStop();
        autopilotStart();
        strcpy(record.installDir, "Q:\\no drive\\lumoria");
        std::string boxText;
        expectProgress();
        onMainDialog(pressButton(IDC_MAIN_WORKSTATION));
        autopilotQueue([&](HWND box, DialogSeen &seen) {
            boxText = seen.text;
            clickButton(box, c.answer);
        });
        if (c.answer == IDNO) {
            onMainDialog(pressButton(IDCANCEL));
            autopilotQueue(pressButton(IDYES));   // "cancel setup?"
        }
        expectProgress();
        EXPECT_EQ(c.result, run());
        EXPECT_EQ(0u, boxText.find("Q:\\no drive\\lumoria")) << boxText;
        EXPECT_NE(std::string::npos, boxText.find("could not create this folder")) << boxText;
        EXPECT_EQ(0, lstrcmpiA(c.folder, record.installDir)) << record.installDir;
        EXPECT_EQ(c.result != DODIALOG_CANCELLED, regKeyExists(HKEY_LOCAL_MACHINE, PRODUCT_KEY "\\General"));
        resetRegistry();
    }
}

TEST_F(DodialogTest, SetupThatEndsWithoutInstallingTakesBackTheFoldersItMade)
{
    // The options dialog cancelled sends the person back; there they cancel.
    strcpy(record.installDir, (media + "new\\deeper\\target").c_str());
    expectProgress();
    onMainDialog(pressButton(IDC_MAIN_CUSTOM));
    onOptionsDialog(pressButton(IDCANCEL));
    onMainDialog(pressButton(IDCANCEL));
    autopilotQueue(pressButton(IDYES));
    EXPECT_EQ(DODIALOG_CANCELLED, run());
    EXPECT_FALSE(fileExists(media + "new")) << "the folders made for the custom choice are gone";
    EXPECT_TRUE(fileExists(media + "install.ini"));

    // A folder an earlier setup installed into is that setup's, empty or not.
    autopilotStop();
    autopilotStart();
    strcpy(record.installDir, (media + "installed\\target").c_str());
    expectProgress();
    onMainDialog(pressButton(IDC_MAIN_STANDARD));
    expectProgress();
    ASSERT_EQ(DODIALOG_STANDARD, run());
    autopilotStop();
    autopilotStart();
    strcpy(record.installDir, (media + "other").c_str());
    expectProgress();
    onMainDialog(pressButton(IDCANCEL));
    autopilotQueue(pressButton(IDYES));
    EXPECT_EQ(DODIALOG_CANCELLED, run());
    EXPECT_TRUE(fileExists(media + "installed\\target"));
}

TEST_F(DodialogTest, MissingResourceModuleReturnsMinusOne)
{
    DeleteFileA((media + "luinsres.dll").c_str());
    autopilotQueue(pressButton(IDOK));
    EXPECT_EQ(DODIALOG_NO_RESOURCES, run());
    ASSERT_EQ(1u, autopilotLog().size());
    EXPECT_EQ("LanEnter", autopilotLog()[0].caption);
}

TEST_F(DodialogTest, UnterminatedHostPathFailsTheCatalogueBuild)
{
    memset(record.layoutFilePath, 'x', sizeof record.layoutFilePath);
    clearCtl3dLog();
    autopilotQueue(pressButton(IDOK));
    EXPECT_EQ(DODIALOG_NO_CATALOGUE, run());
    ASSERT_EQ(1u, autopilotLog().size());
    EXPECT_EQ("DODIALOGN", autopilotLog()[0].caption);
    EXPECT_EQ("RETURN-2 INITSETUP", autopilotLog()[0].text);
    EXPECT_EQ((std::vector<int>{12, 16, 13}), ctl3dCalls()) << "the bracket is closed on failure";
}

// The core's own entry, with the progress dialog's wait shortened: a table
// that cannot be allocated, and a hundred runs in one process.
class DodialogCoreTest : public DodialogTest {
protected:
    void SetUp() override
    {
        DodialogTest::SetUp();
        resetCoreState();
        progressTimerPeriodMs = 1;
    }
    void TearDown() override
    {
        progressTimerPeriodMs = 1000;
        allocateFileTable = [](size_t bytes) -> void * { return HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, bytes); };
        DodialogTest::TearDown();
    }
};

TEST_F(DodialogCoreTest, SnapshotThatCannotBeAllocatedFailsTheBuild)
{
    static int allocations;
    allocations = 0;
    allocateFileTable = [](size_t bytes) -> void * {
        return ++allocations == 2 ? nullptr : HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, bytes);
    };
    autopilotQueue(pressButton(IDOK));
    EXPECT_EQ(DODIALOG_NO_CATALOGUE, dodialog(nullptr, &record));
    EXPECT_EQ(nullptr, setupState->sharedFileTable) << "the half-made tables are released";
    EXPECT_EQ(nullptr, setupState->hostRecord);
    EXPECT_EQ(nullptr, resourceModule);
}

TEST_F(DodialogCoreTest, MainDialogEndIsHandedOnAndTheCatalogueReleased)
{
    struct Case {
        int end;  // what the main dialog ended with
        int expected;
    } cases[] = {{0, DODIALOG_CANCELLED}, {-1, -1}, {7, 7}};
    for (const Case &c : cases) {
        autopilotStart();
        int end = c.end;
        onMainDialog(inspect([end](HWND d) { EndDialog(d, end); }));
        EXPECT_EQ(c.expected, dodialog(nullptr, &record)) << c.end;
        EXPECT_EQ(nullptr, setupState->sharedFileTable) << c.end;
        EXPECT_EQ(nullptr, setupState->groups[CATEGORIES].items[GROUP_VWP].fileList) << c.end;
        EXPECT_EQ(nullptr, setupState->hostRecord) << "the host's record is not kept; " << c.end;
        EXPECT_FALSE(fileExists(media + "target")) << "no folder without a choice; " << c.end;
        autopilotStop();
    }
}

TEST_F(DodialogCoreTest, HundredRunsLeakNoHandlesOrHeap)
{
    auto oneRun = [&]() {
        autopilotStart();
        expectProgress();
        onMainDialog(pressButton(IDC_MAIN_CUSTOM));
        onOptionsDialog(pressButton(IDOK));
        expectProgress();
        EXPECT_EQ(DODIALOG_CUSTOM, dodialog(nullptr, &record));
        autopilotStop();
    };
    for (int i = 0; i < 5; i++)
        oneRun();  // the platform's own caches settle
    int handlesBefore = countOpenHandles();
    size_t heapBefore = busyHeapBytes();
    for (int i = 0; i < 100; i++)
        oneRun();
    int handlesAfter = countOpenHandles();
    size_t heapAfter = busyHeapBytes();
    printf("100 runs: kernel handles %d -> %d, heap %zu -> %zu bytes\n", handlesBefore, handlesAfter,
           heapBefore, heapAfter);
    EXPECT_LE(handlesAfter, handlesBefore + 10);
    // Each run allocates about 25 KB of tables and lists: a leak of either
    // would show as megabytes.
    EXPECT_LT(heapAfter, heapBefore + 256 * 1024);
}

} // namespace
