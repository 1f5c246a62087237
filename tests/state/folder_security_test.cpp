// The folders of a setup as the host runs it: the permissions of the folders
// the library makes (read back from the file system), the warning for an
// existing folder others can change, the host's current folder left as it
// was, and relative folders taken as they were when an entry received them.
#include <gtest/gtest.h>

#include <aclapi.h>
#include <sddl.h>
#include <string.h>

#include <algorithm>

#include "autopilot/autopilot.h"
#include "luinsres_ids.h"
#include "steps/step_sets.h"
#include "support/test_support.h"

namespace {

constexpr DWORD READ_RUN = FILE_GENERIC_READ | FILE_GENERIC_EXECUTE;
constexpr BYTE INHERITED_BY_ALL = OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE;

const char *whoIs(PSID sid)
{
    const struct {
        WELL_KNOWN_SID_TYPE type;
        const char *name;
    } known[] = {{WinBuiltinAdministratorsSid, "administrators"}, {WinLocalSystemSid, "system"},
                 {WinBuiltinUsersSid, "users"}, {WinAuthenticatedUserSid, "authenticated users"},
                 {WinWorldSid, "everyone"}};
    for (const auto &k : known)
        if (IsWellKnownSid(sid, k.type))
            return k.name;
    return "another account";
}

// One entry of a folder's permissions, as read back: "who mask flags".
std::string entryText(const char *who, DWORD mask, BYTE flags)
{
    char text[80];
    snprintf(text, sizeof text, "%s %#lx %#x", who, (unsigned long)mask, flags);
    return text;
}

struct Permissions {
    bool read = false;
    bool isProtected = false;
    std::vector<std::string> entries;
    std::string text;   // the list in the system's notation, to compare folders
};

Permissions permissionsOf(const std::string &folder)
{
    Permissions p;
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR sd = nullptr;
    if (GetNamedSecurityInfoA(folder.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &dacl,
                              nullptr, &sd) != ERROR_SUCCESS)
        return p;
    p.read = dacl != nullptr;
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision;
    GetSecurityDescriptorControl(sd, &control, &revision);
    p.isProtected = (control & SE_DACL_PROTECTED) != 0;
    for (DWORD i = 0; dacl && i < dacl->AceCount; i++) {
        ACCESS_ALLOWED_ACE *ace;
        if (GetAce(dacl, i, (void **)&ace))
            p.entries.push_back(entryText(whoIs((PSID)&ace->SidStart), ace->Mask, ace->Header.AceFlags));
    }
    char *text = nullptr;
    if (ConvertSecurityDescriptorToStringSecurityDescriptorA(sd, SDDL_REVISION_1, DACL_SECURITY_INFORMATION, &text,
                                                             nullptr)) {
        p.text = text;
        LocalFree(text);
    }
    LocalFree(sd);
    return p;
}

const std::vector<std::string> libraryEntries = {
    entryText("administrators", FILE_ALL_ACCESS, INHERITED_BY_ALL),
    entryText("system", FILE_ALL_ACCESS, INHERITED_BY_ALL),
    entryText("users", READ_RUN, INHERITED_BY_ALL),
    entryText("authenticated users", READ_RUN, INHERITED_BY_ALL),
};

bool grantsAnybody(const Permissions &p)
{
    for (const std::string &e : p.entries)
        if (e.compare(0, 6, "users ") == 0 || e.compare(0, 9, "everyone ") == 0 ||
            e.compare(0, 20, "authenticated users ") == 0)
            return true;
    return false;
}

std::string currentFolder()
{
    char folder[MAX_PATH] = "";
    GetCurrentDirectoryA(sizeof folder, folder);
    return folder;
}

PSECURITY_DESCRIPTOR descriptorOf(const char *sddl)
{
    PSECURITY_DESCRIPTOR sd = nullptr;
    ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl, SDDL_REVISION_1, &sd, nullptr);
    return sd;
}

bool makeFolderWith(const std::string &folder, const char *sddl)
{
    SECURITY_ATTRIBUTES sa = {sizeof sa, descriptorOf(sddl), FALSE};
    BOOL made = CreateDirectoryA(folder.c_str(), &sa);
    LocalFree(sa.lpSecurityDescriptor);
    return made != FALSE;
}

// An existing folder's permissions replaced, as a person would.
bool permitFolder(const std::string &folder, const char *sddl)
{
    PSECURITY_DESCRIPTOR sd = descriptorOf(sddl);
    PACL dacl = nullptr;
    BOOL present, defaulted;
    GetSecurityDescriptorDacl(sd, &present, &dacl, &defaulted);
    DWORD status = SetNamedSecurityInfoA((char *)folder.c_str(), SE_FILE_OBJECT,
                                         DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION, nullptr,
                                         nullptr, dacl, nullptr);
    LocalFree(sd);
    return status == ERROR_SUCCESS;
}

// Whether the file system keeps a folder's permissions as given. Wine 8 keeps
// none: it reads them back from the Unix mode (system and the owner: full
// control; everyone: what the mode's "other" bits allow), and a list given
// at creation reaches the mode only through everyone's entry.
bool permissionsKept(const std::string &scratch)
{
    std::string probe = scratch + "probe";
    makeFolderWith(probe, "D:P(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)");
    Permissions p = permissionsOf(probe);
    RemoveDirectoryA(probe.c_str());
    return p.isProtected && std::find(p.entries.begin(), p.entries.end(),
                                      entryText("users", READ_RUN, INHERITED_BY_ALL)) != p.entries.end();
}

class FolderSecurityTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        resetRegistry();
        media = makeTempDir("folders");
        for (const char *file : {"install.ini", "setup.lay", "luinsres.dll"})
            copyFileTo(exeDir() + "media\\" + file, media + file);
        for (const char *module : {"apnint.dll", "cpnint.dll", "fixint.dll"})
            copyFileTo(exeDir() + module, media + module);
        record = recordOnMedia(media, media + "target");
        strcpy(record.serverDir, "C:\\server\\lumoria\\");
        record.languageFlags = LANGUAGE_ENGLISH;
        kept = currentFolder();
        autopilotStart();
    }
    void TearDown() override
    {
        autopilotStop();
        EXPORTED(setupLogFile)(nullptr);
        SetCurrentDirectoryA(kept.c_str());
        resetRegistry();
    }

    void expectProgress()
    {
        if (progressTimerPeriodMs >= 1000)
            autopilotQueueForControl(IDC_PROGRESS_MESSAGE, inspect([](HWND) {}));
    }
    // A standard setup through dodialog, the person pressing Standard.
    int standardSetup()
    {
        autopilotStop();
        autopilotStart();
        expectProgress();
        autopilotQueueForControl(IDC_MAIN_DIRECTORY, pressButton(IDC_MAIN_STANDARD));
        expectProgress();
        return EXPORTED(dodialog)(nullptr, &record);
    }
    // A server copy through networkInstall, the folder of the record taken.
    int serverCopy()
    {
        autopilotStop();
        autopilotStart();
        expectProgress();
        autopilotQueueForControl(IDC_NETWORK_DIRECTORY, pressButton(IDOK));
        expectProgress();
        return EXPORTED(networkInstall)(nullptr, &record);
    }

    std::string media, kept;
    HostSetupInfo record;
};

TEST_F(FolderSecurityTest, FoldersTheLibraryMakesOnlyAdministratorsCanChange)
{
    const struct {
        const char *named;
        bool network;
        int result;
    } cases[] = {
        {"installation folder", false, 1},
        {"server folder", true, 1},
    };
    Permissions parentBefore = permissionsOf(media);
    ASSERT_TRUE(parentBefore.read);
    bool kept = permissionsKept(media);
    // The check below can fail: a folder made without the library's list is
    // open to everybody's reading.
    CreateDirectoryA((media + "plain").c_str(), nullptr);
    ASSERT_TRUE(grantsAnybody(permissionsOf(media + "plain"))) << permissionsOf(media + "plain").text;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.named);
        std::string top = media + (c.network ? "server" : "made");
        strcpy(record.installDir, (top + "\\deeper\\target").c_str());
        std::string current = currentFolder();
        EXPECT_EQ(c.result, c.network ? serverCopy() : standardSetup());
        EXPECT_EQ(current, currentFolder()) << "the host's current folder";
        for (const std::string &folder : {top, top + "\\deeper", top + "\\deeper\\target"}) {
            Permissions p = permissionsOf(folder);
            ASSERT_TRUE(p.read) << folder;
            if (kept) {
                EXPECT_TRUE(p.isProtected) << folder << ": nothing inherited from " << media;
                EXPECT_EQ(libraryEntries, p.entries) << folder << ": " << p.text;
            } else {
                EXPECT_FALSE(grantsAnybody(p)) << folder << ": " << p.text;
            }
        }
        EXPECT_EQ(parentBefore.text, permissionsOf(media).text) << "a parent that was there keeps its own";
    }
}

TEST_F(FolderSecurityTest, ExistingFolderOthersCanChangeIsWarnedOf)
{
    const struct {
        const char *named;
        const char *permissions;
        bool warned;
    } cases[] = {
        {"everyone: full control", "D:P(A;OICI;FA;;;WD)", true},
        {"everyone: may change files", "D:P(A;OICI;FA;;;BA)(A;OICI;0x1301bf;;;WD)", true},
        {"administrators and system only", "D:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)", false},
    };
    int n = 0;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.named);
        std::string folder = media + "existing" + std::to_string(++n);
        ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
        ASSERT_TRUE(permitFolder(folder, c.permissions));
        strcpy(record.installDir, folder.c_str());
        std::string log = media + "setup" + std::to_string(n) + ".log";
        ASSERT_EQ(1, EXPORTED(setupLogFile)(log.c_str()));
        EXPECT_EQ(1, standardSetup());
        EXPORTED(setupLogFile)(nullptr);
        std::string text = readTextFile(log);
        std::string warning = std::string("warning: ") + shortPath(folder) + " can be changed by users";
        EXPECT_EQ(c.warned, text.find(warning) != std::string::npos) << text;
        EXPECT_EQ(kept, currentFolder());
    }
}

TEST_F(FolderSecurityTest, RelativeHostFoldersAreTakenAsTheyWereWhenReceived)
{
    // The host names its media relative to its current folder, then moves
    // elsewhere before the dialogs: the library keeps the media it was given.
    std::string parent = media.substr(0, media.size() - 1);
    std::string leaf = namePart(parent) + "\\";
    parent.resize(parent.size() - leaf.size() + 1);
    std::string elsewhere = makeTempDir("folders-elsewhere");
    ASSERT_TRUE(SetCurrentDirectoryA(parent.c_str()));
    ASSERT_EQ(SETUP_GO_ON, EXPORTED(setupInstall)(nullptr, "", leaf.c_str()));
    EXPECT_EQ(parent, currentFolder() + "\\");
    ASSERT_TRUE(SetCurrentDirectoryA(elsewhere.c_str()));
    strcpy(record.sourceDir, leaf.c_str());
    // First received here: the folder of this moment.
    strcpy(record.installDir, "target");
    EXPECT_EQ(1, standardSetup()) << "the resource module came from the first folder";
    EXPECT_EQ(elsewhere, currentFolder() + "\\");
    EXPECT_EQ(shortPath(elsewhere + "target"), record.installDir);
    EXPECT_FALSE(fileExists(media + "target"));
}

TEST_F(FolderSecurityTest, CurrentFolderStaysWhereTheHostLeftIt)
{
    // A folder on another drive than the current one: making that drive
    // current would move the host's current folder there.
    std::string other = "Z:\\tmp\\dialogint-folders-" + std::to_string(GetCurrentProcessId()) + "\\";
    const struct {
        const char *named;
        std::string folder;
    } cases[] = {
        {"same drive", media + "same\\target"},
        {"other drive", other + "target"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.named);
        ASSERT_TRUE(SetCurrentDirectoryA(media.c_str()));
        std::string current = currentFolder();
        strcpy(record.installDir, c.folder.c_str());
        EXPECT_EQ(1, standardSetup());
        EXPECT_TRUE(fileExists(c.folder));
        EXPECT_EQ(current, currentFolder());
    }
    SetCurrentDirectoryA(kept.c_str());
    removeTree(other);
}

} // namespace
