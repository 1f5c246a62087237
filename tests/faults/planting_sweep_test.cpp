// The planting sweep: a module that records its own loading is left under
// every name the library, or a module it loads, asks the loader for, in each
// folder someone other than the administrator may write to: the host
// program's folder, the current folder, the first folder on PATH, and the
// medium (except under the medium's own names). Each kind of run of the
// fault sweep then runs in a child process, a copy of this program started
// from the planted host folder, and no planted copy may be loaded from the
// library's first entry on. What the host program loads for itself before
// it calls the library is its own affair and is only shown.
//
// ctest runs every kind once with all four folders planted together
// (PlantingSweep.AllFoldersAtOnce); scripts/planting.sh runs each kind for
// each folder on its own (PLANTING_SWEEP=all).
#include <gtest/gtest.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <set>
#include <string>
#include <vector>

#include "faults/fault_child.h"
#include "faults/fault_runs.h"
#include "faults/planting.h"
#include "support/test_support.h"

namespace {

// What the library loads by name while it runs. The names its modules
// import are read from their files and added. knownToWindows: a module
// Windows maps from the system folder whoever asks for it (its known DLLs);
// Wine's own built-in copy stands for that.
const struct {
    const char *name;
    bool knownToWindows;
} loadedByName[] = {
    {"CTL3D32.dll", false}, {"oleacc.dll", false}, {"ole32.dll", true}, {"oleaut32.dll", true},
    {"luinsres.dll", false}, {"apnint.dll", false}, {"bpnint.dll", false}, {"cpnint.dll", false},  // the medium's
    {"lxlm.dll", false},                                                                         // the launcher
};
const char *const mediumOwn[] = {"luinsres.dll", "apnint.dll", "bpnint.dll", "cpnint.dll"};
// The modules whose import tables name more.
const char *const importers[] = {"dialogint.dll", "luinsres.dll", "apnint.dll", "lxlm.dll"};

enum Folder { HOST, CURRENT, PATH_FRONT, MEDIUM, FOLDER_COUNT };
const char *const folderNames[FOLDER_COUNT] = {"host program's folder", "current folder", "PATH's first folder",
                                               "medium"};

bool sameName(const std::string &a, const std::string &b) { return _stricmp(a.c_str(), b.c_str()) == 0; }

std::vector<std::string> plantedNames()
{
    std::vector<std::string> names;
    for (const auto &module : loadedByName)
        names.push_back(module.name);
    for (const char *module : importers)
        for (const std::string &name : importedNames(testFilesDir() + module)) {
            bool known = false;
            for (const std::string &have : names)
                known = known || sameName(have, name);
            if (!known && !name.empty())
                names.push_back(name);
        }
    return names;
}

bool isMediumOwn(const std::string &name)
{
    for (const char *own : mediumOwn)
        if (sameName(own, name))
            return true;
    return false;
}

std::string temp()
{
    char path[MAX_PATH];
    GetTempPathA(MAX_PATH, path);
    return path;
}

const char *const hostProgram = "planting_host.exe";
const char *const hostOverrides = "Software\\Wine\\AppDefaults\\planting_host.exe\\DllOverrides";

// Wine prefers its own built-in copy of a system module to any file of that
// name, where Windows takes the first file its search finds unless the
// module is one of its known DLLs. Told to prefer files for the planted host
// program, Wine searches as Windows does. The names the host program imports
// itself stay as they are: those are known DLLs, and it would not start.
void searchAsWindowsDoes(bool on)
{
    if (!on) {
        RegDeleteTreeA(HKEY_CURRENT_USER, hostOverrides);
        return;
    }
    for (const auto &module : loadedByName) {
        if (module.knownToWindows)
            continue;
        std::string stem = module.name;
        setRegText(HKEY_CURRENT_USER, hostOverrides, stem.substr(0, stem.rfind('.')).c_str(), "native,builtin");
    }
}

struct Planting {
    std::string root, host, current, pathFront, program, log;
    std::vector<std::string> names;
    int loaded = 0, runs = 0, failed = 0;
    std::set<std::string> kinds;
};

void emptyFolder(const std::string &folder)
{
    removeTree(folder);
    CreateDirectoryA(folder.c_str(), nullptr);
}

// A fresh host folder with a copy of this program and of the library, and
// empty planting folders.
void prepareFolders(Planting &p)
{
    p.root = temp() + "dialogint-planting\\";
    p.host = p.root + "host\\";
    p.current = p.root + "current\\";
    p.pathFront = p.root + "path\\";
    CreateDirectoryA(p.root.c_str(), nullptr);
    for (const std::string *folder : {&p.host, &p.current, &p.pathFront})
        emptyFolder(*folder);
    p.program = p.host + hostProgram;
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    copyFileTo(self, p.program);
    copyFileTo(testFilesDir() + "dialogint.dll", p.host + "dialogint.dll");
    p.log = p.root + "planted.log";
}

void plantIn(const Planting &p, const std::string &folder)
{
    for (const std::string &name : p.names)
        copyFileTo(testFilesDir() + "planted.dll", folder + name);
}

void clearPlanted(const Planting &p, const std::string &folder)
{
    for (const std::string &name : p.names)
        DeleteFileA((folder + name).c_str());
}

// One kind with the chosen folders planted; every planted load after the
// library's first entry is counted and printed.
void plantedRun(Planting &p, int kind, const bool (&planted)[FOLDER_COUNT])
{
    const std::string *folders[] = {&p.host, &p.current, &p.pathFront};
    for (int f = HOST; f <= PATH_FRONT; f++)
        if (planted[f])
            plantIn(p, *folders[f]);
    std::string mediumNames;
    for (const std::string &name : p.names)
        if (!isMediumOwn(name))
            mediumNames += name + ";";
    DeleteFileA(p.log.c_str());
    char path[32768] = "";
    GetEnvironmentVariableA("PATH", path, sizeof path);
    std::string planting = planted[PATH_FRONT] ? p.pathFront + ";" + path : std::string(path);
    SetEnvironmentVariableA("PATH", planting.c_str());
    SetEnvironmentVariableA("DIALOGINT_TEST_FILES", testFilesDir().c_str());
    SetEnvironmentVariableA("DIALOGINT_PLANTED_LOG", p.log.c_str());
    SetEnvironmentVariableA("DIALOGINT_PLANT_SOURCE", planted[MEDIUM] ? (testFilesDir() + "planted.dll").c_str()
                                                                      : nullptr);
    SetEnvironmentVariableA("DIALOGINT_PLANT_NAMES", planted[MEDIUM] ? mediumNames.c_str() : nullptr);

    ChildPlace place;
    place.program = p.program.c_str();
    place.currentFolder = planted[CURRENT] ? p.current.c_str() : nullptr;
    RunOutcome outcome;
    DWORD exitCode = 0;
    Verdict verdict = runInChild(kind, -1, 0, &outcome, &exitCode, place);

    SetEnvironmentVariableA("PATH", path);
    for (const char *name : {"DIALOGINT_TEST_FILES", "DIALOGINT_PLANTED_LOG", "DIALOGINT_PLANT_SOURCE",
                             "DIALOGINT_PLANT_NAMES"})
        SetEnvironmentVariableA(name, nullptr);
    for (int f = HOST; f <= PATH_FRONT; f++)
        if (planted[f])
            clearPlanted(p, *folders[f]);

    p.runs++;
    p.kinds.insert(runKind(kind).name);
    std::string where;
    for (int f = 0; f < FOLDER_COUNT; f++)
        if (planted[f])
            where += std::string(where.empty() ? "" : ", ") + folderNames[f];
    if (verdict != Verdict::Harmless) {
        p.failed++;
        printf("planting: %s (%s): %s, exit 0x%lx\n", runKind(kind).name, where.c_str(), verdictName(verdict),
               (unsigned long)exitCode);
    }
    bool entered = false;
    for (const std::string &line : plantedLogLines(p.log)) {
        if (line == "-- entry") {
            entered = true;
            continue;
        }
        if (entered)
            p.loaded++;
        printf("planting: %s (%s): %s %s\n", runKind(kind).name, where.c_str(),
               entered ? "loaded" : "the host program itself loaded", line.c_str());
    }
    if (!entered && verdict == Verdict::Harmless) {
        p.failed++;
        printf("planting: %s (%s): the child never reached the library\n", runKind(kind).name, where.c_str());
    }
    fflush(stdout);
}

std::string summary(const Planting &p)
{
    char line[256];
    snprintf(line, sizeof line, "planting: %d names, %d folders, %d kinds, %d loaded", (int)p.names.size(),
             (int)FOLDER_COUNT, (int)p.kinds.size(), p.loaded);
    return line;
}

} // namespace

TEST(PlantingSweep, AllFoldersAtOnce)
{
    if (getenv("FAULTS_CASE") || getenv("PLANTING_SWEEP"))
        GTEST_SKIP();
    Planting p;
    p.names = plantedNames();
    prepareFolders(p);
    searchAsWindowsDoes(true);
    const bool everywhere[FOLDER_COUNT] = {true, true, true, true};
    for (int kind = 0; kind < runKindCount(); kind++)
        plantedRun(p, kind, everywhere);
    searchAsWindowsDoes(false);
    printf("%s\n", summary(p).c_str());
    EXPECT_EQ(0, p.loaded) << "planted modules were loaded";
    EXPECT_EQ(0, p.failed) << "runs did not end as they should";
}

TEST(PlantingSweep, EachFolderOnItsOwn)
{
    if (getenv("FAULTS_CASE") || !getenv("PLANTING_SWEEP"))
        GTEST_SKIP() << "scripts/planting.sh runs it";
    Planting p;
    p.names = plantedNames();
    prepareFolders(p);
    searchAsWindowsDoes(true);
    for (int kind = 0; kind < runKindCount(); kind++)
        for (int f = 0; f < FOLDER_COUNT; f++) {
            bool only[FOLDER_COUNT] = {};
            only[f] = true;
            plantedRun(p, kind, only);
        }
    searchAsWindowsDoes(false);
    printf("planting: %d runs\n", p.runs);
    printf("%s\n", summary(p).c_str());
    EXPECT_EQ(0, p.loaded) << "planted modules were loaded";
    EXPECT_EQ(0, p.failed) << "runs did not end as they should";
}
