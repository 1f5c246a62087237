// The planted-name sweep: before each kind of run, a file and links to a
// victim file are left at the names the library's writers could take (the
// default setup log's names for today, the new file it writes beside
// install.ini and beside the answer file before putting it in place) and at
// the log the run names. The writers' random names are made known by
// handing the library's generator (ADVAPI32's SystemFunction036) the
// planted names first. After every run each planted file and the victim
// must be as they were, and the run must have logged somewhere new.
//
// ctest runs the dialog kinds (NamesSweep.DialogKinds); scripts/names.sh
// runs every kind (NAMES_SWEEP=all).
#include <gtest/gtest.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "faults/fault_runs.h"
#include "support/import_patch.h"
#include "support/test_support.h"

namespace {

enum Object { PLAIN_FILE, HARD_LINK, SYMBOLIC_LINK };
const char *const objectNames[] = {"a file", "a hard link", "a symbolic link"};

// The random parts the generator hands out first, in turn, before a real
// one: a writer meets each planted name once.
const unsigned char plantedRandom[][8] = {
    {0x5e, 0x71, 0x00, 0x0a, 0xf1, 0x1e, 0x00, 0x01},
    {0x5e, 0x71, 0x00, 0x0a, 0xf1, 0x1e, 0x00, 0x02},
    {0x5e, 0x71, 0x00, 0x0a, 0xf1, 0x1e, 0x00, 0x03},
};
const Object randomObjects[] = {PLAIN_FILE, HARD_LINK, SYMBOLIC_LINK};

// Today's default logs: counters 1 to 3, one of each object.
const Object defaultLogObjects[] = {PLAIN_FILE, HARD_LINK, SYMBOLIC_LINK};

// The log a run names.
const struct {
    const char *name;
    Object object;
} namedLogs[] = {
    {"linked.log", HARD_LINK},
    {"symlinked.log", SYMBOLIC_LINK},
};

const char victimText[] = "the victim's own text\r\n";
const char plantedText[] = "planted\r\n";

typedef BOOLEAN(WINAPI *RandomFunction)(PVOID, ULONG);
RandomFunction realRandom;
int randomCalls;
int plantedHandedOut;

BOOLEAN WINAPI knownRandom(PVOID buffer, ULONG length)
{
    int turn = randomCalls++ % (int)(sizeof plantedRandom / sizeof plantedRandom[0] + 1);
    if (turn < (int)(sizeof plantedRandom / sizeof plantedRandom[0]) && length == sizeof plantedRandom[0]) {
        memcpy(buffer, plantedRandom[turn], length);
        plantedHandedOut++;
        return TRUE;
    }
    return realRandom(buffer, length);
}

std::string hexOf(const unsigned char (&bytes)[8])
{
    char text[17];
    for (int i = 0; i < 8; i++)
        snprintf(text + 2 * i, 3, "%02x", bytes[i]);
    return text;
}

std::string tempFolder()
{
    char path[MAX_PATH];
    GetTempPathA(MAX_PATH, path);
    return path;
}

std::string today()
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    char day[16];
    snprintf(day, sizeof day, "%04u%02u%02u", now.wYear, now.wMonth, now.wDay);
    return day;
}

struct Sweep {
    std::string victim;
    bool symbolicLinks = false;
    std::vector<std::string> planted;       // every plain file planted (and not to be changed)
    std::vector<std::string> names;         // every name planted, for the count
    std::vector<std::string> paths;         // and where, to clear them away
    int runs = 0, writtenThrough = 0, unlogged = 0;
    std::vector<std::string> holes;
};
Sweep *current;

// Counted by name: each kind's medium has the same names in its own folder.
void noteName(const std::string &path)
{
    current->paths.push_back(path);
    std::string name = namePart(path);
    for (const std::string &have : current->names)
        if (_stricmp(have.c_str(), name.c_str()) == 0)
            return;
    current->names.push_back(name);
}

void plant(const std::string &path, Object object)
{
    DeleteFileA(path.c_str());
    RemoveDirectoryA(path.c_str());
    switch (object) {
    case PLAIN_FILE:
        writeTextFile(path, plantedText);
        current->planted.push_back(path);
        break;
    case HARD_LINK:
        CreateHardLinkA(path.c_str(), current->victim.c_str(), nullptr);
        break;
    case SYMBOLIC_LINK:
        if (!current->symbolicLinks)
            return;
        CreateSymbolicLinkA(path.c_str(), current->victim.c_str(), 0);
        break;
    }
    noteName(path);
}

// Beside install.ini and the answer file, both in the medium's folder.
void plantBesideWriters(const std::string &medium)
{
    for (size_t i = 0; i < sizeof plantedRandom / sizeof plantedRandom[0]; i++)
        plant(medium + "~lu" + hexOf(plantedRandom[i]) + ".tmp", randomObjects[i]);
}

std::string plantedLogName;
Object plantedLogObject;

void plantForNamedLog(const std::string &medium)
{
    plantBesideWriters(medium);
    plant(medium + plantedLogName, plantedLogObject);
}

std::string defaultLogName(int counter)
{
    return tempFolder() + "lumoria-setup-" + today() + "-" + std::to_string(counter) + ".log";
}

void plantForDefaultLog(const std::string &medium)
{
    plantBesideWriters(medium);
    for (size_t i = 0; i < sizeof defaultLogObjects / sizeof defaultLogObjects[0]; i++)
        plant(defaultLogName((int)i + 1), defaultLogObjects[i]);
}

// Today's default logs, planted and made, gone before a run: the counter
// then starts again at the planted names.
void removeDefaultLogs()
{
    WIN32_FIND_DATAA found;
    std::string pattern = tempFolder() + "lumoria-setup-" + today() + "-*.log";
    HANDLE search = FindFirstFileA(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do
        DeleteFileA((tempFolder() + found.cFileName).c_str());
    while (FindNextFileA(search, &found));
    FindClose(search);
}

std::string newestDefaultLog()
{
    std::string newest;
    for (int counter = 1; counter < 100; counter++)
        if (fileExists(defaultLogName(counter)))
            newest = defaultLogName(counter);
    return newest;
}

void check(Sweep &sweep, const char *kind, const std::string &how, const std::string &logged)
{
    auto hole = [&](const std::string &what) {
        sweep.holes.push_back(std::string(kind) + " (" + how + "): " + what);
        printf("names: %s (%s): %s\n", kind, how.c_str(), what.c_str());
        fflush(stdout);
    };
    if (readTextFile(sweep.victim) != victimText) {
        sweep.writtenThrough++;
        hole("written through a link into " + sweep.victim);
        writeTextFile(sweep.victim, victimText);
    }
    for (const std::string &path : sweep.planted)
        if (!fileExists(path) || readTextFile(path) != plantedText) {
            sweep.writtenThrough++;
            hole("the planted file " + path + " was written or replaced");
        }
    if (!logged.empty() && (!fileExists(logged) || readTextFile(logged).empty())) {
        sweep.unlogged++;
        hole("no log at " + logged);
    }
}

void runPlanted(Sweep &sweep, int kind)
{
    const char *name = runKind(kind).name;
    for (const auto &log : namedLogs) {
        if (log.object == SYMBOLIC_LINK && !sweep.symbolicLinks)
            continue;
        sweep.planted.clear();
        plantedLogName = log.name;
        plantedLogObject = log.object;
        RunSetting setting;
        setting.afterPrepare = plantForNamedLog;
        setting.namedLog = log.name;
        runOnce(kind, -1, 0, setting);
        sweep.runs++;
        check(sweep, name, std::string("the named log ") + objectNames[log.object], "");
    }
    sweep.planted.clear();
    removeDefaultLogs();
    RunSetting setting;
    setting.afterPrepare = plantForDefaultLog;
    setting.defaultLog = true;
    runOnce(kind, -1, 0, setting);
    sweep.runs++;
    std::string logged = newestDefaultLog();
    bool fresh = !logged.empty();
    for (const std::string &path : sweep.paths)
        fresh = fresh && _stricmp(path.c_str(), logged.c_str()) != 0;
    check(sweep, name, "the default log", fresh ? logged : "a name of its own");
    removeDefaultLogs();
}

void startSweep(Sweep &sweep)
{
    current = &sweep;
    std::string folder = tempFolder() + "dialogint-names\\";
    CreateDirectoryA(folder.c_str(), nullptr);
    sweep.victim = folder + "victim.txt";
    writeTextFile(sweep.victim, victimText);
    std::string probe = folder + "probe.lnk";
    DeleteFileA(probe.c_str());
    sweep.symbolicLinks = CreateSymbolicLinkA(probe.c_str(), sweep.victim.c_str(), 0) &&
                          (GetFileAttributesA(probe.c_str()) & FILE_ATTRIBUTE_REPARSE_POINT) &&
                          GetFileAttributesA(probe.c_str()) != INVALID_FILE_ATTRIBUTES;
    DeleteFileA(probe.c_str());
    if (!sweep.symbolicLinks)
        printf("names: this system makes no symbolic links here: files and hard links only\n");
    ASSERT_NE(nullptr, EXPORTED(setupLogFile));   // the library is loaded
    void *was = patchImport(dialogintModule(), "ADVAPI32.dll", "SystemFunction036", (void *)knownRandom);
    ASSERT_NE(nullptr, was) << "the library no longer takes its random names from SystemFunction036";
    if (was != (void *)knownRandom)
        realRandom = (RandomFunction)was;
    randomCalls = 0;
    plantedHandedOut = 0;
}

void endSweep(Sweep &sweep, int kinds)
{
    patchImport(dialogintModule(), "ADVAPI32.dll", "SystemFunction036", (void *)realRandom);
    printf("names: %d runs, %d planted names handed to the writers\n", sweep.runs, plantedHandedOut);
    printf("names: %d names, %d kinds, %d written through\n", (int)sweep.names.size(), kinds,
           sweep.writtenThrough);
    fflush(stdout);
    EXPECT_EQ(0, sweep.writtenThrough) << "planted names were written through";
    EXPECT_EQ(0, sweep.unlogged) << "runs that logged nowhere new";
    EXPECT_GT(plantedHandedOut, 0) << "no writer met a planted name";
    for (const std::string &path : sweep.paths)
        DeleteFileA(path.c_str());
    current = nullptr;
}

} // namespace

TEST(NamesSweep, DialogKinds)
{
    if (getenv("FAULTS_CASE") || getenv("NAMES_SWEEP"))
        GTEST_SKIP();
    Sweep sweep;
    startSweep(sweep);
    int kinds = 0;
    for (int kind = 0; kind < runKindCount(); kind++)
        if (runKind(kind).withDialogs) {
            runPlanted(sweep, kind);
            kinds++;
        }
    endSweep(sweep, kinds);
}

TEST(NamesSweep, EveryKind)
{
    if (getenv("FAULTS_CASE") || !getenv("NAMES_SWEEP"))
        GTEST_SKIP() << "scripts/names.sh runs it";
    Sweep sweep;
    startSweep(sweep);
    for (int kind = 0; kind < runKindCount(); kind++)
        runPlanted(sweep, kind);
    endSweep(sweep, runKindCount());
}
