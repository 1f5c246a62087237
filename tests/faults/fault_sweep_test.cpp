// The fault sweep: every kind of run, once clean and then once for each call
// of each faultable Windows function it makes, with that one call failing.
// Each run is a child process of this program (FaultSweep.OneCase), so that
// a crash is counted and a hang is cut off. A run with a fault must end as
// the clean run does, or report the failure (another result code or a box a
// person sees), and leave install.ini and the product's registry as they
// were or complete, with no handle or GDI object left behind.
//
// ctest runs the fixed rows of FaultSweep.KnownFailuresEndCleanly; the whole
// sweep runs through scripts/faults.sh (FAULTS_SWEEP=all), and
// FAULTS_SECONDS bounds it to a sample that spreads over every kind.
#include <gtest/gtest.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "faults/fault_child.h"
#include "faults/fault_injection.h"
#include "faults/fault_runs.h"
#include "support/test_support.h"

namespace {

struct Tally {
    int64_t injected = 0;
    int64_t byVerdict[7] = {};
    int64_t unlogged = 0;   // reported, but the setup log has no line with the code
    std::vector<std::string> holes;
};

void count(Tally &tally, const char *kind, int function, int64_t nth, Verdict verdict, const std::string &why,
           const RunOutcome &outcome)
{
    tally.injected++;
    tally.byVerdict[(int)verdict]++;
    if (verdict == Verdict::Reported && !outcome.logged) {
        tally.unlogged++;
        printf("faults: %s %s #%lld: reported without a setup log line of the error\n", kind,
               faultable(function).name, (long long)nth);
        fflush(stdout);
    }
    if (verdict == Verdict::Degraded) {
        printf("faults: %s %s #%lld: degraded, logged: %s\n", kind, faultable(function).name, (long long)nth,
               why.c_str());
        fflush(stdout);
    }
    if (verdict == Verdict::Harmless || verdict == Verdict::Reported || verdict == Verdict::Degraded)
        return;
    char line[512];
    snprintf(line, sizeof line, "%s %s #%lld: %s%s%s", kind, faultable(function).name, (long long)nth,
             verdictName(verdict), why.empty() ? "" : ": ", why.c_str());
    tally.holes.push_back(line);
    // At once, so that a long sweep shows its holes as it finds them.
    printf("faults: %s\n", line);
    fflush(stdout);
}

// A fault run judged against the clean run of its kind.
Verdict sweepOne(Tally &tally, int kind, const RunOutcome &clean, int function, int64_t nth)
{
    RunOutcome outcome;
    DWORD exitCode = 0;
    Verdict verdict = runInChild(kind, function, nth, &outcome, &exitCode);
    std::string why;
    if (verdict == Verdict::Harmless)
        verdict = judge(clean, outcome, function, &why);
    else if (verdict == Verdict::Crashed) {
        char code[32];
        snprintf(code, sizeof code, "exit 0x%lx", (unsigned long)exitCode);
        why = code;
    }
    count(tally, runKind(kind).name, function, nth, verdict, why, outcome);
    return verdict;
}

bool cleanRun(int kind, RunOutcome *clean)
{
    DWORD exitCode = 0;
    return runInChild(kind, -1, 0, clean, &exitCode) == Verdict::Harmless;
}

std::string summary(const Tally &t)
{
    char line[256];
    snprintf(line, sizeof line, "faults: %lld injected, %lld crashed, %lld hung, %lld mixed, %lld silent",
             (long long)t.injected, (long long)t.byVerdict[(int)Verdict::Crashed],
             (long long)t.byVerdict[(int)Verdict::Hung], (long long)t.byVerdict[(int)Verdict::Mixed],
             (long long)t.byVerdict[(int)Verdict::Silent]);
    return line;
}

} // namespace

TEST(FaultSweep, OneCase)
{
    const char *spec = getenv("FAULTS_CASE");
    if (!spec)
        GTEST_SKIP() << "a child of the sweep only";
    endChildOnCrash();
    char kindName[64], path[MAX_PATH];
    int function = -1;
    long long nth = 0;
    ASSERT_EQ(4, sscanf(spec, "%63s %d %lld %259[^\n]", kindName, &function, &nth, path)) << spec;
    int kind = runKindIndex(kindName);
    ASSERT_GE(kind, 0) << kindName;
    RunOutcome outcome = runOnce(kind, function, nth);
    writeTextFile(path, describeOutcome(outcome));
}

TEST(FaultSweep, KnownFailuresEndCleanly)
{
    if (getenv("FAULTS_CASE"))
        GTEST_SKIP();
    // Calls whose failure once went unreported or left something half done.
    const struct {
        const char *kind;
        const char *function;
        int64_t nth;   // -1: the clean run's last call
    } rows[] = {
        {"standard", "MoveFileExA", -1},     // install.ini's replace: old bytes kept, reported
        {"standard", "HeapAlloc", 3},        // a file list the heap cannot give
        {"standard", "RegCreateKeyExA", 1},  // a product key that cannot be made
        {"standard", "RegSetValueExA", -1},  // the last value: the run is undone
        {"standard", "realloc", 14},         // a change install.ini cannot hold: nothing more of the unit
        {"standard", "CreateFileA", 1},      // install.ini there but unreadable: no catalogue, not an empty one
        {"custom", "DialogBoxParamW", 4},    // the steps' progress dialog: steps that never ran wrote nothing
        {"HaveKeyDialog", "DialogBoxParamW", 1},
        {"DeleteShareDLL", "MessageBoxW", 1},
        {"DeleteShareDLL", "RegDeleteValueA", 1},  // an entry that stays is no removal
        {"standard", "CreateDirectoryA", 1},   // the folder: the person is asked, not moved silently
        {"network", "CreateDirectoryA", 1},    // the server folder: the network dialog asks again
        {"standard", "ConvertStringSecurityDescriptorToSecurityDescriptorA", 1},  // no open folder: asked
        {"network", "ConvertStringSecurityDescriptorToSecurityDescriptorA", 1},
        {"standard", "GetNamedSecurityInfoA", 1},   // the folder's permissions unread: logged, setup goes on
        {"standard", "GetFullPathNameA", 1},        // the source folder cannot be taken: no resources
        {"standard", "GetFullPathNameA", 7},        // the chosen folder's drive: no room told, logged
        {"setupInstall", "LoadStringA", 1},         // the host's string: none, logged
        {"workstation", "realloc", 1},         // a setup file memory cannot hold: no catalogue
        {"standard", "GetShortPathNameA", 1},  // the long form, logged
        {"custom", "LoadLibraryExA", 3},       // an integration module that cannot be loaded: not offered, logged
        {"IntegDeinstall", "ReadFile", 2},     // install.ini unreadable: nothing switched off, a box
        {"IntegDeinstall", "LoadLibraryExA", 2}, // no resource module: its box, and no handle kept
    };
    std::map<int, RunOutcome> clean;
    for (const auto &row : rows) {
        SCOPED_TRACE(std::string(row.kind) + " " + row.function + " #" + std::to_string(row.nth));
        int kind = runKindIndex(row.kind);
        int function = faultableIndex(row.function);
        ASSERT_GE(kind, 0);
        ASSERT_GE(function, 0);
        if (!clean.count(kind)) {
            ASSERT_TRUE(cleanRun(kind, &clean[kind]));
        }
        int64_t made = clean[kind].calls.at(function);
        int64_t nth = row.nth < 0 ? made : row.nth;
        ASSERT_GE(made, nth) << "the clean run makes fewer calls";
        Tally tally;
        Verdict verdict = sweepOne(tally, kind, clean[kind], function, nth);
        EXPECT_TRUE(verdict == Verdict::Harmless || verdict == Verdict::Reported || verdict == Verdict::Degraded)
            << (tally.holes.empty() ? "" : tally.holes[0]);
        EXPECT_EQ(0, tally.unlogged) << "reported without a setup log line of the error";
    }
}

// The whole sweep (FAULTS_SWEEP=count: only the clean runs' calls of each
// function). FAULTS_KIND and FAULTS_FUNCTION limit it to one kind of
// run and one function; FAULTS_SAMPLE=k
// to k calls of each function, spread from the first to the last;
// FAULTS_SECONDS stops it once that time has passed.
TEST(FaultSweep, EveryCallOfEveryRun)
{
    const char *mode = getenv("FAULTS_SWEEP");
    if (!mode || getenv("FAULTS_CASE"))
        GTEST_SKIP() << "scripts/faults.sh runs it";
    const char *only = getenv("FAULTS_KIND");
    const char *onlyFunction = getenv("FAULTS_FUNCTION");
    int64_t sample = getenv("FAULTS_SAMPLE") ? atoll(getenv("FAULTS_SAMPLE")) : 0;
    double seconds = getenv("FAULTS_SECONDS") ? atof(getenv("FAULTS_SECONDS")) : 0;
    DWORD started = GetTickCount();
    auto timeUp = [&] { return seconds > 0 && (GetTickCount() - started) / 1000.0 > seconds; };
    bool language = !only || !*only || std::string(only) == "initLanguage";
    if (language)
        setSweepSystemLanguage(true);
    Tally tally;
    for (int kind = 0; kind < runKindCount() && !timeUp(); kind++) {
        if (only && *only && runKind(kind).name != std::string(only))
            continue;
        RunOutcome clean;
        ASSERT_TRUE(cleanRun(kind, &clean)) << runKind(kind).name << ": the clean run did not end";
        if (std::string(mode) == "count") {
            // What the clean run calls, function by function: what a whole
            // sweep of the kind would inject.
            for (int function = 0; function < faultableCount(); function++)
                if (clean.calls.at(function))
                    printf("faults: %s %s: %lld calls\n", runKind(kind).name, faultable(function).name,
                           (long long)clean.calls.at(function));
            continue;
        }
        int64_t kindRuns = 0;
        for (int function = 0; function < faultableCount() && !timeUp(); function++) {
            if (onlyFunction && *onlyFunction && faultable(function).name != std::string(onlyFunction))
                continue;
            int64_t made = clean.calls.at(function);
            std::set<int64_t> picked;
            if (sample <= 0 || made <= sample)
                for (int64_t nth = 1; nth <= made; nth++)
                    picked.insert(nth);
            else if (sample == 1)
                picked.insert(1);
            else
                for (int64_t i = 0; i < sample; i++)
                    picked.insert(1 + (made - 1) * i / (sample - 1));
            for (int64_t nth : picked) {
                if (timeUp())
                    break;
                sweepOne(tally, kind, clean, function, nth);
                kindRuns++;
            }
        }
        printf("faults: %s: %lld injected\n", runKind(kind).name, (long long)kindRuns);
        fflush(stdout);
    }
    if (language)
        setSweepSystemLanguage(false);
    printf("faults: %lld reported without a setup log line of the error\n", (long long)tally.unlogged);
    printf("faults: %lld degraded by a logged fallback\n", (long long)tally.byVerdict[(int)Verdict::Degraded]);
    printf("%s\n", summary(tally).c_str());
    fflush(stdout);
    EXPECT_TRUE(tally.holes.empty()) << tally.holes.size() << " runs crashed, hung, were mixed or silent";
}
