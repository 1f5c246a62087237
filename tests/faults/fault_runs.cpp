// fault_runs.cpp - the kinds of run, the autopilot's answers to every dialog
// they show, and the read-back and comparison of what a run left.
#include "faults/fault_runs.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <sstream>

#include "autopilot/autopilot.h"
#include "dialogint.h"
#include "faults/fault_injection.h"
#include "faults/planting.h"
#include "luinsres_ids.h"
#include "support/test_support.h"

namespace {

enum Kind { STANDARD, CUSTOM, WORKSTATION, NETWORK, MAINTENANCE, HAVE_KEY, LANGUAGE, INTEG_DEINSTALL,
            DELETE_SHARE, UNLOAD, SETUP_INSTALL, ACCESSIBLE, INTEG_INSTALL, LOAD_LAUNCH, UPDATE, REPLAY, KIND_COUNT };

const RunKind kinds[KIND_COUNT] = {
    {"standard", true},   {"custom", true},          {"workstation", false}, {"network", true},
    {"maintenance", false}, {"HaveKeyDialog", true},  {"initLanguage", true},  {"IntegDeinstall", false},
    {"DeleteShareDLL", true}, {"unLoadDriver", false}, {"setupInstall", false},
    // A custom setup whose component list is asked for its accessible object,
    // as a screen reader asks.
    {"accessible", true},     {"IntegInstall", false},   {"LoadLaunch", false},
    // A custom update over the installed selection, and a custom setup
    // replayed from an answer file with no dialog at all.
    {"update", false},        {"replay", false},
};

// The replay's answers: a custom selection with a few things left out.
const char *const replayAnswers[] = {
    "[Setup]", "Kind=custom", "InstallDir=%starget", "[Components]", "SPREADSHEET=0", "[VWP]", "LOOM=0",
    "[MANUAL]", "MANUAL=0",
};

const char *const sharedFile = "C:\\dialogint-faults\\shared-a.dll";
const char *const shellKeys[] = {
    "CLSID\\{4e8a1d60-b2c3-11ce-b4e5-00000451ee2e}",
    "CLSID\\{4e8a1d60-b2c3-11ce-b4e5-00000451ee2f}",
    "*\\shellex\\ContextMenuHandlers\\{4e8a1d60-b2c3-11ce-b4e5-00000451ee2e}",
    "*\\shellex\\PropertySheetHandlers\\{4e8a1d60-b2c3-11ce-b4e5-00000451ee2f}",
};
const char *const runKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
const char *const sharedDllsKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";

uint64_t hashBytes(const std::string &bytes)
{
    uint64_t h = 1469598103934665603ull;
    for (unsigned char c : bytes)
        h = (h ^ c) * 1099511628211ull;
    return h;
}

uint64_t fileHash(const std::string &path)
{
    return fileExists(path) ? hashBytes(readTextFile(path)) : 0;
}

// Every run of a kind uses the same folder, so that the paths the library
// writes into install.ini and the registry are the same in each.
std::string kindFolder(int kind)
{
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    std::string root = std::string(temp) + "dialogint-faults\\";
    CreateDirectoryA(root.c_str(), nullptr);
    std::string dir = root + kinds[kind].name + "\\";
    removeTree(dir);
    CreateDirectoryA(dir.c_str(), nullptr);
    return dir;
}

std::string valueText(HKEY root, const char *key, const char *name)
{
    DWORD type = 0;
    std::string data;
    if (!readRegValue(root, key, name, &type, &data))
        return "<none>";
    return std::to_string(type) + ":" + data;
}

std::string productRegistry()
{
    std::string out;
    out += registryTreeText(HKEY_LOCAL_MACHINE, "SOFTWARE\\Jor");
    out += "--user\n";
    out += registryTreeText(HKEY_CURRENT_USER, "SOFTWARE\\Jor");
    out += "--shell\n";
    for (const char *key : shellKeys)
        out += registryTreeText(HKEY_CLASSES_ROOT, key);
    out += "run=" + valueText(HKEY_LOCAL_MACHINE, runKey, "lxldmgr") + "\n";
    out += "shared=" + valueText(HKEY_LOCAL_MACHINE, sharedDllsKey, sharedFile) + "\n";
    return out;
}

void resetProductRegistry()
{
    resetRegistry();
    for (const char *key : shellKeys)
        RegDeleteTreeA(HKEY_CLASSES_ROOT, key);
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, sharedDllsKey, 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
        RegDeleteValueA(key, sharedFile);
        RegCloseKey(key);
    }
}

// The answers a person gives, by what the dialog is. The main dialog is
// answered with the kind's button once; should it come back (an options
// dialog that ended without a selection), setup is cancelled.
int currentKind;
int mainDialogsSeen;
std::string currentMedia;

void answerDialog(HWND dialog, DialogSeen &seen)
{
    if (seen.messageBox) {
        // A folder of the run's that could not be made: another is chosen,
        // as a person who did not ask for the default folder would.
        bool folderBox = !currentMedia.empty() && _strnicmp(seen.text.c_str(), currentMedia.c_str(),
                                                            currentMedia.size()) == 0;
        int button = folderBox && seen.control(IDNO) ? IDNO
                     : seen.control(IDYES)            ? IDYES
                     : seen.control(IDOK)             ? IDOK
                                                      : 0;
        // A box that only tells, over a dialog that stays open after it (a
        // choice the dialog refused): a person reads it and cancels.
        HWND owner = GetWindow(dialog, GW_OWNER);
        bool refusal = button == IDOK && !seen.control(IDCANCEL) && owner &&
                       (GetDlgItem(owner, IDC_MAIN_DIRECTORY) || GetDlgItem(owner, IDC_OPTIONS_DESCRIPTION));
        if (button)
            clickButton(dialog, button);
        else
            PostMessageA(dialog, WM_CLOSE, 0, 0);
        if (refusal)
            PostMessageA(owner, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), (LPARAM)GetDlgItem(owner, IDCANCEL));
        return;
    }
    if (seen.control(IDC_PROGRESS_MESSAGE))
        return;   // it ends by itself
    // The templates share control numbers: each is told by one it alone has,
    // or by the pair.
    bool directory = seen.control(IDC_MAIN_DIRECTORY) != nullptr;
    if (directory && seen.control(IDC_MAIN_WORKSTATION)) {
        int button = currentKind == CUSTOM || currentKind == ACCESSIBLE || currentKind == UPDATE ? IDC_MAIN_CUSTOM
                     : currentKind == WORKSTATION ? IDC_MAIN_WORKSTATION
                                                  : IDC_MAIN_STANDARD;
        clickButton(dialog, mainDialogsSeen++ == 0 ? button : IDCANCEL);
        return;
    }
    if (directory) {
        clickButton(dialog, IDOK);   // the network dialog
        return;
    }
    if (seen.control(IDC_OPTIONS_DESCRIPTION)) {
        if (currentKind == ACCESSIBLE) {
            // The object's reference is left to lapse: a screen reader would
            // take it, and this child ends soon after.
            DWORD_PTR answer = 0;
            SendMessageTimeoutA(GetDlgItem(dialog, IDC_OPTIONS_LIST), WM_GETOBJECT, 0, (LPARAM)OBJID_CLIENT,
                                SMTO_ABORTIFHUNG, 5000, &answer);
        }
        clickButton(dialog, IDOK);
        return;
    }
    if (seen.control(IDC_LANGUAGE_SPANISH)) {
        clickButton(dialog, IDC_LANGUAGE_GERMAN);
        clickButton(dialog, IDOK);
        return;
    }
    if (seen.control(IDC_REINSTALL_REMOVE)) {
        clickButton(dialog, IDC_REINSTALL_MODIFY);
        return;
    }
    PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
}

void fillRecord(HostSetupInfo &record, const std::string &media)
{
    memset(&record, 0, sizeof record);
    snprintf(record.setupIniPath, sizeof record.setupIniPath, "%sinstall.ini", media.c_str());
    snprintf(record.layoutFilePath, sizeof record.layoutFilePath, "%ssetup.lay", media.c_str());
    snprintf(record.installedIniPath, sizeof record.installedIniPath, "%sinstalled.ini", media.c_str());
    snprintf(record.installedLayoutFilePath, sizeof record.installedLayoutFilePath, "%ssetup.lay", media.c_str());
    snprintf(record.sourceDir, sizeof record.sourceDir, "%s", media.c_str());
    snprintf(record.installDir, sizeof record.installDir, "%starget", media.c_str());
    snprintf(record.serverDir, sizeof record.serverDir, "%sserver\\", media.c_str());
    snprintf(record.platformName, sizeof record.platformName, "Windows NT");
    record.languageFlags = LANGUAGE_ENGLISH;
}

void setSharedCount(DWORD count)
{
    HKEY key;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, sharedDllsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return;
    RegSetValueExA(key, sharedFile, 0, REG_DWORD, (const BYTE *)&count, sizeof count);
    RegCloseKey(key);
}

void prepare(int kind, const std::string &media, HostSetupInfo &record)
{
    std::string sample = testFilesDir() + "media\\";
    for (const char *file : {"install.ini", "setup.lay", "installed.ini"})
        copyFileTo(sample + file, media + file);
    installResourceModule(media);
    for (const char *module : {"apnint.dll", "bpnint.dll", "cpnint.dll"})
        copyFileTo(testFilesDir() + module, media + module);
    fillRecord(record, media);
    switch (kind) {
    case MAINTENANCE:
        record.maintenanceMode = 1;
        break;
    case UPDATE:
        record.upgradeMode = 1;
        break;
    case REPLAY: {
        std::string text;
        char line[MAX_PATH + 32];
        for (const char *answer : replayAnswers) {
            snprintf(line, sizeof line, answer, media.c_str());
            text += std::string(line) + "\r\n";
        }
        writeTextFile(media + "answers.ini", text);
        break;
    }
    case HAVE_KEY:
        setRegText(HKEY_LOCAL_MACHINE, "SOFTWARE\\Jor\\Lumoria\\General", "Home", (media + "target").c_str());
        setRegText(HKEY_LOCAL_MACHINE, "SOFTWARE\\Jor\\Lumoria\\General", "Internal", "LU-4.0.0");
        break;
    case INTEG_DEINSTALL:
    case INTEG_INSTALL:
        memset(record.integrationResults, 1, 3);
        break;
    case LOAD_LAUNCH:
        CreateDirectoryA((media + "target").c_str(), nullptr);
        copyFileTo(testFilesDir() + "lxlm.dll", media + "target\\lxlm.dll");
        break;
    case DELETE_SHARE:
        setSharedCount(1);
        break;
    default:
        break;
    }
}

std::string recordFields(const HostSetupInfo &record)
{
    std::ostringstream out;
    out << " choices " << record.readmeChoice << record.manualChoice << record.convToolChoice
        << record.viewEngineChoice << " integrations";
    for (int i = 0; i < 20; i++)
        out << (int)record.integrationResults[i];
    out << " dir " << record.installDir;
    return out.str();
}

std::string run(int kind, HostSetupInfo &record, const std::string &media)
{
    int32_t flag = 0;
    switch (kind) {
    case STANDARD:
    case CUSTOM:
    case WORKSTATION:
    case MAINTENANCE:
    case ACCESSIBLE:
    case UPDATE:
    case REPLAY: {
        int code = EXPORTED(dodialog)(nullptr, &record);
        return std::to_string(code) + recordFields(record);
    }
    case NETWORK: {
        int code = EXPORTED(networkInstall)(nullptr, &record);
        return std::to_string(code) + recordFields(record);
    }
    case HAVE_KEY: {
        int code = EXPORTED(HaveKeyDialog)(nullptr, &flag, &record);
        return std::to_string(code) + " workstation " + std::to_string(flag) + " dir " + record.installDir;
    }
    case LANGUAGE:
        return std::to_string(EXPORTED(initLanguage)(nullptr, &record));
    case INTEG_DEINSTALL: {
        int code = EXPORTED(IntegDeinstall)(0, 0, &record);
        return std::to_string(code) + recordFields(record);
    }
    case DELETE_SHARE: {
        int32_t answer = -1;
        int code = EXPORTED(DeleteShareDLL)("SHARED-A.DLL", &answer, sharedFile, media.c_str());
        // The answer is what this entry tells the host: it leads.
        return "answer" + std::to_string(answer) + " " + std::to_string(code);
    }
    case UNLOAD:
        return std::to_string(EXPORTED(unLoadDriver)(0));
    case SETUP_INSTALL: {
        int code = EXPORTED(setupInstall)(nullptr, (media + "server\\").c_str(), media.c_str());
        char text[256] = "";
        int loaded = EXPORTED(installLoadStr)(IDS_UPGRADE_CUSTOM, text, media.c_str());
        // Both results tell the host something: both lead.
        return std::to_string(code) + "," + std::to_string(loaded) + " " + text;
    }
    case INTEG_INSTALL: {
        int code = EXPORTED(IntegInstall)(0, 0, &record);
        return std::to_string(code) + recordFields(record);
    }
    case LOAD_LAUNCH:
        return std::to_string(EXPORTED(LoadLaunch)((media + "target").c_str()));
    }
    return "";
}

std::string boxesSeen()
{
    std::string boxes;
    for (const DialogSeen &seen : autopilotLog())
        if (seen.messageBox)
            boxes += seen.caption + "|" + seen.text + ";";
    // One line in the outcome file.
    for (char &c : boxes)
        if (c == '\r' || c == '\n')
            c = ' ';
    return boxes;
}

std::string hex(uint64_t value)
{
    char text[24];
    snprintf(text, sizeof text, "%016llx", (unsigned long long)value);
    return text;
}

} // namespace

int runKindCount() { return KIND_COUNT; }
const RunKind &runKind(int index) { return kinds[index]; }

int runKindIndex(const std::string &name)
{
    for (int i = 0; i < KIND_COUNT; i++)
        if (name == kinds[i].name)
            return i;
    return -1;
}

RunOutcome runOnce(int kind, int function, int64_t nth, const RunSetting &setting)
{
    RunOutcome outcome;
    markLibraryEntered();
    std::string media = kindFolder(kind);
    std::string logPath = media + (setting.namedLog.empty() ? "setup.log" : setting.namedLog);
    resetProductRegistry();
    HostSetupInfo record;
    prepare(kind, media, record);
    plantOnMedium(media);
    if (setting.afterPrepare)
        setting.afterPrepare(media);
    outcome.iniBefore = fileHash(media + "install.ini");
    outcome.registryBefore = hashBytes(productRegistry());
    // A replay reads its answers.ini; other runs record into it where the
    // library keeps its default log.
    bool answers = kind == REPLAY || setting.defaultLog;
    if (!setting.defaultLog)
        EXPORTED(setupLogFile)(logPath.c_str());
    if (answers)
        EXPORTED(setupAnswers)((media + "answers.ini").c_str(), kind == REPLAY ? ANSWERS_REPLAY : ANSWERS_RECORD);

    currentKind = kind;
    currentMedia = media;
    mainDialogsSeen = 0;
    autopilotStart();
    // More answers than any run shows dialogs; those left are not used.
    for (int i = 0; i < 40; i++)
        autopilotQueue(answerDialog);
    // The platform's profile functions keep a handle for the life of the
    // process once first used: the library falls back on them when its own
    // reading runs out of memory, and that handle is no leak of the run's.
    // So does the first window (the desktop and the thread's queue): a run
    // whose only window is a box must not count those as its own.
    char warm[8];
    GetPrivateProfileStringA("warm", "up", "", warm, sizeof warm, (media + "warm.ini").c_str());
    DestroyWindow(CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr));
    int handlesBefore = countOpenHandles();
    startFaultCounting();
    armFault(function, nth);
    outcome.result = run(kind, record, media);
    stopFaultCounting();
    armFault(-1, 0);
    outcome.handlesLeft = countOpenHandles() - handlesBefore;
    outcome.gdiKept = gdiObjectsKept();
    autopilotStop();
    EXPORTED(setupLogFile)(nullptr);
    if (answers)
        EXPORTED(setupAnswers)(nullptr, ANSWERS_OFF);

    outcome.fired = faultFired();
    outcome.ini = fileHash(media + "install.ini");
    outcome.registry = hashBytes(productRegistry());
    outcome.boxes = boxesSeen();
    // FAULTS_DUMP=<path>: what the run left, to compare two runs by hand.
    if (const char *dump = getenv("FAULTS_DUMP")) {
        writeTextFile(std::string(dump) + ".reg", productRegistry());
        copyFileTo(media + "install.ini", std::string(dump) + ".ini");
        copyFileTo(logPath, std::string(dump) + ".log");
    }
    for (int i = 0; i < faultableCount(); i++)
        outcome.calls.push_back(callsMade(i));
    if (function >= 0) {
        std::string code = "error " + std::to_string(faultable(function).error);
        outcome.logged = readTextFile(logPath).find(code) != std::string::npos;
    }
    resetProductRegistry();
    return outcome;
}

std::string describeOutcome(const RunOutcome &o)
{
    std::ostringstream out;
    out << "fired=" << o.fired << "\nresult=" << o.result << "\niniBefore=" << hex(o.iniBefore)
        << "\nini=" << hex(o.ini) << "\nregistryBefore=" << hex(o.registryBefore) << "\nregistry=" << hex(o.registry)
        << "\nboxes=" << o.boxes << "\nhandlesLeft=" << o.handlesLeft << "\ngdiKept=" << o.gdiKept
        << "\nlogged=" << o.logged << "\ncalls=";
    for (int64_t n : o.calls)
        out << n << " ";
    out << "\nend=1\n";
    return out.str();
}

bool parseOutcome(const std::string &text, RunOutcome *o)
{
    std::istringstream lines(text);
    std::string line;
    bool ended = false;
    while (std::getline(lines, line)) {
        size_t equals = line.find('=');
        if (equals == std::string::npos)
            continue;
        std::string key = line.substr(0, equals), value = line.substr(equals + 1);
        if (key == "fired") o->fired = value == "1";
        else if (key == "result") o->result = value;
        else if (key == "iniBefore") o->iniBefore = strtoull(value.c_str(), nullptr, 16);
        else if (key == "ini") o->ini = strtoull(value.c_str(), nullptr, 16);
        else if (key == "registryBefore") o->registryBefore = strtoull(value.c_str(), nullptr, 16);
        else if (key == "registry") o->registry = strtoull(value.c_str(), nullptr, 16);
        else if (key == "boxes") o->boxes = value;
        else if (key == "handlesLeft") o->handlesLeft = atoi(value.c_str());
        else if (key == "gdiKept") o->gdiKept = atoi(value.c_str());
        else if (key == "logged") o->logged = value == "1";
        else if (key == "calls") {
            std::istringstream numbers(value);
            long long n;
            o->calls.clear();
            while (numbers >> n)
                o->calls.push_back(n);
        } else if (key == "end") ended = true;
    }
    return ended;
}

const char *verdictName(Verdict verdict)
{
    switch (verdict) {
    case Verdict::Harmless: return "harmless";
    case Verdict::Reported: return "reported";
    case Verdict::Crashed: return "crashed";
    case Verdict::Hung: return "hung";
    case Verdict::Mixed: return "mixed";
    case Verdict::Silent: return "silent";
    case Verdict::Degraded: return "degraded";
    }
    return "?";
}

// The calls whose failure the library meets with a fallback that still
// installs: a run with one of them failing may succeed with other figures,
// provided the setup log names the failure with its code.
const struct {
    const char *function;
    const char *fallback;
} fallbacks[] = {
    {"GetShortPathNameA", "the folder keeps its long form"},
    {"LoadLibraryExA", "an integration module that cannot be loaded offers no integration"},
};

Verdict judge(const RunOutcome &clean, const RunOutcome &faulty, int function, std::string *why)
{
    why->clear();
    if (faulty.handlesLeft > clean.handlesLeft)
        *why += "handle leaked; ";
    if (faulty.gdiKept > clean.gdiKept)
        *why += "GDI object leaked; ";
    if (!why->empty())
        return Verdict::Mixed;
    if (faulty.result == clean.result && faulty.ini == clean.ini && faulty.registry == clean.registry &&
        faulty.boxes == clean.boxes)
        return Verdict::Harmless;
    // The code alone tells the host; the record's other fields are results.
    auto code = [](const std::string &result) { return result.substr(0, result.find(' ')); };
    if (code(faulty.result) == code(clean.result) && faulty.boxes == clean.boxes) {
        for (const auto &f : fallbacks)
            if (faulty.logged && function >= 0 && strcmp(faultable(function).name, f.function) == 0) {
                *why = f.fallback;
                return Verdict::Degraded;
            }
        *why = faulty.ini != clean.ini           ? "install.ini differs, success reported"
               : faulty.registry != clean.registry ? "registry differs, success reported"
                                                   : "record filled differently, success reported: " + faulty.result;
        return Verdict::Silent;
    }
    // Reported: what it leaves must be what was there, or the whole run.
    if (faulty.ini != faulty.iniBefore && faulty.ini != clean.ini)
        *why += "install.ini half-written; ";
    if (faulty.registry != faulty.registryBefore && faulty.registry != clean.registry)
        *why += "registry half-written; ";
    if (!why->empty()) {
        *why += "result " + code(faulty.result);
        return Verdict::Mixed;
    }
    return Verdict::Reported;
}

void setSweepSystemLanguage(bool on)
{
    static bool saved;
    static char previous[64];
    char winIni[MAX_PATH];
    GetWindowsDirectoryA(winIni, MAX_PATH);
    strncat(winIni, "\\win.ini", MAX_PATH - strlen(winIni) - 1);
    if (on) {
        saved = GetPrivateProfileStringA("intl", "sLanguage", "\x01", previous, sizeof previous, winIni) > 0 &&
                previous[0] != '\x01';
        WritePrivateProfileStringA("intl", "sLanguage", "esp", winIni);
    } else {
        WritePrivateProfileStringA("intl", "sLanguage", saved ? previous : nullptr, winIni);
    }
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, winIni);
}
