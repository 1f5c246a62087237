// dialog_fixture.h - the fixture of the dialog tests: fresh media per test,
// the catalogue built on them, the autopilot and the help capture running,
// and everything released afterwards.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "autopilot/autopilot.h"
#include "autopilot/help_capture.h"
#include "dialogs/dialog_driver.h"
#include "state/setup_state.h"
#include "support/test_support.h"

class DialogFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        resetCoreState();
        resetRegistry();
        dir = makeTempDir("dialogs");
        writeDialogMedia(dir, media());
        ASSERT_TRUE(openDialogSetup(dir));
        helpCaptureStart();
        autopilotStart();
    }

    void TearDown() override
    {
        autopilotStop();
        helpCaptureStop();
        closeDialogSetup();
        EXPECT_EQ(0u, autopilotPending()) << "queued actions that no dialog took";
    }

    virtual DialogMedia media() { return DialogMedia(); }

    static SetupState &state() { return *setupState; }
    static ComponentItem &item(int g, int i) { return setupState->groups[g].items[i]; }
    static ComponentItem &category(int k) { return setupState->groups[CATEGORIES].items[k]; }

    std::string dir;
};
