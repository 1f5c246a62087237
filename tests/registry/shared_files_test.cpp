// The deinstallation helpers as the host calls them: the shared-file question
// against Wine's real SharedDLLs key, the launch module loaded from real
// folders, and the unload broadcast received by real listener processes.
#include <gtest/gtest.h>

#include <string.h>

#include "autopilot/autopilot.h"
#include "registry/registry_access.h"
#include "registry/shared_files.h"
#include "support/test_support.h"

namespace {

const char *const sharedA = "C:\\dialogint-test\\shared-a.dll";
const char *const sharedB = "C:\\dialogint-test\\shared-b.dll";

void setSharedCount(const char *name, DWORD count)
{
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, SHARED_DLLS_KEY, 0, nullptr, 0,
                                             KEY_ALL_ACCESS, nullptr, &key, nullptr));
    RegSetValueExA(key, name, 0, REG_DWORD, (const BYTE *)&count, sizeof count);
    RegCloseKey(key);
}

bool sharedValueExists(const char *name)
{
    DWORD type;
    std::string data;
    return readRegValue(HKEY_LOCAL_MACHINE, SHARED_DLLS_KEY, name, &type, &data);
}

class DeleteShareDllTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        media = makeTempDir("share");
        installResourceModule(media);
        clearCtl3dLog();
        setSharedCount(sharedA, 1);
        setSharedCount(sharedB, 3);
        autopilotStart();
    }
    void TearDown() override
    {
        autopilotStop();
        deleteRegValue(SHARED_DLLS_KEY, sharedA);
        deleteRegValue(SHARED_DLLS_KEY, sharedB);
    }

    std::string media;
};

TEST_F(DeleteShareDllTest, AnswerDecidesWhetherOnlyTheNamedEntryGoes)
{
    ASSERT_NE(nullptr, EXPORTED(DeleteShareDLL));
    struct Case {
        int button;
        int32_t answer;
        bool removed;
    } cases[] = {{IDNO, 0, false}, {IDYES, 1, true}};
    for (const Case &c : cases) {
        setSharedCount(sharedA, 1);
        autopilotStart();
        clearCtl3dLog();
        autopilotQueue(pressButton(c.button));
        int32_t answer = 7;
        EXPORTED(DeleteShareDLL)("SHARED-A.DLL", &answer, sharedA, media.c_str());
        EXPECT_EQ(c.answer, answer) << "button " << c.button;
        EXPECT_EQ(!c.removed, sharedValueExists(sharedA)) << "button " << c.button;
        EXPECT_TRUE(sharedValueExists(sharedB)) << "another file's entry stays";
        ASSERT_EQ(1u, autopilotLog().size());
        const DialogSeen &box = autopilotLog()[0];
        EXPECT_TRUE(box.messageBox);
        EXPECT_FALSE(box.unexpected);
        EXPECT_EQ("Lumoria Setup", box.caption);
        EXPECT_NE(std::string::npos, box.text.find("The shared file SHARED-A.DLL is no longer used"))
            << box.text;
        EXPECT_NE(nullptr, box.control(IDYES));
        EXPECT_NE(nullptr, box.control(IDNO));
        EXPECT_EQ((std::vector<int>{12, 16, 13}), ctl3dCalls());
        std::string log = readTextFile(ctl3dLogPath());
        EXPECT_EQ('0', log[log.find_last_of(' ') + 1]) << "the resource module is freed before CTL3D is left";
    }
}

TEST_F(DeleteShareDllTest, LongInsertIsCutToTheMessageBuffer)
{
    std::string insert(1000, 'x');
    autopilotQueue(pressButton(IDYES));
    int32_t answer = 0;
    EXPORTED(DeleteShareDLL)(insert.c_str(), &answer, sharedA, media.c_str());
    ASSERT_EQ(1u, autopilotLog().size());
    const std::string &text = autopilotLog()[0].text;
    EXPECT_EQ(255u, text.size()) << "the message holds at most 255 characters";
    EXPECT_EQ(0u, text.find("The shared file xxxx")) << text.substr(0, 40);
    EXPECT_EQ(1, answer);
    EXPECT_FALSE(sharedValueExists(sharedA)) << "a cut question still removes the entry on Yes";
}

TEST_F(DeleteShareDllTest, YesOnAMissingEntryStillAnswersRemove)
{
    autopilotQueue(pressButton(IDYES));
    int32_t answer = 0;
    EXPORTED(DeleteShareDLL)("gone.dll", &answer, "C:\\dialogint-test\\never-there.dll",
                                          media.c_str());
    EXPECT_EQ(1, answer);
    EXPECT_EQ(1u, autopilotLog().size()) << "nothing is reported beyond the question";
    EXPECT_TRUE(sharedValueExists(sharedA));
}

TEST_F(DeleteShareDllTest, EmptyNameNeverTouchesTheKeysUnnamedValue)
{
    setRegText(HKEY_LOCAL_MACHINE, SHARED_DLLS_KEY, "", "kept");
    autopilotQueue(pressButton(IDYES));
    int32_t answer = 0;
    EXPORTED(DeleteShareDLL)("x.dll", &answer, "", media.c_str());
    EXPECT_EQ(1, answer);
    EXPECT_TRUE(sharedValueExists(""));
    deleteRegValue(SHARED_DLLS_KEY, "");
}

TEST_F(DeleteShareDllTest, MissingResourceModuleLeavesAnswerAndEntry)
{
    std::string empty = makeTempDir("share-empty");
    autopilotQueue(pressButton(IDOK));
    int32_t answer = 7;
    EXPORTED(DeleteShareDLL)("a.dll", &answer, sharedA, empty.c_str());
    EXPECT_EQ(7, answer);
    EXPECT_TRUE(sharedValueExists(sharedA));
    ASSERT_EQ(1u, autopilotLog().size());
    EXPECT_EQ("LanEnter", autopilotLog()[0].caption);
}

TEST(SharedFileMessageTest, OnlyASingleTextInsertReachesPrintf)
{
    struct Case {
        const wchar_t *format;
        const wchar_t *expected;
    } cases[] = {
        {L"Remove %s?", L"Remove a.dll?"},
        {L"100%% sure: %s", L"100% sure: a.dll"},
        {L"No insert", L"No insert"},
        {L"Two %s and %s", L"Two %s and %s"},
        {L"Number %d", L"Number %d"},
        {L"Trailing %", L"Trailing %"},
        {L"M\u00f6chten Sie %s entfernen?", L"M\u00f6chten Sie a.dll entfernen?"},
    };
    for (const Case &c : cases) {
        WCHAR message[64];
        formatSharedFileMessage(message, 64, c.format, L"a.dll");
        EXPECT_STREQ(c.expected, message) << c.format;
    }
    WCHAR small[8];
    EXPECT_FALSE(formatSharedFileMessage(small, 8, L"%s", L"abcdefghij"));
    EXPECT_STREQ(L"abcdefg", small);
    EXPECT_TRUE(formatSharedFileMessage(small, 8, L"[%s]", nullptr));
    EXPECT_STREQ(L"[]", small);
    // A character of two units is not cut in half.
    EXPECT_FALSE(formatSharedFileMessage(small, 8, L"%s", L"abcdef\U0001F600"));
    EXPECT_STREQ(L"abcdef", small);
}

// ---------------------------------------------------------------------------

class LoadLaunchTest : public ::testing::Test {
protected:
    void SetUp() override { autopilotStart(); }
    void TearDown() override
    {
        autopilotStop();
        for (const std::string &path : loaded)
            while (HMODULE module = GetModuleHandleA(path.c_str()))
                FreeLibrary(module);
    }

    // A folder holding a copy of the given stand-in as lxlm.dll.
    std::string launchDir(const char *standin, const std::string &dir)
    {
        EXPECT_TRUE(copyFileTo(exeDir() + standin, dir + "lxlm.dll")) << dir;
        loaded.push_back(dir + "lxlm.dll");
        return dir;
    }
    static int runs(const std::string &dir)
    {
        std::string log = readTextFile(dir + "lxlm.log");
        int count = 0;
        for (size_t at = log.find("200\n"); at != std::string::npos; at = log.find("200\n", at + 1))
            count++;
        return count;
    }

    std::vector<std::string> loaded;
};

TEST_F(LoadLaunchTest, DirectoryWithAndWithoutBackslashLoadsTheSameModule)
{
    ASSERT_NE(nullptr, EXPORTED(LoadLaunch));
    std::string dir = launchDir("lxlm.dll", makeTempDir("launch"));
    std::string bare = dir.substr(0, dir.size() - 1);
    EXPORTED(LoadLaunch)(bare.c_str());
    EXPECT_EQ(1, runs(dir));
    EXPORTED(LoadLaunch)(dir.c_str());
    EXPECT_EQ(2, runs(dir)) << "the second form names the same module";
    EXPECT_NE(nullptr, GetModuleHandleA((dir + "lxlm.dll").c_str())) << "the module stays loaded";
    EXPECT_TRUE(autopilotLog().empty());
}

TEST_F(LoadLaunchTest, MissingModuleOrEntryIsSilentAndErrorModeRestored)
{
    std::string empty = makeTempDir("launch-none");
    std::string noEntry = launchDir("lxlm_noentry.dll", makeTempDir("launch-noentry"));
    std::string log = empty + "setup.log";
    ASSERT_EQ(1, EXPORTED(setupLogFile)(log.c_str()));
    UINT before = SetErrorMode(SEM_FAILCRITICALERRORS);
    EXPORTED(LoadLaunch)(empty.c_str());
    EXPORTED(LoadLaunch)(noEntry.c_str());
    EXPECT_EQ((UINT)SEM_FAILCRITICALERRORS, SetErrorMode(before)) << "previous error mode restored";
    EXPORTED(setupLogFile)(nullptr);
    // Silent to the person, not to the log.
    std::string logged = readTextFile(log);
    EXPECT_NE(std::string::npos, logged.find("lxlm.dll could not be loaded")) << logged;
    EXPECT_NE(std::string::npos, logged.find("lxlm.dll has no entry 200")) << logged;
    EXPECT_EQ(0, runs(noEntry));
    EXPECT_NE(nullptr, GetModuleHandleA((noEntry + "lxlm.dll").c_str()))
        << "a module without ordinal 200 is still loaded and kept";
    EXPECT_TRUE(autopilotLog().empty()) << "no loader box";
}

TEST_F(LoadLaunchTest, EmptyDirectoryIsRefusedBeforeAnyLoad)
{
    // Formed as it stands, "" would name \lxlm.dll at the root of the
    // current drive, where a launch module lies.
    char kept[MAX_PATH];
    GetCurrentDirectoryA(sizeof kept, kept);
    ASSERT_TRUE(SetCurrentDirectoryA(makeTempDir("launch-empty").c_str()));
    std::string root = "C:\\";
    launchDir("lxlm.dll", root);
    EXPORTED(LoadLaunch)("");
    EXPECT_EQ(nullptr, GetModuleHandleA((root + "lxlm.dll").c_str())) << "nothing was loaded";
    EXPECT_EQ(0, runs(root));
    SetCurrentDirectoryA(kept);
    DeleteFileA((root + "lxlm.dll").c_str());
    DeleteFileA((root + "lxlm.log").c_str());
}

TEST_F(LoadLaunchTest, PathLongerThan99CharactersIsNotLoaded)
{
    std::string base = makeTempDir("launch-long");
    // Directory lengths (without the final backslash) and whether the module
    // path formed from them, directory + "\lxlm.dll", fits its 100 bytes.
    struct Case {
        size_t dirLength;
        bool loads;
    } cases[] = {{90, true}, {91, false}, {150, false}};
    for (const Case &c : cases) {
        ASSERT_LT(base.size(), c.dirLength);
        std::string dir = base + std::string(c.dirLength - base.size(), 'd');
        ASSERT_TRUE(CreateDirectoryA(dir.c_str(), nullptr)) << dir;
        launchDir("lxlm.dll", dir + "\\");
        EXPORTED(LoadLaunch)(dir.c_str());
        EXPECT_EQ(c.loads ? 1 : 0, runs(dir + "\\")) << "directory of " << c.dirLength << " characters";
        EXPECT_EQ(c.loads, GetModuleHandleA((dir + "\\lxlm.dll").c_str()) != nullptr) << c.dirLength;
    }
}

TEST(LaunchPathTest, BackslashAddedOnlyWhenMissingAndNothingCut)
{
    struct Case {
        const char *directory;
        size_t cap;
        bool fits;
        const char *path;
    } cases[] = {
        {"C:\\VIEWER", 100, true, "C:\\VIEWER\\lxlm.dll"},
        {"C:\\VIEWER\\", 100, true, "C:\\VIEWER\\lxlm.dll"},
        {"C:\\", 100, true, "C:\\lxlm.dll"},
        {"C:\\VIEWER", 19, true, "C:\\VIEWER\\lxlm.dll"},
        {"C:\\VIEWER", 18, false, ""},
        {"C:\\VIEWER\\", 18, false, ""},
    };
    for (const Case &c : cases) {
        char path[100];
        EXPECT_EQ(c.fits, formLaunchPath(c.directory, path, c.cap)) << c.directory << " in " << c.cap;
        EXPECT_STREQ(c.path, path) << c.directory << " in " << c.cap;
    }
}

// ---------------------------------------------------------------------------

struct Listener {
    PROCESS_INFORMATION process{};
    std::string record;
};

struct WindowSearch {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK findListenerWindow(HWND window, LPARAM param)
{
    auto *search = reinterpret_cast<WindowSearch *>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    char name[64] = "";
    GetClassNameA(window, name, sizeof name);
    if (owner == search->processId && strcmp(name, "DialogintListener") == 0) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

// Starts listener.exe and waits until its top-level window exists.
// mode: "" answers at once, "hang" never, "slow" after about five seconds,
// "block" answers the probe but never returns from the broadcast.
bool startListener(Listener *listener, const std::string &record, const char *mode = "")
{
    listener->record = record;
    std::string command = "\"" + exeDir() + "listener.exe\" \"" + record + "\" " + mode;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    std::vector<char> line(command.begin(), command.end());
    line.push_back(0);
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &listener->process))
        return false;
    for (int waited = 0; waited < 200; waited++) {
        WindowSearch search{listener->process.dwProcessId, nullptr};
        EnumWindows(findListenerWindow, (LPARAM)&search);
        if (search.found)
            return true;
        Sleep(50);
    }
    return false;
}

void stopListener(Listener *listener)
{
    if (!listener->process.hProcess)
        return;
    TerminateProcess(listener->process.hProcess, 0);
    WaitForSingleObject(listener->process.hProcess, 5000);
    CloseHandle(listener->process.hThread);
    CloseHandle(listener->process.hProcess);
    listener->process = PROCESS_INFORMATION{};
}

class UnloadBroadcastTest : public ::testing::Test {
protected:
    void SetUp() override { dir = makeTempDir("broadcast"); }
    void TearDown() override
    {
        stopListener(&responsive);
        stopListener(&hung);
    }

    std::string dir;
    Listener responsive, hung;
};

TEST_F(UnloadBroadcastTest, RunningListenerHandlesTheMessageBeforeTheEntryReturns)
{
    ASSERT_NE(nullptr, EXPORTED(unLoadDriver));
    ASSERT_TRUE(startListener(&responsive, dir + "responsive.txt"));
    EXPORTED(unLoadDriver)(12345);
    EXPECT_EQ("Lumoria deinstall 0 0\n", readTextFile(responsive.record))
        << "one broadcast, both parameters 0, handled before the return";
    EXPORTED(unLoadDriver)(0);
    EXPECT_EQ("Lumoria deinstall 0 0\nLumoria deinstall 0 0\n", readTextFile(responsive.record));
}

TEST_F(UnloadBroadcastTest, HungListenerIsPassedOverAndASlowOneWaitedFor)
{
    // Beside a responsive listener: a hung one is passed over after a bounded
    // wait; one that takes about five seconds to unload is waited for, so its
    // line is there when the entry returns; one that answers the probe and
    // then hangs in the broadcast is passed over too.
    const struct {
        const char *mode;
        const char *recorded;
        DWORD boundMs;   // 0: no bound, the listener is waited for
    } cases[] = {
        {"hang", "", 4 * UNLOAD_BROADCAST_TIMEOUT_MS},
        {"slow", "Lumoria deinstall 0 0\n", 0},
        {"block", "", UNLOAD_BROADCAST_TIMEOUT_MS + UNLOAD_HANDLING_TIMEOUT_MS + 2000},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.mode);
        std::string record = dir + c.mode + ".txt", served = dir + c.mode + "-responsive.txt";
        ASSERT_TRUE(startListener(&hung, record, c.mode));
        ASSERT_TRUE(startListener(&responsive, served));
        std::string log = dir + c.mode + ".log";
        ASSERT_EQ(1, EXPORTED(setupLogFile)(log.c_str()));
        DWORD start = GetTickCount();
        EXPORTED(unLoadDriver)(0);
        DWORD elapsed = GetTickCount() - start;
        EXPORTED(setupLogFile)(nullptr);
        // Windows of a listener from the row before may still be going.
        std::string logged = readTextFile(log);
        EXPECT_NE(std::string::npos, logged.find("unLoadDriver: unload broadcast sent")) << logged;
        if (c.boundMs) {
            EXPECT_EQ(std::string::npos, logged.find(" 0 program(s) passed over")) << logged;
        }
        // The hung program's windows share one bounded wait, and its queue
        // counts as hung once it has not been read for five seconds.
        if (c.boundMs) {
            EXPECT_LT(elapsed, c.boundMs) << "milliseconds spent in the broadcast";
        }
        EXPECT_EQ("Lumoria deinstall 0 0\n", readTextFile(served))
            << "the responsive listener is served beside it";
        EXPECT_EQ(c.recorded, readTextFile(record));
        stopListener(&hung);
        stopListener(&responsive);
    }
}

} // namespace
