// setup_runs.cpp - the host's side of a whole setup for the unattended tests:
// fresh state, the calls in the host's order, the dialogs a person answers
// (on the autopilot), what the run leaves read back, and the window counter.
#include "unattended/setup_runs.h"

#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <vector>

#include <shlobj.h>

#include "autopilot/autopilot.h"
#include "luinsres_ids.h"
#include "registry/registry_access.h"
#include "registry/registry_readback.h"
#include "registry/previous_install.h"
#include "support/import_patch.h"
#include "support/test_support.h"

const RunCase runCases[] = {
    {"STANDARD", RUN_STANDARD, "dodialog 1", "answer Kind=standard (from the answer file)"},
    {"CUSTOM", RUN_CUSTOM, "dodialog 2", "selection: SPREADSHEET chosen: GRIDWISE JSHEET3"},
    {"WORKST", RUN_WORKSTATION, "dodialog 3", "dodialog: workstation: the registry names the server folder"},
    {"NETWORK", RUN_NETWORK, "networkInstall 1", "networkInstall: install.ini written"},
    {"MODIFY", RUN_MODIFY, "dodialog 1", "dodialog: file list REMOVEFILES written"},
    {"REMOVE", RUN_REMOVE, "DeleteShareDLL jorcnvrt.dll: answer 0",
     "answer SharedFiles/C:\\LUTEST\\REMOVE\\jorcnvrt.dll=keep (from the answer file)"},
    // A custom run over the installation installed.ini describes: the
    // selection starts from that installation's.
    {"UPGRADE", RUN_UPGRADE, "dodialog 2", "selection: INTEGRATION chosen: JORMAIL\r\n"},
};
const size_t runCaseCount = sizeof runCases / sizeof runCases[0];

namespace {

const char LUTEST[] = "C:\\LUTEST";
const char *const SHARED_FILES[] = {"wpcommon.dll", "jorcnvrt.dll"};

std::string sharedValueName(const std::string &folder, const char *file) { return folder + "\\" + file; }

void removeSharedValues(const std::string &installRoot)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, SHARED_DLLS_KEY, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return;
    for (size_t r = 0; r < runCaseCount; r++)
        for (const char *file : SHARED_FILES)
            RegDeleteValueA(key, sharedValueName(installRoot + "\\" + runCases[r].name, file).c_str());
    RegCloseKey(key);
}

// A folder and the ones it lies in; names of any code page are made whole,
// never split at a byte that only looks like a separator.
void makeFolders(const std::string &folder) { SHCreateDirectoryExA(nullptr, folder.c_str(), nullptr); }

void setSharedCount(const std::string &name, DWORD count)
{
    HKEY key;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, SHARED_DLLS_KEY, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return;
    RegSetValueExA(key, name.c_str(), 0, REG_DWORD, (const BYTE *)&count, sizeof count);
    RegCloseKey(key);
}

void dumpKey(HKEY root, const std::string &rootName, const std::string &path, std::vector<std::string> *lines)
{
    for (const auto &value : readKeyValues(root, path)) {
        char type[16];
        snprintf(type, sizeof type, "%lu", (unsigned long)value.second.type);
        std::string data = registryEscaped(std::string(value.second.data.begin(), value.second.data.end()));
        lines->push_back(rootName + "\\" + path + " / " + value.first + " (" + type + ") = " + data);
    }
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    std::vector<std::string> subKeys = registrySubKeys(key);
    RegCloseKey(key);
    for (const std::string &sub : subKeys)
        dumpKey(root, rootName, path + "\\" + sub, lines);
}

// Only the paths it may name are put into a DialogAction; the rest waits
// for the step that follows in the host's order.
void onProgress() { autopilotQueueForControl(IDC_PROGRESS_MESSAGE, inspect([](HWND) {})); }

DialogAction languageChoice(RunLanguage language)
{
    int button = language == RUN_GERMAN ? IDC_LANGUAGE_GERMAN : IDC_LANGUAGE_ENGLISH;
    return [button](HWND dialog, DialogSeen &) {
        SendDlgItemMessageA(dialog, button, BM_CLICK, 0, 0);
        clickButton(dialog, IDOK);
    };
}

// A click on a list entry: the first highlights it, a click on the
// highlighted entry selects or deselects it.
DialogStep click(int position) { return selectEntry(IDC_OPTIONS_LIST, position); }

} // namespace

std::string registryEscaped(const std::string &bytes)
{
    std::string text;
    for (unsigned char c : bytes) {
        char hex[4];
        snprintf(hex, sizeof hex, c >= 32 && c < 127 && c != '\\' ? "%c" : "\\%02x", c);
        text += hex;
    }
    return text;
}

std::string hexOf(const unsigned char *bytes, size_t count)
{
    std::string text;
    for (size_t i = 0; i < count; i++) {
        char hex[4];
        snprintf(hex, sizeof hex, "%02x", bytes[i]);
        text += hex;
    }
    return text;
}

std::string runFolder(const RunCase &run) { return std::string(LUTEST) + "\\" + run.name; }

// The media lie in a folder of the same name in every prefix and process, so
// that the record's paths read alike wherever a run is made.
SetupRuns::SetupRuns(const RunFolders &folders) : media(folders.media), folders(folders)
{
    removeTree("C:\\LUMEDIA\\");
    makeFolders(media);
}

SetupRuns::~SetupRuns()
{
    resetRegistry();
    removeShellExtensionKeys();
    removeSharedValues(folders.installRoot);
    removeTree(std::string(LUTEST) + "\\");
    SetFileAttributesA((media + "install.ini").c_str(), FILE_ATTRIBUTE_NORMAL);
    removeTree("C:\\LUMEDIA\\");
}

std::string SetupRuns::installFolder(const RunCase &run) const { return folders.installRoot + "\\" + run.name; }

void SetupRuns::freshState(const RunCase &run, RunLanguage language)
{
    resetRegistry();
    removeShellExtensionKeys();
    removeSharedValues(folders.installRoot);
    removeTree(std::string(LUTEST) + "\\");
    makeFolders(folders.installRoot);
    for (const char *file : {"install.ini", "setup.lay", "installed.ini"})
        copyFileTo(exeDir() + "media\\" + file, media + file);
    // The host takes the module of the language the setup speaks.
    copyFileTo(exeDir() + (language == RUN_GERMAN ? "media\\lang\\de\\luinsres.dll" : "media\\luinsres.dll"),
               media + "luinsres.dll");
    for (const char *module : {"apnint.dll", "cpnint.dll", "fixint.dll"})
        copyFileTo(exeDir() + module, media + module);

    if (run.kind == RUN_MODIFY || run.kind == RUN_REMOVE) {
        CreateDirectoryA(installFolder(run).c_str(), nullptr);
        setRegText(HKEY_LOCAL_MACHINE, PRODUCT_GENERAL_KEY, "Home", installFolder(run).c_str());
        setRegText(HKEY_LOCAL_MACHINE, PRODUCT_GENERAL_KEY, "Internal", "LU-4.0.0");
        setRegText(HKEY_LOCAL_MACHINE, AUTOSTART_KEY, "lxldmgr", (installFolder(run) + "\\lxldmgr.exe").c_str());
        for (const char *file : SHARED_FILES)
            setSharedCount(sharedValueName(installFolder(run), file), 0);
    }

    // The folder the host proposes; the person types it all the same.
    record = recordOnMedia(media, installFolder(run));
    strcpy(record.serverDir, folders.server.c_str());
}

void SetupRuns::queuePersonsAnswers(const RunCase &run, RunLanguage language)
{
    std::string folder = installFolder(run);
    switch (run.kind) {
    case RUN_STANDARD:
    case RUN_WORKSTATION:
        autopilotQueue(languageChoice(language));
        onProgress();
        autopilotQueueForControl(IDC_MAIN_DIRECTORY,
                                 sequence({typeText(IDC_MAIN_DIRECTORY, folder),
                                           pressButton(run.kind == RUN_STANDARD ? IDC_MAIN_STANDARD
                                                                                : IDC_MAIN_WORKSTATION)}));
        onProgress();
        break;
    case RUN_CUSTOM:
        autopilotQueue(languageChoice(language));
        onProgress();
        autopilotQueueForControl(IDC_MAIN_DIRECTORY, sequence({typeText(IDC_MAIN_DIRECTORY, folder),
                                                               pressButton(IDC_MAIN_CUSTOM)}));
        // Everything is chosen at first. Picture export filters off; on the
        // spreadsheet page JSHEET and TALLY off; the conversion tools off;
        // on the manuals page MANUAL and SAMPLES off.
        autopilotQueueForControl(IDC_OPTIONS_LIST,
                                 sequence({click(6), click(6), click(1), pressButton(IDC_OPTIONS_DETAILS)}));
        autopilotQueueForControl(IDC_OPTIONS_LIST, sequence({click(0), click(2), click(2), pressButton(IDOK)}));
        autopilotQueueForControl(IDC_OPTIONS_LIST,
                                 sequence({click(9), click(9), click(7), pressButton(IDC_OPTIONS_DETAILS)}));
        autopilotQueueForControl(IDC_OPTIONS_LIST, sequence({click(0), click(3), click(3), pressButton(IDOK)}));
        autopilotQueueForControl(IDC_OPTIONS_LIST, pressButton(IDOK));
        onProgress();
        break;
    case RUN_UPGRADE:
        autopilotQueue(languageChoice(language));
        onProgress();
        autopilotQueueForControl(IDC_MAIN_DIRECTORY, sequence({typeText(IDC_MAIN_DIRECTORY, folder),
                                                               pressButton(IDC_MAIN_CUSTOM)}));
        // JORPLAN, which the installation has no mark for and so keeps from
        // everything, taken off on the integrations page.
        autopilotQueueForControl(IDC_OPTIONS_LIST, sequence({click(4), pressButton(IDC_OPTIONS_DETAILS)}));
        autopilotQueueForControl(IDC_OPTIONS_LIST, sequence({click(2), click(2), pressButton(IDOK)}));
        autopilotQueueForControl(IDC_OPTIONS_LIST, pressButton(IDOK));
        onProgress();
        break;
    case RUN_NETWORK:
        onProgress();
        autopilotQueueForControl(IDC_NETWORK_DIRECTORY,
                                 sequence({typeText(IDC_NETWORK_DIRECTORY, folder), pressButton(IDOK)}));
        onProgress();
        break;
    case RUN_MODIFY:
        autopilotQueue(pressButton(IDC_REINSTALL_MODIFY));
        autopilotQueue(languageChoice(language));
        onProgress();
        // The installation's selection at first: the conversion tools added,
        // and on the integrations page JORMAIL removed.
        autopilotQueueForControl(IDC_OPTIONS_LIST,
                                 sequence({click(9), click(9), click(4), pressButton(IDC_OPTIONS_DETAILS)}));
        autopilotQueueForControl(IDC_OPTIONS_LIST, sequence({click(0), pressButton(IDOK)}));
        autopilotQueueForControl(IDC_OPTIONS_LIST, pressButton(IDOK));
        onProgress();
        break;
    case RUN_REMOVE:
        autopilotQueue(pressButton(IDC_REINSTALL_REMOVE));
        autopilotQueue(pressButton(IDYES));
        autopilotQueue(pressButton(IDNO));
        break;
    }
}

std::string SetupRuns::hostRun(const RunCase &run, RunLanguage language)
{
    char line[160];
    std::string results;
    int32_t workstation = -1;
    int haveKey = EXPORTED(HaveKeyDialog)(nullptr, &workstation, &record);
    snprintf(line, sizeof line, "HaveKeyDialog %d (workstation %d)\n", haveKey, (int)workstation);
    results += line;
    record.previousInstallState = haveKey == HAVEKEY_MODIFY ? 2 : 0;
    // A host stops where an entry had no answer.
    bool goOn = haveKey != RESULT_NO_ANSWER;
    if (goOn && run.kind == RUN_REMOVE) {
        for (const char *file : SHARED_FILES) {
            int32_t answer = -1;
            std::string name = sharedValueName(installFolder(run), file);
            EXPORTED(DeleteShareDLL)(file, &answer, name.c_str(), media.c_str());
            snprintf(line, sizeof line, "DeleteShareDLL %s: answer %d\n", file, (int)answer);
            results += line;
        }
    } else if (goOn) {
        record.networkInstallMode = run.kind == RUN_NETWORK;
        int chosen = EXPORTED(initLanguage)(nullptr, &record);
        snprintf(line, sizeof line, "initLanguage %d\n", chosen);
        results += line;
        goOn = chosen != RESULT_NO_ANSWER;
        // 1 is English or "not asked": then the language the run speaks.
        bool one = chosen == LANGUAGE_FRENCH || chosen == LANGUAGE_GERMAN || chosen == LANGUAGE_SPANISH;
        record.languageFlags = one ? chosen : language == RUN_GERMAN ? LANGUAGE_GERMAN : LANGUAGE_ENGLISH;
    }
    if (goOn && run.kind != RUN_REMOVE) {
        record.maintenanceMode = haveKey == HAVEKEY_MODIFY;
        if (run.kind == RUN_UPGRADE) {
            record.upgradeMode = 1;
            strcpy(record.installedIniPath, (media + "installed.ini").c_str());
            strcpy(record.installedLayoutFilePath, (media + "setup.lay").c_str());
        }
        int result = run.kind == RUN_NETWORK ? EXPORTED(networkInstall)(nullptr, &record)
                                             : EXPORTED(dodialog)(nullptr, &record);
        snprintf(line, sizeof line, "%s %d\n", run.kind == RUN_NETWORK ? "networkInstall" : "dodialog", result);
        results += line;
    }

    return "results:\n" + results + "host record: " + hexOf((const unsigned char *)&record, sizeof record) + "\n" +
           leftBehind() + std::string("folder: ") + (fileExists(installFolder(run)) ? "made" : "none") + "\n";
}

std::string SetupRuns::leftBehind()
{
    // What the library writes into the record: the integration bytes, the
    // choice summary and the folder.
    std::string text = "record: " + hexOf(record.integrationResults, sizeof record.integrationResults) + " " +
                       hexOf((const unsigned char *)&record.readmeChoice, 16) + " installDir " + record.installDir +
                       "\n";
    text += "install.ini:\n" + readTextFile(media + "install.ini");
    text += "installed.ini:\n" + readTextFile(media + "installed.ini");
    text += "registry:\n" + productRegistry();
    return text;
}

std::string firstDifference(const std::string &expected, const std::string &actual)
{
    size_t a = 0, b = 0;
    for (int line = 1;; line++) {
        size_t endA = expected.find('\n', a), endB = actual.find('\n', b);
        std::string lineA = a < expected.size() ? expected.substr(a, endA - a) : "<end>";
        std::string lineB = b < actual.size() ? actual.substr(b, endB - b) : "<end>";
        if (lineA != lineB)
            return "line " + std::to_string(line) + ": expected \"" + lineA + "\", seen \"" + lineB + "\"";
        if (endA == std::string::npos || endB == std::string::npos)
            return "";
        a = endA + 1;
        b = endB + 1;
    }
}

SystemLanguageCleared::SystemLanguageCleared()
{
    windowsDirFile("win.ini", winIni, sizeof winIni);
    had = GetPrivateProfileStringA("intl", "sLanguage", "\x01", saved, sizeof saved, winIni) > 0 &&
          saved[0] != '\x01';
    WritePrivateProfileStringA("intl", "sLanguage", nullptr, winIni);
}

SystemLanguageCleared::~SystemLanguageCleared()
{
    WritePrivateProfileStringA("intl", "sLanguage", had ? saved : nullptr, winIni);
}

std::string productRegistry()
{
    std::vector<std::string> lines;
    dumpKey(HKEY_LOCAL_MACHINE, "HKLM", "SOFTWARE\\Jor", &lines);
    dumpKey(HKEY_CURRENT_USER, "HKCU", "SOFTWARE\\Jor", &lines);
    for (const char *id : {MENU_EXTENSION_ID, SHEET_EXTENSION_ID})
        dumpKey(HKEY_CLASSES_ROOT, "HKCR", std::string("CLSID\\") + id, &lines);
    for (const auto &value : readKeyValues(HKEY_LOCAL_MACHINE, SHARED_DLLS_KEY))
        if (value.first.compare(0, strlen(LUTEST), LUTEST) == 0)
            lines.push_back("SharedDLLs / " + value.first);
    DWORD type;
    std::string data;
    lines.push_back(std::string("autostart: ") +
                    (readRegValue(HKEY_LOCAL_MACHINE, AUTOSTART_KEY, "lxldmgr", &type, &data) ? "kept" : "gone"));
    std::string text;
    for (const std::string &l : lines)
        text += l + "\n";
    return text;
}

// ---------------------------------------------------------------------------
// Window counter

namespace {

int windowsMade;
HHOOK cbtHook;
void *originals[5];

HWND WINAPI countCreateWindowExA(DWORD ex, LPCSTR cls, LPCSTR name, DWORD style, int x, int y, int w, int h,
                                 HWND parent, HMENU menu, HINSTANCE instance, LPVOID param)
{
    windowsMade++;
    return ((decltype(&CreateWindowExA))originals[0])(ex, cls, name, style, x, y, w, h, parent, menu, instance,
                                                       param);
}

HWND WINAPI countCreateWindowExW(DWORD ex, LPCWSTR cls, LPCWSTR name, DWORD style, int x, int y, int w, int h,
                                 HWND parent, HMENU menu, HINSTANCE instance, LPVOID param)
{
    windowsMade++;
    return ((decltype(&CreateWindowExW))originals[1])(ex, cls, name, style, x, y, w, h, parent, menu, instance,
                                                       param);
}

HWND WINAPI countCreateDialogParamA(HINSTANCE instance, LPCSTR name, HWND parent, DLGPROC proc, LPARAM param)
{
    windowsMade++;
    return ((decltype(&CreateDialogParamA))originals[2])(instance, name, parent, proc, param);
}

INT_PTR WINAPI countDialogBoxParamW(HINSTANCE instance, LPCWSTR name, HWND parent, DLGPROC proc, LPARAM param)
{
    windowsMade++;
    return ((decltype(&DialogBoxParamW))originals[3])(instance, name, parent, proc, param);
}

int WINAPI countMessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type)
{
    windowsMade++;
    return ((decltype(&MessageBoxW))originals[4])(owner, text, caption, type);
}

struct Counted {
    const char *name;
    void *replacement;
};

const Counted counted[] = {
    {"CreateWindowExA", (void *)countCreateWindowExA},   {"CreateWindowExW", (void *)countCreateWindowExW},
    {"CreateDialogParamA", (void *)countCreateDialogParamA}, {"DialogBoxParamW", (void *)countDialogBoxParamW},
    {"MessageBoxW", (void *)countMessageBoxW},
};

LRESULT CALLBACK countCreation(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_CREATEWND)
        windowsMade++;
    return CallNextHookEx(cbtHook, code, wParam, lParam);
}

} // namespace

void startWindowCount()
{
    windowsMade = 0;
    for (int i = 0; i < 5; i++)
        originals[i] = patchImport(dialogintModule(), nullptr, counted[i].name, counted[i].replacement);
    cbtHook = SetWindowsHookExA(WH_CBT, countCreation, nullptr, GetCurrentThreadId());
}

int stopWindowCount()
{
    for (int i = 0; i < 5; i++)
        if (originals[i])
            patchImport(dialogintModule(), nullptr, counted[i].name, originals[i]);
    if (cbtHook)
        UnhookWindowsHookEx(cbtHook);
    cbtHook = nullptr;
    return windowsMade;
}
