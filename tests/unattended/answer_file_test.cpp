// Answer files written by hand, replayed: a file names only what differs
// from the dialogs' initial state; where a person would have been asked and
// the file has no usable answer, the entry stops with -3, writes nothing and
// one log line names the key or the reason; a shared file the file does not
// name is kept.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <algorithm>
#include <string>
#include <vector>

#include "autopilot/autopilot.h"
#include "registry/registry_access.h"
#include "registry/previous_install.h"
#include "support/import_patch.h"
#include "support/test_support.h"
#include "unattended/setup_runs.h"

namespace {

const RunCase &runOf(RunKind kind)
{
    for (size_t r = 0; r < runCaseCount; r++)
        if (runCases[r].kind == kind)
            return runCases[r];
    return runCases[0];
}

// A drive with 1,000 bytes free, for dialogint.dll alone.
BOOL WINAPI nearlyFullDrive(LPCSTR, PULARGE_INTEGER available, PULARGE_INTEGER total, PULARGE_INTEGER free)
{
    available->QuadPart = free->QuadPart = 1000;
    total->QuadPart = 1000000;
    return TRUE;
}
void *diskQuery;

void fillDrive(SetupRuns &)
{
    diskQuery = patchImport(dialogintModule(), nullptr, "GetDiskFreeSpaceExA", (void *)nearlyFullDrive);
}
void emptyDrive() { patchImport(dialogintModule(), nullptr, "GetDiskFreeSpaceExA", diskQuery); }

std::string olderKindIni()
{
    char path[MAX_PATH];
    windowsDirFile("lumoria.ini", path, sizeof path);
    return path;
}

void setIni(SetupRuns &runs, const char *section, const char *key, const char *value)
{
    WritePrivateProfileStringA(section, key, value, (runs.media + "install.ini").c_str());
}

class AnswerFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Any window of the library would be closed and counted here.
        autopilotStart();
        dir = makeTempDir("answerfile");
    }
    void TearDown() override
    {
        EXPORTED(setupAnswers)(nullptr, ANSWERS_OFF);
        EXPORTED(setupLogFile)(nullptr);
        autopilotStop();
    }

    // Replays the text as an answer file over a fresh state; the outcome.
    std::string replay(const RunCase &run, const std::string &answers, void (*alter)(SetupRuns &) = nullptr)
    {
        runs.freshState(run, RUN_ENGLISH);
        // A section the steps empty, and a blank line more than the library
        // would write: a run that stops leaves even those as they were.
        std::string ini = runs.media + "install.ini";
        writeTextFile(ini, readTextFile(ini) + "\r\n\r\n[INSTALLGROUP]\r\nX=1\r\n");
        if (alter)
            alter(runs);
        before = runs.leftBehind();
        folderBefore = fileExists(runFolder(run));
        std::string file = dir + "answers.ini", log = dir + "setup.log";
        writeTextFile(file, answers);
        DeleteFileA(log.c_str());
        EXPECT_EQ(1, EXPORTED(setupLogFile)(log.c_str()));
        EXPECT_EQ(1, EXPORTED(setupAnswers)(file.c_str(), ANSWERS_REPLAY));
        startWindowCount();
        std::string outcome = runs.hostRun(run, RUN_ENGLISH);
        EXPECT_EQ(0, stopWindowCount());
        EXPECT_EQ(0u, autopilotLog().size());
        logText = readTextFile(log);
        return outcome;
    }

    SystemLanguageCleared language;
    SetupRuns runs;
    std::string dir, before, logText;
    bool folderBefore = false;
};

struct MissingAnswer {
    const char *named;       // what the one log line names
    RunKind run;
    const char *answers;
    const char *stops;       // the entry's result line
    void (*alter)(SetupRuns &);
    void (*undo)();
};

TEST_F(AnswerFileTest, NoUsableAnswerStopsWithMinusThreeWritesNothingAndLogsWhy)
{
    const MissingAnswer cases[] = {
        {"Kind: no answer", RUN_STANDARD, "[Setup]\nLanguage=english\n", "dodialog -3", nullptr, nullptr},
        {"Kind=quick is no answer", RUN_STANDARD, "[Setup]\nKind=quick\n", "dodialog -3", nullptr, nullptr},
        {"Reinstall: no answer", RUN_MODIFY, "[Setup]\nKind=standard\n", "HaveKeyDialog -3", nullptr, nullptr},
        {"Reinstall=modify cannot be taken: modify is offered only", RUN_MODIFY, "[Setup]\nReinstall=modify\n",
         "HaveKeyDialog -3",
         [](SetupRuns &) { setRegText(HKEY_LOCAL_MACHINE, PRODUCT_GENERAL_KEY, "Internal", "LU-3.9.0"); },
         nullptr},
        {"OlderKind: no answer", RUN_STANDARD, "[Setup]\nKind=standard\n", "HaveKeyDialog -3",
         [](SetupRuns &) { writeTextFile(olderKindIni(), "[General]\r\nHome=C:\\LUTEST\\OLD\r\n"); },
         [] { DeleteFileA(olderKindIni().c_str()); }},
        {"Language=klingon is no answer", RUN_STANDARD, "[Setup]\nLanguage=klingon\nKind=standard\n",
         "initLanguage -3", nullptr, nullptr},
        {"Language=spanish cannot be taken: install.ini does not offer", RUN_STANDARD,
         "[Setup]\nLanguage=spanish\nKind=standard\n", "initLanguage -3", nullptr, nullptr},
        {"Language=russian cannot be taken: install.ini does not offer", RUN_STANDARD,
         "[Setup]\nLanguage=russian\nKind=standard\n", "initLanguage -3", nullptr, nullptr},
        {"VWP/NOSUCH: no such component on this medium", RUN_CUSTOM, "[Setup]\nKind=custom\n[VWP]\nNOSUCH=1\n",
         "dodialog -3", nullptr, nullptr},
        {"VWP/NOSUCH: no such component on this medium", RUN_CUSTOM,
         "[Setup]\nKind=custom\n[VWP]\n=1\nNOSUCH=1\n", "dodialog -3", nullptr, nullptr},
        {"Components/VWP: 1 or 0 expected", RUN_CUSTOM, "[Setup]\nKind=custom\n[Components]\nVWP=yes\n",
         "dodialog -3", nullptr, nullptr},
        {"INTEGRATION/JORNOTES: not available", RUN_CUSTOM, "[Setup]\nKind=custom\n[INTEGRATION]\nJORNOTES=1\n",
         "dodialog -3", nullptr, nullptr},
        {"Components/VIEWENGINE: cannot be chosen", RUN_CUSTOM,
         "[Setup]\nKind=custom\n[Components]\nVIEWENGINE=0\n", "dodialog -3", nullptr, nullptr},
        {"InstallDir \"LUTEST\\X\" cannot be used: not a full path", RUN_STANDARD,
         "[Setup]\nKind=standard\nInstallDir=LUTEST\\X\n", "dodialog -3", nullptr, nullptr},
        {"cannot be used: a file stands where a folder", RUN_STANDARD,
         "[Setup]\nKind=standard\nInstallDir=C:\\LUTEST\\FILE\\SUB\n", "dodialog -3",
         [](SetupRuns &) { writeTextFile("C:\\LUTEST\\FILE", "in the way"); }, nullptr},
        {"cannot be used: no such drive", RUN_STANDARD, "[Setup]\nKind=standard\nInstallDir=Q:\\LUMORIA\n",
         "dodialog -3", nullptr, nullptr},
        {"Kind=standard cannot be taken: this setup's type offers no standard", RUN_STANDARD,
         "[Setup]\nKind=standard\n", "dodialog -3", [](SetupRuns &r) { setIni(r, "General", "TYPE", "DEMO"); },
         nullptr},
        {"Kind=workstation cannot be taken: install.ini offers no workstation", RUN_WORKSTATION,
         "[Setup]\nKind=workstation\n", "dodialog -3",
         [](SetupRuns &r) { setIni(r, "Config", "Network", "FALSE"); }, nullptr},
        {"Kind=standard cannot be taken: too little space", RUN_STANDARD, "[Setup]\nKind=standard\n",
         "dodialog -3", fillDrive, emptyDrive},
        {"Kind=custom cannot be taken: too little space", RUN_CUSTOM, "[Setup]\nKind=custom\n", "dodialog -3",
         fillDrive, emptyDrive},
        {"components cannot be taken: too little space", RUN_MODIFY,
         "[Setup]\nReinstall=modify\n[Components]\nCONVTOOL=1\n", "dodialog -3", fillDrive, emptyDrive},
        {"Network=install cannot be taken: too little space", RUN_NETWORK, "", "networkInstall -3", fillDrive,
         emptyDrive},
        {"install.ini could not be written", RUN_STANDARD, "[Setup]\nKind=standard\n", "dodialog -3",
         [](SetupRuns &r) { SetFileAttributesA((r.media + "install.ini").c_str(), FILE_ATTRIBUTE_READONLY); },
         nullptr},
    };
    for (const MissingAnswer &c : cases) {
        SCOPED_TRACE(c.named);
        const RunCase &run = runOf(c.run);
        std::string outcome = replay(run, c.answers, c.alter);
        if (c.undo)
            c.undo();
        SetFileAttributesA((runs.media + "install.ini").c_str(), FILE_ATTRIBUTE_NORMAL);
        EXPECT_NE(std::string::npos, outcome.find("\n" + std::string(c.stops))) << outcome;
        EXPECT_EQ("", firstDifference(before, runs.leftBehind())) << "nothing written";
        // A setup that stops leaves no folder it made behind, not even one
        // whose install.ini could not be written after the folder was made.
        EXPECT_EQ(folderBefore, fileExists(runFolder(run)));
        size_t stops = 0, at = 0;
        while ((at = logText.find("(-3)", at)) != std::string::npos) {
            stops++;
            at++;
        }
        EXPECT_EQ(1u, stops) << logText;
        size_t line = logText.find(c.named);
        EXPECT_NE(std::string::npos, line) << logText;
        EXPECT_EQ(logText.find('\n', line), logText.find("(-3)", line) + 4 + 1) << "the same line:\n" << logText;
    }
}

struct HandWritten {
    RunKind run;
    const char *answers;
    std::vector<const char *> expected;   // lines of the outcome or the log
    void (*alter)(SetupRuns &) = nullptr;
};

TEST_F(AnswerFileTest, FileByHandNamesOnlyWhatDiffersFromTheDialogsFirstState)
{
    const HandWritten cases[] = {
        // The language the dialog checks first; the folder the host proposed.
        {RUN_STANDARD, "[Setup]\nKind=standard\n",
         {"initLanguage 1", "dodialog 1", "selection: VWP chosen: PLAIN JWRITE1 QUILL JWRITE2", "folder: made"}},
        // The custom installation starts from everything: only what goes is named.
        {RUN_CUSTOM, "[Setup]\nKind=custom\nLanguage=german\n[Components]\nCONVTOOL=0\n[MANUAL]\nSAMPLES=0\n",
         {"initLanguage 4", "dodialog 2", "selection: VWP chosen: PLAIN JWRITE1 QUILL JWRITE2 LOOM",
          "selection: MANUAL chosen: MANUAL ONLINEHELP README", "selection: CONVTOOL not chosen"}},
        {RUN_STANDARD, "[Setup]\nKind=standard\nLanguage=japanese\n", {"initLanguage 16", "dodialog 1"},
         [](SetupRuns &r) { setIni(r, "LANGUAGEINFO", "Info4", "JAPANESE"); }},
        {RUN_NETWORK, "", {"networkInstall 1", "folder: made"}},
        {RUN_MODIFY, "[Setup]\nReinstall=modify\n", {"HaveKeyDialog 4 (workstation 0)", "dodialog 1"}},
        {RUN_MODIFY, "[Setup]\nReinstall=modify\nKind=cancel\n", {"dodialog 10"}},
        {RUN_WORKSTATION, "[Setup]\nKind=cancel\n", {"dodialog 0", "folder: none"}},
    };
    for (const HandWritten &c : cases) {
        SCOPED_TRACE(c.answers);
        std::string outcome = replay(runOf(c.run), c.answers, c.alter) + logText;
        for (const char *line : c.expected)
            EXPECT_NE(std::string::npos, outcome.find(std::string(line))) << line << "\n" << outcome;
    }
}

struct SharedAnswer {
    const char *section;
    int32_t answers[2];      // wpcommon.dll, jorcnvrt.dll
    const char *logged;
};

TEST_F(AnswerFileTest, SharedFileTheFileDoesNotNameIsKept)
{
    const SharedAnswer cases[] = {
        {"", {0, 0}, "SharedFiles/C:\\LUTEST\\REMOVE\\wpcommon.dll: not named in the answer file: the file is kept"},
        {"[SharedFiles]\nwpcommon.dll=remove\n", {1, 0}, "SharedFiles/C:\\LUTEST\\REMOVE\\wpcommon.dll=remove"},
        {"[SharedFiles]\nC:\\LUTEST\\REMOVE\\jorcnvrt.dll=remove\nwpcommon.dll=perhaps\n", {0, 1},
         "wpcommon.dll=perhaps is no answer (keep|remove): the file is kept"},
    };
    for (const SharedAnswer &c : cases) {
        SCOPED_TRACE(c.section);
        std::string outcome = replay(runOf(RUN_REMOVE), std::string("[Setup]\nReinstall=remove\n") + c.section);
        const char *files[] = {"wpcommon.dll", "jorcnvrt.dll"};
        for (int f = 0; f < 2; f++) {
            std::string answered = std::string("DeleteShareDLL ") + files[f] + ": answer " +
                                   std::to_string(c.answers[f]) + "\n";
            EXPECT_NE(std::string::npos, outcome.find(answered)) << outcome;
            std::string value = std::string("SharedDLLs / C:\\LUTEST\\REMOVE\\") + files[f] + "\n";
            EXPECT_EQ(c.answers[f] == 0, outcome.find(value) != std::string::npos) << value;
        }
        EXPECT_NE(std::string::npos, logText.find(c.logged)) << logText;
    }
}

// Without a log named, a replay logs into a new file of its own in the
// temporary folder, closed once answers are off: a second replay takes the
// next name and leaves the first file as it was.
TEST_F(AnswerFileTest, ReplayLogsIntoANewFileOfItsOwnWhenNoLogIsNamed)
{
    std::string file = dir + "cancel.ini";
    writeTextFile(file, "[Setup]\nKind=cancel\n");
    const RunCase &run = runOf(RUN_STANDARD);
    std::vector<std::string> logs;
    for (int replayed = 0; replayed < 2; replayed++) {
        SCOPED_TRACE("replay " + std::to_string(replayed + 1));
        std::vector<std::string> before = defaultLogsOfToday();
        runs.freshState(run, RUN_ENGLISH);
        ASSERT_EQ(1, EXPORTED(setupAnswers)(file.c_str(), ANSWERS_REPLAY));
        EXPECT_NE(std::string::npos, runs.hostRun(run, RUN_ENGLISH).find("\ndodialog 0\n"));
        EXPORTED(setupAnswers)(nullptr, ANSWERS_OFF);
        std::vector<std::string> after = defaultLogsOfToday();
        ASSERT_EQ(before.size() + 1, after.size()) << "one new log a replay";
        for (const std::string &log : after)
            if (std::find(before.begin(), before.end(), log) == before.end())
                logs.push_back(log);
        EXPECT_NE(std::string::npos, readTextFile(logs.back()).find("dodialog: result 0\r\n"))
            << readTextFile(logs.back());
    }
    // However many runs a day has had: a log far past today's others (as
    // after hundreds of runs) is followed by the next counter, and left as
    // it is.
    int highest = 0;
    for (const std::string &log : defaultLogsOfToday())
        highest = std::max(highest, atoi(log.c_str() + log.rfind('-') + 1));
    std::string planted = defaultLogName(highest + 500);
    writeTextFile(planted, "someone else's");
    runs.freshState(run, RUN_ENGLISH);
    ASSERT_EQ(1, EXPORTED(setupAnswers)(file.c_str(), ANSWERS_REPLAY));
    EXPECT_NE(std::string::npos, runs.hostRun(run, RUN_ENGLISH).find("\ndodialog 0\n"));
    EXPORTED(setupAnswers)(nullptr, ANSWERS_OFF);
    std::string next = defaultLogName(highest + 501);
    EXPECT_NE(std::string::npos, readTextFile(next).find("dodialog: result 0\r\n")) << next;
    EXPECT_EQ("someone else's", readTextFile(planted));
    DeleteFileA(planted.c_str());
    DeleteFileA(next.c_str());
    std::string first = readTextFile(logs[0]);
    EXPECT_EQ(0, EXPORTED(setupAnswers)(file.c_str(), 7)) << "no such mode";
    EXPECT_EQ(first, readTextFile(logs[0])) << "nothing more once answers are off";
    EXPECT_EQ(first.find("setupAnswers: replay"), first.rfind("setupAnswers: replay"))
        << "the second replay's lines went into its own file: " << first;
    for (const std::string &log : logs)
        DeleteFileA(log.c_str());
}

struct FileUse {
    const char *file;      // under the test's folder; null: none
    int32_t mode;
    int expected;
};

TEST_F(AnswerFileTest, SetupAnswersSaysWhetherTheFileCanBeUsed)
{
    writeTextFile(dir + "present.ini", "[Setup]\nKind=standard\n");
    const FileUse cases[] = {
        {"present.ini", ANSWERS_REPLAY, 1},
        {"missing.ini", ANSWERS_REPLAY, 0},
        {"new.ini", ANSWERS_RECORD, 1},
        {"no folder\\new.ini", ANSWERS_RECORD, 0},
        {nullptr, ANSWERS_REPLAY, 0},
        {"present.ini", 3, 0},
        {nullptr, ANSWERS_OFF, 1},
    };
    for (const FileUse &c : cases) {
        std::string path = c.file ? dir + c.file : "";
        SCOPED_TRACE(path + " mode " + std::to_string(c.mode));
        EXPECT_EQ(c.expected, EXPORTED(setupAnswers)(c.file ? path.c_str() : nullptr, c.mode));
    }
    EXPECT_EQ("; Lumoria setup answers, recorded by dialogint\r\n", readTextFile(dir + "new.ini"))
        << "a recording starts a new file";
}

} // namespace
