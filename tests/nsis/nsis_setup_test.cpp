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
        int code = runProgram("\"" + target + "\\uninstall.exe\" " + switches);
        return code == 0 ? waitForUninstallerCopy() : code;
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
                std::string path = target + s.folder + media.substr(media.find_last_of('\\') + 1);
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

} // namespace
