// The autopilot's own promises, which the dialog tests and an unattended
// setup rely on: a dialog that is not the one waited for is recorded and
// closed, the steps of a sequence wait for a box on top of the dialog, and
// everything seen is logged in order.
#include <gtest/gtest.h>

#include <string.h>

#include "autopilot/autopilot.h"
#include "luinsres_ids.h"
#include "state/module_lifecycle.h"
#include "state/setup_state.h"
#include "support/test_support.h"

namespace {

int answers;

// The main dialog's template with a procedure of its own: the standard
// button asks a question, cancel ends with the number of answers.
INT_PTR CALLBACK askingProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_INITDIALOG)
        return TRUE;
    if (message == WM_COMMAND && LOWORD(wParam) == IDC_MAIN_STANDARD) {
        MessageBoxA(dialog, "Sure?", "Question", MB_YESNO);
        answers++;
    }
    if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL)
        EndDialog(dialog, answers);
    if (message == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_CLOSE)
        EndDialog(dialog, -answers);
    return FALSE;
}

class AutopilotTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        resetCoreState();
        std::string media = makeTempDir("autopilot");
        installResourceModule(media);
        strcpy(setupState->sourceDir, media.c_str());
        ASSERT_EQ(1, loadResourceModule());
        answers = 0;
        autopilotStart();
    }
    void TearDown() override
    {
        autopilotStop();
        freeResourceModule();
    }
    static int show()
    {
        return (int)DialogBoxParamA(resourceModule, MAKEINTRESOURCEA(DLG_MAIN), nullptr, askingProc, 0);
    }
};

TEST_F(AutopilotTest, DialogThatIsNotTheOneAwaitedIsRecordedAndClosed)
{
    autopilotQueueForCaption("Lumoria Setup - Update", pressButton(IDCANCEL));
    EXPECT_EQ(0, show()) << "closed by the autopilot's Close command";
    ASSERT_EQ(1u, autopilotLog().size());
    EXPECT_TRUE(autopilotLog()[0].unexpected);
    EXPECT_EQ(1u, autopilotPending()) << "the action still waits for its dialog";

    autopilotStart();
    autopilotQueueForControl(IDC_MAIN_DIRECTORY, pressButton(IDCANCEL));
    EXPECT_EQ(0, show());
    EXPECT_EQ(0u, autopilotUnexpected());
    EXPECT_EQ(0u, autopilotPending());
}

TEST_F(AutopilotTest, SequenceStepsWaitForTheBoxOnTopAndAreLoggedInOrder)
{
    autopilotQueueForCaption("Lumoria Setup", sequence({
        typeText(IDC_MAIN_DIRECTORY, "D:\\typed"),
        recordState(),
        pressButton(IDC_MAIN_STANDARD),
        pressButton(IDC_MAIN_STANDARD),  // only once the first box is answered
        pressButton(IDCANCEL),
    }));
    autopilotQueueForCaption("Question", pressButton(IDYES));
    autopilotQueueForCaption("Question", pressEnter());
    EXPECT_EQ(2, show()) << "both boxes answered before cancel";
    ASSERT_EQ(4u, autopilotLog().size());
    EXPECT_EQ("Lumoria Setup", autopilotLog()[0].caption);
    EXPECT_TRUE(autopilotLog()[1].snapshot);
    EXPECT_EQ("D:\\typed", autopilotLog()[1].control(IDC_MAIN_DIRECTORY)->text);
    EXPECT_TRUE(autopilotLog()[1].control(IDC_MAIN_DIRECTORY)->focused) << "typing focuses the edit";
    for (int i : {2, 3}) {
        EXPECT_TRUE(autopilotLog()[i].messageBox);
        EXPECT_EQ("Sure?", autopilotLog()[i].text);
    }
    EXPECT_TRUE(autopilotLog()[0].notes.empty());
}

TEST_F(AutopilotTest, StepsLeftWhenTheDialogEndsAreNoted)
{
    autopilotQueue(sequence({closeWindow(), pressButton(IDC_MAIN_STANDARD), pressButton(IDCANCEL)}));
    EXPECT_EQ(0, show());
    ASSERT_EQ(1u, autopilotLog().size());
    ASSERT_EQ(1u, autopilotLog()[0].notes.size());
    EXPECT_EQ("2 step(s) not run: the dialog ended", autopilotLog()[0].notes[0]);
}

} // namespace
