// fault_runs.h - the kinds of run the fault sweep repeats (a standard,
// custom, workstation, maintenance and update dodialog, a custom setup
// replayed from an answer file, a network server copy, HaveKeyDialog,
// initLanguage and the removal entries), each on the sample
// media in a folder of its own, with the dialogs answered by the autopilot
// as a person would, and what a run leaves behind, reduced to figures that
// two runs can compare.
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

struct RunKind {
    const char *name;
    bool withDialogs;   // in the small sample of every test run
};

int runKindCount();
const RunKind &runKind(int index);
int runKindIndex(const std::string &name);

// What one run did and left.
struct RunOutcome {
    bool fired = false;          // the armed fault was reached
    std::string result;          // the entry's result code and the record fields it fills
    uint64_t iniBefore = 0, ini = 0;      // install.ini bytes before and after
    uint64_t registryBefore = 0, registry = 0;  // the product's keys and values
    std::string boxes;           // message boxes a person saw, "caption|text" each
    int handlesLeft = 0;         // kernel handles open after the run less before it
    int gdiKept = 0;             // GDI objects and DCs made and not given back
    bool logged = false;         // the setup log has a line with the injected error code
    std::vector<int64_t> calls;  // calls of each faultable function
};

// How a run logs and what it meets on its medium. By default it names the
// log setup.log in its folder. The names sweep plants files and links once
// the medium is ready, and has the run name a planted log, or name none and
// record answers, so that the library keeps its default log.
struct RunSetting {
    void (*afterPrepare)(const std::string &medium) = nullptr;
    std::string namedLog;          // in the medium's folder; empty: setup.log
    bool defaultLog = false;       // no log named; answers recorded into answers.ini
};

// Prepares the kind's media and registry, runs it with the Nth call of the
// faultable function failing (function -1: no fault) and reads back what it
// left. Setup and read-back stay outside the counted calls.
RunOutcome runOnce(int kind, int function, int64_t nth, const RunSetting &setting = RunSetting());

// One line per field; the parent of a child process reads it back.
std::string describeOutcome(const RunOutcome &outcome);
bool parseOutcome(const std::string &text, RunOutcome *outcome);

// The sweep's verdict on a run with a fault, against the clean run.
// Degraded: the run succeeded with a result that differs from the clean
// run's in the way the library's fallback for that call is meant to, and the
// setup log says so with the error code.
enum class Verdict { Harmless, Reported, Crashed, Hung, Mixed, Silent, Degraded };
const char *verdictName(Verdict verdict);
// why: what made it mixed or silent, for the sweep's list of holes; for a
// degraded run, the fallback.
Verdict judge(const RunOutcome &clean, const RunOutcome &faulty, int function, std::string *why);

// Saved and restored around a sweep: the system language the language run
// needs (one the media does not offer, so that the dialog asks).
void setSweepSystemLanguage(bool on);
