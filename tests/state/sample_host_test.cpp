// The sample setup host as a setup author runs it: setuphost.exe in a process
// of its own, on a copy of the sample media, its dialogs pressed from outside
// by play_setup.exe playing an answer file (or none shown at all: --replay).
// Afterwards the installation folder, the work copy and the registry are read
// back: every file that install.ini listed lies in the folder with the size
// the layout gives it, and a removal run takes it all away again.
#include <gtest/gtest.h>

#include <stdio.h>

#include <map>
#include <string>
#include <vector>

#include "registry/registry_access.h"
#include "registry/registry_readback.h"
#include "support/test_support.h"

namespace {

constexpr DWORD HOST_TIMEOUT_MS = 180000;

const char STANDARD_ANSWERS[] = "language: english\nmain: standard\nshared: yes\n";

void copyTree(const std::string &from, const std::string &to)
{
    CreateDirectoryA(to.c_str(), nullptr);
    WIN32_FIND_DATAA found;
    HANDLE h = FindFirstFileA((from + "*").c_str(), &found);
    if (h == INVALID_HANDLE_VALUE)
        return;
    do {
        std::string name = found.cFileName;
        if (name == "." || name == "..")
            continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            copyTree(from + name + "\\", to + name + "\\");
        else
            copyFileTo(from + name, to + name);
    } while (FindNextFileA(h, &found));
    FindClose(h);
}

// Every file below dir, by its path relative to dir, with its size.
void listFiles(const std::string &dir, const std::string &relative, std::map<std::string, int64_t> *files)
{
    WIN32_FIND_DATAA found;
    HANDLE h = FindFirstFileA((dir + relative + "*").c_str(), &found);
    if (h == INVALID_HANDLE_VALUE)
        return;
    do {
        std::string name = found.cFileName;
        if (name == "." || name == "..")
            continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            listFiles(dir, relative + name + "\\", files);
        else
            (*files)[relative + name] = ((int64_t)found.nFileSizeHigh << 32) | found.nFileSizeLow;
    } while (FindNextFileA(h, &found));
    FindClose(h);
}

struct ListedFile {
    std::string section;
    std::string logicalName;
    int64_t listedSize;
    std::string mediaPath;  // FILENAMES entry, relative to the media
};

// What install.ini lists for copying, resolved through the layout file.
std::vector<ListedFile> listedFiles(const std::string &work)
{
    std::string ini = work + "install.ini", layout = work + "setup.lay";
    std::vector<ListedFile> files;
    int count = atoi(profileValue(ini, "INSTALLFILES", "NUMFILES").c_str());
    for (int n = 1; n <= count; n++) {
        std::string key = "FILE" + std::to_string(n);
        for (const char *section : {"SETUPFILES", "INSTALLFILES", "SAMPLEFILES", "NOTEFILES"}) {
            std::string name = profileValue(ini, section, key);
            if (name.empty())
                continue;
            std::string fileKey = profileValue(layout, "LOGICALFILE", name);
            files.push_back({section, name, atoll(profileValue(ini, "SIZEFILES", key).c_str()),
                             profileValue(layout, "FILENAMES", fileKey)});
        }
    }
    return files;
}

// A folder and everything in it; true when it is gone.
bool removeFolder(const std::string &folder)
{
    WIN32_FIND_DATAA found;
    HANDLE h = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName, path = folder + "\\" + name;
            if (name == "." || name == "..")
                continue;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                removeFolder(path);
            else
                DeleteFileA(path.c_str());
        } while (FindNextFileA(h, &found));
        FindClose(h);
    }
    RemoveDirectoryA(folder.c_str());
    return GetFileAttributesA(folder.c_str()) == INVALID_FILE_ATTRIBUTES;
}

class SampleHostTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        resetRegistry();
        dir = makeTempDir("samplehost");
        media = dir + "media\\";
        copyTree(exeDir() + "media\\", media);
        target = dir + "target";
    }
    void TearDown() override
    {
        resetRegistry();
        // The host's entries in the shared-file list, under either name.
        HKEY key;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, SHARED_DLLS_KEY, 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
            for (const char *name : {"wpcommon.dll", "jorcnvrt.dll", "jorwkbve.dll"}) {
                RegDeleteValueA(key, (shortTarget + "\\" + name).c_str());
                RegDeleteValueA(key, (target + "\\" + name).c_str());
            }
            RegCloseKey(key);
        }
    }

    std::string writeAnswers(const char *text)
    {
        std::string path = dir + "answers" + std::to_string(++runs) + ".txt";
        writeTextFile(path, text);
        return path;
    }

    // Runs setuphost.exe (of hostDir, by default the build's) with the
    // arguments; its exit code, or -1 when it had to be stopped. What it
    // printed lands in output.
    // With player options, play_setup.exe runs the host and plays them.
    int runHost(const std::string &arguments, const std::string &hostDir = exeDir(), const std::string &player = "")
    {
        std::string outPath = dir + "host-output" + std::to_string(++runs) + ".txt";
        // A folder's closing backslash would escape the quote after it.
        std::string command = "\"" + hostDir + "setuphost.exe\" --media \"" + media.substr(0, media.size() - 1) +
                              "\" " + arguments;
        if (!player.empty())
            command = "\"" + exeDir() + "play_setup.exe\" " + player + " " + command;
        DWORD code = (DWORD)-1;
        ChildEnd end = runChildProcess(command, outPath.c_str(), nullptr, HOST_TIMEOUT_MS, &code);
        if (end == ChildEnd::NotStarted) {
            output = "CreateProcess failed";
            return -1;
        }
        if (end == ChildEnd::Hung)
            code = (DWORD)-1;
        output = readTextFile(outPath);
        return (int)code;
    }

    std::string played(const char *answers) { return "--answers \"" + writeAnswers(answers) + "\""; }

    int install(const char *answers, const char *work, const std::string &more = "", const std::string &player = "")
    {
        int code = runHost("--work \"" + dir + work + "\" --keep-work --target \"" + target + "\" " + more, exeDir(),
                           played(answers) + " " + player);
        // The library hands the folder back in its short form, under which
        // the host registers the shared files.
        if (GetFileAttributesA(target.c_str()) != INVALID_FILE_ATTRIBUTES)
            shortTarget = shortPath(target);
        return code;
    }
    // A removal finds the installation through the registry, as after a reboot.
    int remove(const char *answers, const char *work, const std::string &more = "")
    {
        return runHost("--remove --work \"" + dir + work + "\" --keep-work " + more, exeDir(), played(answers));
    }

    std::map<std::string, int64_t> installedFiles()
    {
        std::map<std::string, int64_t> files;
        listFiles(target + "\\", "", &files);
        return files;
    }

    bool sharedEntry(const char *name, DWORD *count)
    {
        DWORD type = 0;
        std::string data;
        if (!readRegValue(HKEY_LOCAL_MACHINE, SHARED_DLLS_KEY, (shortTarget + "\\" + name).c_str(), &type,
                          &data))
            return false;
        *count = type == REG_DWORD && data.size() == 4 ? *(const DWORD *)data.data() : 0xFFFFFFFF;
        return true;
    }

    std::string dir, media, target, shortTarget, output;
    int runs = 0;
};

TEST_F(SampleHostTest, StandardSetupCopiesEveryListedFileAndRemovalTakesThemAway)
{
    std::string mediaIniBefore = readTextFile(media + "install.ini");
    ASSERT_EQ(0, install(STANDARD_ANSWERS, "work1", "", "--screenshots \"" + dir + "pictures\"")) << output;
    EXPECT_EQ(mediaIniBefore, readTextFile(media + "install.ini")) << "the media stay untouched";
    // A picture of each dialog: the main dialog and the host's own window.
    for (const char *picture : {"setup-02-main.bmp", "setup-04-copying.bmp"}) {
        std::string bmp = readTextFile(dir + "pictures\\" + picture);
        ASSERT_GT(bmp.size(), 54u) << picture << "\n" << output;
        EXPECT_EQ("BM", bmp.substr(0, 2)) << picture;
        int32_t width = *(const int32_t *)(bmp.data() + 18), height = *(const int32_t *)(bmp.data() + 22);
        EXPECT_GT(width, 100) << picture;
        EXPECT_GT(height, 50) << picture;
    }

    // Each listed file lies in the folder of its kind with the listed size,
    // and nothing else but the host's three records.
    std::string work = dir + "work1\\";
    std::vector<ListedFile> listed = listedFiles(work);
    ASSERT_GT(listed.size(), 10u) << output;
    std::map<std::string, int64_t> files = installedFiles();
    const std::map<std::string, std::string> folderOf = {
        {"SETUPFILES", "SETUP\\"}, {"INSTALLFILES", ""}, {"SAMPLEFILES", "SAMPLES\\"}, {"NOTEFILES", "NOTES\\"}};
    int64_t total = 0;
    for (const ListedFile &f : listed) {
        std::string where = folderOf.at(f.section) + namePart(f.mediaPath);
        auto found = files.find(where);
        ASSERT_NE(files.end(), found) << f.logicalName << " should be at " << where;
        EXPECT_EQ(f.listedSize, found->second) << where;
        EXPECT_EQ(fileSize(work + f.mediaPath), found->second) << where;
        total += found->second;
        files.erase(found);
    }
    EXPECT_EQ(atoll(profileValue(work + "install.ini", "INSTALLFILES", "SIZEFILES").c_str()), total);
    for (const char *record : {"install.log", "install.ini", "setup.lay"})
        EXPECT_EQ(1u, files.erase(record)) << record;
    EXPECT_TRUE(files.empty()) << files.size() << " files were not listed, first " << files.begin()->first;

    DWORD count = 0;
    EXPECT_TRUE(sharedEntry("wpcommon.dll", &count));
    EXPECT_EQ(1u, count) << "a shared file is counted once";
    EXPECT_TRUE(regKeyExists(HKEY_LOCAL_MACHINE, PRODUCT_GENERAL_KEY));
    std::string calls = readTextFile(work + "integration-calls.log");
    EXPECT_NE(std::string::npos, calls.find("apnint.dll\t3\t")) << "JORMAIL switched on:\n" << calls;
    EXPECT_EQ(std::string::npos, calls.find("bpnint.dll\t3\t")) << "JORNOTES is not chosen";
    // The shell extensions, and the load manager's autostart planted here, go
    // with the removal; the maker's key with its last product.
    const char *const extensionKeys[] = {
        "CLSID\\" MENU_EXTENSION_ID, "*\\shellex\\ContextMenuHandlers\\" MENU_EXTENSION_ID,
        "CLSID\\" SHEET_EXTENSION_ID, "*\\shellex\\PropertySheetHandlers\\" SHEET_EXTENSION_ID};
    for (const char *key : extensionKeys)
        EXPECT_TRUE(regKeyExists(HKEY_CLASSES_ROOT, key)) << key;
    setRegText(HKEY_LOCAL_MACHINE, AUTOSTART_KEY, "lxldmgr", "lxldmgr.exe");

    ASSERT_EQ(0, remove(STANDARD_ANSWERS, "work2")) << output;
    for (const char *key : extensionKeys)
        EXPECT_FALSE(regKeyExists(HKEY_CLASSES_ROOT, key)) << key;
    DWORD type = 0;
    std::string data;
    EXPECT_FALSE(readRegValue(HKEY_LOCAL_MACHINE, AUTOSTART_KEY, "lxldmgr", &type, &data));
    EXPECT_FALSE(regKeyExists(HKEY_LOCAL_MACHINE, "SOFTWARE\\Jor"));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(target.c_str())) << "folder removed:\n" << output;
    EXPECT_FALSE(sharedEntry("wpcommon.dll", &count));
    EXPECT_FALSE(regKeyExists(HKEY_LOCAL_MACHINE, PRODUCT_KEY));
    calls = readTextFile(dir + "work2\\integration-calls.log");
    EXPECT_NE(std::string::npos, calls.find("apnint.dll\t4\t")) << "JORMAIL switched off:\n" << calls;
}

TEST_F(SampleHostTest, CustomSelectionReachesTheFolderAndKeptSharedFilesStay)
{
    const char answers[] = "main: custom\n"
                           "options: details Manuals and online help\n"
                           "options: toggle Manual; ok\n"
                           "options: ok\n"
                           "shared: no\n";
    ASSERT_EQ(0, install(answers, "work1")) << output;
    std::map<std::string, int64_t> files = installedFiles();
    EXPECT_EQ(1u, files.count("SAMPLES\\sample.jw2")) << "samples go to their own folder";
    EXPECT_EQ(1u, files.count("NOTES\\bpnint.dll")) << "custom starts from every component";
    EXPECT_EQ(0u, files.count("manual.jw2")) << "the manual was deselected";

    ASSERT_EQ(0, remove(answers, "work2")) << output;
    files = installedFiles();
    for (const char *name : {"wpcommon.dll", "jorcnvrt.dll", "jorwkbve.dll"}) {
        EXPECT_EQ(1u, files.erase(name)) << name << " kept on No";
        DWORD count = 1;
        EXPECT_TRUE(sharedEntry(name, &count)) << name;
        EXPECT_EQ(0u, count) << name << ": no program uses it";
    }
    EXPECT_TRUE(files.empty()) << "first left over: " << files.begin()->first;
}

TEST_F(SampleHostTest, RemoveInTheReinstallDialogRunsTheRemoval)
{
    ASSERT_EQ(0, install(STANDARD_ANSWERS, "work1")) << output;
    ASSERT_EQ(0, install("reinstall: remove\nshared: yes\n", "work2")) << output;
    EXPECT_NE(std::string::npos, output.find("HaveKeyDialog      2")) << output;
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(target.c_str())) << output;
    EXPECT_FALSE(regKeyExists(HKEY_LOCAL_MACHINE, PRODUCT_KEY));
}

TEST_F(SampleHostTest, ModificationCopiesAddedFilesAndRemovesDroppedOnes)
{
    ASSERT_EQ(0, install(STANDARD_ANSWERS, "work1")) << output;
    ASSERT_EQ(1u, installedFiles().count("jorpack.dll"));
    const char modify[] = "reinstall: modify\n"
                          "options: toggle Conversion tools; toggle Internet and archive tools;"
                          " toggle Manuals and online help; ok\n";
    ASSERT_EQ(0, install(modify, "work2")) << output;
    std::map<std::string, int64_t> files = installedFiles();
    EXPECT_EQ(1u, files.count("lucnvt.exe")) << "the conversion tool was added";
    EXPECT_EQ(0u, files.count("jorpack.dll")) << "the archive tools were dropped";
    EXPECT_EQ(0u, files.count("readme.txt")) << "listed for removal without its language mark";
    EXPECT_EQ(1u, files.count("lumoria.exe")) << "what stays chosen stays";
    std::string log = readTextFile(target + "\\install.log");
    EXPECT_NE(std::string::npos, log.find("lucnvt.exe"));
    EXPECT_EQ(std::string::npos, log.find("jorpack.dll"));

    ASSERT_EQ(0, remove(STANDARD_ANSWERS, "work3")) << output;
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(target.c_str())) << "the added file went too:\n" << output;
}

TEST_F(SampleHostTest, NetworkInstallationFillsTheServerFolderAndIsRemovedByName)
{
    ASSERT_EQ(0, install("network: ok\nshared: yes\n", "work1", "--network")) << output;
    std::string work = dir + "work1\\";
    size_t listed = listedFiles(work).size();
    std::map<std::string, int64_t> files = installedFiles();
    EXPECT_EQ(listed + 3, files.size()) << "every component, and the host's records";
    EXPECT_EQ(1u, files.count("SAMPLES\\sample.jw2"));
    EXPECT_EQ(1u, files.count("NOTES\\bpnint.dll"));
    EXPECT_FALSE(regKeyExists(HKEY_LOCAL_MACHINE, PRODUCT_KEY)) << "a server copy configures no machine";
    EXPECT_EQ(std::string::npos, readTextFile(work + "integration-calls.log").find("\t3\t"))
        << "nothing is integrated on the server";

    EXPECT_EQ(1, remove("shared: yes\n", "work2")) << "not registered:\n" << output;
    ASSERT_EQ(0, remove("shared: yes\n", "work2", "--target \"" + target + "\"")) << output;
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(target.c_str())) << output;
}

TEST_F(SampleHostTest, SharedFileAnotherProgramUsesIsCountedDownAndKept)
{
    // Another program installed the same file at the same place before.
    CreateDirectoryA(target.c_str(), nullptr);
    shortTarget = shortPath(target);
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, SHARED_DLLS_KEY, 0, nullptr, 0, KEY_ALL_ACCESS,
                                             nullptr, &key, nullptr));
    DWORD one = 1;
    std::string value = shortTarget + "\\wpcommon.dll";
    RegSetValueExA(key, value.c_str(), 0, REG_DWORD, (const BYTE *)&one, sizeof one);
    RegCloseKey(key);

    ASSERT_EQ(0, install(STANDARD_ANSWERS, "work1")) << output;
    DWORD count = 0;
    ASSERT_TRUE(sharedEntry("wpcommon.dll", &count));
    EXPECT_EQ(2u, count);
    // Yes to every question: a file still in use is not even asked about.
    ASSERT_EQ(0, remove("shared: yes\n", "work2")) << output;
    EXPECT_TRUE(sharedEntry("wpcommon.dll", &count));
    EXPECT_EQ(1u, count);
    std::map<std::string, int64_t> files = installedFiles();
    EXPECT_EQ(1u, files.count("wpcommon.dll"));
    EXPECT_EQ(1u, files.size()) << "everything else is removed";
}

// The host refuses what it cannot do safely before it touches anything.
TEST_F(SampleHostTest, BadArgumentsAndForeignWorkFoldersAreRefused)
{
    std::string foreign = dir + "foreign";
    CreateDirectoryA(foreign.c_str(), nullptr);
    writeTextFile(foreign + "\\keep.txt", "not the host's");
    std::string good = played(STANDARD_ANSWERS);
    struct Case {
        std::string arguments;
        std::string player;
        int exitCode;
    };
    const Case cases[] = {
        {"", played("mian: standard\n"), 3},
        {"", played("main: standard; twiddle\n"), 3},
        {"--frobnicate", good, 3},
        // Pressing the dialogs is not the host's business.
        {"--answers \"" + writeAnswers(STANDARD_ANSWERS) + "\"", "", 3},
        {"--screenshots \"" + dir + "pictures\"", "", 3},
        {"--work \"" + foreign + "\"", good, 2},
        {"--work \"" + media + "files\"", good, 2},
        {"--remove --work \"" + dir + "work\"", good, 1},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(c.exitCode, runHost(c.arguments + " --target \"" + target + "\"", exeDir(), c.player))
            << c.arguments << " " << c.player << "\n"
            << output;
        EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(target.c_str())) << c.arguments;
    }
    EXPECT_EQ("not the host's", readTextFile(foreign + "\\keep.txt"));
    EXPECT_TRUE(fileExists(media + "files\\engine\\lumoria.exe")) << "the media stay whole";
}

// The host needs nothing of the tests: with only the library beside it, it
// sets up from a replayed answer file.
TEST_F(SampleHostTest, HostWithOnlyTheLibraryBesideItServesAReplay)
{
    std::string bare = dir + "bare\\";
    CreateDirectoryA(bare.c_str(), nullptr);
    for (const char *file : {"setuphost.exe", "dialogint.dll"})
        ASSERT_TRUE(copyFileTo(exeDir() + file, bare + file)) << file;
    std::string log = dir + "replay.log";
    EXPECT_EQ(0, runHost("--work \"" + dir + "work\" --target \"" + target + "\" --replay \"" +
                         writeAnswers("[Setup]\nKind=standard\n") + "\" --log \"" + log + "\"",
                         bare))
        << output << readTextFile(log);
    if (GetFileAttributesA(target.c_str()) != INVALID_FILE_ATTRIBUTES)
        shortTarget = shortPath(target);
    EXPECT_TRUE(fileExists(target + "\\install.log")) << output;
}

// The language installed is what initLanguage settles: the system's own
// (English here) when the media offer it, else the one chosen in the
// language dialog, which shows when the media offer Spanish, German and
// French alone. That language's module speaks from the main dialog on, and
// install.log keeps it for the removal.
TEST_F(SampleHostTest, LanguageIsTheOneInitLanguageSettles)
{
    const struct {
        bool offersEnglish;
        const char *answers;
        const char *logged;   // install.log's LANGUAGE line
        const char *module;   // the resource module the host took
    } cases[] = {
        {true, "language: german\nmain: standard\n", "LANGUAGE\tENGLISH", "lang\\en\\luinsres.dll"},
        {false, "language: german\nmain: standard\n", "LANGUAGE\tGERMAN", "lang\\de\\luinsres.dll"},
        {false, "language: french\nmain: standard\n", "LANGUAGE\tFRENCH", "lang\\fr\\luinsres.dll"},
    };
    std::string offered = readTextFile(media + "install.ini");
    size_t english = offered.find("Info1=ENGLISH");
    ASSERT_NE(std::string::npos, english);
    for (const auto &c : cases) {
        writeTextFile(media + "install.ini",
                      c.offersEnglish ? offered : std::string(offered).replace(english, 13, "Info1=SPANISH"));
        ASSERT_EQ(0, install(c.answers, "work")) << c.answers << output;
        EXPECT_NE(std::string::npos, readTextFile(target + "\\install.log").find(c.logged)) << c.answers << output;
        EXPECT_NE(std::string::npos, output.find(c.module)) << c.answers << output;
        ASSERT_EQ(0, remove("shared: yes\n", "work")) << c.answers << output;
        EXPECT_NE(std::string::npos, output.find(c.module)) << "the removal speaks it too\n" << output;
    }
}

// Stopping is not failing: 1 after a cancel the user confirmed; 2 when the
// answer file left a dialog unanswered, or named an entry the list does not
// have: the dialog is closed instead of waited on, and nothing is copied.
TEST_F(SampleHostTest, CancelAndUnansweredDialogsEndTheRunWithoutCopying)
{
    struct Case {
        const char *answers;
        int exitCode;
    };
    const Case cases[] = {
        {"main: cancel\nbox: yes\n", 1},
        {"language: english\n", 2},
        {"main: custom\noptions: toggle Nothing; ok\n", 2},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(c.exitCode, install(c.answers, "work")) << c.answers << output;
        EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((target + "\\install.log").c_str())) << c.answers;
        resetRegistry();
    }
}

} // namespace

// --record runs the dialogs (here played by the autopilot) and has the
// library write the choices; --replay sets up again from that file on a
// clean machine with no dialog and no window of the host's: the same
// install.ini, the same files, the same exit code.
TEST_F(SampleHostTest, RecordedSetupIsReplayedWithNoDialogToTheSameInstallation)
{
    const struct {
        const char *what;
        const char *dialogs;
        const char *more;
    } runs[] = {
        {"standard", STANDARD_ANSWERS, ""},
        {"custom", "main: custom\noptions: toggle Conversion tools; toggle Internet and archive tools; ok\n", ""},
        {"network", "network: ok\n", "--network"},
    };
    for (const auto &r : runs) {
        std::string recorded = dir + r.what + ".ini";
        ASSERT_EQ(0, install(r.dialogs, (std::string(r.what) + "-record").c_str(),
                             std::string(r.more) + " --record \"" + recorded + "\""))
            << r.what << "\n" << output;
        std::string iniRecorded = readTextFile(dir + r.what + "-record\\install.ini");
        std::map<std::string, int64_t> filesRecorded = installedFiles();
        std::string log = dir + r.what + ".log";
        // A clean machine: nothing installed, nothing registered.
        TearDown();
        ASSERT_TRUE(removeFolder(target)) << r.what;

        std::string work = dir + r.what + "-replay";
        ASSERT_EQ(0, runHost("--work \"" + work + "\" --keep-work --target \"" + target + "\" --replay \"" +
                             recorded + "\" --log \"" + log + "\" " + r.more))
            << r.what << "\n" << output << readTextFile(log);
        EXPECT_EQ(iniRecorded, readTextFile(work + "\\install.ini")) << r.what;
        EXPECT_EQ(filesRecorded, installedFiles()) << r.what;
        std::string logged = readTextFile(log);
        EXPECT_TRUE(logged.find("dodialog") != std::string::npos || logged.find("networkInstall") != std::string::npos)
            << r.what << ": the log tells the entries\n" << logged;
        TearDown();
        removeFolder(target);
    }
}

// A replay never waits for a person: a cancel in the file stops the run (1),
// a file without a usable answer fails it (2) with the reason in the log,
// and neither copies anything.
TEST_F(SampleHostTest, ReplayThatCancelsOrLacksAnAnswerCopiesNothing)
{
    const struct {
        const char *answers;
        int exitCode;
        const char *logged;    // the setup log names it
    } cases[] = {
        {"[Setup]\nKind=cancel\n", 1, "cancel"},
        {"[Setup]\nLanguage=english\n", 2, "Kind"},
        {"[Setup]\nKind=custom\n[Components]\nNOSUCHGROUP=1\n", 2, "NOSUCHGROUP"},
        {"[Setup]\nKind=standard\nInstallDir=Q:\\\n", 2, "InstallDir"},
    };
    for (const auto &c : cases) {
        std::string log = dir + "replay" + std::to_string(++runs) + ".log";
        EXPECT_EQ(c.exitCode, runHost("--work \"" + dir + "work\" --target \"" + target + "\" --replay \"" +
                                      writeAnswers(c.answers) + "\" --log \"" + log + "\""))
            << c.answers << output;
        EXPECT_NE(std::string::npos, readTextFile(log).find(c.logged)) << c.answers << readTextFile(log);
        EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((target + "\\install.log").c_str())) << c.answers;
        EXPECT_FALSE(regKeyExists(HKEY_LOCAL_MACHINE, PRODUCT_KEY)) << c.answers;
        resetRegistry();
    }
}

namespace {

std::wstring widened(const std::string &text)
{
    wchar_t wide[1024] = L"";
    MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide, 1024);
    return wide;
}

std::string inCodePage(UINT codePage, const std::wstring &text)
{
    char bytes[1024] = "";
    WideCharToMultiByte(codePage, 0, text.c_str(), -1, bytes, sizeof bytes, nullptr, nullptr);
    return bytes;
}

// The run's folders, whose names this test program's own code page cannot
// hold, go by their wide names.
void removeWideTree(const std::wstring &folder)
{
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = found.cFileName;
            if (name == L"." || name == L"..")
                continue;
            std::wstring path = folder + L"\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                removeWideTree(path);
            else {
                SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(path.c_str());
            }
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(folder.c_str());
}

} // namespace

// A host on a Japanese Windows (system code page 932) installs into a folder
// whose name's second byte of "so" is 0x5C, the backslash byte, and removes
// it again: the folder is the one named, not one cut at that byte. ctest runs
// it as state_japanese, with Wine started in the Japanese locale.
TEST_F(SampleHostTest, OnAJapaneseSystemAFolderWithABackslashByteIsInstalledAndRemoved)
{
    if (GetACP() != 932)
        GTEST_SKIP() << "runs where the system code page is 932 (ctest: state_japanese)";
    std::wstring base = widened(dir) + L"\u30bd\u30d5\u30c8";
    std::wstring folder = base + L"\\Lumoria";
    std::string answers = dir + "japanese.ini";
    writeTextFile(answers, "[Setup]\r\nKind=standard\r\nInstallDir=" + inCodePage(932, folder) +
                               "\r\n[SharedFiles]\r\nwpcommon.dll=remove\r\njorcnvrt.dll=remove\r\n"
                               "jorwkbve.dll=remove\r\n");
    std::string log = dir + "japanese.log";
    int installed = runHost("--work \"" + dir + "work-ja\" --replay \"" + answers + "\" --log \"" + log + "\"");
    bool logThere = GetFileAttributesW((folder + L"\\install.log").c_str()) != INVALID_FILE_ATTRIBUTES;
    // No folder beside the one named: none of half a character's name.
    std::vector<std::wstring> made;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((widened(dir) + L"*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do
            if (found.cFileName[0] > 0x7F)
                made.push_back(found.cFileName);
        while (FindNextFileW(search, &found));
        FindClose(search);
    }
    int removed = runHost("--remove --work \"" + dir + "work-ja-remove\" --replay \"" + answers + "\" --log \"" +
                          log + "\"");
    EXPECT_EQ(0, installed) << output << readTextFile(log);
    EXPECT_TRUE(logThere) << "the files went into the folder named";
    EXPECT_EQ(std::vector<std::wstring>{L"\u30bd\u30d5\u30c8"}, made) << "folders made beside it";
    for (const std::wstring &name : made)
        removeWideTree(widened(dir) + name);
    EXPECT_EQ(0, removed) << output << readTextFile(log);
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(folder.c_str())) << "the removal found the same folder";
    removeWideTree(base);
}
