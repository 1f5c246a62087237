// The host's message box and string entries, placement of dialogs, and the
// help file, through the exported entries where the host calls them.
#include <gtest/gtest.h>

#include <string.h>

#include "autopilot/autopilot.h"
#include "autopilot/help_capture.h"
#include "dialogs/dialog_toolkit.h"
#include "dialogs/resource_edit.h"
#include "luinsres_ids.h"
#include "state/setup_state.h"
#include "support/test_support.h"

namespace {

class HostEntryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        resetCoreState();
        clearCtl3dLog();
        media = makeTempDir("entries");
        installResourceModule(media);
        autopilotStart();
    }
    void TearDown() override { autopilotStop(); }

    std::string media;
};

// The icon of a message box: the handle its icon static shows.
HICON boxIcon(HWND box)
{
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if ((GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
            return (HICON)SendMessageA(child, STM_GETICON, 0, 0);
    return nullptr;
}

std::vector<int> buttonsOf(const DialogSeen &seen)
{
    std::vector<int> ids;
    for (const ControlSeen &c : seen.controls)
        if (c.className == "Button" && c.visible)
            ids.push_back(c.id);
    return ids;
}

TEST_F(HostEntryTest, MessageBoxKindsShowTheirButtonsAndMapTheAnswer)
{
    auto installerDlgEntry = EXPORTED(installerDlg);
    ASSERT_NE(nullptr, installerDlgEntry) << "installerDlg must be exported undecorated";
    struct Case {
        int kind;
        DialogAction answer;
        int expected;
        std::vector<int> buttons;
        LPCSTR icon;
    } cases[] = {
        {0, pressButton(IDOK), 1, {IDOK}, IDI_HAND},
        {3, pressButton(IDOK), 1, {IDOK}, IDI_HAND},
        {-7, pressEnter(), 1, {IDOK}, IDI_HAND},
        {1, pressButton(IDYES), 1, {IDYES, IDNO}, IDI_QUESTION},
        {1, pressButton(IDNO), 2, {IDYES, IDNO}, IDI_QUESTION},
        {1, pressEnter(), 1, {IDYES, IDNO}, IDI_QUESTION},
        {2, pressEnter(), 2, {IDYES, IDNO}, IDI_QUESTION},
        {2, pressButton(IDYES), 1, {IDYES, IDNO}, IDI_QUESTION},
    };
    for (const Case &c : cases) {
        autopilotStart();
        HICON icon = nullptr;
        autopilotQueue([&](HWND box, DialogSeen &seen) {
            icon = boxIcon(box);
            c.answer(box, seen);
        });
        EXPECT_EQ(c.expected, installerDlgEntry(nullptr, c.kind, "Insert disk 2.", media.c_str())) << "kind " << c.kind;
        ASSERT_EQ(1u, autopilotLog().size()) << "kind " << c.kind;
        const DialogSeen &box = autopilotLog()[0];
        EXPECT_TRUE(box.messageBox);
        EXPECT_EQ("Lumoria Setup", box.caption) << "caption is string 700";
        EXPECT_EQ("Insert disk 2.", box.text) << "text shown unchanged";
        EXPECT_EQ(c.buttons, buttonsOf(box)) << "kind " << c.kind;
        EXPECT_EQ(LoadIconA(nullptr, c.icon), icon) << "kind " << c.kind;
    }
}

TEST_F(HostEntryTest, MessageBoxBracketsCtl3dAndFreesTheModule)
{
    autopilotQueue(pressButton(IDOK));
    EXPECT_EQ(1, EXPORTED(installerDlg)(nullptr, 0, "x", media.c_str()));
    EXPECT_EQ((std::vector<int>{12, 16, 13}), ctl3dCalls());
    EXPECT_FALSE(fileMappedHere(media + "luinsres.dll")) << "no view of the resource module left";
}

TEST_F(HostEntryTest, MessageBoxWithoutResourceModuleReturnsMinusOneSilently)
{
    std::string empty = makeTempDir("no-resources");
    EXPECT_EQ(-1, EXPORTED(installerDlg)(nullptr, 1, "x", empty.c_str()));
    EXPECT_TRUE(autopilotLog().empty()) << "no box of any kind";
    EXPECT_EQ((std::vector<int>{12, 16, 13}), ctl3dCalls()) << "registration undone";
}

TEST_F(HostEntryTest, EntriesKeepTheResourceDirectoryPassedLast)
{
    autopilotQueue(pressButton(IDOK));
    installerDlg(nullptr, 0, "x", media.c_str());
    EXPECT_EQ(media, setupState->sourceDir);
    std::string other = makeTempDir("other");
    char buffer[200];
    installLoadStr(IDS_CAPTION, buffer, other.c_str());
    EXPECT_EQ(other, setupState->sourceDir);
    EXPECT_EQ(nullptr, resourceModule);
}

TEST_F(HostEntryTest, StringEntryLoadsExistingStringsAndReportsMissingOnes)
{
    auto installLoadStrEntry = EXPORTED(installLoadStr);
    ASSERT_NE(nullptr, installLoadStrEntry) << "installLoadStr must be exported undecorated";
    char buffer[200];
    EXPECT_EQ(1, installLoadStrEntry(IDS_CAPTION, buffer, media.c_str()));
    EXPECT_STREQ("Lumoria Setup", buffer);
    EXPECT_EQ(1, installLoadStrEntry(IDS_CATEGORY_NAME_BASE + 5, buffer, media.c_str()));
    EXPECT_STREQ("Application integrations", buffer);
    EXPECT_EQ(0, installLoadStrEntry(4321, buffer, media.c_str())) << "no such string";
    EXPECT_TRUE(ctl3dCalls().empty()) << "CTL3D is not involved";
    EXPECT_FALSE(fileMappedHere(media + "luinsres.dll")) << "no view of the resource module left";
}

TEST_F(HostEntryTest, StringEntryFillsAtMost199CharactersOfTheHostBuffer)
{
    ASSERT_TRUE(putStringResource(media + "luinsres.dll", 4000, std::string(300, 'w')));
    char buffer[260];
    memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(1, EXPORTED(installLoadStr)(4000, buffer, media.c_str()));
    EXPECT_EQ(199u, strnlen(buffer, sizeof buffer)) << "199 characters and the terminator";
    for (size_t i = 200; i < sizeof buffer; i++)
        ASSERT_EQ('#', buffer[i]) << "written past the 200-byte buffer at " << i;
}

TEST_F(HostEntryTest, StringEntryWithoutResourceModuleLeavesTheBufferAlone)
{
    std::string empty = makeTempDir("no-resources");
    char buffer[200];
    memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(-1, EXPORTED(installLoadStr)(IDS_CAPTION, buffer, empty.c_str()));
    for (char c : buffer)
        ASSERT_EQ('#', c);
    EXPECT_TRUE(autopilotLog().empty()) << "no box";
    EXPECT_EQ(0, EXPORTED(installLoadStr)(IDS_CAPTION, nullptr, media.c_str())) << "no buffer, nothing loaded";
}

// ---------------------------------------------------------------------------
// Placement

TEST(PlacementTest, CentredAndAboveBottomPositionsHalveByShifting)
{
    struct Case {
        RECT desktop, window;
        POINT centred, aboveBottom;
    } cases[] = {
        {{0, 0, 640, 480}, {10, 10, 111, 61}, {270, 215}, {270, 378}},     // 101 x 51
        {{0, 0, 640, 480}, {0, 0, 300, 300}, {170, 90}, {170, -120}},      // taller than half
        {{0, 0, 1024, 768}, {-5, -5, 1095, 995}, {-38, -116}, {-38, -1232}}, // bigger than the desktop
        {{0, 0, 641, 481}, {0, 0, 1, 1}, {320, 240}, {320, 479}},
    };
    for (const Case &c : cases) {
        POINT centred = centredPosition(c.desktop, c.window);
        POINT above = aboveBottomPosition(c.desktop, c.window);
        EXPECT_EQ(c.centred.x, centred.x);
        EXPECT_EQ(c.centred.y, centred.y);
        EXPECT_EQ(c.aboveBottom.x, above.x);
        EXPECT_EQ(c.aboveBottom.y, above.y);
    }
}

TEST(PlacementTest, RealWindowsMoveAndKeepTheirSize)
{
    RECT desktop;
    GetWindowRect(GetDesktopWindow(), &desktop);
    HWND window = CreateWindowA("STATIC", "", WS_POPUP, 3, 4, 101, 51, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, window);
    centreOnScreen(window);
    RECT r;
    GetWindowRect(window, &r);
    EXPECT_EQ((desktop.right >> 1) - 50, r.left);
    EXPECT_EQ((desktop.bottom >> 1) - 25, r.top);
    EXPECT_EQ(101, r.right - r.left);
    EXPECT_EQ(51, r.bottom - r.top);

    int tall = desktop.bottom / 2 + 100;
    MoveWindow(window, 0, 0, 101, tall, FALSE);
    placeAboveBottom(window);
    GetWindowRect(window, &r);
    EXPECT_EQ(desktop.bottom - 2 * tall, r.top) << "a window higher than half the screen starts above it";
    EXPECT_LT(r.top, 0);
    EXPECT_EQ((desktop.right >> 1) - 50, r.left);
    DestroyWindow(window);
}

// ---------------------------------------------------------------------------
// Help

class HelpTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        resetCoreState();
        copyText(setupState->sourceDir, "C:\\media\\");
        helpCaptureStart();
    }
    void TearDown() override { helpCaptureStop(); }
    static void copyText(char *dst, const char *src) { strcpy(dst, src); }
};

TEST_F(HelpTest, OpenedOnTheTopicAndQuitOnlyWhenOpened)
{
    closeHelp(nullptr);
    EXPECT_TRUE(helpRequests().empty()) << "nothing to close before help was opened";

    openHelp(nullptr, HELP_CONTEXT_MAIN);
    EXPECT_NE(0, setupState->helpOpened);
    closeHelp(nullptr);
    ASSERT_EQ(2u, helpRequests().size());
    EXPECT_EQ("C:\\media\\lumoria.hlp", helpRequests()[0].file);
    EXPECT_EQ((unsigned)HELP_CONTEXT, helpRequests()[0].command);
    EXPECT_EQ(16432ul, helpRequests()[0].context);
    EXPECT_EQ("C:\\media\\lumoria.hlp", helpRequests()[1].file);
    EXPECT_EQ((unsigned)HELP_QUIT, helpRequests()[1].command);
    EXPECT_EQ(0ul, helpRequests()[1].context);
    EXPECT_NE(0, setupState->helpOpened) << "closing does not reset the flag";
}

TEST_F(HelpTest, HelpPathThatDoesNotFitOpensNothing)
{
    memset(setupState->sourceDir, 'd', sizeof setupState->sourceDir - 5);
    setupState->sourceDir[sizeof setupState->sourceDir - 5] = 0;
    setupState->helpOpened = 7;
    openHelp(nullptr, HELP_CONTEXT_OPTIONS);
    EXPECT_EQ(0, setupState->helpOpened);
    EXPECT_TRUE(helpRequests().empty()) << "a cut path would name another file";
}

} // namespace
