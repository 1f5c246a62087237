// The recorded runs replayed with no display at all (tests/unattended/
// no_display.sh starts this program so, in a Wine prefix of its own): each
// ends as its replay on the test display ended, and the process makes no
// window. Under the test display the test is skipped.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <string>

#include "support/test_support.h"
#include "unattended/setup_runs.h"

namespace {

TEST(NoDisplay, ReplayedRunsEndAsOnTheDisplayAndMakeNoWindow)
{
    if (!getenv("DIALOGINT_NO_DISPLAY"))
        GTEST_SKIP() << "runs from no_display.sh, with no display";
    ASSERT_EQ(nullptr, getenv("DISPLAY")) << "an X display is named";
    SystemLanguageCleared language;
    SetupRuns runs;
    std::string kept = exeDir() + "unattended-runs\\";
    for (size_t r = 0; r < runCaseCount; r++) {
        const RunCase &run = runCases[r];
        for (RunLanguage lang : {RUN_ENGLISH, RUN_GERMAN}) {
            std::string name = std::string(run.name) + (lang == RUN_GERMAN ? "-de" : "-en");
            SCOPED_TRACE(name);
            std::string answers = kept + name + ".ini", expected = readTextFile(kept + name + ".outcome");
            ASSERT_FALSE(expected.empty()) << "unattended_tests records the runs first";
            runs.freshState(run, lang);
            ASSERT_EQ(1, EXPORTED(setupAnswers)(answers.c_str(), ANSWERS_REPLAY));
            startWindowCount();
            std::string replayed = runs.hostRun(run, lang);
            EXPECT_EQ(0, stopWindowCount());
            EXPORTED(setupAnswers)(nullptr, ANSWERS_OFF);
            EXPECT_EQ("", firstDifference(expected, replayed));
        }
    }
}

} // namespace
