// Recorded, then replayed: each kind of run is made once by a person (the
// autopilot on the real dialogs) with the answers recorded, and once more in
// a fresh state from the recorded file with no window at all. Both leave the
// same install.ini, registry and host record and end with the same results.
#include <gtest/gtest.h>

#include <string>

#include "autopilot/autopilot.h"
#include "support/test_support.h"
#include "unattended/setup_runs.h"

namespace {

class ReplayTest : public ::testing::Test {
protected:
    void SetUp() override { autopilotStart(); }
    void TearDown() override
    {
        EXPORTED(setupAnswers)(nullptr, ANSWERS_OFF);
        autopilotStop();
    }
    SystemLanguageCleared language;
    SetupRuns runs;
};

// The answer file without its Language line.
std::string withoutLanguage(const std::string &answers)
{
    std::string rest;
    size_t start = 0;
    while (start < answers.size()) {
        size_t end = answers.find('\n', start);
        end = end == std::string::npos ? answers.size() : end + 1;
        std::string line = answers.substr(start, end - start);
        if (line.compare(0, 9, "Language=") != 0)
            rest += line;
        start = end;
    }
    return rest;
}

TEST_F(ReplayTest, RecordedRunReplaysToTheSameFilesRegistryRecordAndResults)
{
    std::string kept = exeDir() + "unattended-runs\\";
    CreateDirectoryA(kept.c_str(), nullptr);
    for (size_t r = 0; r < runCaseCount; r++) {
        const RunCase &run = runCases[r];
        std::string answersOf[2];
        for (RunLanguage language : {RUN_ENGLISH, RUN_GERMAN}) {
            std::string name = std::string(run.name) + (language == RUN_GERMAN ? "-de" : "-en");
            SCOPED_TRACE(name);
            std::string answers = kept + name + ".ini";

            runs.freshState(run, language);
            ASSERT_EQ(1, EXPORTED(setupAnswers)(answers.c_str(), ANSWERS_RECORD));
            runs.queuePersonsAnswers(run, language);
            startWindowCount();
            std::string recorded = runs.hostRun(run, language);
            EXPECT_LT(0, stopWindowCount()) << "the person's dialogs are counted";
            EXPECT_EQ(0u, autopilotUnexpected());
            EXPECT_EQ(0u, autopilotPending());
            EXPECT_NE(std::string::npos, recorded.find(std::string(run.finalResult) + "\n")) << recorded;
            if (run.kind != RUN_NETWORK && run.kind != RUN_REMOVE) {
                EXPECT_NE(std::string::npos, recorded.find(language == RUN_GERMAN ? "initLanguage 4\n"
                                                                                   : "initLanguage 1\n"));
            }

            runs.freshState(run, language);
            std::string log = kept + name + ".log";
            DeleteFileA(log.c_str());
            ASSERT_EQ(1, EXPORTED(setupLogFile)(log.c_str()));
            ASSERT_EQ(1, EXPORTED(setupAnswers)(answers.c_str(), ANSWERS_REPLAY));
            startWindowCount();
            std::string replayed = runs.hostRun(run, language);
            EXPECT_EQ(0, stopWindowCount());
            EXPECT_EQ("", firstDifference(recorded, replayed));
            EXPORTED(setupAnswers)(nullptr, ANSWERS_OFF);
            EXPORTED(setupLogFile)(nullptr);
            EXPECT_NE(std::string::npos, readTextFile(log).find(run.logged)) << readTextFile(log);

            // Kept for the replay with no display at all.
            writeTextFile(kept + name + ".outcome", replayed);
            answersOf[language] = readTextFile(answers);
        }
        // The file names no text of any language: the two languages' runs
        // differ in the Language answer alone.
        EXPECT_EQ(withoutLanguage(answersOf[RUN_ENGLISH]), withoutLanguage(answersOf[RUN_GERMAN]));
    }
}

} // namespace
