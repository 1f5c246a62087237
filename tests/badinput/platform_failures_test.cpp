// What the platform or the media fail to give: a resource module without its
// list bitmaps, component numbers that name no display string, integration
// modules beyond the catalogue's slots, registry keys that cannot be created
// and an installation drive that cannot be queried - each through the
// exported entries, with the dialogs driven by the autopilot.
#include "badinput_fixture.h"

#include <sstream>

#include "registry/registry_access.h"
#include "state/setup_state.h"
#include "dialogs/resource_edit.h"
#include "support/import_patch.h"

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
    // without the tick), or is never made from its template: the user
    // accepted nothing, so nothing is installed and the main dialog comes
    // back. In maintenance mode the options dialog is all there is:
    // cancelled.
    const struct {
        const char *variant;   // null: the module with template 500 broken
        int maintenance;
        int expected;
    } cases[] = {
        {"luinsres_noblank.dll", 0, DODIALOG_CANCELLED},
        {"luinsres_notick.dll", 0, DODIALOG_CANCELLED},
        {nullptr, 0, DODIALOG_CANCELLED},
        {"luinsres_notick.dll", 1, DODIALOG_MAINTENANCE_CANCELLED},
        {nullptr, 1, DODIALOG_MAINTENANCE_CANCELLED},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.variant ? c.variant : "template 500 broken") +
                     (c.maintenance ? ", maintenance" : ""));
        autopilotStart();
        installResourceModule(media);
        if (c.variant)
            addModule(c.variant, "luinsres.dll");
        else
            ASSERT_TRUE(breakDialogTemplate(media + "luinsres.dll", DLG_OPTIONS));
        record.maintenanceMode = c.maintenance;
        record.readmeChoice = record.manualChoice = record.convToolChoice = record.viewEngineChoice = 0;
        Snapshot before = snapshot();
        expectProgress();
        if (!c.maintenance) {
            onMainDialog(pressButton(IDC_MAIN_CUSTOM));
            cancelMainDialog();
        }
        EXPECT_EQ(c.expected, runDodialog());
        EXPECT_EQ("<none>", iniText("INSTALLFILES", "NUMFILES"));
        EXPECT_EQ(0, record.readmeChoice + record.manualChoice + record.convToolChoice + record.viewEngineChoice)
            << "nothing changed";
        expectOnlyAllowedChanges(before, snapshot(), AllowedChanges());
        EXPECT_EQ(0u, autopilotUnexpected());
    }
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
    EXPORTED(IntegInstall)(0, 0, &record);
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

// One registry value of dialogint.dll that fails, once, as the platform
// fails it for a user without the rights or a registry that is full.
struct ValueFault {
    const char *name;
    LONG error;
    bool used;
};
ValueFault valueFault;
decltype(&RegSetValueExA) realSetValue;

LONG WINAPI setValueOrFail(HKEY key, LPCSTR name, DWORD reserved, DWORD type, const BYTE *data, DWORD size)
{
    if (!valueFault.used && valueFault.name && name && strcmp(name, valueFault.name) == 0) {
        valueFault.used = true;
        return valueFault.error;
    }
    return realSetValue(key, name, reserved, type, data, size);
}

RegistryContents shellExtensionKeys()
{
    RegistryContents keys;
    for (const char *path : {"CLSID\\{4e8a1d60-b2c3-11ce-b4e5-00000451ee2e}",
                             "CLSID\\{4e8a1d60-b2c3-11ce-b4e5-00000451ee2f}",
                             "*\\shellex\\ContextMenuHandlers\\{4e8a1d60-b2c3-11ce-b4e5-00000451ee2e}",
                             "*\\shellex\\PropertySheetHandlers\\{4e8a1d60-b2c3-11ce-b4e5-00000451ee2f}"}) {
        RegistryContents below = readRegistryTree(HKEY_CLASSES_ROOT, path);
        keys.insert(below.begin(), below.end());
    }
    return keys;
}

TEST_F(PlatformFailuresTest, SetupThatCannotBeWrittenLeavesEverythingAsItWas)
{
    // Over an earlier installation whose values differ from the defaults
    // (and one the run would drop), a run whose writing fails ends cancelled
    // with its message, install.ini byte for byte as it was and every product
    // key as it was. Below a volatile key no lasting key can be made: the keys
    // are found unwritable before anything is written; a refused value fails
    // part-way and is undone. A module without the message's string shows
    // the library's own text.
    const struct {
        const char *name;
        HKEY volatileRoot;     // SOFTWARE\Jor made volatile under it
        const char *value;     // the value refused
        LONG error;
        bool readOnlyIni;
        bool withoutStrings;   // the module lacks strings 704 and 705
        const char *said;      // a word of the message
        const char *logged;    // the failure's line in the setup log ends so
        int button = IDC_MAIN_STANDARD;   // custom: in add-on mode, everything accepted
    } cases[] = {
        {"machine key that cannot be made", HKEY_LOCAL_MACHINE, nullptr, 0, false, false, "registry",
         "General failed: error 1021"},
        {"user key that cannot be made", HKEY_CURRENT_USER, nullptr, 0, false, false, "registry",
         "LaunchManager\\General failed: error 1021"},
        {"first value refused", nullptr, "user", ERROR_ACCESS_DENIED, false, false, "registry",
         "value user failed: error 5"},
        {"viewer value, registry full", nullptr, "185.1", ERROR_NO_SYSTEM_RESOURCES, false, false, "registry",
         "value 185.1 failed: error 1450"},
        {"shell extension value", nullptr, "ThreadingModel", ERROR_ACCESS_DENIED, false, false, "registry",
         "value ThreadingModel failed: error 5"},
        {"last value of the run", nullptr, "All_IDs", ERROR_ACCESS_DENIED, false, false, "registry",
         "value All_IDs failed: error 5"},
        {"value refused, module without the string", nullptr, "185.1", ERROR_ACCESS_DENIED, false, true,
         "registry", "value 185.1 failed: error 5"},
        {"read-only install.ini, module without the string", nullptr, nullptr, 0, true, true, "install.ini",
         "install.ini failed: error 5"},
        {"workstation mark refused", nullptr, "WorkStation", ERROR_ACCESS_DENIED, false, false, "registry",
         "value WorkStation failed: error 5", IDC_MAIN_WORKSTATION},
        {"value refused in add-on mode", nullptr, "185.1", ERROR_ACCESS_DENIED, false, false, "registry",
         "value 185.1 failed: error 5", IDC_MAIN_CUSTOM},
    };
    const std::string log = media + "setup.log";
    const std::string moduleCopy = media + "luinsres-full.dll";
    ASSERT_TRUE(CopyFileA((media + "luinsres.dll").c_str(), moduleCopy.c_str(), FALSE));
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        resetRegistry();
        ASSERT_TRUE(CopyFileA(moduleCopy.c_str(), (media + "luinsres.dll").c_str(), FALSE));
        autopilotStart();
        ASSERT_EQ(DODIALOG_STANDARD, runStandard());
        setRegText(HKEY_LOCAL_MACHINE, PRODUCT_KEY "\\VAPI", "13", "an earlier viewer");
        setRegText(HKEY_LOCAL_MACHINE, PRODUCT_KEY "\\VAPI", "999", "dropped by a complete run");
        setRegText(HKEY_CURRENT_USER, PRODUCT_KEY "\\OPTIONS", "General", "9 9 9");
        setRegText(HKEY_LOCAL_MACHINE, PRODUCT_GENERAL_KEY, "Internal", "LU-3.0.0");
        if (c.volatileRoot) {
            RegDeleteTreeA(c.volatileRoot, "SOFTWARE\\Jor");
            HKEY key;
            ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(c.volatileRoot, "SOFTWARE\\Jor", 0, nullptr,
                                                     REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr, &key, nullptr));
            RegCloseKey(key);
        }
        // The block of strings 704..719 replaced by one that holds 706 only.
        if (c.withoutStrings) {
            ASSERT_TRUE(putStringResource(media + "luinsres.dll", IDS_NOT_SAVED + 2, "-"));
        }
        char expected[256] = "";
        HMODULE texts = LoadLibraryExA((media + "luinsres.dll").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        LoadStringA(texts, c.readOnlyIni ? IDS_NOT_SAVED : IDS_REGISTRY_NOT_WRITTEN, expected, sizeof expected);
        FreeLibrary(texts);
        EXPECT_EQ(c.withoutStrings, expected[0] == 0);
        valueFault = {c.value, c.error, false};
        realSetValue = (decltype(&RegSetValueExA))patchImport(dialogintModule(), nullptr, "RegSetValueExA",
                                                              (void *)setValueOrFail);
        ASSERT_NE(nullptr, realSetValue);
        setIni("Config", "Network", c.button == IDC_MAIN_WORKSTATION ? "TRUE" : nullptr);
        writeTextFile(installed(), "[General]\r\nSpaceUsed=100\r\n[VWPINFO]\r\n"
                                   "Info1=1,PLAIN,jordocve.dll,txt,3,1,0,doc,0,0,3\r\n");
        record.addOnMode = c.button == IDC_MAIN_CUSTOM;
        const std::string installIni = readTextFile(ini()), installedIni = readTextFile(installed());
        Snapshot before = snapshot();
        RegistryContents shellBefore = shellExtensionKeys();
        DeleteFileA(log.c_str());
        ASSERT_EQ(1, EXPORTED(setupLogFile)(log.c_str()));
        autopilotStart();
        expectProgress();
        onMainDialog(sequence({inspect([&](HWND) {
                                   if (c.readOnlyIni)
                                       SetFileAttributesA(ini().c_str(), FILE_ATTRIBUTE_READONLY);
                               }),
                               pressButton(c.button)}));
        if (c.button == IDC_MAIN_CUSTOM)
            onOptionsDialog(pressButton(IDOK));
        expectProgress();
        autopilotQueue(pressButton(IDOK));
        int result = runDodialog();
        patchImport(dialogintModule(), nullptr, "RegSetValueExA", (void *)realSetValue);
        EXPORTED(setupLogFile)("");
        std::string lines = readTextFile(log);
        EXPECT_NE(std::string::npos, lines.find(std::string(c.logged) + "\r\n")) << lines;
        // The registry is written while the files' changes are held: a
        // refused key or value gives them up, so neither install.ini nor the
        // installation's is ever replaced, not even for a moment.
        EXPECT_EQ(std::string::npos, lines.find("\\install.ini written")) << lines;
        EXPECT_EQ(std::string::npos, lines.find("installed.ini written")) << lines;
        SetFileAttributesA(ini().c_str(), FILE_ATTRIBUTE_NORMAL);

        EXPECT_EQ(DODIALOG_CANCELLED, result);
        EXPECT_EQ(c.value != nullptr, valueFault.used) << "the refused value was reached";
        std::vector<std::string> boxes = boxesSeen();
        ASSERT_EQ(1u, boxes.size());
        std::string text = boxes[0].substr(boxes[0].find('|') + 1);
        if (expected[0]) {
            EXPECT_EQ(expected, text);
        }
        EXPECT_NE(std::string::npos, text.find(c.said)) << text;
        EXPECT_EQ(installIni, readTextFile(ini())) << "install.ini byte for byte";
        EXPECT_EQ(installedIni, readTextFile(installed())) << "the installation's install.ini too";
        record.addOnMode = 0;
        expectOnlyAllowedChanges(before, snapshot(), AllowedChanges());
        EXPECT_EQ(shellBefore, shellExtensionKeys());
        EXPECT_EQ(0u, autopilotUnexpected());
        if (c.volatileRoot)
            RegDeleteTreeA(c.volatileRoot, "SOFTWARE\\Jor");
    }
    CopyFileA(moduleCopy.c_str(), (media + "luinsres.dll").c_str(), FALSE);
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

TEST_F(PlatformFailuresTest, QuestionsWhoseStringTheModuleLacksAskInTheLibrarysWords)
{
    // A module whose block of strings 608..623 holds 609 only: the shared
    // file's question (615) is asked all the same, never as an empty box.
    ASSERT_TRUE(putStringResource(media + "luinsres.dll", IDS_REMOVE_SHARED - 6, "-"));
    const char *sharedKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
    const char *entry = "C:\\dialogint-badinput\\shared-q.dll";
    DWORD one = 1;
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, sharedKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                             &key, nullptr));
    RegSetValueExA(key, entry, 0, REG_DWORD, (const BYTE *)&one, sizeof one);
    RegCloseKey(key);
    autopilotStart();
    autopilotQueue(pressButton(IDYES));
    int32_t answer = -1;
    EXPORTED(DeleteShareDLL)("SHARED-Q.DLL", &answer, entry, media.c_str());
    EXPECT_EQ(1, answer);
    ASSERT_EQ(1u, autopilotLog().size());
    EXPECT_EQ(0u, autopilotLog()[0].text.find("The shared file SHARED-Q.DLL is no longer used by Lumoria"))
        << autopilotLog()[0].text;
    EXPECT_EQ("Lumoria Setup", autopilotLog()[0].caption);
    DWORD type;
    std::string data;
    EXPECT_FALSE(readRegValue(HKEY_LOCAL_MACHINE, sharedKey, entry, &type, &data));
}

} // namespace
