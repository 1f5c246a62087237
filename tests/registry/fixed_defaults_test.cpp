// The registry defaults that do not depend on the selection: every fixed
// table read back from Wine's registry value for value, the shell extensions
// under HKEY_CLASSES_ROOT and their server paths, and the stop at a key that
// cannot be created.
#include <gtest/gtest.h>

#include <windows.h>
#include <sddl.h>
#include <string.h>

#include "registry/fixed_defaults.h"
#include "registry/registry_access.h"
#include "state/setup_state.h"
#include "support/test_support.h"
#include "registry_readback.h"

namespace {

struct ExpectedKey {
    HKEY root;
    const char *path;   // below SOFTWARE\Jor\Lumoria
    std::vector<ExpectedValue> values;
};

// The fixed tables as a complete run leaves them.
const std::vector<ExpectedKey> &fixedTables()
{
    static const std::vector<ExpectedKey> tables = {
        {HKEY_CURRENT_USER, "LaunchManager\\General", {
            {"TalkDDE", "1"}, {"MaintainSize", "0"}, {"LastFileType", ""}, {"Position", nullptr},
            {"Associations", nullptr}
        }},
        {HKEY_LOCAL_MACHINE, "LaunchManager\\Extensions", {
            {"ami", "SAM"}, {"mww", "RTF"}, {"bmp", "BMP"}, {"pcx", "PCX"}, {"wmf", "WMF"}, {"wpg", "WPG"},
            {"cgm", "CGM"}, {"htm", "HTM"}, {"gif", "GIF"}, {"tiff", "TIF"}
        }},
        {HKEY_LOCAL_MACHINE, "LaunchManager\\DocumentClassDefaults", {
            {"WPapp", ""}, {"SSapp", ""}, {"DBapp", ""}, {"GFXapp", ""}, {"IMGapp", ""}, {"PGapp", ""},
            {"WPaction", "0 0"}, {"SSaction", "0 0"}, {"DBaction", "0 0"}, {"GFXaction", "0 0"},
            {"IMGaction", "0 0"}, {"PGaction", "0 0"}
        }},
        {HKEY_LOCAL_MACHINE, "LaunchManager\\FetchwiseApplications", {
            {"nWP_apps", "9"}, {"wp_App0", "DEFAULT.EXE Your Default Application"},
            {"wp_app1", "WINWORD.EXE Word for Windows"}, {"wp_App1TrgFormat", "mww 42 45"},
            {"wp_App2", "AMIPRO.EXE AmiPro"}, {"wp_App2TrgFormat", "ami 35"},
            {"wp_App3", "WPWIN.EXE WordPerfect for Windows"}, {"wp_App3TrgFormat", "wo 80"},
            {"wp_App4", "MSPUB.EXE Microsoft Publisher"}, {"wp_App4TrgFormat", "mww 44"},
            {"wp_App5", "WORD.EXE Word for DOS"}, {"wp_App5TrgFormat", "mw 46"},
            {"wp_App6", "WP.EXE WordPerfect for DOS"}, {"wp_App6TrgFormat", "wo 80"},
            {"wp_App7", "WRITE.EXE Microsoft Windows Write"}, {"wp_App7TrgFormat", "mw 46 123"},
            {"wp_App8", "NOTEPAD.EXE Micorsoft Windows Notepad"}, {"wp_App8TrgFormat", "af 2"}, {"nSS_apps0", "4"},
            {"ss_App0", "DEFAULT.EXE Your Default Application"}, {"ss_App1", "EXCEL.EXE Microsoft Excel"},
            {"ss_App2", "123W.EXE 123 for Windows"}, {"ss_App3", "123.EXE 123 for DOS"}, {"nDB_apps", "8"},
            {"db_App", "DEFAULT.EXE Your Default Application"}, {"db_App1", "PDOXWIN.EXE Paradow for Windows"},
            {"db_App2", "FOXPRO.EXE Fox Pro"}, {"db_App3", "PARADOX.EXE Paradox for DOS"},
            {"db_App4", "DBASE.EXE Dbase XX"}, {"db_App5", "EXCEL.EXE Microsoft Excel"},
            {"db_App6", "ACCESS.EXE Microsoft Access"}, {"db_App7", "SMART.EXE SmartWare II for DOS"},
            {"nGFX_apps", "5"}, {"gfx_App1", "CORELDRW.EXE"}, {"gfx_App1TrgFormat", "wmf 83"},
            {"gfx_App2", "DESIGNER.EXE Micrografx Designer"}, {"gfx_App2TrgFormat", "wmf 83"},
            {"gfx_App3", "PR.EXE WordPerfect Presentation"}, {"gfx_App3TrgFormat", "wpg 85"},
            {"gfx_App4", "HJWIN.EXE Hijaak For Windows"}, {"gfx_App4TrgFormat", "wmf 83"}, {"nIMG_apps", "6"},
            {"img_App0", "DEFAULT.EXE Your Default Application"}, {"img_App1", "PBRUSH.EXE Windows Paint"},
            {"img_App1TrgFormat", "bmp 4 56"}, {"img_App2", "DODOT.EXE DoDot"}, {"img_App2TrgFormat", "bmp 4"},
            {"img_App3", "PR.EXE WordPerfect Presentation"}, {"img_App3TrgFormat", "wpg 85"},
            {"img_App4", "HFWIN.EXE HiJaak For Windows"}, {"img_App4TrgFormat", "tiff 71"},
            {"img_App5", "WINGIF.EXE WinGif"}, {"img_App5TrgFormat", "gif 25"}, {"nPG_apps", "4"},
            {"pg_App0", "DEFAULT.EXE Your Default Application"}, {"pg_App1", "PR2.EXE Aldus Persuasion"},
            {"pg_App2", "POWERPNT.EXE Microsoft Power Point"}, {"pg_App3", "PR.EXE WordPerfect Presentation"}
        }},
        {HKEY_LOCAL_MACHINE, "lxldmgr", {
            {"nDLLs", "0"}, {"PreLoad", "S"}, {"Pre1", "lxres.dll"}, {"Pre2", "jorvapi.dll"},
            {"Pre3", "jordocve.dll"}
        }},
        {HKEY_LOCAL_MACHINE, "Temporary", {
            {"List0", "LX*."}, {"List7", "LUL*.TMP"}, {"List1", "LQ*.*"}, {"List8", "LX*.TMP"},
            {"List2", "FCS*.TMP"}, {"List9", "OSM*.TMP"}, {"List3", "MIS*.TMP"}, {"List10", "LQT*.*"},
            {"List4", "LAS*.TMP"}, {"List11", "LX*.$$$"}, {"List5", "WLU*.TMP"}, {"List12", "M6*.TMP"},
            {"List6", "KBH*.TMP"}
        }},
        {HKEY_LOCAL_MACHINE, "ContextMenu", {
            {"doc", "22"}, {"pic", "21"}, {"wkb", "23"}, {"wmf", "24"}, {"fax", "20"}, {"text", "22"},
            {"zip", "23"}, {"ppnt", "21"}
        }},
        {HKEY_LOCAL_MACHINE, "Toolbar", {
            {"doc", "6783 14 6502 6505 6511 6510 0 6522 6530 6531 0 6620 6621 0 6547 6544"},
            {"DEFAULT", "6782 4 6502 0 6547 6544"},
            {"wkb", "6785 14 6502 6505 6511 6510 0 6522 6530 6531 0 6549 6550 0 6547 6544"},
            {"wmf", "6784 9 6502 6505 6511 6510 0 6522 0 6547 6544"},
            {"fax", "6789 16 6502 6505 6511 6510 0 6522 0 6609 6601 0 6716 6715 6709 0 6547 6544"},
            {"pic", "6787 15 6502 6505 6511 6510 0 6522 0 6609 6601 0 6719 6709 0 6547 6544"},
            {"text", "6783 14 6502 6505 6511 6510 0 6522 6530 6531 0 6620 6621 0 6547 6544"},
            {"zip", "6786 9 6502 6505 6511 6510 0 6781 0 6547 6544"},
            {"ppnt", "6788 9 6502 6505 6511 6510 0 6780 0 6547 6544"}
        }},
        {HKEY_LOCAL_MACHINE, "FrameMenu", {
            {"DEFAULT", "1"}, {"doc", "13"}, {"pic", "10"}, {"wkb", "12"}, {"wmf", "14"}, {"fax", "11"},
            {"text", "15"}, {"zip", "17"}, {"ppnt", "16"}
        }},
        {HKEY_LOCAL_MACHINE, "Icon", {
            {"doc", "105"}, {"pic", "108"}, {"wkb", "106"}, {"wmf", "104"}, {"fax", "108"}, {"text", "105"},
            {"zip", "107"}, {"ppnt", "108"}
        }},
        {HKEY_LOCAL_MACHINE, "Tab", {
            {"doc", "lupref.dll 7"}, {"pic", "lupref.dll 4"}, {"wkb", "lupref.dll 5"}, {"wmf", "lupref.dll 4"},
            {"fax", "lupref.dll 2"}, {"text", "lupref.dll 6"}, {"zip", "lupref.dll 1"}, {"ppnt", "lupref.dll 7"}
        }},
        {HKEY_LOCAL_MACHINE, "JORPICVE", {
            {"4", "lqbmprdr.dll"}, {"22", "lqepsrdr.dll"}, {"25", "lqgifrdr.dll"}, {"39", "lqmacrdr.dll"},
            {"56", "lqpcxrdr.dll"}, {"70", "lqtgardr.dll"}, {"71", "lqtifrdr.dll"}, {"85", "lqwpgrdr.dll"},
            {"118", "lqjpgrdr.dll"}, {"191", "lqnterdr.dll"}, {"182", "lqdcxrdr.dll"}, {"195", "lqwg2rdr.dll"}
        }},
        {HKEY_LOCAL_MACHINE, "JORWKBVE", {
            {"81", "jorssfun.dll 2 5 jorssvwr.dll 31"}, {"90", "jorssfun.dll 1 5 jorssvwr.dll 30"},
            {"132", "0 0 0 jorssvwr.dll 32"}, {"167", "0 0 0 jorssvwr.dll 33"},
            {"188", "jorssfun.dll 1 5 jorssvwr.dll 30"}, {"194", "0 0 0 jorssvwr.dll 34"}, {"jorssvwr.dll", "2"},
            {"3", "jorssvwr.dll"}
        }},
        {HKEY_LOCAL_MACHINE, "JORDOCVE", {
            {"2", "afflt.dll"}, {"3", "ksifflt.dll"}, {"13", "ksifflt.dll"}, {"15", "ksifflt.dll"},
            {"20", "ksifflt.dll"}, {"26", "ksifflt.dll"}, {"27", "ksifflt.dll"}, {"28", "ksifflt.dll"},
            {"29", "ksifflt.dll"}, {"32", "ksifflt.dll"}, {"34", "ksifflt.dll"}, {"35", "laflt.dll"},
            {"38", "ksifflt.dll"}, {"42", "miflt.dll"}, {"43", "ksifflt.dll"}, {"45", "rtfflt.dll"},
            {"46", "ksifflt.dll"}, {"48", "ksifflt.dll"}, {"55", "ksifflt.dll"}, {"63", "ksifflt.dll"},
            {"64", "ksifflt.dll"}, {"72", "ksifflt.dll"}, {"74", "ksifflt.dll"}, {"78", "ksifflt.dll"},
            {"80", "woflt.dll"}, {"82", "ksifflt.dll"}, {"87", "ksifflt.dll"}, {"88", "ksifflt.dll"},
            {"153", "afflt.dll"}, {"178", "wp6flt.dll"}, {"185", "markflt.dll"}, {"189", "mw6flt.dll"},
            {"196", "ksifflt.dll"}, {"205", "ksifflt.dll"}, {"210", "htmflt.dll"}
        }},
        {HKEY_CURRENT_USER, "OPTIONS", {
            {"General", "1 0 1"}, {"WordProcessor", "0 0 1 1 1 1 100"},
            {"TextFiles", "1440 1440 1440 1440 0 0 1 0 12 'Times New Roman'"}, {"RasterImages", "3 100 0 100 1 1"},
            {"VectorGraphics", "0 0 100 1 1"}, {"Fax", "1 100 0 100 1 1"}, {"SpreadSheet", "1 2 2"},
            {"CompressedFiles", "1"}
        }},
        {HKEY_LOCAL_MACHINE, "DecorativeFontFaces", {
            {"Lucida Bright Math", "1"}, {"Fences", "1"}, {"ITC Zapf Dingbats", "1"}, {"Lucida Arrows", "1"},
            {"Lucida Icons", "1"}, {"Lucida Stars", "1"}, {"MS LineDraw", "1"}, {"MT Extra", "1"},
            {"Wingdings", "1"}, {"Symbol", "1"}
        }},
        {HKEY_CURRENT_USER, "HTML", {
            {"NORMALFONT", "Times New Roman 12"}, {"H1FONT", "Arial 22 b"}, {"H2FONT", "Arial 18 b"},
            {"H3FONT", "Arial 14 b"}, {"H4FONT", "Arial 12 b"}, {"H5FONT", "Arial 10 b"}, {"H6FONT", "Arial 9 b"},
            {"PREFONT", "Courier New 10"}, {"BLOCKQUOTEFONT", "Times New Roman 12 i"},
            {"LISTINGFONT", "Courier New 10"}, {"XMPFONT", "Courier New 10"}, {"PLAINTEXTFONT", "Courier New 10"},
            {"ADDRESSFONT", "Times New Roman 12 i"}
        }},
    };
    return tables;
}

#define MENU_ID MENU_EXTENSION_ID
#define SHEET_ID SHEET_EXTENSION_ID

std::string productPath(const char *below) { return std::string(PRODUCT_KEY "\\") + below; }

// Makes a key that refuses non-volatile subkeys, so that creating any key
// below it fails.
void makeVolatileKey(HKEY root, const std::string &path)
{
    HKEY key;
    // The parent stays non-volatile; only the key itself refuses children.
    std::string parent = folderPart(path);
    parent.pop_back();
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(root, parent.c_str(), 0, nullptr, 0,
                                             KEY_ALL_ACCESS, nullptr, &key, nullptr));
    RegCloseKey(key);
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(root, path.c_str(), 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS,
                                             nullptr, &key, nullptr)) << path;
    RegCloseKey(key);
}

// Makes a key that cannot be opened for writing: a link to a key below a
// volatile one, which cannot be created.
void makeLockedKey(HKEY root, const std::string &path)
{
    makeVolatileKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\Jor\\Volatile");
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(root, path.c_str(), 0, nullptr, REG_OPTION_CREATE_LINK, KEY_ALL_ACCESS,
                                             nullptr, &key, nullptr)) << path;
    const wchar_t target[] = L"\\Registry\\Machine\\SOFTWARE\\Jor\\Volatile\\Target";
    RegSetValueExW(key, L"SymbolicLinkValue", 0, REG_LINK, (const BYTE *)target, sizeof target - sizeof(wchar_t));
    RegCloseKey(key);
}

// Removes such a link key, which a tree deletion cannot open.
void removeLockedKey(HKEY root, const std::string &path)
{
    typedef LONG(WINAPI * DeleteKeyCall)(HANDLE);
    DeleteKeyCall deleteKey = (DeleteKeyCall)(void *)GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtDeleteKey");
    HKEY key;
    if (!deleteKey || RegOpenKeyExA(root, path.c_str(), REG_OPTION_OPEN_LINK, KEY_ALL_ACCESS | DELETE, &key) != ERROR_SUCCESS)
        return;
    deleteKey(key);
    RegCloseKey(key);
}

class FixedDefaultsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        resetCoreState();
        resetRegistry();
        removeShellExtensionKeys();
        savedCommonFiles = readRegValue(HKEY_LOCAL_MACHINE, WINDOWS_VERSION_KEY, "CommonFilesDir", &commonType,
                                        &commonData);
        strcpy(setupState->installDir, "C:\\VIEWER\\");
        strcpy(setupState->platformName, "Windows NT");
    }
    void TearDown() override
    {
        resetRegistry();
        removeShellExtensionKeys();
        restoreCommonFiles();
    }

    void setCommonFiles(const char *dir)
    {
        if (dir)
            setRegText(HKEY_LOCAL_MACHINE, WINDOWS_VERSION_KEY, "CommonFilesDir", dir);
        else
            RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, WINDOWS_VERSION_KEY, "CommonFilesDir");
    }
    void restoreCommonFiles()
    {
        HKEY key;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, WINDOWS_VERSION_KEY, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
            return;
        if (savedCommonFiles)
            RegSetValueExA(key, "CommonFilesDir", 0, commonType, (const BYTE *)commonData.data(),
                           (DWORD)commonData.size());
        else
            RegDeleteValueA(key, "CommonFilesDir");
        RegCloseKey(key);
    }

    bool savedCommonFiles = false;
    DWORD commonType = 0;
    std::string commonData;
};

TEST_F(FixedDefaultsTest, CompleteRunWritesEveryTableValueForValue)
{
    EXPECT_EQ(1, writeFixedDefaults());
    for (const ExpectedKey &k : fixedTables())
        expectKeyHolds(k.root, productPath(k.path), k.values);
}

TEST_F(FixedDefaultsTest, ShellExtensionsRegisteredUnderClassesRoot)
{
    ASSERT_EQ(1, writeFixedDefaults());
    expectKeyHolds(HKEY_CLASSES_ROOT, "CLSID\\" MENU_ID, {{"", "Lumoria Context Menu Shell Extension"}});
    expectKeyHolds(HKEY_CLASSES_ROOT, "CLSID\\" MENU_ID "\\InProcServer32",
                   {{"", "C:\\VIEWER\\menuext.dll"}, {"ThreadingModel", "Apartment"}});
    expectKeyHolds(HKEY_CLASSES_ROOT, "*\\shellex\\ContextMenuHandlers\\" MENU_ID, {{"", nullptr}});
    expectKeyHolds(HKEY_CLASSES_ROOT, "CLSID\\" SHEET_ID, {{"", "Lumoria Property Sheet Shell Extension"}});
    expectKeyHolds(HKEY_CLASSES_ROOT, "CLSID\\" SHEET_ID "\\InProcServer32",
                   {{"", "C:\\VIEWER\\propext.dll"}, {"ThreadingModel", "Apartment"}});
    expectKeyHolds(HKEY_CLASSES_ROOT, "*\\shellex\\PropertySheetHandlers\\" SHEET_ID, {{"", nullptr}});
}

TEST_F(FixedDefaultsTest, ServerPathFollowsPlatformAndCommonFiles)
{
    struct Case {
        const char *platform;
        const char *commonFiles;  // null: no CommonFilesDir value
        const char *installDir;
        const char *menuPath;
    } cases[] = {
        {"Windows 95", "C:\\Program Files\\Common Files", "C:\\VIEWER\\",
         "C:\\Program Files\\Common Files\\system\\menuext.dll"},
        {"Windows 95", "D:\\Common\\", "C:\\VIEWER\\", "D:\\Common\\system\\menuext.dll"},
        {"Windows NT", "C:\\Program Files\\Common Files", "C:\\VIEWER\\", "C:\\VIEWER\\menuext.dll"},
        {"Windows NT", "C:\\Program Files\\Common Files", "C:\\VIEWER", "C:\\VIEWER\\menuext.dll"},
        {"windows 95", "C:\\Program Files\\Common Files", "C:\\VIEWER\\", "C:\\VIEWER\\menuext.dll"},
        // No usable common files folder: the installation directory.
        {"Windows 95", "", "C:\\VIEWER\\", "C:\\VIEWER\\menuext.dll"},
        {"Windows 95", nullptr, "C:\\VIEWER", "C:\\VIEWER\\menuext.dll"},
    };
    for (const Case &c : cases) {
        strcpy(setupState->platformName, c.platform);
        strcpy(setupState->installDir, c.installDir);
        setCommonFiles(c.commonFiles);
        ASSERT_EQ(1, writeFixedDefaults());
        std::string context = std::string(c.platform) + ", " + (c.commonFiles ? c.commonFiles : "(none)");
        EXPECT_EQ(c.menuPath, textOf(HKEY_CLASSES_ROOT, "CLSID\\" MENU_ID "\\InProcServer32", "")) << context;
        std::string sheet = c.menuPath;
        sheet.replace(sheet.size() - strlen("menuext.dll"), std::string::npos, "propext.dll");
        EXPECT_EQ(sheet, textOf(HKEY_CLASSES_ROOT, "CLSID\\" SHEET_ID "\\InProcServer32", "")) << context;
    }
}

TEST_F(FixedDefaultsTest, LongestInstallDirKeepsTheWholeServerPath)
{
    std::string dir = "C:\\" + std::string(251, 'd');   // 254 characters, no separator
    strcpy(setupState->installDir, dir.c_str());
    ASSERT_EQ(1, writeFixedDefaults());
    EXPECT_EQ(dir + "\\menuext.dll", textOf(HKEY_CLASSES_ROOT, "CLSID\\" MENU_ID "\\InProcServer32", ""));
}

TEST_F(FixedDefaultsTest, UserLaunchKeyFailureSkipsMachineLaunchKeysButNotTheRest)
{
    makeVolatileKey(HKEY_CURRENT_USER, productPath("LaunchManager"));
    EXPECT_EQ(0, writeLaunchManagerDefaults());
    EXPECT_EQ(1, writeFixedDefaults()) << "the launch manager's result is not the run's";
    EXPECT_FALSE(regKeyExists(HKEY_LOCAL_MACHINE, productPath("LaunchManager\\Extensions").c_str()));
    EXPECT_FALSE(regKeyExists(HKEY_LOCAL_MACHINE, productPath("LaunchManager\\FetchwiseApplications").c_str()));
    EXPECT_EQ("jordocve.dll", textOf(HKEY_LOCAL_MACHINE, productPath("lxldmgr"), "Pre3"));
    EXPECT_EQ("3 100 0 100 1 1", textOf(HKEY_CURRENT_USER, productPath("OPTIONS"), "RasterImages"));
}

TEST_F(FixedDefaultsTest, MachineLaunchKeyFailureStopsTheLaunchManagerThere)
{
    makeVolatileKey(HKEY_LOCAL_MACHINE, productPath("LaunchManager"));
    EXPECT_EQ(0, writeLaunchManagerDefaults());
    EXPECT_EQ("1", textOf(HKEY_CURRENT_USER, productPath("LaunchManager\\General"), "TalkDDE"))
        << "the keys before the failure stay";
    EXPECT_FALSE(regKeyExists(HKEY_LOCAL_MACHINE, productPath("LaunchManager\\DocumentClassDefaults").c_str()));
}

TEST_F(FixedDefaultsTest, ShellKeyFailureEndsTheRunWithTheKeysBeforeIt)
{
    makeVolatileKey(HKEY_CLASSES_ROOT, "CLSID\\" MENU_ID);
    EXPECT_EQ(0, writeFixedDefaults());
    EXPECT_EQ("Lumoria Context Menu Shell Extension", textOf(HKEY_CLASSES_ROOT, "CLSID\\" MENU_ID, ""));
    EXPECT_FALSE(regKeyExists(HKEY_CLASSES_ROOT, "*\\shellex\\ContextMenuHandlers\\" MENU_ID));
    EXPECT_FALSE(regKeyExists(HKEY_CLASSES_ROOT, "CLSID\\" SHEET_ID));
    EXPECT_EQ("3 100 0 100 1 1", textOf(HKEY_CURRENT_USER, productPath("OPTIONS"), "RasterImages"));
}

TEST_F(FixedDefaultsTest, KeyFailureBetweenTheOptionPassesLeavesTheShortForms)
{
    // A key that exists but may not be written cannot be created with full
    // access; the key itself can still be deleted afterwards.
    makeLockedKey(HKEY_LOCAL_MACHINE, productPath("DecorativeFontFaces"));
    EXPECT_EQ(0, writeFixedDefaults());
    expectKeyHolds(HKEY_CURRENT_USER, productPath("OPTIONS"),
                   {{"VectorGraphics", "0"}, {"Fax", "1 100"}, {"RasterImages", "3 100"}, {"General", "1 0 1"},
                    {"WordProcessor", "0 0 1 1 1 1 100"},
                    {"TextFiles", "1440 1440 1440 1440 0 0 1 0 12 'Times New Roman'"}, {"SpreadSheet", "1 2 2"},
                    {"CompressedFiles", "1"}});
    EXPECT_FALSE(regKeyExists(HKEY_CURRENT_USER, productPath("HTML").c_str()));
    EXPECT_FALSE(regKeyExists(HKEY_CLASSES_ROOT, "CLSID\\" MENU_ID));
    EXPECT_EQ("lqbmprdr.dll", textOf(HKEY_LOCAL_MACHINE, productPath("JORPICVE"), "4"));
    removeLockedKey(HKEY_LOCAL_MACHINE, productPath("DecorativeFontFaces"));
}

} // namespace
