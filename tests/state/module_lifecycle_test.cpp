// Attach, the CTL3D bracket, the resource module and setupInstall, through
// the exported entry where the host would call it.
#include <gtest/gtest.h>

#include <string.h>

#include "autopilot/autopilot.h"
#include "luinsres_ids.h"
#include "state/module_lifecycle.h"
#include "state/setup_state.h"
#include "support/import_patch.h"
#include "support/test_support.h"

namespace {

class SetupInstallTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        resetCoreState();
        clearCtl3dLog();
        media = makeTempDir("media");
        autopilotStart();
    }
    void TearDown() override { autopilotStop(); }

    void writeInstallIni(const char *type)
    {
        writeTextFile(media + "install.ini", std::string("[General]\r\nTYPE=") + type + "\r\n");
    }

    std::string media;
};

TEST_F(SetupInstallTest, ExportGoesOnForEveryInstallTypeOnceResourcesLoadAndLogsEachCall)
{
    ASSERT_NE(nullptr, EXPORTED(setupInstall)) << "setupInstall must be exported undecorated";
    installResourceModule(media);
    std::string log = media + "setup.log";
    ASSERT_EQ(1, EXPORTED(setupLogFile)(log.c_str()));
    for (const char *type : {"STANDARD", "DEMO", "EVALUATION", "LEGACY", "CUSTOM", "NOTES", "standard", ""}) {
        writeInstallIni(type);
        EXPECT_EQ(1, EXPORTED(setupInstall)(nullptr, "C:\\server\\", media.c_str())) << type;
    }
    DeleteFileA((media + "luinsres.dll").c_str());
    autopilotQueue(pressButton(IDOK));
    EXPECT_EQ(0, EXPORTED(setupInstall)(nullptr, "C:\\server\\", media.c_str())) << "no resource module";
    EXPORTED(setupLogFile)(nullptr);
    EXPECT_EQ(1u, autopilotLog().size()) << "one box, for the missing resource module";
    std::string logged = readTextFile(log);
    EXPECT_NE(std::string::npos, logged.find("setupInstall: source " + media + ", server folder C:\\server\\, setup type 1: result 1"))
        << logged;
    EXPECT_NE(std::string::npos, logged.find("the resource module cannot be loaded: result 0")) << logged;
}

TEST_F(SetupInstallTest, InstallTypeDecodedExactlyAndKeptOnNoMatch)
{
    installResourceModule(media);
    struct Case {
        const char *type;
        int32_t expected;
    } cases[] = {
        {"STANDARD", 1}, {"DEMO", 2}, {"EVALUATION", 3}, {"LEGACY", 4}, {"CUSTOM", 5}, {"NOTES", 6},
        {"standard", 6}, {"Notes", 6}, {"", 6},  // no match keeps the last decoded value
    };
    for (const Case &c : cases) {
        writeInstallIni(c.type);
        ASSERT_EQ(1, setupInstall(nullptr, "", media.c_str()));
        EXPECT_EQ(c.expected, setupState->installType) << "TYPE=" << c.type;
    }
    EXPECT_EQ(media + "install.ini", setupState->setupIniPath);
}

TEST_F(SetupInstallTest, FreshBlockWithoutTypeKeepsZero)
{
    installResourceModule(media);
    writeTextFile(media + "install.ini", "[General]\r\n");
    ASSERT_EQ(1, setupInstall(nullptr, "", media.c_str()));
    EXPECT_EQ(0, setupState->installType);
}

TEST_F(SetupInstallTest, MissingResourceModuleShowsLanEnterBoxAndStops)
{
    writeInstallIni("STANDARD");
    autopilotQueue(pressButton(IDOK));
    EXPECT_EQ(0, EXPORTED(setupInstall)(nullptr, "", media.c_str()));
    ASSERT_EQ(1u, autopilotLog().size());
    EXPECT_TRUE(autopilotLog()[0].messageBox);
    EXPECT_EQ("LanEnter", autopilotLog()[0].caption);
    EXPECT_EQ("-1", autopilotLog()[0].text);
    EXPECT_EQ((std::vector<int>{12, 16, 13}), ctl3dCalls()) << "registration undone on failure";
}

TEST_F(SetupInstallTest, SourceDirWithoutSeparatorFailsToLoad)
{
    installResourceModule(media);
    writeInstallIni("STANDARD");
    std::string noSeparator = media.substr(0, media.size() - 1);
    autopilotQueue(pressButton(IDOK));
    EXPECT_EQ(0, setupInstall(nullptr, "", noSeparator.c_str()));
    ASSERT_EQ(1u, autopilotLog().size());
    EXPECT_EQ("LanEnter", autopilotLog()[0].caption);
    EXPECT_EQ(0, setupState->installType) << "nothing read after a failed prologue";
}

TEST_F(SetupInstallTest, Ctl3dBracketRecordedInOrder)
{
    installResourceModule(media);
    writeInstallIni("DEMO");
    ASSERT_EQ(1, EXPORTED(setupInstall)(nullptr, "", media.c_str()));
    EXPECT_EQ((std::vector<int>{12, 16, 13}), ctl3dCalls());
    EXPECT_EQ(nullptr, GetModuleHandleA("CTL3D32.dll")) << "released with the entry";
}

TEST_F(SetupInstallTest, MissingCtl3dIsSkippedSilently)
{
    installResourceModule(media);
    writeInstallIni("DEMO");
    std::string standin = systemDir() + "CTL3D32.dll", aside = systemDir() + "CTL3D32.dll.aside";
    ASSERT_TRUE(MoveFileA(standin.c_str(), aside.c_str()));
    int result = EXPORTED(setupInstall)(nullptr, "", media.c_str());
    BOOL back = MoveFileA(aside.c_str(), standin.c_str());
    EXPECT_TRUE(back) << "the stand-in back in place: error " << GetLastError();
    EXPECT_EQ(1, result);
    EXPECT_TRUE(ctl3dCalls().empty());
    EXPECT_TRUE(autopilotLog().empty()) << "no loader box for the missing module";
}

TEST_F(SetupInstallTest, OverlongHostFoldersAreRefusedAndNeverLoad)
{
    installResourceModule(media);
    writeInstallIni("STANDARD");
    for (size_t length : {255u, 256u, 4000u}) {
        std::string source(length, 'a');
        std::string server(length, 'b');
        memset(setupState->serverDir, 'x', sizeof setupState->serverDir);
        autopilotQueue(pressButton(IDOK));
        EXPECT_EQ(0, setupInstall(nullptr, server.c_str(), source.c_str())) << length;
        EXPECT_LT(strlen(setupState->sourceDir), sizeof setupState->sourceDir) << length;
        EXPECT_STREQ("", setupState->serverDir) << "refused rather than cut, length " << length;
    }
    EXPECT_EQ(3u, autopilotLog().size()) << "each overlong source reports the usual failure";
}

TEST_F(SetupInstallTest, ResourceModuleFreedBetweenCalls)
{
    installResourceModule(media);
    writeInstallIni("STANDARD");
    ASSERT_EQ(1, setupInstall(nullptr, "", media.c_str()));
    EXPECT_EQ(nullptr, resourceModule);
    EXPECT_FALSE(fileMappedHere(media + "luinsres.dll")) << "no view of the resource module left";
}

// A Windows that knows no image resources refuses the flag with
// ERROR_INVALID_PARAMETER, as a relative path is refused: the module is then
// mapped as a plain data file, and still nothing of it runs.
std::vector<DWORD> loadFlagsSeen;
decltype(&LoadLibraryExA) realLoadLibraryEx;

HMODULE WINAPI loadWithoutImageResources(LPCSTR path, HANDLE file, DWORD flags)
{
    loadFlagsSeen.push_back(flags);
    if (flags & LOAD_LIBRARY_AS_IMAGE_RESOURCE) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return realLoadLibraryEx(path, file, flags);
}

TEST_F(SetupInstallTest, ResourceModuleFallsBackToADataFileWhereImageResourcesAreUnknown)
{
    ASSERT_TRUE(copyFileTo(exeDir() + "luinsres_withcode.dll", media + "luinsres.dll"));
    loadFlagsSeen.clear();
    realLoadLibraryEx = (decltype(&LoadLibraryExA))patchImport(dialogintModule(), nullptr, "LoadLibraryExA",
                                                               (void *)loadWithoutImageResources);
    ASSERT_NE(nullptr, realLoadLibraryEx);
    char text[200] = "";
    int loaded = EXPORTED(installLoadStr)(IDS_CAPTION, text, media.c_str());
    patchImport(dialogintModule(), nullptr, "LoadLibraryExA", (void *)realLoadLibraryEx);
    EXPECT_EQ(1, loaded);
    EXPECT_STREQ("Lumoria Setup", text);
    EXPECT_EQ((std::vector<DWORD>{LOAD_LIBRARY_AS_IMAGE_RESOURCE | LOAD_LIBRARY_AS_DATAFILE, LOAD_LIBRARY_AS_DATAFILE}),
              loadFlagsSeen);
    EXPECT_FALSE(fileMappedHere(media + "luinsres.dll")) << "released with the entry";
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((media + "luinsres.ran").c_str())) << "its entry ran";
}

TEST(AttachTest, SecondAttachKeepsTheBlock)
{
    resetCoreState();
    SetupState *block = setupState;
    setupState->installType = 5;
    EXPECT_TRUE(attachLibrary((HINSTANCE)0x1234));
    EXPECT_EQ(block, setupState);
    EXPECT_EQ(5, setupState->installType);
}

TEST(AttachTest, FailedAllocationFailsTheLoad)
{
    HINSTANCE savedInstance = libraryInstance;
    SetupState *savedState = setupState;
    libraryInstance = nullptr;
    setupState = nullptr;
    allocateStateBlock = [](size_t) -> void * { return nullptr; };
    EXPECT_FALSE(attachLibrary(GetModuleHandleA(nullptr)));
    EXPECT_EQ(nullptr, libraryInstance) << "a later attach may try again";
    allocateStateBlock = [](size_t bytes) -> void * { return HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, bytes); };
    libraryInstance = savedInstance;
    setupState = savedState;
}

} // namespace

namespace {

// A CTL3D32.dll planted where anybody can write (beside the host program,
// on the medium, in the current folder) is never the one loaded: the system
// folder's stand-in logs its calls, the planted copy (another module, without
// the logging ordinals) would leave the log empty.
TEST_F(SetupInstallTest, PlantedCtl3dBesideTheHostIsNeverLoaded)
{
    installResourceModule(media);
    writeInstallIni("DEMO");
    char current[MAX_PATH];
    GetCurrentDirectoryA(sizeof current, current);
    std::string here = std::string(current) + "\\";
    for (const std::string &folder : {exeDir(), media, here}) {
        std::string planted = folder + "CTL3D32.dll";
        ASSERT_TRUE(CopyFileA((exeDir() + "fixint.dll").c_str(), planted.c_str(), FALSE)) << planted;
        clearCtl3dLog();
        int result = EXPORTED(setupInstall)(nullptr, "", media.c_str());
        DeleteFileA(planted.c_str());
        EXPECT_EQ(1, result) << folder;
        EXPECT_EQ((std::vector<int>{12, 16, 13}), ctl3dCalls()) << "the system folder's module, planted in " << folder;
    }
}

} // namespace
