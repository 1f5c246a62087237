// setup_data_bench.cpp - times the setup data work on the largest catalogue:
// the catalogue build of progress mode 2 (prepareSetup, computeSelection 2)
// and the steps of mode 0 (writeFileLists, recordDefaults, writeProductDefaults),
// each bracketed as the progress dialog brackets it, once with every profile
// call made key by key and once the library's way (each file read whole once,
// install.ini replaced once), beside the physical limit, timed in the same
// run: reading both files whole, writing the resulting install.ini once,
// setting the same registry values, each key opened once, and asking each
// integration module its status once (the selection depends on the answers,
// and a module answers only when loaded: load, one call by ordinal, free).
// Prints minimum and median of each figure, the calls made, whether both
// ways left the same install.ini and registry, the part of the catalogue
// build spent on the integration modules, and the line
// "setup data work: <median> ms, limit: <median> ms, ratio <x>". Last comes
// a replayed setup, timed in the same repetitions: the whole dodialog entry
// answered by an answer file that names a custom selection, with no window,
// with the setup log and without, against the limit of a safe run: the same
// limit, what the registry journal must read for the undo (whether each key
// is there, each value as it stands before it is set) and what replacing
// install.ini atomically costs beyond writing it: "replayed setup: <median>
// ms, limit: ...". BENCH_REPLAY_ONLY=<n> runs n replayed setups and nothing
// else, for a profiler.
#include <windows.h>
#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

#include "catalogue/catalogue.h"
#include "catalogue/file_lists.h"
#include "catalogue/selection.h"
#include "registry/integrations.h"
#include "registry/product_defaults.h"
#include "state/module_lifecycle.h"
#include "state/profile.h"
#include "state/setup_state.h"
#include "state/text.h"
#include "steps/bookkeeping.h"
#include "steps/step_sets.h"
#include "support/largest_catalogue.h"
#include "support/test_support.h"

namespace {

constexpr int REPETITIONS = 5;

#define MENU_EXTENSION_ID "{4e8a1d60-b2c3-11ce-b4e5-00000451ee2e}"
#define SHEET_EXTENSION_ID "{4e8a1d60-b2c3-11ce-b4e5-00000451ee2f}"

const char *const shellExtensionKeys[] = {
    "CLSID\\" MENU_EXTENSION_ID, "*\\shellex\\ContextMenuHandlers\\" MENU_EXTENSION_ID,
    "CLSID\\" SHEET_EXTENSION_ID, "*\\shellex\\PropertySheetHandlers\\" SHEET_EXTENSION_ID,
};

void removeShellExtensionKeys()
{
    for (const char *key : shellExtensionKeys)
        RegDeleteTreeA(HKEY_CLASSES_ROOT, key);
}

double nowMs()
{
    static LARGE_INTEGER frequency;
    if (!frequency.QuadPart)
        QueryPerformanceFrequency(&frequency);
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return (double)t.QuadPart * 1000.0 / (double)frequency.QuadPart;
}

struct Media {
    std::string dir, ini, layout;
    std::string iniText, layoutText;   // as written, restored before every run
};

void restoreMedia(const Media &m)
{
    writeTextFile(m.ini, m.iniText);
    writeTextFile(m.layout, m.layoutText);
}

struct Run {
    double build = 0, steps = 0, probe = 0;
    std::vector<std::string> modulePaths;
    int64_t buildReads = 0, buildWrites = 0, stepReads = 0, stepWrites = 0, stepRegistry = 0;
    std::string iniAfter, registryAfter;
};

void dumpKey(HKEY root, const std::string &path, std::string &out)
{
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    out += "[" + path + "]\n";
    std::vector<std::string> values;
    for (DWORD i = 0;; i++) {
        char name[512];
        BYTE data[4096];
        DWORD nameSize = sizeof name, dataSize = sizeof data, type = 0;
        if (RegEnumValueA(key, i, name, &nameSize, nullptr, &type, data, &dataSize) != ERROR_SUCCESS)
            break;
        values.push_back(std::string(name, nameSize) + "=" + std::to_string(type) + ":" +
                         std::string((const char *)data, dataSize));
    }
    std::sort(values.begin(), values.end());
    for (const std::string &v : values)
        out += v + "\n";
    std::vector<std::string> subKeys = registrySubKeys(key);
    RegCloseKey(key);
    std::sort(subKeys.begin(), subKeys.end());
    for (const std::string &k : subKeys)
        dumpKey(root, path + "\\" + k, out);
}

struct RegistryKey {
    HKEY root;
    std::string path;
    std::vector<std::pair<std::string, std::string>> values;   // REG_SZ data with its zero
};

void collectKeys(HKEY root, const std::string &path, std::vector<RegistryKey> &out)
{
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    RegistryKey k{root, path, {}};
    for (DWORD i = 0;; i++) {
        char name[512];
        BYTE data[4096];
        DWORD nameSize = sizeof name, dataSize = sizeof data, type = 0;
        if (RegEnumValueA(key, i, name, &nameSize, nullptr, &type, data, &dataSize) != ERROR_SUCCESS)
            break;
        k.values.push_back({std::string(name, nameSize), std::string((const char *)data, dataSize)});
    }
    std::vector<std::string> subKeys = registrySubKeys(key);
    RegCloseKey(key);
    if (!k.values.empty())
        out.push_back(k);
    for (const std::string &sub : subKeys)
        collectKeys(root, path + "\\" + sub, out);
}

// What the steps leave in the registry: the product's trees and the shell
// extension keys.
std::vector<RegistryKey> writtenKeys()
{
    std::vector<RegistryKey> keys;
    collectKeys(HKEY_LOCAL_MACHINE, "SOFTWARE\\Jor", keys);
    collectKeys(HKEY_CURRENT_USER, "SOFTWARE\\Jor", keys);
    for (const char *key : shellExtensionKeys)
        collectKeys(HKEY_CLASSES_ROOT, key, keys);
    return keys;
}

// Sets the values, each key opened once; before them, a safe run's read of
// what its undo needs, timed apart into undoReadMs: whether the key is
// there (one open), and each value as it stands, one query into a buffer per
// value. A key made here has nothing to keep: its undo deletes it.
int setValuesOnOpenKeys(const std::vector<RegistryKey> &keys, double *undoReadMs)
{
    int count = 0;
    for (const RegistryKey &k : keys) {
        HKEY key;
        DWORD disposition = 0;
        double e0 = nowMs();
        if (RegOpenKeyExA(k.root, k.path.c_str(), 0, KEY_QUERY_VALUE, &key) == ERROR_SUCCESS)
            RegCloseKey(key);
        *undoReadMs += nowMs() - e0;
        if (RegCreateKeyExA(k.root, k.path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, &disposition) !=
            ERROR_SUCCESS)
            continue;
        double q0 = nowMs();
        for (const auto &v : k.values) {
            if (disposition != REG_OPENED_EXISTING_KEY)
                break;
            BYTE previous[512];
            DWORD type = 0, size = sizeof previous;
            RegQueryValueExA(key, v.first.c_str(), nullptr, &type, previous, &size);
        }
        *undoReadMs += nowMs() - q0;
        for (const auto &v : k.values) {
            RegSetValueExA(key, v.first.c_str(), 0, REG_SZ, (const BYTE *)v.second.data(), (DWORD)v.second.size());
            count++;
        }
        RegCloseKey(key);
    }
    return count;
}

std::string registryTrees()
{
    std::string out;
    dumpKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\Jor", out);
    dumpKey(HKEY_CURRENT_USER, "SOFTWARE\\Jor", out);
    return out;
}

void pointStateAt(const Media &m, HostSetupInfo &host)
{
    resetCoreState();
    SetupState &s = *setupState;
    copyText(s.sourceDir, sizeof s.sourceDir, m.dir.c_str());
    copyText(s.setupIniPath, sizeof s.setupIniPath, m.ini.c_str());
    copyText(s.layoutFilePath, sizeof s.layoutFilePath, m.layout.c_str());
    copyText(s.installDir, sizeof s.installDir, (m.dir + "target").c_str());
    copyText(s.platformName, sizeof s.platformName, "Windows NT");
    memset(&host, 0, sizeof host);
    s.hostRecord = &host;
    s.optionsPage = -1;
    s.languageFlags = 7;
    loadResourceModule();
}

std::vector<std::string> integrationModulePaths();

Run runSetupData(const Media &m, bool cached)
{
    Run r;
    HostSetupInfo host;
    restoreMedia(m);
    resetRegistry();
    pointStateAt(m, host);
    profileCacheEnabled = cached;

    int64_t reads = profileReadCalls, writes = profileWriteCalls;
    double t0 = nowMs();
    forgetProfileFiles();
    beginProfileWork();
    prepareSetup(nullptr);
    computeSelection(SELECT_EVERYTHING_PROBED);
    endProfileWork();
    double t1 = nowMs();
    r.build = t1 - t0;
    r.buildReads = profileReadCalls - reads;
    r.buildWrites = profileWriteCalls - writes;
    // The status query of every integration module, as the build made it.
    double p0 = nowMs();
    queryIntegrationStatus();
    r.probe = nowMs() - p0;
    r.modulePaths = integrationModulePaths();

    setupState->customSelectionMade = 1;
    spaceUsed = setupState->selectedSize;
    reads = profileReadCalls;
    writes = profileWriteCalls;
    int64_t registry = registryCalls;
    double t2 = nowMs();
    beginProfileWork();
    writeFileLists();
    recordDefaults();
    endProfileWork();
    writeProductDefaults();
    double t3 = nowMs();
    r.steps = t3 - t2;
    r.stepReads = profileReadCalls - reads;
    r.stepWrites = profileWriteCalls - writes;
    r.stepRegistry = registryCalls - registry;

    flushProfileWrites();
    releaseCatalogue();
    freeResourceModule();
    r.iniAfter = readTextFile(m.ini);
    r.registryAfter = registryTrees();
    profileCacheEnabled = true;
    return r;
}

// Every section of a profile file read once, through the profile API.
void readWholeProfile(const std::string &path)
{
    static char names[65536], section[65536];
    DWORD n = GetPrivateProfileSectionNamesA(names, sizeof names, path.c_str());
    for (const char *p = names; p < names + n && *p; p += strlen(p) + 1)
        GetPrivateProfileSectionA(p, section, sizeof section, path.c_str());
}

std::string readWholeFile(const std::string &path)
{
    std::string text;
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return text;
    DWORD size = GetFileSize(h, nullptr), got = 0;
    text.resize(size);
    if (size)
        ReadFile(h, &text[0], size, &got, nullptr);
    CloseHandle(h);
    text.resize(got);
    return text;
}

void writeWholeFile(const std::string &path, const std::string &text)
{
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    WriteFile(h, text.data(), (DWORD)text.size(), &written, nullptr);
    CloseHandle(h);
}

// The same bytes put in place as a safe run must: a new file beside the
// target, written and flushed, then moved over it in one step, so that a
// crash leaves the old file or the new one, never half of either.
void replaceWholeFile(const std::string &path, const std::string &text)
{
    std::string beside = path + ".new";
    HANDLE h = CreateFileA(beside.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    WriteFile(h, text.data(), (DWORD)text.size(), &written, nullptr);
    FlushFileBuffers(h);
    CloseHandle(h);
    MoveFileExA(beside.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
}

struct Limit {
    double profileRead = 0, rawRead = 0, write = 0, registry = 0, modules = 0, undoRead = 0, replace = 0;
    int sections = 0, values = 0, keys = 0;
};

// The module each INTEGRATION item names, as the catalogue build asks them.
std::vector<std::string> integrationModulePaths()
{
    const SetupState &s = *setupState;
    std::vector<std::string> paths;
    int count = std::min(s.groups[GROUP_INTEGRATION].itemCount, MAX_INTEGRATIONS);
    for (int i = 0; i < count; i++)
        paths.push_back(std::string(s.sourceDir) + s.integrationModulePrefix[i + 1] + "pnint.dll");
    return paths;
}

// Each module loaded as setup must load it (its own imports from its own
// folder and the system folder only), asked its status (ordinal 2) and
// freed, once.
double askModulesOnce(const std::vector<std::string> &paths)
{
    double t0 = nowMs();
    UINT previousMode = SetErrorMode(SEM_NOOPENFILEERRORBOX);
    for (const std::string &path : paths) {
        HMODULE module =
            LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32);
        if (!module)
            continue;
        FARPROC status = GetProcAddress(module, MAKEINTRESOURCEA(2));
        if (status)
            ((int(WINAPI *)())(void *)status)();
        FreeLibrary(module);
    }
    SetErrorMode(previousMode);
    return nowMs() - t0;
}

Limit measureLimit(const Media &m, const std::string &resultIni, const std::vector<RegistryKey> &keys,
                   const std::vector<std::string> &modulePaths)
{
    Limit l;
    l.modules = askModulesOnce(modulePaths);
    restoreMedia(m);
    resetRegistry();
    removeShellExtensionKeys();
    double r0 = nowMs();
    l.values = setValuesOnOpenKeys(keys, &l.undoRead);
    l.registry = nowMs() - r0 - l.undoRead;
    l.keys = (int)keys.size();
    double t0 = nowMs();
    readWholeProfile(m.ini);
    readWholeProfile(m.layout);
    double t1 = nowMs();
    readWholeFile(m.ini);
    readWholeFile(m.layout);
    double t2 = nowMs();
    writeWholeFile(m.dir + "result.ini", resultIni);
    double t3 = nowMs();
    replaceWholeFile(m.dir + "result.ini", resultIni);
    l.replace = nowMs() - t3;
    l.profileRead = t1 - t0;
    l.rawRead = t2 - t1;
    l.write = t3 - t2;
    static char names[65536];
    for (const std::string *path : {&m.ini, &m.layout}) {
        DWORD n = GetPrivateProfileSectionNamesA(names, sizeof names, path->c_str());
        for (const char *p = names; p < names + n && *p; p += strlen(p) + 1)
            l.sections++;
    }
    return l;
}

// The answer file of the replayed setup: a custom selection that changes
// several groups of the largest catalogue, into a folder below the media.
std::string customAnswers(const Media &m)
{
    return "[Setup]\r\nLanguage=english\r\nKind=custom\r\nInstallDir=" + m.dir + "target\r\n\r\n"
           "[Components]\r\nTPIC=0\r\nCONVTOOL=1\r\n\r\n"
           "[VWP]\r\nARWRITE=0\r\nBELWRITE=0\r\n\r\n"
           "[SPREADSHEET]\r\nARCALC=0\r\n";
}

struct Replayed {
    double ms = 0, answers = 0;   // the whole, and naming the answer file
    int result = 0;
};

// What a host waits for: the answer file named, then the whole dodialog
// entry, replayed, on the media and registry as the other runs find them.
Replayed runReplayedSetup(const Media &m, const std::string &answers, bool logged)
{
    restoreMedia(m);
    resetRegistry();
    resetCoreState();
    HostSetupInfo host = {};
    copyText(host.setupIniPath, sizeof host.setupIniPath, m.ini.c_str());
    copyText(host.layoutFilePath, sizeof host.layoutFilePath, m.layout.c_str());
    copyText(host.sourceDir, sizeof host.sourceDir, m.dir.c_str());
    copyText(host.installDir, sizeof host.installDir, (m.dir + "target").c_str());
    copyText(host.platformName, sizeof host.platformName, "Windows NT");
    host.languageFlags = LANGUAGE_ENGLISH;
    // The last run's log goes before the log is named: the library keeps
    // the file it names open, and a file deleted then would take its lines
    // with it.
    DeleteFileA((m.dir + "replay.log").c_str());
    setupLogFile(logged ? (m.dir + "replay.log").c_str() : nullptr);
    setupInstall(nullptr, m.dir.c_str(), m.dir.c_str());
    Replayed r;
    double t0 = nowMs();
    int usable = setupAnswers(answers.c_str(), ANSWERS_REPLAY);
    r.answers = nowMs() - t0;
    r.result = usable == 1 ? dodialog(nullptr, &host) : RESULT_NO_ANSWER;
    r.ms = nowMs() - t0;
    setupAnswers(nullptr, ANSWERS_OFF);
    setupLogFile(nullptr);
    return r;
}

struct Stat {
    double min, median;
};

Stat statOf(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return {v.front(), v[v.size() / 2]};
}

void printRow(const char *label, const std::vector<double> &keyByKey, const std::vector<double> &cached)
{
    Stat a = statOf(keyByKey), b = statOf(cached);
    printf("  %-28s %9.1f %9.1f   %9.1f %9.1f   %6.1fx\n", label, a.min, a.median, b.min, b.median,
           b.median > 0 ? a.median / b.median : 0.0);
}

}  // namespace

int main()
{
    Media m;
    m.dir = makeTempDir("bench");
    m.ini = m.dir + "install.ini";
    m.layout = m.dir + "setup.lay";
    installResourceModule(m.dir);
    for (const char *module : {"apnint.dll", "bpnint.dll", "cpnint.dll"})
        copyFileTo(exeDir() + module, m.dir + module);
    writeLargestCatalogue(m.dir);
    m.iniText = readTextFile(m.ini);
    m.layoutText = readTextFile(m.layout);

    std::vector<double> build[2], steps[2], total[2], probe, withoutProbe;
    std::vector<double> limitRead, limitRaw, limitWrite, limitRegistry, limitModules, limitTotal, profileLimitTotal;
    Run last[2];
    bool sameIni = true, sameRegistry = true;
    Limit limit;
    std::string answers = m.dir + "answers.ini";
    writeTextFile(answers, customAnswers(m));
    std::vector<double> replayed, replayedUnlogged, answersNamed, logPart, limitUndo, limitReplace, safeLimit;
    int replayedResult = 0;
    if (getenv("BENCH_REPLAY_ONLY")) {
        for (int i = 0; i < atoi(getenv("BENCH_REPLAY_ONLY")); i++)
            runReplayedSetup(m, answers, true);
        return 0;
    }
    for (int rep = 0; rep < REPETITIONS; rep++) {
        for (int cached = 0; cached < 2; cached++) {
            Run r = runSetupData(m, cached != 0);
            build[cached].push_back(r.build);
            steps[cached].push_back(r.steps);
            total[cached].push_back(r.build + r.steps);
            last[cached] = r;
            if (cached) {
                probe.push_back(r.probe);
                withoutProbe.push_back(r.build + r.steps - r.probe);
            }
        }
        sameIni = sameIni && last[0].iniAfter == last[1].iniAfter;
        sameRegistry = sameRegistry && last[0].registryAfter == last[1].registryAfter;
        limit = measureLimit(m, last[1].iniAfter, writtenKeys(), last[1].modulePaths);
        limitRead.push_back(limit.profileRead);
        limitRaw.push_back(limit.rawRead);
        limitWrite.push_back(limit.write);
        limitRegistry.push_back(limit.registry);
        limitModules.push_back(limit.modules);
        limitTotal.push_back(limit.rawRead + limit.write + limit.registry + limit.modules);
        profileLimitTotal.push_back(limit.profileRead + limit.write);
        limitUndo.push_back(limit.undoRead);
        double replaceBeyondWrite = std::max(0.0, limit.replace - limit.write);
        limitReplace.push_back(replaceBeyondWrite);
        safeLimit.push_back(limitTotal.back() + limit.undoRead + replaceBeyondWrite);
        // Each way goes first in every other repetition: the first replay after
        // the limit finds the caches of the system otherwise than the second.
        Replayed quiet, r;
        if (rep % 2)
            r = runReplayedSetup(m, answers, true);
        quiet = runReplayedSetup(m, answers, false);
        if (rep % 2 == 0)
            r = runReplayedSetup(m, answers, true);
        replayedUnlogged.push_back(quiet.ms);
        replayed.push_back(r.ms);
        answersNamed.push_back(r.answers);
        logPart.push_back(r.ms - quiet.ms);
        replayedResult = r.result == quiet.result ? r.result : -100;
    }
    resetRegistry();

    printf("Setup data work on the largest catalogue (%d repetitions; milliseconds)\n", REPETITIONS);
    printf("  install.ini %u bytes, layout file %u bytes, %d sections in both\n", (unsigned)m.iniText.size(),
           (unsigned)m.layoutText.size(), limit.sections);
    printf("  %-28s %9s %9s   %9s %9s   %7s\n", "", "key-by-key", "", "one read", "", "speed-up");
    printf("  %-28s %9s %9s   %9s %9s\n", "", "min", "median", "min", "median");
    printRow("catalogue build (mode 2)", build[0], build[1]);
    printRow("steps of mode 0", steps[0], steps[1]);
    printRow("setup data work", total[0], total[1]);
    printf("\nPhysical limit (%d registry values in %d keys)\n", limit.values, limit.keys);
    Stat raw = statOf(limitRaw), write = statOf(limitWrite), registry = statOf(limitRegistry),
         asked = statOf(limitModules),
         all = statOf(limitTotal), read = statOf(limitRead), profileAll = statOf(profileLimitTotal);
    printf("  %-52s %9.2f %9.2f\n", "read both files whole (ReadFile)", raw.min, raw.median);
    printf("  %-52s %9.2f %9.2f\n", "write the resulting install.ini once (WriteFile)", write.min, write.median);
    printf("  %-52s %9.2f %9.2f\n", "set the same registry values, each key opened once", registry.min,
           registry.median);
    printf("  %-52s %9.2f %9.2f\n", "ask each integration module once (load, call, free)", asked.min,
           asked.median);
    printf("  %-52s %9.2f %9.2f\n", "limit (the four above)", all.min, all.median);
    printf("  %-52s %9.2f %9.2f\n", "earlier limit: every section once (profile API)", read.min, read.median);
    printf("  %-52s %9.2f %9.2f\n", "earlier limit with the write", profileAll.min, profileAll.median);
    Stat keyByKey = statOf(total[0]), oneRead = statOf(total[1]);
    printf("\nRatio to the limit (medians): key-by-key %.1f, one read %.1f\n", keyByKey.median / all.median,
           oneRead.median / all.median);
    Stat modules = statOf(probe), rest = statOf(withoutProbe);
    printf("  %-52s %9.2f %9.2f\n", "of which loading the integration modules", modules.min, modules.median);
    Stat filesOnly = statOf(limitTotal);
    filesOnly.median -= asked.median;
    printf("  %-52s %9.2f %9.2f   ratio %.1f to the limit without the modules\n",
           "setup data work without the module loading", rest.min, rest.median,
           filesOnly.median > 0 ? rest.median / filesOnly.median : 0.0);
    printf("\nCalls per run          profile reads  profile writes  registry (steps)\n");
    for (int cached = 0; cached < 2; cached++) {
        const Run &r = last[cached];
        printf("  %-10s build %8lld %15lld\n", cached ? "one read" : "key-by-key", (long long)r.buildReads,
               (long long)r.buildWrites);
        printf("  %-10s steps %8lld %15lld %17lld\n", "", (long long)r.stepReads, (long long)r.stepWrites,
               (long long)r.stepRegistry);
    }
    printf("\nBoth ways leave the same install.ini: %s; the same registry: %s\n", sameIni ? "yes" : "NO",
           sameRegistry ? "yes" : "NO");
    printf("setup data work: %.1f ms, limit: %.1f ms, ratio %.1f\n", oneRead.median, all.median,
           oneRead.median / all.median);
    Stat replay = statOf(replayed);
    if (replayedResult != DODIALOG_CUSTOM)
        printf("the replayed setup answered %d, not %d (custom): see %sreplay.log\n", replayedResult,
               DODIALOG_CUSTOM, m.dir.c_str());
    Stat undo = statOf(limitUndo), replaced = statOf(limitReplace), safe = statOf(safeLimit), quiet = statOf(replayedUnlogged),
         named = statOf(answersNamed), logged = statOf(logPart);
    printf("\nReplayed setup (the dodialog entry from an answer file) and the limit of a safe run\n");
    printf("  %-52s %9.2f %9.2f\n", "name the answer file (setupAnswers)", named.min, named.median);
    printf("  %-52s %9.2f %9.2f\n", "replayed setup with the log", replay.min, replay.median);
    printf("  %-52s %9.2f %9.2f\n", "replayed setup without the log", quiet.min, quiet.median);
    printf("  %-52s %9.2f %9.2f\n", "the log's part (with less without)", logged.min, logged.median);
    printf("  %-52s %9.2f %9.2f\n", "limit (the four above)", all.min, all.median);
    printf("  %-52s %9.2f %9.2f\n", "for the undo: whether each key is there, each value", undo.min,
           undo.median);
    printf("  %-52s %9.2f %9.2f\n", "install.ini replaced atomically, beyond the write", replaced.min,
           replaced.median);
    printf("  %-52s %9.2f %9.2f\n", "limit of a safe run (the six)", safe.min, safe.median);
    printf("replayed setup without the log: %.1f ms, limit: %.1f ms, ratio %.1f\n", quiet.median, safe.median,
           quiet.median / safe.median);
    printf("replayed setup: %.1f ms, limit: %.1f ms, ratio %.1f\n", replay.median, safe.median,
           replay.median / safe.median);
    return sameIni && sameRegistry && replayedResult == DODIALOG_CUSTOM ? 0 : 1;
}
