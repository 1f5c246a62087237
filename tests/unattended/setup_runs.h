// setup_runs.h - whole setups as a host runs them (HaveKeyDialog,
// initLanguage, dodialog or networkInstall, or a removal's DeleteShareDLL),
// on a copy of the sample media, each from a fresh state: the media copied
// afresh, the product's registry reset and the state a run needs (an
// installation to modify or remove) put back. What a run leaves behind is
// read back into one text, so that two runs compare as a whole.
#pragma once

#include <windows.h>

#include <string>

#include "dialogint.h"

enum RunKind { RUN_STANDARD, RUN_CUSTOM, RUN_WORKSTATION, RUN_NETWORK, RUN_MODIFY, RUN_REMOVE, RUN_UPGRADE };
enum RunLanguage { RUN_ENGLISH, RUN_GERMAN };

struct RunCase {
    const char *name;       // also its installation folder's name, 8.3 as it stands
    RunKind kind;
    const char *finalResult;  // the last entry's result line, as the run should end
    const char *logged;       // a line its replay's log holds
};

extern const RunCase runCases[];
extern const size_t runCaseCount;

// The folder every run installs into: C:\LUTEST\<name>, whose short form is
// the same in any prefix.
std::string runFolder(const RunCase &run);

// The folders a run names: the media, the folder its installation folders
// lie in and the server folder of a network installation. Plain ASCII ones
// unless a test names others (made here, beneath C:\LUMEDIA and C:\LUTEST).
struct RunFolders {
    std::string media = "C:\\LUMEDIA\\";  // with its trailing backslash
    std::string installRoot = "C:\\LUTEST";
    std::string server = "C:\\server\\lumoria\\";
};

class SetupRuns {
public:
    explicit SetupRuns(const RunFolders &folders = RunFolders());
    ~SetupRuns();

    // Media copied afresh, registry reset, the run's earlier installation.
    void freshState(const RunCase &run, RunLanguage language);
    // The dialogs a person answers in this run, queued on the autopilot.
    void queuePersonsAnswers(const RunCase &run, RunLanguage language);
    // The host's calls; what they answered, wrote and left, as one text.
    std::string hostRun(const RunCase &run, RunLanguage language);
    // The part of that text the library writes: the record's results,
    // install.ini, installed.ini and the registry.
    std::string leftBehind();
    // The run's installation folder: <installRoot>\<name>.
    std::string installFolder(const RunCase &run) const;

    std::string media;       // the source folder, with its trailing backslash
    RunFolders folders;
    HostSetupInfo record;
};

// win.ini's system language, cleared for the object's life: the language
// dialog then asks.
class SystemLanguageCleared {
public:
    SystemLanguageCleared();
    ~SystemLanguageCleared();

private:
    char winIni[MAX_PATH];
    char saved[128];
    bool had = false;
};

// A registry value's bytes as productRegistry() shows them: printable ASCII
// as it stands, every other byte and the backslash as \xx.
std::string registryEscaped(const std::string &bytes);
// The bytes in lower-case hex, two digits each, as a run's text shows the record.
std::string hexOf(const unsigned char *bytes, size_t count);

// "" when the two texts are equal, else their first differing line in each.
std::string firstDifference(const std::string &expected, const std::string &actual);

// The registry under the product's keys, the shell extensions, the test's
// SharedDLLs values and the autostart value, one line per value.
std::string productRegistry();

// Windows made by the process while the counter runs: calls of
// CreateWindowExA/W, CreateDialogParamA, DialogBoxParamW and MessageBoxW in
// dialogint.dll's import table, and windows the thread's CBT hook sees made.
void startWindowCount();
int stopWindowCount();
