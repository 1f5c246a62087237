// Whole setups on every system code page the host interface speaks: each
// row names the folders of a run (the media, the installation folder, the
// server folder, the answer file, the log and %TEMP%) with characters whose
// bytes are hard for that code page, then runs a custom setup (and, where
// the row says, a network setup, the one that uses the server folder) once
// by a person (the autopilot on the real dialogs, the answers recorded)
// and once replayed from that answer file. Both must leave what the same
// run with plain ASCII names of the same lengths leaves, the names aside.
// ctest starts this program once a code page (code_page_sweep_<cp>): in the
// locale that gives Wine that code page, or, for 65001, as the copy whose
// manifest asks for UTF-8; DIALOGINT_CODE_PAGE says which it must be.
#include <gtest/gtest.h>

#include <stddef.h>
#include <stdlib.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "autopilot/autopilot.h"
#include "support/test_support.h"
#include "unattended/setup_runs.h"

namespace {

struct SweepRow {
    UINT codePage;
    const char *name;   // UTF-8 here; the folder's name in codePage
    const char *bytes;  // what the name must hold in codePage
    bool toLimit;       // repeated up to each folder's byte limit
    bool network;       // a network setup as well as the custom one
};

const SweepRow sweepRows[] = {
    {1252, u8"Café Ægir ß", "\xe9\x20\xc6", false, true},
    {1250, u8"Zażółć gęślą jaźń", "\xbf\xf3\xb3\xe6", false, true},
    {1251, u8"Съёмка Яблоко", "\xd1\xfa\xb8\xec", false, true},
    // Trail byte 0x5C, the backslash, last in the name too.
    {932, u8"ソフト表", "\x83\x5c\x83\x74\x83\x67\x95\x5c", false, true},
    // Trail byte 0x7C, the bar.
    {932, u8"ポンプ", "\x83\x7c", false, false},
    // Trail bytes that are lowercase letters: r, f.
    {932, u8"ビデオ", "\x83\x72\x83\x66", false, false},
    {932, u8"表示ソ", "\x95\x5c", true, true},
    {936, u8"乗億", "\x81\x5c\x83\x7c", false, true},
    {936, u8"乤乥", "\x81\x61\x81\x62", false, false},
    {936, u8"乗乤", "\x81\x5c", true, false},
    {949, u8"갵걁", "\x81\x61\x81\x69", false, true},
    {949, u8"갵걁", "\x81\x61", true, false},
    {65001, u8"Ünï ソ表 한국 Ωμέγα Жук 😀", "\xf0\x9f\x98\x80", false, true},
    {65001, u8"ソ😀", "\xe3\x82\xbd", true, false},
};

// The folders, and how many of the name's bytes each one's slot leaves:
// the installation folder reaches the record's 199 bytes with the longest
// run name (NETWORK) below it.
const size_t INSTALL_ROOM = 199 - 10 - 1 - 7;
const size_t SERVER_ROOM = 199 - 10 - 1;
const size_t MEDIA_ROOM = 199 - 11 - 1 - 13;
const size_t ANSWERS_ROOM = 150;

std::wstring wideOf(const char *utf8)
{
    WCHAR wide[512];
    int n = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, wide, 512);
    return n > 0 ? std::wstring(wide, n - 1) : std::wstring();
}

// The name in the system code page: empty when a character has no bytes there.
std::string inCodePage(const std::wstring &name)
{
    char bytes[1024];
    BOOL substituted = FALSE;
    bool utf8 = GetACP() == CP_UTF8;
    int n = WideCharToMultiByte(CP_ACP, utf8 ? 0 : WC_NO_BEST_FIT_CHARS, name.c_str(), -1, bytes, sizeof bytes,
                                nullptr, utf8 ? nullptr : &substituted);
    return n > 0 && !substituted ? std::string(bytes) : std::string();
}

// As many whole characters of the name as room bytes hold (the name
// repeated first, for a row that goes to the limit).
std::string fitted(const SweepRow &row, size_t room)
{
    std::wstring wide = wideOf(row.name), whole = wide;
    if (!row.toLimit)
        return inCodePage(wide);
    while (whole.size() < 400)
        whole += wide;
    std::string best;
    for (size_t units = 1; units <= whole.size(); units++) {
        if (units < whole.size() && IS_HIGH_SURROGATE(whole[units - 1]))
            continue;
        std::string bytes = inCodePage(whole.substr(0, units));
        if (bytes.size() > room)
            break;
        best = bytes;
    }
    return best;
}

std::string hexOf(const std::string &bytes) { return ::hexOf((const unsigned char *)bytes.data(), bytes.size()); }

void replaceAll(std::string *text, const std::string &from, const std::string &to)
{
    for (size_t at = text->find(from); at != std::string::npos; at = text->find(from, at + to.size()))
        text->replace(at, from.size(), to);
}

// The record line of a run's text with its folder fields read as text up to
// their terminator: the library puts the installation folder's short form
// back over the long one, and what lies beyond the terminator is no name.
std::string recordFieldsAsText(const std::string &text)
{
    const std::string tag = "host record: ";
    size_t at = text.find(tag);
    if (at == std::string::npos)
        return text;
    size_t start = at + tag.size(), end = text.find('\n', start);
    std::string bytes;
    for (size_t i = start; i + 1 < end; i += 2)
        bytes += (char)strtoul(text.substr(i, 2).c_str(), nullptr, 16);
    if (bytes.size() != sizeof(HostSetupInfo))
        return text;
    const size_t first = offsetof(HostSetupInfo, installDir), last = offsetof(HostSetupInfo, platformName);
    std::string shown = hexOf(bytes.substr(0, first));
    for (size_t field = first; field < last; field += 200)
        shown += " [" + std::string(bytes.c_str() + field) + "]";
    shown += " " + hexOf(bytes.substr(last));
    return text.substr(0, start) + shown + text.substr(end);
}

// One set of folders: hard names, or their ASCII twins of the same lengths.
struct SweepFolders {
    RunFolders run;
    std::string answers, log, temp;
};

class CodePageSweepTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        GetEnvironmentVariableA("TMP", keptTmp, sizeof keptTmp);
        GetEnvironmentVariableA("TEMP", keptTemp, sizeof keptTemp);
        autopilotStart();
    }
    void TearDown() override
    {
        EXPORTED(setupAnswers)(nullptr, ANSWERS_OFF);
        EXPORTED(setupLogFile)(nullptr);
        autopilotStop();
        SetEnvironmentVariableA("TMP", keptTmp);
        SetEnvironmentVariableA("TEMP", keptTemp);
        removeTree("C:\\LUANSWER\\");
    }

    // The folders of a row, each name cut to its slot; twin: the ASCII ones.
    SweepFolders foldersOf(const SweepRow &row, bool twin)
    {
        auto name = [&](size_t room) {
            std::string hard = fitted(row, room);
            std::string ascii(hard.size(), 'q');
            pairs.emplace_back(hard, ascii);
            return twin ? ascii : hard;
        };
        SweepFolders f;
        f.run.media = "C:\\LUMEDIA\\" + name(MEDIA_ROOM) + "\\";
        f.run.installRoot = "C:\\LUTEST\\" + name(INSTALL_ROOM);
        f.run.server = "C:\\server\\" + name(SERVER_ROOM) + "\\";
        std::string answers = "C:\\LUANSWER\\" + name(ANSWERS_ROOM) + "\\";
        f.answers = answers + "answers.ini";
        f.log = answers + "setup.log";
        f.temp = answers + "temp\\";
        removeTree("C:\\LUANSWER\\");
        CreateDirectoryA("C:\\LUANSWER", nullptr);
        CreateDirectoryA(answers.c_str(), nullptr);
        CreateDirectoryA(f.temp.c_str(), nullptr);
        SetEnvironmentVariableA("TMP", f.temp.c_str());
        SetEnvironmentVariableA("TEMP", f.temp.c_str());
        return f;
    }

    // What a run left, its folders named in their long forms and each hard
    // name turned into its twin.
    std::string asTwin(std::string text) const
    {
        text = recordFieldsAsText(text);
        for (const auto &p : longForms) {
            replaceAll(&text, p.first, p.second);
            replaceAll(&text, registryEscaped(p.first), registryEscaped(p.second));
        }
        // The longest first: a row to the limit cuts one name to several
        // lengths.
        std::vector<std::pair<std::string, std::string>> byLength = pairs;
        std::sort(byLength.begin(), byLength.end(),
                  [](const auto &a, const auto &b) { return a.first.size() > b.first.size(); });
        for (const auto &p : byLength) {
            replaceAll(&text, p.first, p.second);
            replaceAll(&text, registryEscaped(p.first), registryEscaped(p.second));
            replaceAll(&text, hexOf(p.first), hexOf(p.second));
        }
        return text;
    }

    // The person's run, recorded; then, asked for, its replay. The
    // recorded answers in *answers.
    std::string personsRun(const SweepFolders &f, const RunCase &run, std::string *answers)
    {
        SetupRuns runs(f.run);
        runs.freshState(run, RUN_ENGLISH);
        DeleteFileA(f.answers.c_str());
        EXPECT_EQ(1, EXPORTED(setupAnswers)(f.answers.c_str(), ANSWERS_RECORD)) << f.answers;
        runs.queuePersonsAnswers(run, RUN_ENGLISH);
        std::string outcome = runs.hostRun(run, RUN_ENGLISH);
        // The library names a long folder by its short form, which Wine
        // makes from the name: both forms are read as the long one.
        for (std::string folder : {f.run.installRoot, f.run.media.substr(0, f.run.media.size() - 1)}) {
            std::string shortForm = shortPath(folder);
            if (shortForm != folder)
                longForms.emplace_back(shortForm, folder);
        }
        EXPECT_EQ(0u, autopilotUnexpected());
        EXPECT_EQ(0u, autopilotPending());
        EXPORTED(setupAnswers)(nullptr, ANSWERS_OFF);
        *answers = readTextFile(f.answers);
        return outcome;
    }
    std::string replayedRun(const SweepFolders &f, const RunCase &run)
    {
        SetupRuns runs(f.run);
        runs.freshState(run, RUN_ENGLISH);
        DeleteFileA(f.log.c_str());
        EXPECT_EQ(1, EXPORTED(setupLogFile)(f.log.c_str())) << f.log;
        EXPECT_EQ(1, EXPORTED(setupAnswers)(f.answers.c_str(), ANSWERS_REPLAY)) << f.answers;
        std::string outcome = runs.hostRun(run, RUN_ENGLISH);
        EXPORTED(setupAnswers)(nullptr, ANSWERS_OFF);
        EXPORTED(setupLogFile)(nullptr);
        return outcome;
    }

    std::vector<std::pair<std::string, std::string>> pairs;
    std::vector<std::pair<std::string, std::string>> longForms;
    char keptTmp[MAX_PATH] = "", keptTemp[MAX_PATH] = "";
    SystemLanguageCleared language;
};

TEST_F(CodePageSweepTest, HardFolderNamesLeaveWhatAsciiNamesLeave)
{
    const char *wanted = getenv("DIALOGINT_CODE_PAGE");
    if (wanted) {
        ASSERT_EQ((UINT)atoi(wanted), GetACP()) << "the locale or manifest gave another code page";
    }
    int rowsRun = 0;
    for (const SweepRow &row : sweepRows) {
        if (row.codePage != GetACP())
            continue;
        rowsRun++;
        std::string name = fitted(row, INSTALL_ROOM);
        SCOPED_TRACE(std::string(row.name) + (row.toLimit ? " (to the limit)" : ""));
        ASSERT_NE(std::string::npos, name.find(row.bytes)) << "the name holds the hard bytes";
        if (row.toLimit) {
            EXPECT_LE(199u - 3, name.size() + 10 + 1 + 7) << "the installation folder reaches the limit, but for a part of a character";
        }
        for (size_t r = 0; r < runCaseCount; r++) {
            const RunCase &run = runCases[r];
            if (run.kind != RUN_CUSTOM && !(run.kind == RUN_NETWORK && row.network))
                continue;
            SCOPED_TRACE(run.name);
            pairs.clear();
            longForms.clear();
            std::string twinAnswers, hardAnswers;
            SweepFolders twin = foldersOf(row, true);
            std::string expected = personsRun(twin, run, &twinAnswers);
            EXPECT_NE(std::string::npos, expected.find(std::string(run.finalResult) + "\n")) << expected;

            SweepFolders hard = foldersOf(row, false);
            std::string recorded = personsRun(hard, run, &hardAnswers);
            EXPECT_EQ("", firstDifference(asTwin(expected), asTwin(recorded))) << "the person's run";
            EXPECT_EQ("", firstDifference(asTwin(twinAnswers), asTwin(hardAnswers))) << "the answer file";
            EXPECT_FALSE(defaultLogsOfToday().empty()) << "the default log in " << hard.temp;

            std::string replayed = replayedRun(hard, run);
            EXPECT_EQ("", firstDifference(asTwin(expected), asTwin(replayed))) << "the replay";
            EXPECT_NE(std::string::npos, readTextFile(hard.log).find(run.logged)) << readTextFile(hard.log);
        }
    }
    EXPECT_LT(0, rowsRun) << "rows for code page " << GetACP();
}

} // namespace
