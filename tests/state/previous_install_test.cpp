// The search for an existing installation and HaveKeyDialog with its reinstall
// dialog, against Wine's real registry and a real lumoria.ini in Wine's
// Windows directory, with the dialogs driven by the autopilot.
#include <gtest/gtest.h>

#include <string.h>

#include "autopilot/autopilot.h"
#include "autopilot/help_capture.h"
#include "luinsres_ids.h"
#include "registry/registry_access.h"
#include "registry/previous_install.h"
#include "state/setup_state.h"
#include "support/test_support.h"

namespace {

std::string resourceString(int id)
{
    static HMODULE module =
        LoadLibraryExA((exeDir() + "luinsres.dll").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    char text[1024] = "";
    LoadStringA(module, (UINT)id, text, sizeof text);
    return text;
}

std::string olderKindIni()
{
    char path[MAX_PATH];
    EXPECT_TRUE(windowsDirFile("lumoria.ini", path, sizeof path));
    return path;
}

// The button of a message box drawn as the default one.
int defaultButton(HWND box)
{
    for (int id : {IDYES, IDNO, IDOK, IDCANCEL}) {
        HWND button = GetDlgItem(box, id);
        if (button && (GetWindowLongA(button, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON)
            return id;
    }
    return 0;
}

class PreviousInstallTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        resetCoreState();
        resetRegistry();
        DeleteFileA(olderKindIni().c_str());
        media = makeTempDir("previous");
        installResourceModule(media);
        memset(&record, 0, sizeof record);
        setup("STANDARD", "5.2.1");
        strcpy(record.sourceDir, media.c_str());
        strcpy(record.installDir, "C:\\HOSTDIR");
        autopilotStart();
    }
    void TearDown() override
    {
        autopilotStop();
        DeleteFileA(olderKindIni().c_str());
        resetRegistry();
    }

    // A new install.ini each time: the profile functions may keep a file
    // they read within the same second.
    void setup(const char *type, const char *internal)
    {
        std::string path = media + "install" + std::to_string(++setups) + ".ini";
        writeTextFile(path, std::string("[General]\r\nTYPE=") + type + "\r\nInternal=" + internal + "\r\n");
        strcpy(record.setupIniPath, path.c_str());
        strcpy(setupState->setupIniPath, path.c_str());
    }
    static void registered(const char *home, const char *internal)
    {
        if (home)
            setRegText(HKEY_LOCAL_MACHINE, PRODUCT_GENERAL_KEY, "Home", home);
        if (internal)
            setRegText(HKEY_LOCAL_MACHINE, PRODUCT_GENERAL_KEY, "Internal", internal);
    }
    static void olderKind(const char *home)
    {
        std::string path = olderKindIni();
        WritePrivateProfileStringA("General", "Home", home, path.c_str());
        WritePrivateProfileStringA(nullptr, nullptr, nullptr, path.c_str());
    }
    // Each detection state, made from real registry values and files.
    static void makeState(int state)
    {
        switch (state) {
        case 1: registered("C:\\LUMORIA", "4.0.0"); break;
        case 2: registered("C:\\LUMORIA", "5.2.1"); break;
        case 3: olderKind("C:\\OLDLU"); break;
        }
    }
    int haveKey(int32_t *flag = nullptr)
    {
        int32_t unused = 7;
        return EXPORTED(HaveKeyDialog)(nullptr, flag ? flag : &unused, &record);
    }

    std::string media;
    int setups = 0;
    HostSetupInfo record;
};

TEST_F(PreviousInstallTest, DetectionStatesFromRegistryAndOlderIni)
{
    struct Case {
        const char *olderHome;  // lumoria.ini present with this Home
        const char *home;
        const char *internal;
        const char *setupInternal;
        int state;
        const char *installDir;
    } cases[] = {
        {nullptr, nullptr, nullptr, "5.2.1", 0, ""},
        {nullptr, "", "5.2.1", "5.2.1", 0, ""},
        {nullptr, nullptr, "5.2.1", "5.2.1", 0, ""},
        {nullptr, "C:\\LUMORIA", nullptr, "5.2.1", 1, "C:\\LUMORIA"},
        {nullptr, "C:\\LUMORIA", "", "5.2.1", 1, "C:\\LUMORIA"},
        {nullptr, "C:\\LUMORIA", "5.2.0", "5.2.1", 1, "C:\\LUMORIA"},
        {nullptr, "C:\\LUMORIA", "5.2.1a", "5.2.1A", 1, "C:\\LUMORIA"},
        {nullptr, "C:\\LUMORIA", "5.2.1", "", 1, "C:\\LUMORIA"},
        {nullptr, "C:\\LUMORIA", "5.2.1", "5.2.1", 2, "C:\\LUMORIA"},
        {"C:\\OLDLU", "C:\\LUMORIA", "5.2.1", "5.2.1", 3, "C:\\OLDLU"},
        {"C:\\OLDLU", nullptr, nullptr, "5.2.1", 3, "C:\\OLDLU"},
        {"", nullptr, nullptr, "5.2.1", 3, ""},
    };
    int n = 0;
    for (const Case &c : cases) {
        resetRegistry();
        DeleteFileA(olderKindIni().c_str());
        if (c.olderHome)
            olderKind(c.olderHome);
        registered(c.home, c.internal);
        setup("STANDARD", c.setupInternal);
        strcpy(setupState->installDir, "C:\\STALE");
        EXPECT_EQ(c.state, detectPreviousInstall()) << "case " << n;
        EXPECT_STREQ(c.installDir, setupState->installDir) << "case " << n;
        n++;
    }
}

TEST_F(PreviousInstallTest, OverlongVersionOrDirectoryIsNeverTakenCut)
{
    // An Internal beyond 199 characters cannot be compared, even when the
    // registry holds it whole or its first 199 characters.
    const struct {
        size_t setupLength, registeredLength;
        int state;
    } cases[] = {{250, 199, 1}, {199, 199, 2}, {200, 200, 1}, {200, 199, 1}};
    std::string version(250, '7');
    for (const auto &c : cases) {
        setup("STANDARD", version.substr(0, c.setupLength).c_str());
        registered("C:\\LUMORIA", version.substr(0, c.registeredLength).c_str());
        EXPECT_EQ(c.state, detectPreviousInstall()) << c.setupLength << " characters against " << c.registeredLength;
    }

    std::string longHome = "C:\\" + std::string(300, 'h');
    olderKind(longHome.c_str());
    EXPECT_EQ(3, detectPreviousInstall());
    EXPECT_STREQ("", setupState->installDir) << "a directory cut to 255 characters is no directory";
}

TEST_F(PreviousInstallTest, NothingFoundIsANewInstallWithoutDialog)
{
    ASSERT_NE(nullptr, EXPORTED(HaveKeyDialog));
    int32_t flag = 7;
    EXPECT_EQ(1, haveKey(&flag));
    EXPECT_TRUE(autopilotLog().empty());
    EXPECT_EQ(7, flag) << "the workstation flag is only read when an installation exists";
    EXPECT_STREQ("C:\\HOSTDIR", record.installDir);
}

TEST_F(PreviousInstallTest, UpdateTypesAnswerByState)
{
    struct Case {
        int state;
        int expected;
        int message;  // 0: no box
        const char *installDir;
    } cases[] = {
        {0, 6, IDS_NO_INSTALLATION, "C:\\HOSTDIR"},
        {1, 6, IDS_OTHER_VERSION, "C:\\LUMORIA"},
        {2, 5, 0, "C:\\LUMORIA"},
    };
    for (const char *type : {"NOTES", "LEGACY", "CUSTOM"}) {
        for (const Case &c : cases) {
            resetRegistry();
            makeState(c.state);
            setup(type, "5.2.1");
            strcpy(record.installDir, "C:\\HOSTDIR");
            autopilotStart();
            if (c.message)
                autopilotQueue(pressButton(IDOK));
            EXPECT_EQ(c.expected, haveKey()) << type << " state " << c.state;
            EXPECT_STREQ(c.installDir, record.installDir) << type << " state " << c.state;
            ASSERT_EQ(c.message ? 1u : 0u, autopilotLog().size()) << type << " state " << c.state;
            if (!c.message)
                continue;
            const DialogSeen &box = autopilotLog()[0];
            EXPECT_TRUE(box.messageBox);
            EXPECT_EQ(resourceString(c.message), box.text) << type << " state " << c.state;
            EXPECT_EQ(resourceString(IDS_CAPTION), box.caption);
            EXPECT_NE(nullptr, box.control(IDOK));
            EXPECT_EQ(nullptr, box.control(IDCANCEL)) << "an OK box";
        }
    }
}

TEST_F(PreviousInstallTest, OlderKindAsksWithNoAsDefault)
{
    struct Case {
        const char *type;
        int button;
        int expected;
        const char *installDir;
    } cases[] = {
        {"STANDARD", IDYES, 7, "C:\\OLDLU"},
        {"STANDARD", IDNO, 0, "C:\\HOSTDIR"},
        {"NOTES", IDYES, 7, "C:\\OLDLU"},
    };
    registered("C:\\LUMORIA", "5.2.1");
    olderKind("C:\\OLDLU");
    for (const Case &c : cases) {
        setup(c.type, "5.2.1");
        strcpy(record.installDir, "C:\\HOSTDIR");
        autopilotStart();
        int defaultId = 0;
        int button = c.button;
        autopilotQueue([&defaultId, button](HWND box, DialogSeen &) {
            defaultId = defaultButton(box);
            clickButton(box, button);
        });
        EXPECT_EQ(c.expected, haveKey()) << c.type << " button " << c.button;
        EXPECT_STREQ(c.installDir, record.installDir) << c.type << " button " << c.button;
        ASSERT_EQ(1u, autopilotLog().size());
        EXPECT_EQ(resourceString(IDS_OLDER_KIND), autopilotLog()[0].text);
        EXPECT_EQ(IDNO, defaultId) << "No is the default button";
    }
}

// What was found goes back in the record for every way that goes on to
// install, so that a host passes it to dodialog as it is; a way that stops
// or removes leaves the host's value.
TEST_F(PreviousInstallTest, WhatWasFoundGoesBackInTheRecordWhenSetupGoesOn)
{
    struct Case {
        const char *name;
        int state;
        const char *type;
        int button;   // pressed in the reinstall dialog or the older kind's box; 0: none shows
        int expected;
        int32_t recorded;
    } cases[] = {
        {"nothing found", 0, "STANDARD", 0, HAVEKEY_NEW_INSTALL, 0},
        {"another version reinstalled", 1, "STANDARD", IDC_REINSTALL_REINSTALL, HAVEKEY_REINSTALL, 1},
        {"this version reinstalled", 2, "STANDARD", IDC_REINSTALL_REINSTALL, HAVEKEY_REINSTALL, 2},
        {"this version modified", 2, "STANDARD", IDC_REINSTALL_MODIFY, HAVEKEY_MODIFY, 2},
        {"update over this version", 2, "CUSTOM", 0, HAVEKEY_UPDATE_SAME_VERSION, 2},
        {"older kind accepted", 3, "STANDARD", IDYES, HAVEKEY_OLDER_KIND_ACCEPTED, 3},
        {"older kind declined", 3, "STANDARD", IDNO, HAVEKEY_STOP, 99},
        {"removal chosen", 2, "STANDARD", IDC_REINSTALL_REMOVE, HAVEKEY_REMOVE, 99},
        {"update without an installation", 0, "CUSTOM", IDOK, HAVEKEY_UPDATE_NOT_POSSIBLE, 99},
    };
    for (const Case &c : cases) {
        resetRegistry();
        DeleteFileA(olderKindIni().c_str());
        makeState(c.state);
        setup(c.type, "5.2.1");
        record.previousInstallState = 99;
        autopilotStart();
        if (c.button)
            autopilotQueue(pressButton(c.button));
        EXPECT_EQ(c.expected, haveKey()) << c.name;
        EXPECT_EQ(c.recorded, record.previousInstallState) << c.name;
        EXPECT_EQ(0u, autopilotUnexpected()) << c.name;
    }
}

// The reinstall dialog's buttons, as they stand when it opens.
struct ReinstallView {
    bool modify, reinstall, remove;
    int focus;
};

DialogAction inspectAndPress(ReinstallView *view, int button)
{
    return [view, button](HWND dialog, DialogSeen &) {
        view->modify = IsWindowEnabled(GetDlgItem(dialog, IDC_REINSTALL_MODIFY)) != 0;
        view->reinstall = IsWindowEnabled(GetDlgItem(dialog, IDC_REINSTALL_REINSTALL)) != 0;
        view->remove = IsWindowEnabled(GetDlgItem(dialog, IDC_REINSTALL_REMOVE)) != 0;
        view->focus = GetDlgCtrlID(GetFocus());
        clickButton(dialog, button);
    };
}

TEST_F(PreviousInstallTest, ReinstallDialogOffersWhatTheInstallationAllows)
{
    struct Case {
        const char *name;
        int state;
        bool workstation;
        bool removalKey;
        ReinstallView view;
        int press;
        int expected;
    } cases[] = {
        {"other version", 1, false, false, {false, true, true, IDC_REINSTALL_REINSTALL},
         IDC_REINSTALL_REINSTALL, 3},
        {"same version", 2, false, false, {true, true, true, IDC_REINSTALL_MODIFY},
         IDC_REINSTALL_MODIFY, 4},
        {"same version, workstation", 2, true, false, {false, true, true, IDC_REINSTALL_REINSTALL},
         IDC_REINSTALL_REINSTALL, 3},
        {"removal marked", 2, false, true, {false, false, true, IDC_REINSTALL_REMOVE},
         IDC_REINSTALL_REMOVE, 2},
        {"removal marked, other version", 1, false, true, {false, false, true, IDC_REINSTALL_REMOVE},
         IDC_REINSTALL_REMOVE, 2},
    };
    for (const Case &c : cases) {
        resetRegistry();
        makeState(c.state);
        if (c.workstation)
            setRegText(HKEY_LOCAL_MACHINE, PRODUCT_GENERAL_KEY, "WorkStation", "TRUE");
        if (c.removalKey)
            setRegText(HKEY_LOCAL_MACHINE, REMOVAL_MARKER_KEY, "", "");
        strcpy(record.installDir, "C:\\HOSTDIR");
        autopilotStart();
        ReinstallView view{};
        autopilotQueue(inspectAndPress(&view, c.press));
        int32_t flag = 7;
        EXPECT_EQ(c.expected, haveKey(&flag)) << c.name;
        EXPECT_EQ(c.workstation ? 1 : 0, flag) << c.name;
        ASSERT_EQ(1u, autopilotLog().size()) << c.name;
        EXPECT_FALSE(autopilotLog()[0].messageBox) << c.name;
        EXPECT_EQ(c.view.modify, view.modify) << c.name;
        EXPECT_EQ(c.view.reinstall, view.reinstall) << c.name;
        EXPECT_EQ(c.view.remove, view.remove) << c.name;
        EXPECT_EQ(c.view.focus, view.focus) << c.name;
        EXPECT_STREQ("C:\\LUMORIA", record.installDir) << c.name;
    }
}

TEST_F(PreviousInstallTest, RemoveDeletesOnlyTheLoadManagerAutostart)
{
    makeState(2);
    setRegText(HKEY_LOCAL_MACHINE, REMOVAL_MARKER_KEY, "", "");
    setRegText(HKEY_LOCAL_MACHINE, AUTOSTART_KEY, "lxldmgr", "C:\\LUMORIA\\lxldmgr.exe");
    setRegText(HKEY_LOCAL_MACHINE, AUTOSTART_KEY, "dialogintOther", "other.exe");
    autopilotQueue(pressButton(IDC_REINSTALL_REMOVE));
    EXPECT_EQ(2, haveKey());
    DWORD type;
    std::string data;
    EXPECT_FALSE(readRegValue(HKEY_LOCAL_MACHINE, AUTOSTART_KEY, "lxldmgr", &type, &data));
    EXPECT_TRUE(readRegValue(HKEY_LOCAL_MACHINE, AUTOSTART_KEY, "dialogintOther", &type, &data));
    HKEY run;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, AUTOSTART_KEY, 0, KEY_ALL_ACCESS, &run) == ERROR_SUCCESS) {
        RegDeleteValueA(run, "dialogintOther");
        RegCloseKey(run);
    }
}

TEST_F(PreviousInstallTest, CancelAnsweredNoKeepsTheDialogOpen)
{
    makeState(2);
    bool visibleAfterNo = false;
    // Both cancels run inside the dialog's own loop; each question is answered
    // by the next queued action.
    autopilotQueue([&visibleAfterNo](HWND dialog, DialogSeen &) {
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        visibleAfterNo = IsWindowVisible(dialog) != 0;
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    });
    int defaultId = 0;
    autopilotQueue([&defaultId](HWND box, DialogSeen &) {
        defaultId = defaultButton(box);
        clickButton(box, IDNO);
    });
    autopilotQueue(pressButton(IDYES));
    EXPECT_EQ(0, haveKey());
    EXPECT_TRUE(visibleAfterNo) << "No leaves the reinstall dialog open";
    ASSERT_EQ(3u, autopilotLog().size());
    EXPECT_EQ(resourceString(IDS_CONFIRM_CANCEL), autopilotLog()[1].text);
    EXPECT_EQ(IDNO, defaultId);
    EXPECT_STREQ("C:\\HOSTDIR", record.installDir) << "a stop hands back no directory";
}

// Help pressed, then the given button (0: the system close command), all
// inside the dialog's own loop.
DialogAction helpThen(int button)
{
    return [button](HWND dialog, DialogSeen &) {
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_HELP_BUTTON, BN_CLICKED), 0);
        if (button)
            clickButton(dialog, button);
        else
            PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    };
}

TEST_F(PreviousInstallTest, HelpOpensOnTheChoicesTopicAndQuitsWithTheDialog)
{
    makeState(2);
    struct Case {
        const char *name;
        std::vector<DialogAction> actions;
        int expected;
        std::vector<unsigned> commands;
    } cases[] = {
        {"help, then reinstall", {helpThen(IDC_REINSTALL_REINSTALL)}, 3, {HELP_CONTEXT, HELP_QUIT}},
        {"reinstall in a new dialog", {pressButton(IDC_REINSTALL_REINSTALL)}, 3, {}},
        {"help, then modify", {helpThen(IDC_REINSTALL_MODIFY)}, 4, {HELP_CONTEXT, HELP_QUIT}},
        {"help, then cancel confirmed", {helpThen(IDCANCEL), pressButton(IDYES)}, 0, {HELP_CONTEXT, HELP_QUIT}},
        {"help, then system close", {helpThen(0)}, 0, {HELP_CONTEXT}},
    };
    for (Case &c : cases) {
        helpCaptureStart();
        autopilotStart();
        for (DialogAction &action : c.actions)
            autopilotQueue(action);
        EXPECT_EQ(c.expected, haveKey()) << c.name;
        ASSERT_EQ(c.commands.size(), helpRequests().size()) << c.name;
        for (size_t i = 0; i < c.commands.size(); i++) {
            EXPECT_EQ(c.commands[i], helpRequests()[i].command) << c.name;
            EXPECT_EQ(media + "lumoria.hlp", helpRequests()[i].file) << c.name;
        }
        if (!c.commands.empty()) {
            EXPECT_EQ(16433ul, helpRequests()[0].context) << c.name;
        }
    }
    helpCaptureStop();
}

TEST_F(PreviousInstallTest, SystemCloseStopsWithoutQuestion)
{
    makeState(1);
    autopilotQueue(closeWindow());
    EXPECT_EQ(0, haveKey());
    EXPECT_EQ(1u, autopilotLog().size());
}

TEST_F(PreviousInstallTest, MissingResourceModuleStops)
{
    makeState(2);
    strcpy(record.sourceDir, makeTempDir("previous-empty").c_str());
    autopilotQueue(pressButton(IDOK));
    EXPECT_EQ(0, haveKey());
    ASSERT_EQ(1u, autopilotLog().size());
    EXPECT_EQ("LanEnter", autopilotLog()[0].caption);
    EXPECT_STREQ("C:\\HOSTDIR", record.installDir);
}

TEST_F(PreviousInstallTest, DirectoryTooLongForTheHostSlotStaysOut)
{
    std::string home = "C:\\" + std::string(220, 'h');
    registered(home.c_str(), "5.2.1");
    setup("NOTES", "5.2.1");
    EXPECT_EQ(5, haveKey());
    EXPECT_STREQ("C:\\HOSTDIR", record.installDir) << "not cut into the 200-byte slot";
}

} // namespace
