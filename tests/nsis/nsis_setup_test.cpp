// The NSIS sample setup as its users run it: lumoria-nsis-setup.exe, built by
// makensis from samples/nsis with the answer-file module, in processes of its
// own, unattended. One installation goes through a setup, a modification, a
// reinstallation and a removal chosen in the reinstall dialog; a second one
// is removed by its uninstaller. After each run the installation folder and
// the registry are read back.
#include <gtest/gtest.h>

#include <windows.h>
#include <tlhelp32.h>

#include <string>
#include <vector>

#include "registry/registry_access.h"
#include "support/test_support.h"

namespace {

constexpr DWORD RUN_TIMEOUT_MS = 180000;
const char UNINSTALL_KEY[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Lumoria";

// Waits for a process and returns its exit code, or -1 after the time-out.
int waitFor(HANDLE process)
{
    DWORD code = (DWORD)-1;
    if (WaitForSingleObject(process, RUN_TIMEOUT_MS) == WAIT_OBJECT_0)
        GetExitCodeProcess(process, &code);
    else
        TerminateProcess(process, 99);
    CloseHandle(process);
    return (int)code;
}

int runProgram(const std::string &command)
{
    STARTUPINFOA start = {};
    start.cb = sizeof start;
    PROCESS_INFORMATION process = {};
    std::vector<char> line(command.begin(), command.end());
    line.push_back(0);
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &start, &process))
        return -2;
    CloseHandle(process.hThread);
    return waitFor(process.hProcess);
}

// An uninstaller started by the user copies itself into the temporary folder
// and runs from there, so that it can delete itself; that copy is waited for.
int waitForUninstallerCopy()
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    HANDLE copy = nullptr;
    for (BOOL more = Process32First(snapshot, &entry); more && !copy; more = Process32Next(snapshot, &entry))
        if (_stricmp(entry.szExeFile, "Un.exe") == 0 || _strnicmp(entry.szExeFile, "Un_", 3) == 0 ||
            _strnicmp(entry.szExeFile, "Au_", 3) == 0)
            copy = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, entry.th32ProcessID);
    CloseHandle(snapshot);
    return copy ? waitFor(copy) : 0;
}

// The installer's and the uninstaller's own temporary folders (ns*.tmp).
int temporaryFolders()
{
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    WIN32_FIND_DATAA found;
    HANDLE h = FindFirstFileA((std::string(temp) + "ns*.tmp").c_str(), &found);
    if (h == INVALID_HANDLE_VALUE)
        return 0;
    int count = 0;
    do
        count++;
    while (FindNextFileA(h, &found));
    FindClose(h);
    return count;
}

bool sharedEntry(const std::string &path, DWORD *count)
{
    DWORD type = 0;
    std::string data;
    if (!readRegValue(HKEY_LOCAL_MACHINE, SHARED_DLLS_KEY, path.c_str(), &type, &data))
        return false;
    *count = type == REG_DWORD && data.size() == 4 ? *(const DWORD *)data.data() : 0xFFFFFFFF;
    return true;
}

class NsisSetupTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        resetRegistry();
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, UNINSTALL_KEY);
        dir = makeTempDir("nsis");
        target = dir + "Lumoria";
    }
    void TearDown() override
    {
        resetRegistry();
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, UNINSTALL_KEY);
        HKEY key;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, SHARED_DLLS_KEY, 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
            for (const char *name : {"wpcommon.dll", "jorcnvrt.dll", "jorwkbve.dll"})
                RegDeleteValueA(key, (shortTarget + "\\" + name).c_str());
            RegCloseKey(key);
        }
    }

    std::string answersFile(const char *answers)
    {
        std::string path = dir + "answers" + std::to_string(++runs) + ".txt";
        writeTextFile(path, answers);
        return path;
    }

    // The setup, or with uninstall the installation's uninstaller (silent,
    // as the setup itself starts it), answered from the text. Its exit code.
    int run(bool uninstall, const char *answers, const std::string &options = "")
    {
        std::string file = answersFile(answers);
        lastLog = file + ".log";
        if (!uninstall) {
            int code = runProgram("\"" + exeDir() + "lumoria-nsis-setup.exe\" " + options + " /AUTOPILOT=\"" + file + "\"");
            if (fileExists(target + "\\uninstall.exe"))
                shortTarget = shortPath(target);
            return code;
        }
        int code = runProgram("\"" + target + "\\uninstall.exe\" /S /ASK /AUTOPILOT=\"" + file + "\"");
        return code == 0 ? waitForUninstallerCopy() : code;
    }

    // A silent run as a deployment tool starts it: the setup, or the
    // installation's uninstaller, with the switches as they are. Its exit code.
    int runSilent(bool uninstall, const std::string &switches)
    {
        if (!uninstall) {
            int code = runProgram("\"" + exeDir() + "lumoria-nsis-setup.exe\" " + switches);
            if (fileExists(target + "\\uninstall.exe"))
                shortTarget = shortPath(target);
            return code;
        }
        // {quiet}: the command the installation registered for deployment
        // tools, run as they run it.
        std::string command = "\"" + target + "\\uninstall.exe\" " + switches;
        if (switches.rfind("{quiet}", 0) == 0 && !readRegText(UNINSTALL_KEY, "QuietUninstallString", &command))
            return -3;
        int code = runProgram(command);
        return code == 0 ? waitForUninstallerCopy() : code;
    }

    static bool readRegText(const char *key, const char *name, std::string *text)
    {
        DWORD type = 0;
        if (!readRegValue(HKEY_LOCAL_MACHINE, key, name, &type, text) || type != REG_SZ)
            return false;
        text->resize(strnlen(text->data(), text->size()));
        return true;
    }

    // Every file the installed install.ini lists lies in the folder of its
    // section with the size listed; the names of the missing ones.
    std::string missingListedFiles()
    {
        std::string ini = target + "\\install.ini", layout = target + "\\setup.lay", missing;
        int count = atoi(profileValue(ini, "INSTALLFILES", "NUMFILES").c_str());
        const struct {
            const char *section;
            const char *folder;
        } sections[] = {{"SETUPFILES", "\\SETUP\\"}, {"INSTALLFILES", "\\"}, {"SAMPLEFILES", "\\SAMPLES\\"},
                        {"NOTEFILES", "\\NOTES\\"}};
        for (int n = 1; n <= count; n++) {
            std::string key = "FILE" + std::to_string(n);
            for (const auto &s : sections) {
                std::string name = profileValue(ini, s.section, key);
                if (name.empty())
                    continue;
                std::string media = profileValue(layout, "FILENAMES", profileValue(layout, "LOGICALFILE", name));
                std::string path = target + s.folder + namePart(media);
                if (fileSize(path) != atoll(profileValue(ini, "SIZEFILES", key).c_str()))
                    missing += " " + path;
            }
        }
        return missing;
    }

    std::string dir, target, shortTarget, lastLog;
    int runs = 0;
};

struct SetupRun {
    const char *what;
    bool uninstall;
    const char *answers;
    bool installed;                         // the folder, the product's and the uninstall keys
    std::vector<const char *> present;      // below the installation folder
    std::vector<const char *> absent;
};

const char STANDARD[] = "language: english\nmain: directory %s; standard\nshared: yes\n";

void checkRun(const SetupRun &r, const std::string &target, const std::string &shortTarget,
              const std::string &log)
{
    std::string context = std::string(r.what) + "\n" + readTextFile(log);
    EXPECT_EQ(r.installed, regKeyExists(HKEY_LOCAL_MACHINE, PRODUCT_GENERAL_KEY)) << context;
    EXPECT_EQ(r.installed, regKeyExists(HKEY_LOCAL_MACHINE, UNINSTALL_KEY)) << context;
    DWORD count = 0;
    EXPECT_EQ(r.installed, sharedEntry(shortTarget + "\\wpcommon.dll", &count)) << context;
    if (r.installed) {
        EXPECT_EQ(1u, count) << "a shared file is counted once: " << context;
    } else {
        EXPECT_FALSE(regKeyExists(HKEY_LOCAL_MACHINE, PRODUCT_KEY)) << context;
        EXPECT_FALSE(regKeyExists(HKEY_CURRENT_USER, PRODUCT_KEY)) << context;
        EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(target.c_str())) << "nothing left: " << context;
    }
    for (const char *name : r.present)
        EXPECT_TRUE(fileExists(target + "\\" + name)) << name << ": " << context;
    for (const char *name : r.absent)
        EXPECT_FALSE(fileExists(target + "\\" + name)) << name << ": " << context;
}

TEST_F(NsisSetupTest, SetupModifyReinstallAndRemoveThroughTheReinstallDialog)
{
    char standard[512];
    snprintf(standard, sizeof standard, STANDARD, target.c_str());
    const SetupRun runs[] = {
        {"setup: the standard selection", false, standard, true,
         {"lumoria.exe", "readme.txt", "jorpack.dll", "wpcommon.dll", "SETUP\\luinsres.dll", "install.ini",
          "setup.lay", "uninstall.exe"},
         {"lucnvt.exe"}},
        {"modify: conversion tools added, archive tools and manuals dropped", false,
         "reinstall: modify\noptions: toggle Conversion tools; toggle Internet and archive tools;"
         " toggle Manuals and online help; ok\n",
         true, {"lumoria.exe", "lucnvt.exe", "wpcommon.dll"}, {"jorpack.dll", "readme.txt"}},
        {"reinstall: the standard selection again", false, "reinstall: reinstall\nlanguage: english\nmain: standard\n",
         true, {"lumoria.exe", "jorpack.dll", "readme.txt", "lucnvt.exe"}, {}},
        {"remove, chosen in the reinstall dialog", false, "reinstall: remove\nshared: yes\n", false, {}, {}},
    };
    for (const SetupRun &r : runs) {
        ASSERT_EQ(0, run(r.uninstall, r.answers)) << r.what << "\n" << readTextFile(lastLog);
        checkRun(r, target, shortTarget, lastLog);
        if (r.installed) {
            EXPECT_EQ("", missingListedFiles()) << r.what;
        }
    }
}

TEST_F(NsisSetupTest, TheUninstallerLeavesNothingBehind)
{
    char custom[512];
    snprintf(custom, sizeof custom,
             "language: english\nmain: directory %s; custom\n"
             "options: details Manuals and online help\noptions: toggle Manual; ok\noptions: ok\n",
             target.c_str());
    int folders = temporaryFolders();
    const SetupRun runs[] = {
        {"setup: a custom selection", false, custom, true, {"SAMPLES\\sample.jw2", "NOTES\\bpnint.dll"},
         {"manual.jw2"}},
        {"the uninstaller, yes to every shared file", true, "shared: yes\n", false, {}, {}},
    };
    for (const SetupRun &r : runs) {
        ASSERT_EQ(0, run(r.uninstall, r.answers)) << r.what << "\n" << readTextFile(lastLog);
        checkRun(r, target, shortTarget, lastLog);
    }
    DWORD count = 0;
    for (const char *name : {"wpcommon.dll", "jorcnvrt.dll", "jorwkbve.dll"})
        EXPECT_FALSE(sharedEntry(shortTarget + "\\" + name, &count)) << name;
    EXPECT_EQ(folders, temporaryFolders()) << "the unpacked media and the library's copies are gone";
}

// A server copy holds every component and configures nothing on the server;
// its uninstaller takes it away and leaves the machine's settings alone.
TEST_F(NsisSetupTest, ServerCopyIsNotRegisteredAndItsUninstallerTakesItAway)
{
    std::string answers = "network: directory " + target + "; ok\nshared: yes\n";
    ASSERT_EQ(0, run(false, answers.c_str(), "/NETWORK")) << readTextFile(lastLog);
    for (const char *name : {"lumoria.exe", "lucnvt.exe", "SAMPLES\\sample.jw2", "NOTES\\bpnint.dll"})
        EXPECT_TRUE(fileExists(target + "\\" + name)) << name;
    EXPECT_EQ("", missingListedFiles());
    EXPECT_FALSE(regKeyExists(HKEY_LOCAL_MACHINE, PRODUCT_KEY));
    EXPECT_FALSE(regKeyExists(HKEY_LOCAL_MACHINE, UNINSTALL_KEY));

    setRegText(HKEY_LOCAL_MACHINE, PRODUCT_GENERAL_KEY, "Home", "C:\\Elsewhere");
    ASSERT_EQ(0, run(true, "shared: yes\n")) << readTextFile(lastLog);
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(target.c_str())) << readTextFile(lastLog);
    EXPECT_TRUE(regKeyExists(HKEY_LOCAL_MACHINE, PRODUCT_GENERAL_KEY)) << "this machine's own installation stays";
}

// Stopping is not failing: a cancelled setup leaves nothing and says 1602;
// a script that leaves a dialog unanswered fails the run with 1603.
TEST_F(NsisSetupTest, CancelledAndUnansweredSetupsInstallNothing)
{
    const struct {
        const char *answers;
        int exitCode;
    } cases[] = {
        {"main: cancel\nbox: yes\n", 1602},
        {"language: english\n", 1603},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(c.exitCode, run(false, c.answers)) << c.answers << readTextFile(lastLog);
        EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(target.c_str())) << c.answers;
        EXPECT_FALSE(regKeyExists(HKEY_LOCAL_MACHINE, UNINSTALL_KEY)) << c.answers;
    }
}

std::string replaced(std::string text, const std::string &mark, const std::string &by)
{
    for (size_t at = text.find(mark); at != std::string::npos; at = text.find(mark, at + by.size()))
        text.replace(at, mark.size(), by);
    return text;
}

struct SilentRun {
    const char *what;
    bool uninstall;
    const char *switches;   // {answers}: the row's answer file; {recorded}, {removal}, {script}, {log}
    const char *answers;    // {shared}: the installation's short path, {target}: its folder
    int exitCode;
    bool installed;         // the product's and the uninstall keys, uninstall.exe
    std::vector<const char *> present;   // below the installation folder; none: the folder is gone
    const char *logged;     // the setup log names it
};

// Silent runs as deployment tools make them: /S /RECORD= writes the answers
// of a person (the autopilot plays the dialogs), /S /ANSWERS= replays them on
// a clean machine with no dialog and gives the same install.ini; the
// removal chosen in the answers runs the uninstaller with them, and the
// uninstaller is silent with /S alone too, keeping a shared file no answer
// names. A cancel in the answer file exits 1602; no answers for a setup, a
// file without a usable answer or a folder that cannot be made, 1603 with
// nothing installed.
TEST_F(NsisSetupTest, SilentSetupsRecordReplayAndExitWithDeploymentCodes)
{
    std::string recorded = dir + "recorded.ini", removal = dir + "removal.ini", log = dir + "setup.log",
                blocked = dir + "blocked";
    writeTextFile(blocked, "a file where the installation folder would go");
    std::string script = answersFile(("language: english\nmain: directory " + target +
                                      "; custom\noptions: details Manuals and online help\n"
                                      "options: toggle Manual; ok\noptions: ok\n")
                                         .c_str());
    const SilentRun runs[] = {
        {"recorded with the dialogs", false, "/S /RECORD=\"{recorded}\" /AUTOPILOT=\"{script}\"", "", 0, true,
         {"SAMPLES\\sample.jw2", "NOTES\\bpnint.dll"}, nullptr},
        {"the silent uninstaller, told to remove the shared files", true, "/S /ANSWERS=\"{answers}\"",
         "[SharedFiles]\n{shared}\\wpcommon.dll=remove\n{shared}\\jorcnvrt.dll=remove\n"
         "{shared}\\jorwkbve.dll=remove\n",
         0, false, {}, nullptr},
        {"replayed on a clean machine", false, "/S /ANSWERS=\"{recorded}\" /LOG=\"{log}\"", "", 0, true,
         {"SAMPLES\\sample.jw2", "NOTES\\bpnint.dll"}, "dodialog"},
        {"removed through the reinstall choice, shared files named without their folder", false,
         "/S /ANSWERS=\"{answers}\" /LOG=\"{log}\"",
         "[Setup]\nReinstall=remove\n[SharedFiles]\nwpcommon.dll=remove\njorcnvrt.dll=remove\njorwkbve.dll=remove\n", 0,
         false, {}, "Reinstall=remove"},
        {"replayed again", false, "/S /ANSWERS=\"{recorded}\"", "", 0, true, {"NOTES\\bpnint.dll"}, nullptr},
        {"the silent uninstaller with no answers keeps the shared files", true, "/S /LOG=\"{log}\"", "", 0, false,
         {"wpcommon.dll"}, "wpcommon.dll"},
        {"replayed over the kept shared files, for the quiet command", false, "/S /ANSWERS=\"{recorded}\"", "", 0,
         true, {"NOTES\\bpnint.dll"}, nullptr},
        {"the registered quiet uninstall command keeps the shared files too", true, "{quiet}", "", 0, false,
         {"wpcommon.dll"}, nullptr},
        {"a silent setup with no answers: no kind of setup to take", false, "/S /LOG=\"{log}\"", "", 1603, false,
         {"wpcommon.dll"}, "Kind"},
        {"an answer file that cancels", false, "/S /ANSWERS=\"{answers}\" /LOG=\"{log}\"",
         "[Setup]\nLanguage=english\nKind=cancel\n", 1602, false, {"wpcommon.dll"}, "Kind=cancel"},
        {"an answer file naming a component the medium lacks", false, "/S /ANSWERS=\"{answers}\" /LOG=\"{log}\"",
         "[Setup]\nLanguage=english\nKind=custom\nInstallDir={target}\n[Components]\nNOSUCHGROUP=1\n", 1603, false,
         {"wpcommon.dll"}, "NOSUCHGROUP"},
        {"a folder that cannot be made", false, "/S /ANSWERS=\"{answers}\" /LOG=\"{log}\"",
         "[Setup]\nLanguage=english\nKind=standard\nInstallDir={blocked}\\Lumoria\n", 1603, false, {"wpcommon.dll"},
         "InstallDir"},
        {"replayed over the kept shared files", false, "/S /ANSWERS=\"{recorded}\"", "", 0, true, {"NOTES\\bpnint.dll"},
         nullptr},
        {"a removal through the reinstall dialog, recorded", false, "/S /RECORD=\"{removal}\" /AUTOPILOT=\"{answers}\"",
         "reinstall: remove\nshared: yes\n", 0, false, {}, nullptr},
        {"replayed once more", false, "/S /ANSWERS=\"{recorded}\"", "", 0, true, {"NOTES\\bpnint.dll"}, nullptr},
        {"the recorded removal replayed, shared files and all", false, "/S /ANSWERS=\"{removal}\" /LOG=\"{log}\"", "",
         0, false, {}, "SharedFiles"},
    };
    std::string recordedIni;
    for (const SilentRun &r : runs) {
        DeleteFileA(log.c_str());
        std::string answers = r.answers[0] ? answersFile(replaced(replaced(replaced(r.answers, "{shared}", shortTarget),
                                                                           "{target}", target),
                                                                  "{blocked}", blocked)
                                                             .c_str())
                                           : "";
        std::string switches = replaced(replaced(replaced(replaced(replaced(r.switches, "{answers}", answers),
                                                                   "{recorded}", recorded),
                                                          "{removal}", removal),
                                                 "{script}", script),
                                        "{log}", log);
        std::string context = std::string(r.what) + "\n" + readTextFile(script + ".log") +
                              (answers.empty() ? "" : readTextFile(answers + ".log"));
        ASSERT_EQ(r.exitCode, runSilent(r.uninstall, switches)) << context << readTextFile(log);
        context += readTextFile(log);
        EXPECT_EQ(r.installed, fileExists(target + "\\uninstall.exe")) << context;
        EXPECT_EQ(r.installed, regKeyExists(HKEY_LOCAL_MACHINE, UNINSTALL_KEY)) << context;
        EXPECT_EQ(r.installed, regKeyExists(HKEY_LOCAL_MACHINE, PRODUCT_GENERAL_KEY)) << context;
        std::string uninstall, quiet, quoted = "\"" + shortTarget + "\\uninstall.exe\"";
        if (r.installed) {
            EXPECT_TRUE(readRegText(UNINSTALL_KEY, "UninstallString", &uninstall) && uninstall == quoted)
                << uninstall << " for " << quoted << ": " << context;
            EXPECT_TRUE(readRegText(UNINSTALL_KEY, "QuietUninstallString", &quiet) && quiet == quoted + " /S")
                << quiet << ": " << context;
        }
        for (const char *name : r.present)
            EXPECT_TRUE(fileExists(target + "\\" + name)) << name << ": " << context;
        if (r.present.empty()) {
            EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(target.c_str())) << "nothing left: " << context;
        }
        if (r.logged) {
            EXPECT_NE(std::string::npos, readTextFile(log).find(r.logged)) << context;
        }
        if (r.installed && recordedIni.empty())
            recordedIni = readTextFile(target + "\\install.ini");
        else if (r.installed) {
            EXPECT_EQ(recordedIni, readTextFile(target + "\\install.ini")) << context;
        }
    }
}

} // namespace
