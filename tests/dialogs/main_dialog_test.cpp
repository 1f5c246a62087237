// The main dialog and the space figures: formatThousands, computeFreeSpace
// through its disk-query seam, and MainDialogProc driven by the autopilot on
// a real catalogue, as the setup steps show it.
#include <gtest/gtest.h>

#include <stdio.h>
#include <string.h>

#include "catalogue/selection.h"
#include "dialogs/dialog_fixture.h"
#include "dialogs/main_dialog.h"
#include "dialogs/resource_edit.h"
#include "luinsres_ids.h"
#include "state/profile.h"
#include "state/setup_log.h"

namespace {

std::string thousands(int64_t value)
{
    char text[THOUSANDS_TEXT_BYTES];
    formatThousands(value, text, sizeof text);
    return text;
}

// The figure as the three-step format writes it for a 32-bit value: the
// millions with "%d,%03d," or "%d,", then "%03d" or "%d" of the thousands.
std::string threeStepFormat(int32_t value)
{
    char text[16] = "";
    if (value >= 1000000) {
        if (value >= 1000000000) {
            int32_t m = value / 1000000;
            snprintf(text, sizeof text, "%d,%03d,", m / 1000, m % 1000);
        } else {
            snprintf(text, sizeof text, "%d,", value / 1000000);
        }
    }
    if (value >= 1000) {
        int32_t r = value >= 1000000 ? value % 1000000 : value;
        size_t used = strlen(text);
        snprintf(text + used, sizeof text - used, value >= 1000000 ? "%03d" : "%d", r / 1000);
    }
    if (value < 1000)
        snprintf(text, sizeof text, "1");
    return text;
}

TEST(FormatThousandsTest, FiguresInThousandsWithCommaGroups)
{
    struct Case {
        int64_t value;
        const char *text;
    } cases[] = {
        {0, "1"},           {999, "1"},                {1999, "1"},
        {999999, "999"},    {1000000, "1,000"},        {5012345, "5,012"},
        {999999999, "999,999"}, {1234567890, "1,234,567"}, {2147483647, "2,147,483"},
        {-5, "1"},          {INT32_MIN, "1"},          {1000, "1"},
        {1000000000, "1,000,000"},
        // beyond 32 bits: further groups
        {2147483648LL, "2,147,483"},        {5000000000LL, "5,000,000"},
        {999999999999LL, "999,999,999"},    {1000000000000LL, "1,000,000,000"},
        {INT64_MAX, "9,223,372,036,854,775"}, {INT64_MIN, "1"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(c.text, thousands(c.value)) << c.value;
}

TEST(FormatThousandsTest, EveryThirtyTwoBitValueKeepsItsText)
{
    std::vector<int32_t> values = {INT32_MIN, -1000000, -1, 0, INT32_MAX};
    for (int64_t power = 1000; power <= 1000000000; power *= 1000)
        for (int64_t delta = -2; delta <= 2; delta++)
            values.push_back((int32_t)(power + delta));
    for (int64_t v = 0; v <= INT32_MAX; v += 7919)
        values.push_back((int32_t)v);
    uint32_t seed = 12345;
    for (int i = 0; i < 100000; i++) {
        seed = seed * 1664525u + 1013904223u;
        values.push_back((int32_t)seed);
    }
    for (int32_t v : values)
        ASSERT_EQ(threeStepFormat(v), thousands(v)) << v;
}

TEST(FormatThousandsTest, OutputBoundedByItsCapacity)
{
    char small[4];
    memset(small, '#', sizeof small);
    formatThousands(5012345, small, sizeof small);
    EXPECT_STREQ("5,0", small) << "cut and terminated";
    char none[1] = {'#'};
    formatThousands(5012345, none, 0);
    EXPECT_EQ('#', none[0]) << "no room, nothing written";
}

// ---------------------------------------------------------------------------
// computeFreeSpace

class FreeSpaceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        resetCoreState();
        previousSpaceUsed = 0;
    }
    void TearDown() override
    {
        useRealDisk();
        previousSpaceUsed = 0;
    }

    int32_t freeOf(const char *path)
    {
        output[0] = 0;
        return computeFreeSpace(path, output, sizeof output);
    }

    char output[THOUSANDS_TEXT_BYTES];
};

TEST_F(FreeSpaceTest, LargeDiskKeepsTheTrueFigureAndSaturatesTheThirtyTwoBitOne)
{
    struct Case {
        int64_t freeBytes;
        int32_t previous;
        const char *text;
    } cases[] = {
        {5000000000LL, 1000, "5,000,001"},
        {(1LL << 32) + 100000, 0, "4,295,067"},  // a 32-bit product would leave 100,000
        {INT32_MAX, 1, "2,147,483"},
    };
    for (const Case &c : cases) {
        useFakeDisk(c.freeBytes);
        previousSpaceUsed = c.previous;
        EXPECT_EQ(INT32_MAX, freeOf("C:\\lumoria")) << c.freeBytes;
        EXPECT_EQ(c.freeBytes + c.previous, setupState->freeSpaceBytes);
        EXPECT_EQ(INT32_MAX, setupState->freeSpace);
        EXPECT_STREQ(c.text, output);
        EXPECT_STREQ(c.text, setupState->freeSpaceText);
    }
}

TEST_F(FreeSpaceTest, PreviousInstallationSpaceAddsWithoutOverflow)
{
    useFakeDisk(INT32_MAX);
    previousSpaceUsed = INT32_MAX;
    EXPECT_EQ(INT32_MAX, freeOf("C:\\lumoria")) << "saturated, never negative";
    EXPECT_EQ(2LL * INT32_MAX, setupState->freeSpaceBytes);

    useFakeDisk(3000000);
    previousSpaceUsed = 1234567;
    EXPECT_EQ(4234567, freeOf("C:\\lumoria"));
    EXPECT_STREQ("4,234", output);
}

TEST_F(FreeSpaceTest, UnqueryableDriveCountsOnlyThePreviousInstallation)
{
    previousSpaceUsed = 12345678;
    useRealDisk();
    EXPECT_EQ(12345678, freeOf("\\\\nosuchserver\\share\\lumoria")) << "a UNC path has no drive root";
    EXPECT_STREQ("12,345", output);

    queryDiskFreeSpace = [](const char *, int64_t *freeBytes) -> BOOL {
        *freeBytes = 999999999;  // undefined after a failed query
        return FALSE;
    };
    EXPECT_EQ(12345678, freeOf("C:\\lumoria")) << "a drive that is not ready";
    previousSpaceUsed = 0;
    EXPECT_EQ(0, freeOf("C:\\lumoria"));
    EXPECT_STREQ("1", output);
}

TEST_F(FreeSpaceTest, RootIsTheDriveOfTheAbsolutePath)
{
    char current[MAX_PATH];
    GetCurrentDirectoryA(sizeof current, current);
    std::string currentRoot(current, 3);
    struct Case {
        const char *path;
        std::string root;
    } cases[] = {
        {"c:\\program files\\lumoria", "c:\\"},
        {"Z:\\tmp", "Z:\\"},
        {"relative\\lumoria", currentRoot},
        {"", currentRoot},
    };
    for (const Case &c : cases) {
        useFakeDisk(1000);
        freeOf(c.path);
        EXPECT_EQ(1, fakeDiskQueries) << c.path;
        EXPECT_EQ(c.root, lastQueriedRoot) << c.path;
    }
}

// The figure is asked again at each keystroke in the folder box: a folder
// whose full path cannot be had is logged once while it stays so.
TEST_F(FreeSpaceTest, FolderWithoutAFullPathIsLoggedOnceWhileItStays)
{
    std::string log = makeTempDir("freespace") + "setup.log";
    ASSERT_EQ(1, nameSetupLog(log.c_str()));
    useFakeDisk(1000);
    std::string tooLong(300, 'a');  // relative, and longer than a path once made absolute
    const struct {
        std::string path;
        size_t linesAfter;
    } steps[] = {
        {tooLong, 1}, {tooLong, 1}, {"b" + tooLong, 2}, {"C:\\lumoria", 2}, {tooLong, 3},
    };
    for (const auto &step : steps) {
        freeOf(step.path.c_str());
        std::string text = readTextFile(log);
        size_t lines = 0;
        for (size_t at = text.find("free space: the full path of"); at != std::string::npos;
             at = text.find("free space: the full path of", at + 1))
            lines++;
        EXPECT_EQ(step.linesAfter, lines) << step.path.size() << "\n" << text;
    }
    nameSetupLog(nullptr);
}

TEST_F(FreeSpaceTest, SystemDriveHasRoomOfItsOwnAndAMissingDriveNone)
{
    useRealDisk();
    previousSpaceUsed = 1000;
    EXPECT_GT(freeOf("C:\\windows"), 1000) << "the system drive's free bytes are added";
    EXPECT_EQ(1000, freeOf("Q:\\lumoria")) << "no drive Q:";
}

// ---------------------------------------------------------------------------
// The dialog

constexpr int32_t DEFAULT_SIZE = 230000;  // L1 L2 L3 L5 L6 L7 L9 L10 L12
constexpr int32_t FULL_SIZE = 290000;     // every file

class MainDialogTest : public DialogFixture {
protected:
    void reopen(const DialogMedia &m)
    {
        closeDialogSetup();
        resetCoreState();
        writeDialogMedia(dir, m);
        ASSERT_TRUE(openDialogSetup(dir));
    }

    const DialogSeen &onlyDialog()
    {
        EXPECT_EQ(1u, autopilotLog().size());
        return autopilotLog().front();
    }
};

TEST_F(MainDialogTest, OpensWithTheFiguresAndTheDirectory)
{
    useFakeDisk(7654321);
    ControlSeen standard{};
    autopilotQueue(sequence({
        inspect([&](HWND dialog) { standard = controlState(dialog, IDC_MAIN_STANDARD); }),
        closeWindow(),
    }));
    EXPECT_EQ(0, runMainDialog());
    const DialogSeen &seen = onlyDialog();
    EXPECT_EQ("Lumoria Setup", seen.caption);
    EXPECT_EQ(dir + "target", seen.control(IDC_MAIN_DIRECTORY)->text);
    EXPECT_EQ("7,654", seen.control(IDC_MAIN_FREE)->text);
    EXPECT_EQ("290", seen.control(IDC_MAIN_FULL_SIZE)->text);
    EXPECT_EQ("230", seen.control(IDC_MAIN_DEFAULT_SIZE)->text);
    EXPECT_TRUE(standard.focused) << "the standard button has the focus";
    EXPECT_EQ(FULL_SIZE, state().fullSelectionSize);
    EXPECT_EQ(DEFAULT_SIZE, state().defaultSelectionSize);
    EXPECT_EQ(1, state().selectionState) << "the defaults are the selection computed last";
}

TEST_F(MainDialogTest, StandardTakesTheTypedDirectoryAndTheDefaultSize)
{
    useFakeDisk(50000000);
    std::string other = dir + "elsewhere";
    autopilotQueue(sequence({typeText(IDC_MAIN_DIRECTORY, other), pressButton(IDC_MAIN_STANDARD)}));
    EXPECT_EQ(1, runMainDialog());
    EXPECT_EQ(other, state().installDir);
    EXPECT_EQ(DEFAULT_SIZE, spaceUsed);
    EXPECT_EQ(0, mainDirLive) << "no later dialog may copy its edit into installDir";
}

TEST_F(MainDialogTest, EachWayOnEndsWithItsValueEvenOnAFullDrive)
{
    struct Case {
        const char *what;
        std::vector<DialogAction> actions;  // main dialog first, then its boxes
        int expected;
    } cases[] = {
        {"custom", {pressButton(IDC_MAIN_CUSTOM)}, 2},
        {"workstation", {pressButton(IDC_MAIN_WORKSTATION)}, 3},
        {"cancel confirmed", {pressButton(IDCANCEL), pressButton(IDYES)}, 0},
        {"close command", {closeWindow()}, 0},
        // The workstation button acts on a click only.
        {"workstation focus and double click",
         {sequence({inspect([](HWND d) {
                        for (WORD code : {BN_SETFOCUS, BN_KILLFOCUS, BN_DBLCLK})
                            SendMessageA(d, WM_COMMAND, MAKEWPARAM(IDC_MAIN_WORKSTATION, code),
                                         (LPARAM)GetDlgItem(d, IDC_MAIN_WORKSTATION));
                    }),
                    closeWindow()})},
         0},
    };
    for (const Case &c : cases) {
        useFakeDisk(0);
        autopilotStart();
        spaceUsed = 77;
        for (const DialogAction &a : c.actions)
            autopilotQueue(a);
        EXPECT_EQ(c.expected, runMainDialog()) << c.what;
        EXPECT_EQ(c.actions.size(), autopilotLog().size()) << c.what;
        EXPECT_EQ(0u, autopilotUnexpected()) << c.what;
        EXPECT_EQ(77, spaceUsed) << c.what << ": only the standard way records its size";
        EXPECT_EQ(0, mainDirLive) << c.what;
    }
}

TEST_F(MainDialogTest, CancelAsksFirstAndNoKeepsTheDialogOpen)
{
    bool liveAfterNo = false;
    autopilotQueue(sequence({
        pressButton(IDCANCEL),
        inspect([&](HWND) { liveAfterNo = mainDirLive != 0; }),
        pressButton(IDCANCEL),
    }));
    autopilotQueue(pressEnter());         // the first confirmation: No is the default
    autopilotQueue(pressButton(IDYES));   // the second
    EXPECT_EQ(0, runMainDialog());
    ASSERT_EQ(3u, autopilotLog().size());
    for (int i : {1, 2}) {
        const DialogSeen &box = autopilotLog()[i];
        EXPECT_TRUE(box.messageBox);
        EXPECT_EQ("Lumoria Setup", box.caption);
        EXPECT_EQ(0u, box.text.find("Setup has not finished.")) << box.text;
        EXPECT_NE(nullptr, box.control(IDYES));
        EXPECT_NE(nullptr, box.control(IDNO));
    }
    EXPECT_TRUE(liveAfterNo);
}

TEST_F(MainDialogTest, NotEnoughSpaceForTheDefaultsShowsTheBoxAndStaysOpen)
{
    useFakeDisk(DEFAULT_SIZE - 1);
    bool liveAfterBox = false;
    autopilotQueue(sequence({
        pressButton(IDC_MAIN_STANDARD),
        inspect([&](HWND) { liveAfterBox = mainDirLive != 0; }),
        pressButton(IDC_MAIN_CUSTOM),
    }));
    HICON icon = nullptr;
    autopilotQueue([&](HWND box, DialogSeen &) {
        for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
            if ((GetWindowLongA(c, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
                icon = (HICON)SendMessageA(c, STM_GETICON, 0, 0);
        clickButton(box, IDOK);
    });
    EXPECT_EQ(2, runMainDialog()) << "the dialog stayed until custom was pressed";
    ASSERT_EQ(2u, autopilotLog().size());
    const DialogSeen &box = autopilotLog()[1];
    EXPECT_TRUE(box.messageBox);
    EXPECT_EQ(0u, box.text.find("There is not enough free space")) << box.text;
    EXPECT_EQ(LoadIconA(nullptr, IDI_HAND), icon);
    EXPECT_TRUE(liveAfterBox) << "the directory still follows the edit";
    EXPECT_EQ(0, spaceUsed);
}

TEST_F(MainDialogTest, SpaceComparedInSixtyFourBits)
{
    struct Case {
        int64_t freeBytes;
        int expected;  // 1: standard went on; 2: the box came and custom ended it
    } cases[] = {
        {DEFAULT_SIZE, 1},                   // exactly the default size
        {DEFAULT_SIZE - 1, 2},
        {(1LL << 32) + 100000, 1},           // a 32-bit product would leave 100,000
        {(1LL << 32) + DEFAULT_SIZE - 1, 1},
    };
    for (const Case &c : cases) {
        useFakeDisk(c.freeBytes);
        autopilotStart();
        autopilotQueue(sequence({pressButton(IDC_MAIN_STANDARD), pressButton(IDC_MAIN_CUSTOM)}));
        if (c.expected == 2)
            autopilotQueue(pressButton(IDOK));
        EXPECT_EQ(c.expected, runMainDialog()) << c.freeBytes;
        EXPECT_EQ(0u, autopilotUnexpected()) << c.freeBytes;
    }
}

TEST_F(MainDialogTest, ButtonsFollowTheInstallTypeAndTheNetworkSwitch)
{
    struct Case {
        const char *type;
        const char *network;
        bool standard, workstation;
    } cases[] = {
        {"STANDARD", "TRUE", true, true},    {"EVALUATION", "FALSE", true, false},
        {"LEGACY", nullptr, true, false},    {"DEMO", "TRUE", false, true},
        {"CUSTOM", "true", false, false},    {"NOTES", "TRUE", false, true},
        {nullptr, "TRUE", false, true},      {"standard", "TRUE", false, true},
    };
    for (const Case &c : cases) {
        DialogMedia m;
        m.installType = c.type;
        m.network = c.network;
        reopen(m);
        autopilotStart();
        ControlSeen focusedButton{};
        autopilotQueue(sequence({
            inspect([&](HWND dialog) {
                focusedButton = controlState(dialog, c.standard ? IDC_MAIN_STANDARD : IDC_MAIN_CUSTOM);
            }),
            closeWindow(),
        }));
        runMainDialog();
        std::string what = std::string(c.type ? c.type : "(none)") + " / " + (c.network ? c.network : "(none)");
        ASSERT_EQ(1u, autopilotLog().size()) << what;
        const DialogSeen &seen = autopilotLog()[0];
        EXPECT_EQ(c.standard, seen.control(IDC_MAIN_STANDARD)->enabled) << what;
        EXPECT_EQ(c.workstation, seen.control(IDC_MAIN_WORKSTATION)->enabled) << what;
        EXPECT_TRUE(seen.control(IDC_MAIN_CUSTOM)->enabled) << what;
        EXPECT_TRUE(focusedButton.focused) << what;
        EXPECT_EQ("290", seen.control(IDC_MAIN_FULL_SIZE)->text) << what;
        EXPECT_EQ(c.standard ? "230" : "-", seen.control(IDC_MAIN_DEFAULT_SIZE)->text)
            << what << ": without a standard installation 104 keeps its template text";
        EXPECT_EQ(c.standard ? 1 : 5, state().selectionState) << what;
    }
}

TEST_F(MainDialogTest, ChangingOnlyTheCaseOfALetterRecomputesTheFreeFigure)
{
    useFakeDisk(3000000);
    std::string shownBefore, shownAfter;
    autopilotQueue(sequence({
        inspect([](HWND dialog) { setEditText(dialog, IDC_MAIN_DIRECTORY, "C:\\Lumoria"); }),
        inspect([&](HWND dialog) {
            shownBefore = controlText(dialog, IDC_MAIN_FREE);
            fakeFreeBytes = 9000000;
        }),
        inspect([](HWND dialog) { setEditText(dialog, IDC_MAIN_DIRECTORY, "c:\\Lumoria"); }),
        inspect([&](HWND dialog) { shownAfter = controlText(dialog, IDC_MAIN_FREE); }),
        pressButton(IDC_MAIN_WORKSTATION),
    }));
    EXPECT_EQ(3, runMainDialog());
    EXPECT_EQ("3,000", shownBefore);
    EXPECT_EQ("9,000", shownAfter) << "a case change is a change";
    EXPECT_EQ("c:\\", lastQueriedRoot);
    EXPECT_STREQ("c:\\Lumoria", state().installDir);
}

TEST_F(MainDialogTest, SecondShowingKeepsTheFiguresWithoutRecomputing)
{
    useFakeDisk(50000000);
    autopilotQueue(pressButton(IDC_MAIN_CUSTOM));
    ASSERT_EQ(2, runMainDialog());
    // What the driver does for a custom selection, then the user cancels the
    // options dialog and the main dialog shows again.
    computeSelection(SELECT_EVERYTHING);
    writeIniText(state().setupIniPath, "INSTALLGROUP", "Marker", "1");
    int32_t selectedBefore = state().selectedSize;
    autopilotStart();
    autopilotQueue(closeWindow());
    EXPECT_EQ(0, runMainDialog());
    const DialogSeen &seen = onlyDialog();
    EXPECT_EQ("290", seen.control(IDC_MAIN_FULL_SIZE)->text);
    EXPECT_EQ("230", seen.control(IDC_MAIN_DEFAULT_SIZE)->text);
    char marker[8];
    readIniText(state().setupIniPath, "INSTALLGROUP", "Marker", "", marker, sizeof marker);
    EXPECT_STREQ("1", marker) << "no selection was computed: INSTALLGROUP is untouched";
    EXPECT_EQ(selectedBefore, state().selectedSize);
    EXPECT_EQ(5, state().selectionState);
}

TEST_F(MainDialogTest, HelpOpensOnItsTopicAndEveryButtonClosesIt)
{
    struct Case {
        std::vector<DialogAction> boxes;
        int button;
        int expected;
    } cases[] = {
        {{}, IDC_MAIN_STANDARD, 1},
        {{}, IDC_MAIN_CUSTOM, 2},
        {{}, IDC_MAIN_WORKSTATION, 3},
        {{pressButton(IDYES)}, IDCANCEL, 0},
    };
    useFakeDisk(50000000);
    for (const Case &c : cases) {
        helpCaptureStart();
        autopilotStart();
        autopilotQueue(sequence({pressButton(IDC_HELP_BUTTON), pressButton(c.button)}));
        for (const DialogAction &a : c.boxes)
            autopilotQueue(a);
        EXPECT_EQ(c.expected, runMainDialog());
        ASSERT_EQ(2u, helpRequests().size()) << "button " << c.button;
        EXPECT_EQ(dir + "lumoria.hlp", helpRequests()[0].file);
        EXPECT_EQ((unsigned)HELP_CONTEXT, helpRequests()[0].command);
        EXPECT_EQ(16432ul, helpRequests()[0].context);
        EXPECT_EQ((unsigned)HELP_QUIT, helpRequests()[1].command) << "button " << c.button;
        EXPECT_EQ(dir + "lumoria.hlp", helpRequests()[1].file);
    }
}

TEST_F(MainDialogTest, CloseCommandLeavesHelpOpenAndAsksNothing)
{
    autopilotQueue(sequence({pressButton(IDC_HELP_BUTTON), closeWindow()}));
    EXPECT_EQ(0, runMainDialog());
    EXPECT_EQ(1u, autopilotLog().size()) << "no confirmation";
    ASSERT_EQ(1u, helpRequests().size());
    EXPECT_EQ((unsigned)HELP_CONTEXT, helpRequests()[0].command);
    EXPECT_NE(0, state().helpOpened);
}

TEST_F(MainDialogTest, UpgradeShowsOneFigureAndTheModifyButton)
{
    SetupState &s = state();
    s.upgradeMode = 1;
    strcpy(s.installedIniPath, s.setupIniPath);
    strcpy(s.installedLayoutFilePath, s.layoutFilePath);
    ControlSeen standard{};
    autopilotQueue(sequence({
        inspect([&](HWND dialog) { standard = controlState(dialog, IDC_MAIN_STANDARD); }),
        closeWindow(),
    }));
    runMainDialog();
    const DialogSeen &seen = onlyDialog();
    EXPECT_EQ("Lumoria Setup - Update", seen.caption) << "template 1300";
    EXPECT_EQ("&Modify...", seen.control(IDC_MAIN_CUSTOM)->text) << "string 599";
    EXPECT_EQ("230", seen.control(IDC_MAIN_FULL_SIZE)->text);
    EXPECT_EQ("230", seen.control(IDC_MAIN_DEFAULT_SIZE)->text);
    EXPECT_TRUE(standard.focused);
    EXPECT_EQ(DEFAULT_SIZE, s.fullSelectionSize);
    EXPECT_EQ(DEFAULT_SIZE, s.defaultSelectionSize);

    // The button takes string 599 whole, up to the 253 characters of a text.
    const std::string longText = "&" + std::string(252, 'm');
    closeDialogSetup();
    ASSERT_TRUE(putStringResource(dir + "luinsres.dll", IDS_UPGRADE_CUSTOM, longText));
    ASSERT_TRUE(openDialogSetup(dir));
    autopilotStart();
    autopilotQueue(closeWindow());
    runMainDialog();
    EXPECT_EQ(longText, onlyDialog().control(IDC_MAIN_CUSTOM)->text);
}

TEST_F(MainDialogTest, DirectoryNeverOutgrowsTheHostRecord)
{
    std::string typed = "C:\\" + std::string(250, 'a');
    autopilotQueue(sequence({typeText(IDC_MAIN_DIRECTORY, typed), pressButton(IDC_MAIN_WORKSTATION)}));
    EXPECT_EQ(3, runMainDialog());
    EXPECT_EQ(typed.substr(0, 199), state().installDir) << "the edit takes what the host's slot holds";

    // A directory longer than the edit takes, given before the dialog opens.
    memset(state().installDir, 'b', 255);
    state().installDir[255] = 0;
    state().installDir[0] = 'C';
    state().installDir[1] = ':';
    autopilotStart();
    autopilotQueue(pressButton(IDC_MAIN_WORKSTATION));
    EXPECT_EQ(3, runMainDialog());
    EXPECT_EQ(199u, strnlen(state().installDir, sizeof state().installDir));
}

TEST(DialogExportsTest, DialogProceduresAreExportedUndecorated)
{
    EXPECT_NE(nullptr, EXPORTED(MainDialogProc));
    EXPECT_NE(nullptr, EXPORTED(optionsDlgProc));
}

} // namespace
